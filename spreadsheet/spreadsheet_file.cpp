#include "spreadsheet/spreadsheet_file.h"

#include "spreadsheet/biff8_workbook.h"
#include "spreadsheet/compound_file_writer.h"
#include "spreadsheet/xlsx_workbook.h"

#include "platform/whole_file_writer.h"

#include <QFileInfo>

namespace tillora {

namespace {

// A saved list is the user's to share: readable by others unless it replaces a file with rights
// of its own.
constexpr int kNewFileMode = 0644;

SpreadsheetResult writeXls(const QString& path, const SpreadsheetTable& table,
                           const SpreadsheetProgress& progress) {
    // Build the whole stream first: a cancel or a refused table never creates a file.
    std::optional<QByteArray> stream = Biff8Workbook::build(table, progress);
    if (!stream) {
        return table.titles.size() > Biff8Workbook::kColumnLimit ? SpreadsheetResult::Failed
                                                                 : SpreadsheetResult::Cancelled;
    }
    WholeFileWriter file(path, kNewFileMode);
    if (!file.open() ||
        !CompoundFileWriter::write(file.device(), QStringLiteral("Workbook"), *stream)) {
        return SpreadsheetResult::Failed;
    }
    return file.commit() ? SpreadsheetResult::Written : SpreadsheetResult::Failed;
}

// The library reports most failed writes, but not every one of its closing writes: a workbook
// is whole only when it ends with the archive's closing record (no comment follows it).
bool endsAsAnArchive(const WholeFileWriter& file) {
    return file.tail(22).startsWith(QByteArrayLiteral("PK\x05\x06"));
}

SpreadsheetResult writeXlsx(const QString& path, const SpreadsheetTable& table,
                            const SpreadsheetProgress& progress) {
    // libxlsxwriter writes to a name only: hand it the name of our temporary.
    WholeFileWriter file(path, kNewFileMode);
    if (!file.open()) {
        return SpreadsheetResult::Failed;
    }
    const SpreadsheetResult result = XlsxWorkbook::write(file.temporaryPath(), table, progress);
    if (result != SpreadsheetResult::Written) {
        return result;
    }
    return endsAsAnArchive(file) && file.commit() ? SpreadsheetResult::Written
                                                  : SpreadsheetResult::Failed;
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
