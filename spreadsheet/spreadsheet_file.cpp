#include "spreadsheet/spreadsheet_file.h"

#include "spreadsheet/biff8_workbook.h"
#include "spreadsheet/compound_file_writer.h"
#include "spreadsheet/xlsx_workbook.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace tillora {

namespace {

SpreadsheetResult writeXls(const QString& path, const SpreadsheetTable& table,
                           const SpreadsheetProgress& progress) {
    // Build the whole stream first: a cancel or a refused table never creates a file.
    std::optional<QByteArray> stream = Biff8Workbook::build(table, progress);
    if (!stream) {
        return table.titles.size() > Biff8Workbook::kColumnLimit ? SpreadsheetResult::Failed
                                                                 : SpreadsheetResult::Cancelled;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return SpreadsheetResult::Failed;
    }
    if (!CompoundFileWriter::write(file, QStringLiteral("Workbook"), *stream)) {
        file.cancelWriting();
        return SpreadsheetResult::Failed;
    }
    return file.commit() ? SpreadsheetResult::Written : SpreadsheetResult::Failed;
}

SpreadsheetResult writeXlsx(const QString& path, const SpreadsheetTable& table,
                            const SpreadsheetProgress& progress) {
    // libxlsxwriter writes to a name of its own choosing only; reserve a unique one beside the
    // target, let it write there, then move it into place.
    const QFileInfo target(path);
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!temp.open()) {
        return SpreadsheetResult::Failed;
    }
    temp.close();
    const SpreadsheetResult result = XlsxWorkbook::write(temp.fileName(), table, progress);
    if (result != SpreadsheetResult::Written) {
        return result;  // the temporary file removes itself
    }
    // The reserved name was created private to this user; give the file a saved file's rights.
    const QFileDevice::Permissions rights =
        target.exists()
            ? target.permissions()
            : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                  QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QFile::setPermissions(temp.fileName(), rights);
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(temp.fileName().toStdU16String()),
                            std::filesystem::path(target.absoluteFilePath().toStdU16String()),
                            error);
    if (error) {
        return SpreadsheetResult::Failed;
    }
    temp.setAutoRemove(false);
    return SpreadsheetResult::Written;
}

}  // namespace

SpreadsheetFormat SpreadsheetFile::formatFor(const QString& path) {
    return QFileInfo(path).suffix().compare(QStringLiteral("xlsx"), Qt::CaseInsensitive) == 0
               ? SpreadsheetFormat::Xlsx
               : SpreadsheetFormat::Xls;
}

SpreadsheetResult SpreadsheetFile::write(const QString& path, const SpreadsheetTable& table,
                                         const SpreadsheetProgress& progress) {
    return write(path, formatFor(path), table, progress);
}

SpreadsheetResult SpreadsheetFile::write(const QString& path, SpreadsheetFormat format,
                                         const SpreadsheetTable& table,
                                         const SpreadsheetProgress& progress) {
    if (path.isEmpty()) {
        return SpreadsheetResult::Failed;
    }
    return format == SpreadsheetFormat::Xlsx ? writeXlsx(path, table, progress)
                                             : writeXls(path, table, progress);
}

}  // namespace tillora
