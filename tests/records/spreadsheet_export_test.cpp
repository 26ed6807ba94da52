// The export as the cashier meets it: the empty list, the save dialog, the replace question, the
// result messages and the progress window's cancel.
#include "records/spreadsheet_export.h"

#include "forms/components/list_view.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "tests/forms/window_test_templates.h"
#include "tests/support/scripted_file_dialog.h"
#include "tests/support/scripted_message_service.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace tillora::test {
namespace {

const QString kSaved = QStringLiteral("保存成功！\r\n保存在：");
const QString kFailed = QStringLiteral("保存失败！错误代码：01");

QStringList detailTitles() {
    return {QStringLiteral("序号"), QStringLiteral("名称"), QStringLiteral("数量"),
            QStringLiteral("单价"), QStringLiteral("金额"), QStringLiteral("折后")};
}

QList<QStringList> detailRows(int count) {
    QList<QStringList> rows;
    for (int i = 0; i < count; ++i) {
        rows.append({QString::number(i + 1), QStringLiteral("可乐's"), QStringLiteral("2"),
                     QStringLiteral("3.00"), QStringLiteral("6.00"), QStringLiteral("6.00")});
    }
    return rows;
}

QByteArray head(const QString& path, int bytes) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(bytes) : QByteArray();
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class SpreadsheetExport : public ::testing::Test {
  protected:
    QWidget owner;
    QTemporaryDir dir;
    ScriptedFileDialog dialog;
    ScriptedMessageService messages;
};

TEST_F(SpreadsheetExport, EmptyListIsReportedWithoutAskingForAFile) {
    EXPECT_EQ(exportToSpreadsheet(&owner, detailTitles(), {}), SpreadsheetExportOutcome::NoData);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("没有数据可以导出！")});
    EXPECT_TRUE(dialog.requests().isEmpty());
}

TEST_F(SpreadsheetExport, SavesToTheChosenFileInEitherFormatAndSaysWhere) {
    dialog.answer(dir.filePath(QStringLiteral("明细")));  // no extension typed
    EXPECT_EQ(exportToSpreadsheet(&owner, detailTitles(), detailRows(3)),
              SpreadsheetExportOutcome::Saved);
    ASSERT_EQ(dialog.requests().size(), 1);
    const FileDialogRequest& request = dialog.requests().first();
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(request.filter, QStringLiteral("*.xls|*.xls|*.xlsx|*.xlsx"));
    EXPECT_EQ(request.defaultExtension, QStringLiteral(".xls"));
    const QString xls = dir.filePath(QStringLiteral("明细.xls"));
    EXPECT_EQ(messages.texts(), QStringList{kSaved + QDir::toNativeSeparators(xls)});
    EXPECT_EQ(head(xls, 8), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"));

    messages.clear();
    const QString xlsx = dir.filePath(QStringLiteral("明细.xlsx"));
    dialog.answer(xlsx);
    EXPECT_EQ(exportToSpreadsheet(&owner, detailTitles(), detailRows(3)),
              SpreadsheetExportOutcome::Saved);
    EXPECT_EQ(messages.texts(), QStringList{kSaved + QDir::toNativeSeparators(xlsx)});
    EXPECT_EQ(head(xlsx, 2), QByteArray("PK"));
    EXPECT_EQ(entries(dir.path()).size(), 2);
}

// With a fresh home the dialog opens in its documents folder with a name that says what the file
// is; afterwards where this till's last export went, whatever the list.
TEST_F(SpreadsheetExport, DialogStartsInDocumentsThenWhereTheLastExportWent) {
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    const QString previous = QDir::currentPath();
    qputenv("HOME", dir.filePath(QStringLiteral("home")).toUtf8());
    qunsetenv("XDG_CONFIG_HOME");
    QDir::setCurrent(dir.path());  // the data folder, where the till keeps the folder
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("home/Documents/u盘")));
    const QString chosen = dir.filePath(QStringLiteral("home/Documents/u盘"));
    const QDate day(2026, 12, 8);
    const struct {
        QString name;
        QString startsIn;
    } exports[] = {{exportName(QStringLiteral("日结报表"), day, QStringLiteral(".xlsx")),
                    dir.filePath(QStringLiteral("home/Documents"))},
                   {exportName(QStringLiteral("销售记录"), day), chosen}};
    for (const auto& e : exports) {
        dialog.answer(chosen + QStringLiteral("/") + e.name);
        SpreadsheetExportOptions options;
        options.suggestedName = e.name;
        EXPECT_EQ(exportToSpreadsheet(&owner, detailTitles(), detailRows(1), options),
                  SpreadsheetExportOutcome::Saved);
        EXPECT_EQ(dialog.requests().last().initialPath, e.startsIn + QStringLiteral("/") + e.name);
        EXPECT_TRUE(dialog.requests().last().filter.startsWith(QStringLiteral("*.") +
                                                               QFileInfo(e.name).suffix()));
    }
    EXPECT_EQ(exports[1].name, QStringLiteral("销售记录_2026-12-08.xls"));
    QDir::setCurrent(previous);
    qputenv("HOME", home);
    if (!config.isEmpty()) {
        qputenv("XDG_CONFIG_HOME", config);
    }
}

TEST_F(SpreadsheetExport, CancelledDialogEndsSilently) {
    dialog.answer(QString());
    EXPECT_EQ(exportToSpreadsheet(&owner, detailTitles(), detailRows(3)),
              SpreadsheetExportOutcome::NoFileChosen);
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_TRUE(entries(dir.path()).isEmpty());
}

