#pragma once

// Filling a benchmark's database file quickly, through SQLite itself rather than the program.

#include <sqlite3.h>

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

#include "platform/jet_date.h"

namespace tillora::bench {

inline bool runOnFile(const QString& path, const QByteArray& sql) {
    sqlite3* raw = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &raw) != SQLITE_OK) {
        sqlite3_close(raw);
        return false;
    }
    const bool ok = sqlite3_exec(raw, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(raw);
    return ok;
}

// A shop selling perDay times a day, up to today, one sale every 468 seconds from 8 o'clock.
inline bool fillSales(const QString& path, int sales, QDate today, int perDay) {
    const double day = jetDayFromDateTime(QDateTime(today, QTime(0, 0)));
    return runOnFile(
        path, QStringLiteral(
                  "with recursive n(i) as (select 0 union all select i + 1 from n where i < %1) "
                  "insert into 销售记录 (销售票号, 销售时间, 数量, 金额, 收银员, 备注) "
                  "select 'NO' || substr('0000000' || i, -7), "
                  "%2 - (i / %3) + (28800 + (i % %3) * 468) / 86400.0, "
                  "'2', '19.90', 'admin', '谢谢惠顾 ' from n")
                  .arg(sales - 1)
                  .arg(day, 0, 'f', 1)
                  .arg(perDay)
                  .toUtf8());
}

}  // namespace tillora::bench
