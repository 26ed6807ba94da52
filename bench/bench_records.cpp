// The sales records window listing and totalling a month, a year and all of a million sales,
// against SQLite reading the same rows by itself; the time to the first rows shown and the
// memory the whole list takes.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/process_memory.h"
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
constexpr int kSalesPerDay = bench::kHistorySalesPerDay;
const QDate kToday = bench::kHistoryToday;

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
        if (!bench::copyOfHistory(path, kSales) || !db.OpenMdbDatabase(path) ||
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

SalesSelection monthListing() {
    return records_sql::listing(kToday.addDays(-29), kToday);
}
SalesSelection yearListing() {
    return records_sql::listing(kToday.addDays(-364), kToday);
}
// What the query dialog lists with nothing ticked and dates reaching back past the first sale.
// The history's day of sales runs on past midnight, so the range ends a day after today.
SalesSelection everySale() {
    SalesQuery q;
    q.from = QDate(1990, 1, 1);
    q.to = kToday.addDays(1);
    return records_sql::query(q);
}

SalesRecordsWindow* openWindow(benchmark::State& state) {
    Shop& shop = Shop::get();
    if (!shop.ok || !shop.manager->open(static_cast<qint32>(FormId::SalesRecords))) {
        state.SkipWithError("no database or window");
        return nullptr;
    }
    FormWindow* window = shop.manager->window(static_cast<qint32>(FormId::SalesRecords));
    window->show();
    return SalesRecordsWindow::of(window);
}

void closeWindow() {
    Shop::get().manager->closeAll();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The window listing a search: its first rows painted, as the cashier sees them.
void firstRows(benchmark::State& state, const SalesSelection& selection, int expected) {
    SalesRecordsWindow* w = openWindow(state);
    if (w == nullptr) {
        return;
    }
    for (auto _ : state) {
        w->fill(selection);
        benchmark::DoNotOptimize(w->view()->viewport()->grab());
    }
    if (!w->listing().ok() || w->listing().size() == 0 || w->listing().idAt(0) != expected) {
        state.SkipWithError("wrong rows");
    }
    state.counters["rss_mb"] = bench::statusMegabytes("VmRSS:");
    closeWindow();
}

// The same, read to its end with the totals, then scrolled to the last row.
void wholeList(benchmark::State& state, const SalesSelection& selection, int expected,
               const QString& total) {
    SalesRecordsWindow* w = openWindow(state);
    if (w == nullptr) {
        return;
    }
    for (auto _ : state) {
        w->fill(selection);
        w->readAll();
        w->setCurrentRow(w->listing().size() - 1);
        w->view()->scrollToBottom();
        benchmark::DoNotOptimize(w->view()->viewport()->grab());
    }
    if (!w->listing().ok() || w->listing().size() != expected ||
        w->listing().totalAmountText() != total) {
        state.SkipWithError("wrong rows or total");
    }
    state.counters["rss_mb"] = bench::statusMegabytes("VmRSS:");
    state.counters["peak_mb"] = bench::statusMegabytes("VmHWM:");
    closeWindow();
}

// Every row of a listing made into the texts the list shows, with both totals in cents, read in
// pieces through the data-access component: the export's pass, and what the window would do if
// the whole list were on screen at once.
void listing(benchmark::State& state, const SalesSelection& selection, int expected) {
    Shop& shop = Shop::get();
    if (!shop.ok) {
        state.SkipWithError("no database");
        return;
    }
    std::vector<SaleRow> rows;
    const SaleListing l(shop.db, selection);
    bool ok = true;
    for (auto _ : state) {
        rows.clear();
        qint64 quantity = 0, amount = 0;
        ok = l.forEachRow([&](const SaleRow& row) {
            quantity += std::llround(textToDouble(row.quantity) * 100);
            amount += std::llround(textToDouble(row.amount) * 100);
            rows.push_back(row);
        });
        benchmark::DoNotOptimize(quantity + amount);
    }
    if (!ok || static_cast<int>(rows.size()) != expected) {
        state.SkipWithError("wrong rows");
    }
}

// SQLite's own time for the same rows: the same statement, straight through SQLite, each row
// made into the same texts the listing shows (the time as its date-time text) and both totals
// summed in cents. Only the data-access component and the reading in pieces are left out.
void sqliteAlone(benchmark::State& state, const SalesSelection& selection, int expected) {
    Shop& shop = Shop::get();
    sqlite3* raw = nullptr;
    if (!shop.ok || sqlite3_open_v2(shop.path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY,
                                    nullptr) != SQLITE_OK) {
        state.SkipWithError("no database");
        return;
    }
    const QByteArray text = translateJetSql(selection.statement()).toUtf8();
    auto textAt = [](sqlite3_stmt* stmt, int column) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    };
    std::vector<SaleRow> rows;
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(raw, text.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            state.SkipWithError("statement refused");
            break;
        }
        qint64 quantity = 0, amount = 0;
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
            quantity += std::llround(textToDouble(row.quantity) * 100);
            amount += std::llround(textToDouble(row.amount) * 100);
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(quantity + amount);
    }
    sqlite3_close(raw);
    if (static_cast<int>(rows.size()) != expected) {
        state.SkipWithError("wrong rows");
    }
}

constexpr int kMonthRows = 30 * kSalesPerDay;
constexpr int kYearRows = 365 * kSalesPerDay;
// The newest sale: the last of today's, made after the template's sale 401.
constexpr int kNewest = 402 + kSalesPerDay - 1;
// The newest sale up to today's midnight: a day's sales start at 8:00, one every 468 seconds.
constexpr int kNewestToday = 402 + std::min(kSalesPerDay - 1, (86400 - 28800 - 1) / 468);

void BM_AllSales_FirstRows(benchmark::State& s) {
    firstRows(s, everySale(), kNewest);
}
void BM_AllSales_WholeList(benchmark::State& s) {
    // With the template's own sale of 10.00.
    wholeList(s, everySale(), kSales + 1, QStringLiteral("19900010.00"));
}
void BM_RecordsWindow_Month(benchmark::State& s) {
    firstRows(s, monthListing(), kNewestToday);
}
void BM_RecordsWindow_Year(benchmark::State& s) {
    firstRows(s, yearListing(), kNewestToday);
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

// Memory first: the process's peak is its own for the whole run.
BENCHMARK(BM_AllSales_FirstRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllSales_WholeList)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_OpenRecordsWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordsWindow_Month)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaleListing_Month)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteAlone_Month)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordsWindow_Year)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaleListing_Year)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteAlone_Year)->Unit(benchmark::kMillisecond);

}  // namespace
