#include "records/spreadsheet_export.h"

#include "forms/components/list_view.h"
#include "forms/services/file_dialog_service.h"
#include "forms/services/message_service.h"
#include "platform/remembered_folder.h"
#include "platform/whole_file_writer.h"
#include "records/export_progress_window.h"
#include "spreadsheet/spreadsheet_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTreeWidget>

#include <memory>

namespace tillora {

namespace {

const QString kNoData = QStringLiteral("没有数据可以导出！");
const QString kSaved = QStringLiteral("保存成功！\r\n保存在：");
const QString kFailed = QStringLiteral("保存失败！错误代码：01");
const QString kFolderKind = QStringLiteral("export");

}  // namespace

SpreadsheetExportOutcome exportToSpreadsheet(QWidget* owner, const QStringList& titles,
                                             const QList<QStringList>& rows,
                                             const SpreadsheetExportOptions& options) {
    if (rows.isEmpty()) {
        showMessage(kNoData, MessageFlags::Ok, {}, owner);
        return SpreadsheetExportOutcome::NoData;
    }
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    const bool xlsx = options.suggestedName.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
    request.filter = xlsx ? QStringLiteral("*.xlsx|*.xlsx|*.xls|*.xls")
                          : QStringLiteral("*.xls|*.xls|*.xlsx|*.xlsx");
    request.defaultExtension = xlsx ? QStringLiteral(".xlsx") : QStringLiteral(".xls");
    request.initialPath =
        QDir(RememberedFolder::start(kFolderKind)).filePath(options.suggestedName);
    // Asked below, once the default extension is on the name.
    request.confirmOverwrite = false;
    const QString path = fileDialogService().choose(request, owner);
    if (path.isEmpty()) {
        return SpreadsheetExportOutcome::NoFileChosen;
    }
    RememberedFolder::remember(kFolderKind, path);
    // A save to this folder cut off by a crash may have left its temporary behind.
    removeInterruptedWrites(QFileInfo(path).absolutePath());
    const QString shownPath = QDir::toNativeSeparators(path);
    if (QFileInfo::exists(path) &&
        showMessage(shownPath + QStringLiteral(" 已存在。\r\n要替换它吗？"),
                    MessageFlags::YesNo | MessageFlags::IconQuestion | MessageFlags::DefaultButton2,
                    {}, owner) != MessageResult::Yes) {
        return SpreadsheetExportOutcome::ReplaceDeclined;
    }

    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<ExportProgressWindow> window;
    const auto progress = [&](std::int64_t done, std::int64_t total) {
        if (!window && clock.elapsed() >= options.progressDelayMs) {
            window = std::make_unique<ExportProgressWindow>(owner);
            window->show();
        }
        if (!window) {
            return true;
        }
        window->setProgress(done, total);
        // The window is modal, so only it answers to the user while the export runs.
        QCoreApplication::processEvents();
        return !window->cancelRequested();
    };
    const SpreadsheetTable table{titles, rows};
    const SpreadsheetResult result = SpreadsheetFile::write(path, table, progress);
    window.reset();

    switch (result) {
        case SpreadsheetResult::Written:
            showMessage(kSaved + shownPath, MessageFlags::Ok, {}, owner);
            return SpreadsheetExportOutcome::Saved;
        case SpreadsheetResult::Cancelled:
            return SpreadsheetExportOutcome::Cancelled;
        case SpreadsheetResult::Failed:
            break;
    }
    showMessage(kFailed, MessageFlags::Ok, {}, owner);
    return SpreadsheetExportOutcome::Failed;
}

QString exportName(const QString& what, const QDate& day, const QString& suffix) {
    return what + QLatin1Char('_') + day.toString(QStringLiteral("yyyy-MM-dd")) + suffix;
}

SpreadsheetTable listViewTable(const ListView& list) {
    SpreadsheetTable table;
    if (const QTreeWidget* tree = list.tree()) {
        for (int c = 0; c < tree->columnCount(); ++c) {
            table.titles << tree->headerItem()->text(c).trimmed();
        }
    }
    table.rows.reserve(list.rowCount());
    for (int r = 0; r < list.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table.titles.size(); ++c) {
            cells << list.cell(r, c);
        }
        table.rows.append(cells);
    }
    return table;
}

SpreadsheetExportOutcome exportToSpreadsheet(QWidget* owner, const ListView& list,
                                             const SpreadsheetExportOptions& options) {
    const SpreadsheetTable table = listViewTable(list);
    return exportToSpreadsheet(owner, table.titles, table.rows, options);
}

}  // namespace tillora
