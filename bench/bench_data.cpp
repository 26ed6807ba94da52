// Data store benchmarks: the component beside the same SQL run directly through SQLite's C API
// on the same file, over the cached histories of bench/shop_history.h. A benchmark fails when a
// statement it times fails: a refused statement is never timed as if it had run.
#include "bench/shop_history.h"
#include "data/jet_dialect.h"
#include "data/odbcdb.h"
#include "data/sqlite_connection.h"
#include "data/template_database.h"
#include "platform/jet_date.h"

#include <QDate>
#include <QString>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>

namespace {

using namespace tillora;

constexpr int kSales = 1000000;

// Opened exactly as the data layer opens its connections: same flags, functions and pragmas.
sqlite3* openDirect(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                    nullptr);
    SqliteConnection::registerJetFunctions(db);
    sqlite3_exec(db,
                 "PRAGMA foreign_keys=ON; PRAGMA synchronous=FULL; PRAGMA journal_mode=TRUNCATE",
                 nullptr, nullptr, nullptr);
    return db;
}

QString listing(const QDate& from, const QDate& to) {
    return QStringLiteral("select * from [销售记录] where [销售时间] between #") +
           from.toString(Qt::ISODate) + QStringLiteral("  00:00:00# and #") +
           to.toString(Qt::ISODate) + QStringLiteral("# order by [销售时间] desc");
}

void componentListing(benchmark::State& state, const QString& sql) {
    ODBCDB db;
    const QString path = bench::historyFile(kSales);
    if (path.isEmpty() || !db.OpenMdbDatabase(path)) {
        state.SkipWithError("cannot open");
        return;
    }
    const QString names[] = {QStringLiteral("ID"),       QStringLiteral("销售票号"),
                             QStringLiteral("销售时间"), QStringLiteral("数量"),
                             QStringLiteral("金额"),     QStringLiteral("收银员"),
                             QStringLiteral("备注")};
    std::int64_t rows = 0;
    for (auto _ : state) {
        const int h = db.OpenTable(sql);
        if (h == 0) {
            state.SkipWithError("the listing failed");
            return;
        }
        for (; !db.IsEOF(h); db.MoveNext(h)) {
            for (const QString& n : names) {
                benchmark::DoNotOptimize(db.ReadColByName(h, n).toText());
            }
            ++rows;
        }
        db.CloseTable(h);
    }
    state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
}

// The same rows read straight through SQLite, turned into the same display texts a listing
// shows (the component's side reads each column by name and takes its text).
void directListing(benchmark::State& state, const QString& sql) {
    const QString path = bench::historyFile(kSales);
    if (path.isEmpty()) {
        state.SkipWithError("cannot open");
        return;
    }
    sqlite3* db = openDirect(path);
    const QByteArray text = translateJetSql(sql).toUtf8();
    std::int64_t rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, text.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
            benchmark::DoNotOptimize(QString::number(sqlite3_column_int(stmt, 0)));
            benchmark::DoNotOptimize(dateTimeToText(sqlite3_column_double(stmt, 2)));
            for (int c : {1, 3, 4, 5, 6}) {
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                benchmark::DoNotOptimize(QString::fromUtf8(t, sqlite3_column_bytes(stmt, c)));
            }
            ++rows;
        }
        sqlite3_finalize(stmt);
        if (step != SQLITE_DONE) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
    }
    sqlite3_close(db);
    state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
}

const QString kDay = listing(bench::kHistoryToday.addDays(-1), bench::kHistoryToday);
const QString kMonth = listing(bench::kHistoryToday.addDays(-30), bench::kHistoryToday);

void BM_DayListing_Component(benchmark::State& s) {
    componentListing(s, kDay);
}
void BM_DayListing_RawSqlite(benchmark::State& s) {
    directListing(s, kDay);
}
void BM_MonthListing_Component(benchmark::State& s) {
    componentListing(s, kMonth);
}
void BM_MonthListing_RawSqlite(benchmark::State& s) {
    directListing(s, kMonth);
}

// A copy of the history of state.range(0) sales for a benchmark that writes.
QString writableHistory(benchmark::State& state, const char* name) {
    const QString path = bench::historyFolder() + QStringLiteral("/work-") +
                         QString::fromLatin1(name) + QStringLiteral(".mdb");
    if (!bench::copyOfHistory(path, static_cast<int>(state.range(0)))) {
        state.SkipWithError("no database");
        return {};
    }
    return path;
}

