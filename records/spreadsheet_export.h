#pragma once

#include "spreadsheet/spreadsheet_table.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace tillora {

class ListView;

enum class SpreadsheetExportOutcome {
    NoData,           // the list was empty
    NoFileChosen,     // the save dialog was cancelled
    ReplaceDeclined,  // the chosen file exists and the user kept it
    Saved,
    Failed,
    Cancelled,  // stopped from the progress window
};

struct SpreadsheetExportOptions {
    // A progress window appears once an export has run this long.
    int progressDelayMs = 500;
    // The name the save dialog proposes ("销售记录_2026-12-08.xls"); its suffix picks the
    // format offered first.
    QString suggestedName;
};

// "<what>_<yyyy-MM-dd><suffix>": the name an export proposes for a list of `day`.
QString exportName(const QString& what, const QDate& day,
                   const QString& suffix = QStringLiteral(".xls"));

// Saves a list to a spreadsheet file the user chooses (.xls, or .xlsx by its suffix) and reports
// the result by message box. The sales records window and the details window both export with it.
SpreadsheetExportOutcome exportToSpreadsheet(QWidget* owner, const QStringList& titles,
                                             const QList<QStringList>& rows,
                                             const SpreadsheetExportOptions& options = {});
// The same for a list view: its column titles and the texts it shows.
SpreadsheetExportOutcome exportToSpreadsheet(QWidget* owner, const ListView& list,
                                             const SpreadsheetExportOptions& options = {});
// A list view's titles (without the blanks that centre them on screen) and every row's texts.
SpreadsheetTable listViewTable(const ListView& list);

}  // namespace tillora
