#pragma once

#include "spreadsheet/spreadsheet_table.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tillora::test {

struct SheetContent {
    QString name;
    QList<QStringList> rows;
    bool operator==(const SheetContent&) const = default;
};
using WorkbookContent = QList<SheetContent>;

// What a workbook written from `table` holds: the titles first on every sheet, `rowLimit` rows
// per sheet. Trailing empty cells and rows are dropped, as readers differ on them.
WorkbookContent expectedContent(const SpreadsheetTable& table, std::int64_t rowLimit);
// Drops trailing empty cells and rows.
void normalise(WorkbookContent& content);

// Readers we did not write. Each returns nothing (and says why in `error`) when it cannot read.
std::optional<WorkbookContent> readWithXlrd(const QString& path, QString* error);
std::optional<WorkbookContent> readWithFreexl(const QString& path, QString* error);
bool haveLibreOffice();
// Converts all `files` to CSV in one LibreOffice run (it is slow to start); one content per
// file, in order, with every sheet of it.
std::optional<QList<WorkbookContent>> readWithLibreOffice(const QStringList& files,
                                                          const QString& workFolder,
                                                          QString* error);
// RFC 4180 CSV: fields between double quotes may hold commas, quotes (doubled) and line breaks.
QList<QStringList> parseCsv(const QString& text);

// The first difference between two contents, or an empty text when they are equal.
QString firstDifference(const WorkbookContent& expected, const WorkbookContent& actual);

}  // namespace tillora::test
