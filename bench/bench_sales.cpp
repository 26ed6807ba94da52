// Receipt numbering against a large sales table, and recording a long receipt.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDate>
#include <QTemporaryDir>

#include "data/database_setup.h"
#include "data/odbcdb.h"
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

void BM_RecordReceipt_50Lines(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = databasePath(dir.path());
    ODBCDB db;
    if (!writeTemplateDatabase(path) || !db.OpenMdbDatabase(path)) {
        state.SkipWithError("no database");
        return;
    }
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
    SaleRecorder recorder(db);
    for (auto _ : state) {
        if (!recorder.record(receipt).stored) {
            state.SkipWithError("not stored");
            break;
        }
    }
}
BENCHMARK(BM_RecordReceipt_50Lines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