// The component on a writable copy of the history; false, the benchmark skipped, when it does
// not open.
bool openWritable(benchmark::State& state, const char* name, ODBCDB& db) {
    const QString path = writableHistory(state, name);
    if (path.isEmpty() || !db.OpenMdbDatabase(path)) {
        state.SkipWithError("cannot open");
        return false;
    }
    return true;
}

// SQLite itself on a writable copy of the history; nullptr, the benchmark skipped, when there is
// none.
sqlite3* openWritableDirect(benchmark::State& state, const char* name) {
    const QString path = writableHistory(state, name);
    return path.isEmpty() ? nullptr : openDirect(path);
}

// Every sale of a run a number of its own, on a day the history has no sales of.
QString header(int sale) {
    return QStringLiteral(
               "insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values "
               "('990101%1',now(),'20','200.00','admin','谢谢惠顾 ')")
        .arg(sale, 7, 10, QLatin1Char('0'));
}
const QString kLine = QStringLiteral(
    "insert into [销售详情] (关联,名称,数量,单价,金额,折后,备注 ) values "
    "('%1','麦克风','1','10.00','10.00','10.00',' 备注' )");

void BM_Insert_Component(benchmark::State& state) {
    ODBCDB db;
    if (!openWritable(state, "insert-component", db)) {
        return;
    }
    int sale = 0;
    for (auto _ : state) {
        if (!db.ExecuteSql(header(++sale))) {
            state.SkipWithError("insert failed");
            break;
        }
    }
}

void BM_Insert_RawSqlite(benchmark::State& state) {
    sqlite3* db = openWritableDirect(state, "insert-direct");
    if (db == nullptr) {
        return;
    }
    int sale = 0;
    for (auto _ : state) {
        const QByteArray sql = translateJetSql(header(++sale)).toUtf8();
        if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
    }
    sqlite3_close(db);
}

void BM_Sale20Lines_Component(benchmark::State& state) {
    ODBCDB db;
    if (!openWritable(state, "sale-component", db)) {
        return;
    }
    int sale = 0;
    for (auto _ : state) {
        bool ok = db.BeginTrans() && db.ExecuteSql(header(++sale));
        const int h =
            ok ? db.OpenTable(QStringLiteral("select top 1 ID from [销售记录] order by ID desc"))
               : 0;
        ok = h != 0 && !db.IsEOF(h);
        const QString id = ok ? db.ReadColByIndex(h, 1).toText() : QString();
        db.CloseTable(h);
        for (int i = 0; i < 20 && ok; ++i) {
            ok = db.ExecuteSql(kLine.arg(id));
        }
        if (!ok || !db.tryCommitTrans()) {
            state.SkipWithError("the sale failed");
            break;
        }
    }
}

void BM_Sale20Lines_RawSqlite(benchmark::State& state) {
    sqlite3* db = openWritableDirect(state, "sale-direct");
    if (db == nullptr) {
        return;
    }
    const QByteArray top =
        translateJetSql(QStringLiteral("select top 1 ID from \"销售记录\" order by ID desc"))
            .toUtf8();
    const auto run = [db](const QByteArray& sql) {
        return sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    int sale = 0;
    for (auto _ : state) {
        bool ok = run("BEGIN") && run(translateJetSql(header(++sale)).toUtf8());
        sqlite3_stmt* stmt = nullptr;
        ok = ok && sqlite3_prepare_v2(db, top.constData(), -1, &stmt, nullptr) == SQLITE_OK &&
             sqlite3_step(stmt) == SQLITE_ROW;
        const QString id = ok ? QString::number(sqlite3_column_int(stmt, 0)) : QString();
        sqlite3_finalize(stmt);
        for (int i = 0; i < 20 && ok; ++i) {
            ok = run(translateJetSql(kLine.arg(id)).toUtf8());
        }
        if (!ok || !run("COMMIT")) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
    }
    sqlite3_close(db);
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_DayListing_Component)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayListing_RawSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthListing_Component)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthListing_RawSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Insert_Component)->Apply(sizes);
BENCHMARK(BM_Insert_RawSqlite)->Apply(sizes);
BENCHMARK(BM_Sale20Lines_Component)->Apply(sizes);
BENCHMARK(BM_Sale20Lines_RawSqlite)->Apply(sizes);

BENCHMARK_MAIN();
