// The day listing and a 50-line sale on a database server against the embedded file. Both hold
// the same 100,000 sales (100 a day); the server is the one TILLORA_TEST_PG names
// (scripts/start_postgres.sh), in a schema of its own that is dropped at the end.
#include <QDateTime>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

#include "bench/shop_history.h"
#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "data/postgres_connection.h"
#include "data/server_setup.h"
#include "data/template_database.h"
#include "platform/clock.h"
#include "platform/jet_date.h"
#include "records/records_sql.h"
#include "records/sale_listing.h"
#include "sales/receipt_numbering.h"
#include "sales/sale_recorder.h"

using namespace tillora;

namespace {

constexpr int kSales = 100000;
constexpr int kSalesPerDay = 100;
const QDate kToday(2026, 12, 7);

struct Shops {
    QTemporaryDir dir;
    QString path;
    QString schema;
    ODBCDB file;
    ODBCDB server;
    bool fileOk = false;
    bool serverOk = false;

    Shops() {
        path = databasePath(dir.path());
        fileOk = writeTemplateDatabase(path) &&
                 bench::fillSales(path, kSales, kToday, kSalesPerDay) && file.OpenMdbDatabase(path);
        const QString url = qEnvironmentVariable("TILLORA_TEST_PG");
        if (!fileOk || url.isEmpty()) {
            return;
        }
        schema = QStringLiteral("bench_%1").arg(QDateTime::currentMSecsSinceEpoch());
        auto admin = PostgresConnection::open(url, false);
        if (!admin || !admin->executeNative(QStringLiteral("create schema ") + schema)) {
            schema.clear();
            return;
        }
        const QString inSchema = url + (url.contains(u'?') ? u'&' : u'?') +
                                 QStringLiteral("options=-csearch_path%3D") + schema;
        serverOk = copyFileToServer(path, inSchema).ok &&
                   server.NewOpenDatabase(inSchema, false, true) &&
                   server.ExecuteSql(QStringLiteral("analyze"));
    }
    ~Shops() {
        server.CloseDatabase();
        if (!schema.isEmpty()) {
            if (auto admin =
                    PostgresConnection::open(qEnvironmentVariable("TILLORA_TEST_PG"), false)) {
                admin->executeNative(QStringLiteral("drop schema ") + schema +
                                     QStringLiteral(" cascade"));
            }
        }
    }
    static Shops& get() {
        static Shops shops;
        return shops;
    }
    ODBCDB* db(bool onServer) {
        if (onServer) {
            return serverOk ? &server : nullptr;
        }
        return fileOk ? &file : nullptr;
    }
};

void dayListing(benchmark::State& state, bool onServer) {
    ODBCDB* db = Shops::get().db(onServer);
    if (db == nullptr) {
        state.SkipWithError("no database (TILLORA_TEST_PG for the server)");
        return;
    }
    const SalesSelection day = records_sql::listing(kToday, kToday);
    for (auto _ : state) {
        SaleListing l = SaleListing::read(*db, day);
        benchmark::DoNotOptimize(l);
    }
}

Receipt fiftyLines() {
    Receipt r;
    for (int i = 0; i < 50; ++i) {
        r.lines.append({QString::number(i + 1), QStringLiteral("商品%1").arg(i),
                        QStringLiteral("1"), QStringLiteral("2.50"), QStringLiteral("2.50"),
                        QStringLiteral("2.50")});
    }
    r.totalQuantity = QStringLiteral("50");
    r.discountedTotal = QStringLiteral("125.00");
    r.cashier = QStringLiteral("admin");
    return r;
}

void fiftyLineSale(benchmark::State& state, bool onServer) {
    ODBCDB* db = Shops::get().db(onServer);
    if (db == nullptr) {
        state.SkipWithError("no database (TILLORA_TEST_PG for the server)");
        return;
    }
    const Clock::Override day(QDateTime(kToday, QTime(12, 0)));
    ReceiptNumbering numbering(*db);
    SaleRecorder recorder(*db);
    recorder.setNumbering(&numbering);
    const Receipt receipt = fiftyLines();
    for (auto _ : state) {
        if (!recorder.record(receipt).stored) {
            state.SkipWithError("not stored");
            return;
        }
    }
}

void BM_DayListing_File(benchmark::State& s) {
    dayListing(s, false);
}
void BM_DayListing_Server(benchmark::State& s) {
    dayListing(s, true);
}
void BM_FiftyLineSale_File(benchmark::State& s) {
    fiftyLineSale(s, false);
}
void BM_FiftyLineSale_Server(benchmark::State& s) {
    fiftyLineSale(s, true);
}

}  // namespace

BENCHMARK(BM_DayListing_File)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayListing_Server)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FiftyLineSale_File)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FiftyLineSale_Server)->Unit(benchmark::kMillisecond);
