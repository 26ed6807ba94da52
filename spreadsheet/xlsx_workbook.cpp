#include "spreadsheet/xlsx_workbook.h"

#include "platform/library_loader.h"

#include <QFile>
#include <QRegularExpression>

#include <xlsxwriter.h>

#include <algorithm>

namespace tillora {

namespace {

constexpr int kProgressEvery = 2048;

// The library and the cryptography library it needs are loaded on the first .xlsx export, not
// at every start: loading them costs the start more than an export ever does.
struct XlsxLibrary {
    decltype(&workbook_new_opt) newWorkbook = nullptr;
    decltype(&workbook_add_format) addFormat = nullptr;
    decltype(&format_set_num_format_index) setNumFormatIndex = nullptr;
    decltype(&workbook_add_worksheet) addWorksheet = nullptr;
    decltype(&worksheet_write_string) writeString = nullptr;
    decltype(&workbook_close) close = nullptr;
};

// nullptr when the library or one of its functions is missing.
const XlsxLibrary* xlsxLibrary() {
    using L = LibraryLoader;
    // The release the headers were built against.
    return L::functions<XlsxLibrary>(
        QStringLiteral("libxlsxwriter.so." LXW_SOVERSION), [](L::Module m, XlsxLibrary& l) {
            return L::find(m, l.newWorkbook, "workbook_new_opt") &&
                   L::find(m, l.addFormat, "workbook_add_format") &&
                   L::find(m, l.setNumFormatIndex, "format_set_num_format_index") &&
                   L::find(m, l.addWorksheet, "workbook_add_worksheet") &&
                   L::find(m, l.writeString, "worksheet_write_string") &&
                   L::find(m, l.close, "workbook_close");
        });
}

// Readers turn "_xHHHH_" in a cell into the character HHHH. A text that holds such a sequence
// itself gets its underscore escaped ("_x005F_"), so it reads back as typed.
QString escapeUnderscoreSequences(const QString& text) {
    static const QRegularExpression sequence(QStringLiteral("_(x[0-9A-Fa-f]{4}_)"));
    if (!text.contains(QLatin1String("_x"))) {
        return text;
    }
    QString escaped = text;
    escaped.replace(sequence, QStringLiteral("_x005F_\\1"));
    return escaped;
}

lxw_error writeText(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, const QString& text,
                    lxw_format* format) {
    if (text.isEmpty()) {
        return LXW_NO_ERROR;
    }
    const QByteArray utf8 = escapeUnderscoreSequences(cellTextWithinLimit(text)).toUtf8();
    // Only reached from write(), which has found the library.
    return xlsxLibrary()->writeString(sheet, row, column, utf8.constData(), format);
}

}  // namespace

SpreadsheetResult XlsxWorkbook::write(const QString& path, const SpreadsheetTable& table,
                                      const SpreadsheetProgress& progress) {
    const int columns = int(table.titles.size());
    const XlsxLibrary* xlsx = xlsxLibrary();
    if (columns > kColumnLimit || xlsx == nullptr) {
        return SpreadsheetResult::Failed;
    }
    const QByteArray fileName = QFile::encodeName(path);
    // Rows go out in order, so the workbook can stream them instead of keeping every cell.
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    lxw_workbook* book = xlsx->newWorkbook(fileName.constData(), &options);
    if (book == nullptr) {
        return SpreadsheetResult::Failed;
    }
    lxw_format* text = xlsx->addFormat(book);
    xlsx->setNumFormatIndex(text, 49);  // "@": text

    const std::int64_t rows = table.rows.size();
    const int sheets = sheetCountFor(rows, kRowLimit);
    const std::int64_t perSheet = dataRowsPerSheet(kRowLimit);
    bool failed = false;
    bool cancelled = false;
    for (int sheetIndex = 0; sheetIndex < sheets && !failed && !cancelled; ++sheetIndex) {
        const QByteArray name = QStringLiteral("Sheet%1").arg(sheetIndex + 1).toUtf8();
        lxw_worksheet* sheet = xlsx->addWorksheet(book, name.constData());
        if (sheet == nullptr) {
            failed = true;
            break;
        }
        for (int c = 0; c < columns && !failed; ++c) {
            failed = writeText(sheet, 0, lxw_col_t(c), table.titles.at(c), text) != LXW_NO_ERROR;
        }
        const std::int64_t first = sheetIndex * perSheet;
        const std::int64_t last = std::min(rows, first + perSheet);
        for (std::int64_t row = first; row < last && !failed; ++row) {
            if (progress && row % kProgressEvery == 0 && !progress(row, rows)) {
                cancelled = true;
                break;
            }
            const QStringList& cells = table.rows.at(row);
            const int n = std::min(columns, int(cells.size()));
            for (int c = 0; c < n && !failed; ++c) {
                failed = writeText(sheet, lxw_row_t(row - first + 1), lxw_col_t(c), cells.at(c),
                                   text) != LXW_NO_ERROR;
            }
        }
    }
    // Closing writes the file; it also frees the workbook, so it runs on every path.
    const lxw_error closed = xlsx->close(book);
    if (cancelled) {
        return SpreadsheetResult::Cancelled;
    }
    if (failed || closed != LXW_NO_ERROR) {
        return SpreadsheetResult::Failed;
    }
    if (progress && !progress(rows, rows)) {
        return SpreadsheetResult::Cancelled;
    }
    return SpreadsheetResult::Written;
}

}  // namespace tillora
