#pragma once

#include "spreadsheet/spreadsheet_table.h"

#include <QString>

namespace tillora {

// Saves a list as a spreadsheet file. The file is written to a temporary in the target's folder
// and put in place only when complete and on disk, so a failed or cancelled save (a full disk
// included) leaves no file behind and never touches a file already at the target path.
class SpreadsheetFile {
  public:
    // .xlsx for a path ending in ".xlsx" (any letter case), the Excel 97-2003 format otherwise.
    static SpreadsheetFormat formatFor(const QString& path);

    static SpreadsheetResult write(const QString& path, const SpreadsheetTable& table,
                                   const SpreadsheetProgress& progress = {});
    static SpreadsheetResult write(const QString& path, SpreadsheetFormat format,
                                   const SpreadsheetTable& table,
                                   const SpreadsheetProgress& progress = {});
};

}  // namespace tillora
