#pragma once

#include "spreadsheet/spreadsheet_table.h"

#include <QByteArray>

#include <optional>

namespace tillora {

// The "Workbook" stream of an Excel 97-2003 file (BIFF8): sheets "Sheet1", "Sheet2", ... with the
// title row first, every cell a text cell from the shared string table.
class Biff8Workbook {
  public:
    static constexpr std::int64_t kRowLimit = 65536;
    static constexpr int kColumnLimit = 256;

    // The stream; nothing when the progress callback cancelled or the table has more columns
    // than a sheet can hold. Texts longer than a cell holds are cut.
    static std::optional<QByteArray> build(const SpreadsheetTable& table,
                                           const SpreadsheetProgress& progress = {});
};

}  // namespace tillora
