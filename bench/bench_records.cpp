// The sales records window listing and totalling a month and a year out of a million sales,
// against SQLite reading the same rows by itself.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDate>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/shop_history.h"
#include "data/database_setup.h"
#include "data/jet_dialect.h"
#include "data/odbcdb.h"
#include "data/template_database.h"
#include "forms/component_factory.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "formset/embedded_template_set.h"
#include "formset/form_ids.h"
#include "platform/clock.h"
#include "platform/jet_date.h"
#include "print/print_components.h"
#include "records/records_module.h"
#include "records/records_sql.h"
#include "records/sale_listing.h"
#include "records/sales_records_window.h"
#include "sales/sales_module.h"
#include "templates/template_set_reader.h"
#include "values/value_format.h"

namespace {

using namespace tillora;

constexpr int kSales = 1000000;
constexpr int kSalesPerDay = 100;
const QDate kToday(2026, 12, 7);

// One database for every benchmark of the run, and the program's windows over it.
struct Shop {
    QTemporaryDir dir;
    QString path;
    ODBCDB db;
    TemplateSet set;
    HandlerRegistry handlers;
    std::unique_ptr<SalesModule> sales;
    std::unique_ptr<RecordsModule> records;
    std::unique_ptr<FormManager> manager;
    bool ok = false;

    Shop() {
        path = databasePath(dir.path());
        QString error;
        if (!writeTemplateDatabase(path) || !bench::fillSales(path, kSales, kToday, kSalesPerDay) ||
            !db.OpenMdbDatabase(path) ||
            !readTemplateSet(embeddedTemplateSet(), embeddedHandlerNames(), set, &error)) {
            return;
        }
        PrintComponents::registerWith(ComponentFactory::instance());
        sales = std::make_unique<SalesModule>(db);
        Clock::setSource([] { return QDateTime(kToday, QTime(12, 0)); });
        records = std::make_unique<RecordsModule>(*sales, path);
        records->registerHandlers(handlers);
        manager = std::make_unique<FormManager>(set, handlers);
        ok = true;
    }

    static Shop& get() {
        static Shop shop;
        return shop;
    }
};

QString monthListing() {
    return records_sql::listing(kToday.addDays(-29), kToday);
}
QString yearListing() {
    return records_sql::listing(kToday.addDays(-364), kToday);
}

void recordsWindow(benchmark::State& state, const QString& sql, std::size_t expected) {
    Shop& shop = Shop::get();
    if (!shop.ok || !shop.manager->open(static_cast<qint32>(FormId::SalesRecords))) {
        state.SkipWithError("no database or window");
        return;
    }
    SalesRecordsWindow* w =
        SalesRecordsWindow::of(shop.manager->window(static_cast<qint32>(FormId::SalesRecords)));
    for (auto _ : state) {
        w->fill(sql);
    }
    if (w->rows().size() != expected) {
        state.SkipWithError("wrong rows");
    }
    shop.manager->closeAll();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void listing(benchmark::State& state, const QString& sql, std::size_t expected) {
    Shop& shop = Shop::get();
    if (!shop.ok) {
        state.SkipWithError("no database");
        return;
    }
    SaleListing l;
    for (auto _ : state) {
        l = SaleListing::read(shop.db, sql);
        benchmark::DoNotOptimize(l.totalAmount);
    }
    if (l.rows.size() != expected) {
        state.SkipWithError("wrong rows");
    }
}

// SQLite's own time for the same rows: the same statement, straight through SQLite, each row
// made into the same texts the listing shows (the time as its date-time text) and both totals
// summed. Only the data-access component and the record set are left out.
void sqliteAlone(benchmark::State& state, const QString& sql, std::size_t expected) {
    Shop& shop = Shop::get();
    sqlite3* raw = nullptr;
    if (!shop.ok || sqlite3_open_v2(shop.path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY,
                                    nullptr) != SQLITE_OK) {
        state.SkipWithError("no database");
        return;
    }
    const QByteArray text = translateJetSql(replaceIdentifierBrackets(sql, u'"')).toUtf8();
    auto textAt = [](sqlite3_stmt* stmt, int column) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    };
    std::vector<SaleRow> rows;
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(raw, text.constData(), -1, &stmt, nullptr);
        double quantity = 0, amount = 0;
        rows.clear();
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            SaleRow row;
            row.id = sqlite3_column_int(stmt, 0);
            row.number = textAt(stmt, 1);
            row.time = dateTimeToText(sqlite3_column_double(stmt, 2));
            row.quantity = textAt(stmt, 3);
            row.amount = textAt(stmt, 4);
            row.cashier = textAt(stmt, 5);
            row.remark = textAt(stmt, 6);
            quantity += textToDouble(row.quantity);
            amount += textToDouble(row.amount);
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(quantity + amount);
    }
    sqlite3_close(raw);
    if (rows.size() != expected) {
        state.SkipWithError("wrong rows");
    }
}

constexpr std::size_t kMonthRows = 30 * kSalesPerDay;
constexpr std::size_t kYearRows = 365 * kSalesPerDay;

void BM_RecordsWindow_Month(benchmark::State& s) {
    recordsWindow(s, monthListing(), kMonthRows);
}
void BM_RecordsWindow_Year(benchmark::State& s) {
    recordsWindow(s, yearListing(), kYearRows);
}
void BM_SaleListing_Month(benchmark::State& s) {
    listing(s, monthListing(), kMonthRows);
}
void BM_SaleListing_Year(benchmark::State& s) {
    listing(s, yearListing(), kYearRows);
}
void BM_SqliteAlone_Month(benchmark::State& s) {
    sqliteAlone(s, monthListing(), kMonthRows);
}
void BM_SqliteAlone_Year(benchmark::State& s) {
    sqliteAlone(s, yearListing(), kYearRows);
}

// Opening the window: built from its template and listing today's sales.
void BM_OpenRecordsWindow(benchmark::State& state) {
    Shop& shop = Shop::get();
    if (!shop.ok) {
        state.SkipWithError("no database");
        return;
    }
    for (auto _ : state) {
        shop.manager->open(static_cast<qint32>(FormId::SalesRecords));
        state.PauseTiming();
        shop.manager->closeAll();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

BENCHMARK(BM_OpenRecordsWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordsWindow_Month)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaleListing_Month)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteAlone_Month)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordsWindow_Year)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaleListing_Year)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteAlone_Year)->Unit(benchmark::kMillisecond);

}  // namespace
