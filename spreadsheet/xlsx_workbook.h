#pragma once

#include "spreadsheet/spreadsheet_table.h"

#include <QString>

namespace tillora {

// An .xlsx workbook written through libxlsxwriter: the same sheets as the Excel 97-2003 writer,
// every cell text-formatted.
class XlsxWorkbook {
  public:
    static constexpr std::int64_t kRowLimit = 1048576;
    static constexpr int kColumnLimit = 16384;

    // Writes `path` directly; the caller places or discards what is there after a failure.
    static SpreadsheetResult write(const QString& path, const SpreadsheetTable& table,
                                   const SpreadsheetProgress& progress = {});
};

}  // namespace tillora
