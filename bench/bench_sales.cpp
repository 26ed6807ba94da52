// Receipt numbering against a large sales table, and recording a long receipt.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDate>
#include <QTemporaryDir>

#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "data/sqlite_connection.h"
#include "data/template_database.h"
#include "platform/clock.h"
#include "sales/receipt_numbering.h"
#include "sales/sale_recorder.h"

namespace {

using namespace tillora;

// A template database with `count` further sales of today's date form, inserted in one go
// (through SQLite itself: a million statements through the component would take minutes).
bool fillSales(const QString& path, int count) {
    sqlite3* raw = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &raw) != SQLITE_OK) {
        return false;
    }
    const QByteArray sql =
        QStringLiteral(
            "with recursive n(i) as (select 1 union all select i + 1 from n "
            "where i < %1) insert into 销售记录 (销售票号, 销售时间, 数量, 金额, "
            "收银员, 备注) select '160818' || substr('0000000' || i, -7), "
            "42600.5, '1', '10.00', 'admin', ' ' from n")
            .arg(count)
            .toUtf8();
    const bool ok = sqlite3_exec(raw, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(raw);
    return ok;
}

void BM_NextReceiptNumber_1MSales(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = databasePath(dir.path());
    if (!writeTemplateDatabase(path) || !fillSales(path, 1000000)) {
        state.SkipWithError("no database");
        return;
    }
    ODBCDB db;
    if (!db.OpenMdbDatabase(path)) {
        state.SkipWithError("can't open");
        return;
    }
    const Clock::Override clock(QDateTime(QDate(2016, 8, 18), QTime(12, 0)));
    ReceiptNumbering numbering(db);
    QString next;
    for (auto _ : state) {
        next = numbering.next();
        benchmark::DoNotOptimize(next);
    }
    if (next != QStringLiteral("1608181000001")) {
        state.SkipWithError("wrong number");
    }
}
BENCHMARK(BM_NextReceiptNumber_1MSales)->Unit(benchmark::kMillisecond);

// Receipt numbers are unique: every sale of a run takes the next one (a day the template
// database has no sales of).
QString receiptNumber(int sale) {
    return QStringLiteral("260818%1").arg(sale, 7, 10, QLatin1Char('0'));
}

Receipt fiftyLineReceipt() {
    Receipt receipt;
    receipt.number = QStringLiteral("1608180000002");
    receipt.totalQuantity = QStringLiteral("100");
    receipt.totalAmount = QStringLiteral("1000.00");
    receipt.discountedTotal = QStringLiteral("950.00");
    receipt.cashier = QStringLiteral("admin");
    receipt.remark =
        QStringLiteral("1.所购商品7日内凭购物小票调换\r\n2.所调换商品不能影响二次销售");
    for (int i = 1; i <= 50; ++i) {
        receipt.lines.append({QString::number(i), QStringLiteral("商品%1").arg(i),
                              QStringLiteral("2"), QStringLiteral("10.00"), QStringLiteral("20.00"),
                              QStringLiteral("19.00")});
    }
    return receipt;
}

void BM_RecordReceipt_50Lines(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = databasePath(dir.path());
    ODBCDB db;
    if (!writeTemplateDatabase(path) || !db.OpenMdbDatabase(path)) {
        state.SkipWithError("no database");
        return;
    }
    Receipt receipt = fiftyLineReceipt();
    SaleRecorder recorder(db);
    int sale = 0;
    for (auto _ : state) {
        receipt.number = receiptNumber(++sale);
        if (!recorder.record(receipt).stored) {
            state.SkipWithError("not stored");
            break;
        }
    }
}
BENCHMARK(BM_RecordReceipt_50Lines)->Unit(benchmark::kMillisecond);

// The same rows written straight through SQLite as a hand-written program would: the file
// opened with the data layer's flags and pragmas, both statements prepared once and bound per
// row, and one immediate transaction per sale.
void BM_RecordReceipt_50Lines_RawSqlite(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = databasePath(dir.path());
    sqlite3* db = nullptr;
    if (!writeTemplateDatabase(path) ||
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        state.SkipWithError("no database");
        return;
    }
    sqlite3_busy_timeout(db, 1000);
    SqliteConnection::registerJetFunctions(db);
    sqlite3_exec(db,
                 "PRAGMA foreign_keys=ON; PRAGMA synchronous=FULL; PRAGMA journal_mode=TRUNCATE",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* header = nullptr;
    sqlite3_stmt* line = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注) "
                       "values (?1, now(), ?2, ?3, ?4, ?5)",
                       -1, &header, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 销售详情 (关联,名称,数量,单价,金额,折后,备注) "
                       "values (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
                       -1, &line, nullptr);
    const Receipt receipt = fiftyLineReceipt();
    const auto bind = [](sqlite3_stmt* stmt, int at, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(stmt, at, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
    };
    const QString remark = QStringLiteral(" ") + receipt.remark;
    int sale = 0;
    for (auto _ : state) {
        bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        bind(header, 1, receiptNumber(++sale));
        bind(header, 2, receipt.totalQuantity);
        bind(header, 3, receipt.discountedTotal);
        bind(header, 4, receipt.cashier);
        bind(header, 5, receipt.remark + QStringLiteral(" "));
        ok = ok && sqlite3_step(header) == SQLITE_DONE;
        sqlite3_reset(header);
        const QString id = QString::number(sqlite3_last_insert_rowid(db));
        for (const ReceiptLine& l : receipt.lines) {
            bind(line, 1, id);
            bind(line, 2, l.name);
            bind(line, 3, l.quantity);
            bind(line, 4, l.unitPrice);
            bind(line, 5, l.lineTotal);
            bind(line, 6, l.discountedTotal);
            bind(line, 7, remark);
            ok = ok && sqlite3_step(line) == SQLITE_DONE;
            sqlite3_reset(line);
        }
        ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!ok) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
    }
    sqlite3_finalize(header);
    sqlite3_finalize(line);
    sqlite3_close(db);
}
BENCHMARK(BM_RecordReceipt_50Lines_RawSqlite)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
