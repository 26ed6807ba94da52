#pragma once

#include "spreadsheet/spreadsheet_table.h"

#include <QString>

namespace tillora {

// Saves a list as a spreadsheet file. The file is written under a temporary name in the target's
// folder and renamed into place only when complete, so a failed or cancelled save leaves no file
// behind and never touches a file already at the target path.
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
