#pragma once

// A shop's sales history for the benchmarks, filled through SQLite itself rather than the program
// (a million sales through the component would take minutes), and kept in the build folder so
// that each size is made once.

#include <sqlite3.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QString>

#include "data/template_database.h"
#include "platform/jet_date.h"

namespace tillora::bench {

// The last day of every cached history, and how many sales a day it holds: a shop selling 300
// times a day reaches a million sales in about nine years.
inline const QDate kHistoryToday{2026, 12, 7};
constexpr int kHistorySalesPerDay = 300;

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

// The statement of fillSales(): a shop selling perDay times a day, up to today, one sale every
// 468 seconds from 8 o'clock. Each sale carries the number the program would have given it
// (date prefix and running number of its day), so that numbering works on real neighbours.
inline QByteArray fillSalesStatement(int sales, QDate today, int perDay) {
    const double day = jetDayFromDateTime(QDateTime(today, QTime(0, 0)));
    return QStringLiteral(
               "with recursive n(i) as (select 0 union all select i + 1 from n where i < %1) "
               "insert into 销售记录 (销售票号, 销售时间, 数量, 金额, 收银员, 备注) "
               "select substr(strftime('%Y%m%d', %2 - (i / %3) + 2415018.5), 3) || "
               "substr('0000000' || ((i % %3) + 1), -7), "
               "%2 - (i / %3) + (28800 + (i % %3) * 468) / 86400.0, "
               "'2', '19.90', 'admin', '谢谢惠顾 ' from n")
        .arg(sales - 1)
        .arg(day, 0, 'f', 1)
        .arg(perDay)
        .toUtf8();
}

inline bool fillSales(const QString& path, int sales, QDate today, int perDay) {
    return runOnFile(path, fillSalesStatement(sales, today, perDay));
}

// linesPerSale lines for every sale that has none yet.
inline QByteArray fillLinesStatement(int linesPerSale) {
    return QStringLiteral(
               "with recursive k(j) as (select 1 union all select j + 1 from k where j < %1) "
               "insert into 销售详情 (关联, 名称, 数量, 单价, 金额, 折后, 备注) "
               "select s.ID, '商品' || j, '1', '9.95', '9.95', '9.95', ' ' from 销售记录 s, k "
               "where s.ID > (select coalesce(max(关联), 0) from 销售详情) order by s.ID, j")
        .arg(linesPerSale)
        .toUtf8();
}

// The folder of the cached histories: the build folder's bench-history.
inline QString historyFolder() {
#ifdef TILLORA_BENCH_HISTORY_DIR
    return QStringLiteral(TILLORA_BENCH_HISTORY_DIR);
#else
    return QDir::tempPath() + QStringLiteral("/tillora-bench-history");
#endif
}

// The path of a database holding the template's rows and `sales` further sales (with
// linesPerSale lines each) ending on kHistoryToday; made on the first call for that size and
// reused afterwards. Empty when it can't be made. A benchmark that writes works on a copy
// (copyOfHistory). The name carries a digest of the template and the statements, so a changed
// schema or shape makes a new file instead of reusing a stale one.
inline QString historyFile(int sales, int linesPerSale = 0) {
    const QByteArray fill = fillSalesStatement(sales, kHistoryToday, kHistorySalesPerDay);
    const QByteArray lines = linesPerSale > 0 ? fillLinesStatement(linesPerSale) : QByteArray();
    QCryptographicHash digest(QCryptographicHash::Sha1);
    digest.addData(templateDatabaseBytes());
    digest.addData(fill);
    digest.addData(lines);
    const QString folder = historyFolder();
    QString name = QStringLiteral("sales-%1").arg(sales);
    if (linesPerSale > 0) {
        name += QStringLiteral("-lines-%1").arg(linesPerSale);
    }
    name += QStringLiteral("-") + QString::fromLatin1(digest.result().toHex().left(8)) +
            QStringLiteral(".mdb");
    const QString path = folder + u'/' + name;
    if (QFile::exists(path)) {
        return path;
    }
    // Made under a name of its own and renamed when whole: an interrupted run, or two benchmark
    // programs making the same size at once, never leave a half-filled file under the name.
    const QString making =
        path + QStringLiteral(".%1.part").arg(QCoreApplication::applicationPid());
    const bool made = QDir().mkpath(folder) && writeTemplateDatabase(making) &&
                      (sales <= 0 || runOnFile(making, fill)) &&
                      (lines.isEmpty() || runOnFile(making, lines));
    if (!made || !QFile::rename(making, path)) {
        QFile::remove(making);
        QFile::remove(making + QStringLiteral("-journal"));
    }
    return QFile::exists(path) ? path : QString();
}

// A copy of the history of that size for a benchmark that writes (at `path`, replacing what is
// there); false when it can't be made.
inline bool copyOfHistory(const QString& path, int sales, int linesPerSale = 0) {
    const QString history = historyFile(sales, linesPerSale);
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
    return !history.isEmpty() && QFile::copy(history, path) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

}  // namespace tillora::bench
