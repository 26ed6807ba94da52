// Receipt numbering and recording a long receipt over a shop's history of 10k, 100k and 1M
// sales, beside SQLite doing the same inserts with the number read from an index by itself.
// Every sale of a run takes the next number of the history's last day, as a till would.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDate>

#include <cstdio>
#include <string>

#include "bench/ratio_reporter.h"
#include "bench/shop_history.h"
#include "data/odbcdb.h"
#include "data/sqlite_connection.h"
#include "platform/clock.h"
#include "sales/receipt_numbering.h"
#include "sales/sale_recorder.h"

namespace {

using namespace tillora;

int salesOf(const benchmark::State& state) {
    return static_cast<int>(state.range(0));
}

// Noon of the history's last day: its sales are the day's neighbours of the next number.
Clock::Override historyNoon() {
    return Clock::Override(QDateTime(bench::kHistoryToday, QTime(12, 0)));
}

// The number after the history's last sale.
QString firstNewNumber() {
    return bench::kHistoryToday.toString(QStringLiteral("yyMMdd")) +
           QString::number(bench::kHistorySalesPerDay + 1).rightJustified(7, QLatin1Char('0'));
}

// A copy of the history for a benchmark that stores sales.
QString writableHistory(benchmark::State& state, const char* name) {
    const QString path = bench::historyFolder() + QStringLiteral("/work-") +
                         QString::fromLatin1(name) + QStringLiteral(".mdb");
    if (!bench::copyOfHistory(path, salesOf(state))) {
        state.SkipWithError("no database");
        return {};
    }
    return path;
}

void BM_NextReceiptNumber(benchmark::State& state) {
    const QString path = bench::historyFile(salesOf(state));
    ODBCDB db;
    if (path.isEmpty() || !db.OpenMdbDatabase(path)) {
        state.SkipWithError("no database");
        return;
    }
    const auto clock = historyNoon();
    ReceiptNumbering numbering(db);
    QString next;
    for (auto _ : state) {
        next = numbering.next();
        if (next.isEmpty()) {
            state.SkipWithError("the number query failed");
            return;
        }
    }
    if (next != firstNewNumber()) {
        state.SkipWithError("wrong number");
    }
}

Receipt fiftyLineReceipt() {
    Receipt receipt;
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

// What 仅保存小票 does: the number taken inside the save, header and lines, the commit.
void BM_RecordReceipt_50Lines(benchmark::State& state) {
    const QString path = writableHistory(state, "record");
    ODBCDB db;
    if (path.isEmpty() || !db.OpenMdbDatabase(path)) {
        state.SkipWithError("no database");
        return;
    }
    const auto clock = historyNoon();
    const Receipt receipt = fiftyLineReceipt();
    ReceiptNumbering numbering(db);
    SaleRecorder recorder(db);
    recorder.setNumbering(&numbering);
    QString first;
    for (auto _ : state) {
        const RecordOutcome outcome = recorder.record(receipt);
        if (!outcome.stored) {
            state.SkipWithError("not stored");
            return;
        }
        if (first.isEmpty()) {
            first = outcome.number;
        }
    }
    if (first != firstNewNumber()) {
        state.SkipWithError("wrong number");
    }
}

// The same rows written straight through SQLite as a hand-written program would: the file
// opened with the data layer's flags and pragmas, the statements prepared once and bound per
// row, one immediate transaction per sale, and the day's highest number read from the index.
void BM_RecordReceipt_50Lines_RawSqlite(benchmark::State& state) {
    const QString path = writableHistory(state, "record-direct");
    sqlite3* db = nullptr;
    if (path.isEmpty() ||
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
    sqlite3_stmt* highest = nullptr;
    sqlite3_stmt* header = nullptr;
    sqlite3_stmt* line = nullptr;
    const bool prepared =
        sqlite3_prepare_v2(db,
                           "select 销售票号 from 销售记录 where 销售票号 >= ?1 collate binary "
                           "and 销售票号 < ?2 collate binary order by 销售票号 collate binary "
                           "desc limit 1",
                           -1, &highest, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db,
                           "insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注) "
                           "values (?1, now(), ?2, ?3, ?4, ?5)",
                           -1, &header, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db,
                           "insert into 销售详情 (关联,名称,数量,单价,金额,折后,备注) "
                           "values (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
                           -1, &line, nullptr) == SQLITE_OK;
    const Receipt receipt = fiftyLineReceipt();
    const auto bind = [](sqlite3_stmt* stmt, int at, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(stmt, at, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
    };
    const QString prefix = bench::kHistoryToday.toString(QStringLiteral("yyMMdd"));
    const QString remark = QStringLiteral(" ") + receipt.remark;
    QString first;
    for (auto _ : state) {
        if (!prepared) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
        bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        bind(highest, 1, prefix + QLatin1Char('0'));
        bind(highest, 2, prefix + QLatin1Char(':'));
        const int step = ok ? sqlite3_step(highest) : SQLITE_ERROR;
        ok = step == SQLITE_ROW || step == SQLITE_DONE;
        const qint64 last =
            step == SQLITE_ROW
                ? QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(highest, 0)))
                      .mid(prefix.size())
                      .toLongLong()
                : 0;
        sqlite3_reset(highest);
        const QString number = prefix + QString::number(last + 1).rightJustified(7, u'0');
        bind(header, 1, number);
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
        if (first.isEmpty()) {
            first = number;
        }
    }
    if (prepared && !first.isEmpty() && first != firstNewNumber()) {
        state.SkipWithError("wrong number");
    }
    sqlite3_finalize(highest);
    sqlite3_finalize(header);
    sqlite3_finalize(line);
    sqlite3_close(db);
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_NextReceiptNumber)->Apply(sizes);
BENCHMARK(BM_RecordReceipt_50Lines)->Apply(sizes);
BENCHMARK(BM_RecordReceipt_50Lines_RawSqlite)->Apply(sizes);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Wall-clock time is what the cashier waits (mostly the disk's flushes); processor time is
    // steadier on a busy machine.
    for (const bool cpu : {false, true}) {
        auto& s = cpu ? reporter.cpuSeconds : reporter.seconds;
        std::printf("\n%s time:\n", cpu ? "processor" : "wall-clock");
        for (const char* size : {"10000", "100000", "1000000"}) {
            const std::string number = std::string("BM_NextReceiptNumber/") + size;
            const std::string ours = std::string("BM_RecordReceipt_50Lines/") + size;
            const std::string raw = std::string("BM_RecordReceipt_50Lines_RawSqlite/") + size;
            if (s.count(number)) {
                std::printf("  %7s sales: next number %.3f ms", size, s[number] * 1000);
            }
            if (s.count(ours) && s.count(raw) && s[raw] > 0) {
                std::printf("; 50-line sale %.2f ms, raw SQLite %.2f ms, %.2f x", s[ours] * 1000,
                            s[raw] * 1000, s[ours] / s[raw]);
            }
            std::printf("\n");
        }
    }
    benchmark::Shutdown();
    return 0;
}
