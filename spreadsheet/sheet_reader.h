#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace tillora {

// The first sheet of a spreadsheet a shop brings in, as texts: .xls through FreeXL, .xlsx
// through libzip (the archive) and Qt's XML reader (the shared strings and the sheet), .csv in
// UTF-8 or GBK. The libraries are loaded on the first file that needs them. Numbers read as a
// person would type them: whole numbers without a point, others with up to 15 digits.
struct SheetContent {
    std::vector<QStringList> rows;  // row by row, cells left to right; short rows not padded
    QString problem;                // empty when read; otherwise what to tell the user
};

class SheetReader {
  public:
    // By the file's suffix (.xls, .xlsx, .csv; letter case aside).
    static SheetContent read(const QString& path);

    static SheetContent readCsv(const QByteArray& bytes);
    static SheetContent readXls(const QString& path);
    static SheetContent readXlsx(const QString& path);

    // A number cell's text.
    static QString numberText(double value);
};

}  // namespace tillora
