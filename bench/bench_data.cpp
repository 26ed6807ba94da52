// Data store benchmarks: the component beside the same SQL run directly through SQLite's C API
// on the same file. The 1,000,000-sale file is generated once into the temp folder and reused.
#include "data/jet_dialect.h"
#include "data/odbcdb.h"
#include "data/sqlite_connection.h"
#include "data/template_database.h"
#include "platform/jet_date.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

namespace {

using namespace tillora;

constexpr int kSales = 1000000;
constexpr int kSalesPerDay = 1000;  // 1,000 days from 2016-01-01
const QDate kFirstDay(2016, 1, 1);

QString benchFolder() {
    const QString folder = QDir::tempPath() + QStringLiteral("/tillora-bench-data");
    QDir().mkpath(folder);
    return folder;
}

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

// The big file: the template plus 1,000,000 sales, written in one transaction.
const QString& bigDatabase() {
    static const QString path = [] {
        const QString p = benchFolder() + QStringLiteral("/big.mdb");
        if (QFile::exists(p)) {
            return p;
        }
        const QString temp = p + QStringLiteral(".part");
        writeTemplateDatabase(temp);
        sqlite3* db = openDirect(temp);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db,
                           "insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注) "
                           "values (?1, ?2, '2', '20.00', 'admin', '谢谢惠顾 ')",
                           -1, &stmt, nullptr);
        const double firstDay = QDate(1899, 12, 30).daysTo(kFirstDay);
        for (int i = 0; i < kSales; ++i) {
            const int day = i / kSalesPerDay;
            const double time = firstDay + day + (8 * 3600 + (i % kSalesPerDay) * 43) / 86400.0;
            const QByteArray number =
                kFirstDay.addDays(day).toString(QStringLiteral("yyMMdd")).toLatin1() +
                QByteArray::number(i % kSalesPerDay + 1).rightJustified(7, '0');
            sqlite3_bind_text(stmt, 1, number.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(stmt, 2, time);
            sqlite3_step(stmt);
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        QFile::rename(temp, p);
        return p;
    }();
    return path;
}

QString listing(const QDate& from, const QDate& to) {
    return QStringLiteral("select * from [销售记录] where [销售时间] between #") +
           from.toString(Qt::ISODate) + QStringLiteral("  00:00:00# and #") +
           to.toString(Qt::ISODate) + QStringLiteral("# order by [销售时间] desc");
}

void componentListing(benchmark::State& state, const QString& sql) {
    ODBCDB db;
    if (!db.OpenMdbDatabase(bigDatabase())) {
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
    sqlite3* db = openDirect(bigDatabase());
    const QByteArray text = translateJetSql(replaceIdentifierBrackets(sql, u'"')).toUtf8();
    std::int64_t rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, text.constData(), -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            benchmark::DoNotOptimize(QString::number(sqlite3_column_int(stmt, 0)));
            benchmark::DoNotOptimize(dateTimeToText(sqlite3_column_double(stmt, 2)));
            for (int c : {1, 3, 4, 5, 6}) {
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                benchmark::DoNotOptimize(QString::fromUtf8(t, sqlite3_column_bytes(stmt, c)));
            }
            ++rows;
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
}

const QString kDay = listing(QDate(2017, 6, 1), QDate(2017, 6, 2));
const QString kMonth = listing(QDate(2017, 6, 1), QDate(2017, 7, 1));

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

// Small files for the writes, fresh from the template.
QString freshSmallDatabase(const char* name) {
    const QString p = benchFolder() + QStringLiteral("/") + QString::fromLatin1(name);
    writeTemplateDatabase(p);
    return p;
}

const QString kHeader = QStringLiteral(
    "insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values "
    "('1608180000002',now(),'20','200.00','admin','谢谢惠顾 ')");
const QString kLine = QStringLiteral(
    "insert into [销售详情] (关联,名称,数量,单价,金额,折后,备注 ) values "
    "('%1','麦克风','1','10.00','10.00','10.00',' 备注' )");

void BM_Insert_Component(benchmark::State& state) {
    ODBCDB db;
    db.OpenMdbDatabase(freshSmallDatabase("insert-component.mdb"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(db.ExecuteSql(kHeader));
    }
}

void BM_Insert_RawSqlite(benchmark::State& state) {
    sqlite3* db = openDirect(freshSmallDatabase("insert-direct.mdb"));
    const QByteArray sql = translateJetSql(replaceIdentifierBrackets(kHeader, u'"')).toUtf8();
    for (auto _ : state) {
        benchmark::DoNotOptimize(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr));
    }
    sqlite3_close(db);
}

void BM_Sale20Lines_Component(benchmark::State& state) {
    ODBCDB db;
    db.OpenMdbDatabase(freshSmallDatabase("sale-component.mdb"));
    for (auto _ : state) {
        db.BeginTrans();
        db.ExecuteSql(kHeader);
        const int h =
            db.OpenTable(QStringLiteral("select top 1 ID from [销售记录] order by ID desc"));
        const QString id = db.ReadColByIndex(h, 1).toText();
        db.CloseTable(h);
        for (int i = 0; i < 20; ++i) {
            db.ExecuteSql(kLine.arg(id));
        }
        db.CommitTrans();
    }
}

void BM_Sale20Lines_RawSqlite(benchmark::State& state) {
    sqlite3* db = openDirect(freshSmallDatabase("sale-direct.mdb"));
    const QByteArray header = translateJetSql(replaceIdentifierBrackets(kHeader, u'"')).toUtf8();
    const QByteArray top =
        translateJetSql(QStringLiteral("select top 1 ID from \"销售记录\" order by ID desc"))
            .toUtf8();
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_exec(db, header.constData(), nullptr, nullptr, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, top.constData(), -1, &stmt, nullptr);
        sqlite3_step(stmt);
        const QString id = QString::number(sqlite3_column_int(stmt, 0));
        sqlite3_finalize(stmt);
        for (int i = 0; i < 20; ++i) {
            const QByteArray line =
                translateJetSql(replaceIdentifierBrackets(kLine.arg(id), u'"')).toUtf8();
            sqlite3_exec(db, line.constData(), nullptr, nullptr, nullptr);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
}

}  // namespace

BENCHMARK(BM_DayListing_Component)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayListing_RawSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthListing_Component)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthListing_RawSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Insert_Component)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Insert_RawSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sale20Lines_Component)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sale20Lines_RawSqlite)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
