#pragma once

#include "data/odbcdb.h"

#include <QString>

namespace tillora::test {

// The first column of the first row of a query, for checks against the database: -1 or an empty
// text when the statement fails or finds nothing.
inline int firstNumber(ODBCDB& db, const QString& sql) {
    const int h = db.OpenTable(sql);
    const int n = (h == 0 || db.IsEOF(h)) ? -1 : db.ReadColByIndex(h, 1).toInt();
    db.CloseTable(h);
    return n;
}

inline QString firstText(ODBCDB& db, const QString& sql) {
    const int h = db.OpenTable(sql);
    const QString t = (h == 0 || db.IsEOF(h)) ? QString() : db.ReadColByIndex(h, 1).toText();
    db.CloseTable(h);
    return t;
}

}  // namespace tillora::test