TEST_F(SpreadsheetExport, AnExistingFileIsReplacedOnlyWhenTheUserSaysYes) {
    const QString path = dir.filePath(QStringLiteral("记录.xls"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("keep me");
    }
    dialog.answer(path);
    messages.answer(MessageResult::No);
    EXPECT_EQ(exportToSpreadsheet(&owner, detailTitles(), detailRows(3)),
              SpreadsheetExportOutcome::ReplaceDeclined);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_TRUE(messages.shown()[0].text.contains(QStringLiteral("要替换它吗")));
    EXPECT_EQ(messages.shown()[0].flags & MessageFlags::ButtonMask, int(MessageFlags::YesNo));
    EXPECT_EQ(head(path, 100), QByteArray("keep me"));
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("记录.xls")});

    messages.clear();
    dialog.answer(path);
    messages.answer(MessageResult::Yes);
    EXPECT_EQ(exportToSpreadsheet(&owner, detailTitles(), detailRows(3)),
              SpreadsheetExportOutcome::Saved);
    EXPECT_EQ(messages.texts().last(), kSaved + QDir::toNativeSeparators(path));
    EXPECT_EQ(head(path, 4), QByteArray("\xD0\xCF\x11\xE0"));
}

TEST_F(SpreadsheetExport, UnwritableFolderFailsWithTheErrorCodeAndLeavesNothing) {
    QString folder = dir.filePath(QStringLiteral("locked"));
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (QFile probe(folder + QStringLiteral("/probe")); probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        folder = QStringLiteral("/proc");  // permission bits do not stop root
    }
    const QString path = folder + QStringLiteral("/导出.xls");
    dialog.answer(path);
    EXPECT_EQ(exportToSpreadsheet(&owner, detailTitles(), detailRows(3)),
              SpreadsheetExportOutcome::Failed);
    EXPECT_EQ(messages.texts(), QStringList{kFailed});
    EXPECT_FALSE(QFile::exists(path));
}

// Presses the progress window's button (or Escape on it) as soon as it shows.
void stopProgressWhenShown(QWidget* owner, bool escape, QString* title) {
    QTimer::singleShot(1, owner, [owner, escape, title] {
        auto* window = owner->findChild<QDialog*>(QStringLiteral("导出进度"));
        if (window == nullptr || !window->isVisible()) {
            stopProgressWhenShown(owner, escape, title);
            return;
        }
        *title = window->windowTitle();
        if (!qEnvironmentVariableIsEmpty("TILLORA_SCREENSHOT_DIR")) {
            window->grab().save(qEnvironmentVariable("TILLORA_SCREENSHOT_DIR") +
                                QStringLiteral("/export_progress.png"));
        }
        if (escape) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(window, &press);
        } else {
            window->findChild<QPushButton*>(QStringLiteral("取消"))->click();
        }
    });
}

TEST_F(SpreadsheetExport, CancellingTheProgressWindowLeavesNoFile) {
    for (const bool escape : {false, true}) {
        for (const char* suffix : {".xls", ".xlsx"}) {
            SCOPED_TRACE(std::string(suffix) + (escape ? " escape" : " button"));
            const QString path = dir.filePath(QStringLiteral("大表") + QLatin1String(suffix));
            dialog.answer(path);
            QString title;
            stopProgressWhenShown(&owner, escape, &title);
            EXPECT_EQ(exportToSpreadsheet(&owner, detailTitles(), detailRows(50000), {0, {}}),
                      SpreadsheetExportOutcome::Cancelled);
            EXPECT_EQ(title, QStringLiteral("Tillora"));
            EXPECT_TRUE(messages.texts().isEmpty());
            EXPECT_TRUE(entries(dir.path()).isEmpty());
            EXPECT_EQ(owner.findChild<QDialog*>(QStringLiteral("导出进度")), nullptr);
        }
    }
}

}  // namespace
}  // namespace tillora::test

namespace tillora::test {
namespace {

TEST(SpreadsheetExportList, ListViewGivesItsTitlesAndEveryShownText) {
    ListViewBlock block;
    block.columns = {ListViewColumn{0, -1, 0, 120, QStringLiteral("        名称")},
                     ListViewColumn{0, -1, 2, 60, QStringLiteral("数量")}};
    WindowTemplate w = windowTemplate(kTestWindow, QSize(406, 329));
    w.components << record(1, ComponentType::ListView, QStringLiteral("超级列表框1"),
                           {0, 0, 200, 100}, write(block));
    TemplateSet set;
    set.windows = {w};
    HandlerRegistry handlers;
    FormManager manager(set, handlers);
    ASSERT_TRUE(manager.open(kTestWindow));
    auto* list = static_cast<ListView*>(
        manager.window(kTestWindow)->component(QStringLiteral("超级列表框1")));
    list->addRow({QStringLiteral(" 可乐 "), QStringLiteral("2")});
    list->addRow({QStringLiteral("面包")});

    const SpreadsheetTable table = listViewTable(*list);
    EXPECT_EQ(table.titles, (QStringList{QStringLiteral("名称"), QStringLiteral("数量")}));
    ASSERT_EQ(table.rows.size(), 2);
    EXPECT_EQ(table.rows[0], (QStringList{QStringLiteral(" 可乐 "), QStringLiteral("2")}));
    EXPECT_EQ(table.rows[1], (QStringList{QStringLiteral("面包"), QString()}));
}

}  // namespace
}  // namespace tillora::test
