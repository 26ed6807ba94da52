// The 操作记录 window over a million trail rows: the time to its first rows painted, for a day,
// for every day at once and for one user and kind, and the memory the process peaks at.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstring>
#include <memory>

#include "bench/process_memory.h"
#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "data/operation_trail.h"
#include "data/template_database.h"
#include "forms/component_factory.h"
#include "forms/components/list_view.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "formset/embedded_template_set.h"
#include "formset/form_ids.h"
#include "platform/clock.h"
#include "platform/jet_date.h"
#include "print/print_components.h"
#include "records/records_module.h"
#include "records/trail_window.h"
#include "sales/sales_module.h"
#include "templates/template_set_reader.h"

namespace {

using namespace tillora;

constexpr int kRows = 1000000;
constexpr int kDays = 100;  // 10000 rows a day
const QDate kToday(2026, 6, 30);

bool exec(sqlite3* db, const QString& sql) {
    return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// A million rows over the last kDays days, five users and four kinds, in one transaction.
bool fillTrail(const QString& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const double first = jetDayFromDateTime(QDateTime(kToday.addDays(1 - kDays), QTime(0, 0)));
    const bool ok =
        exec(db, operation_trail::createStatement()) &&
        exec(db, operation_trail::createIndexStatement()) && exec(db, QStringLiteral("begin")) &&
        exec(db, QStringLiteral(
                     "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                     "insert into 操作记录 (时间, 收银台, 用户, 操作, 对象, 之前, 之后) "
                     "select %2 + i * %3, 'till' || (i % 3), 'user' || (i % 5), "
                     "case i % 4 when 0 then '删除销售记录' when 1 then '修改商品' "
                     "when 2 then '登录' else '重印' end, '销售记录 ' || i, "
                     "'单价 12.50', '单价 13.00' from n")
                     .arg(kRows)
                     .arg(first, 0, 'f', 6)
                     .arg(static_cast<double>(kDays) / kRows, 0, 'g', 17)) &&
        exec(db, QStringLiteral("commit"));
    sqlite3_close(db);
    return ok;
}

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
        if (!writeTemplateDatabase(path) || !fillTrail(path) || !db.OpenMdbDatabase(path) ||
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

// The window opened (today's rows read and shown), then `from` to today listed again with the
// user and kind chosen; first rows painted each time.
void firstRows(benchmark::State& state, int days, const QString& user = {},
               const QString& kind = {}) {
    Shop& shop = Shop::get();
    if (!shop.ok) {
        state.SkipWithError("no database");
        return;
    }
    for (auto _ : state) {
        if (!shop.manager->open(static_cast<qint32>(FormId::OperationTrail))) {
            state.SkipWithError("no window");
            return;
        }
        FormWindow* window = shop.manager->window(static_cast<qint32>(FormId::OperationTrail));
        window->show();
        TrailWindow* w = TrailWindow::of(window);
        if (days > 1 || !user.isEmpty()) {
            w->setFilter({kToday.addDays(1 - days), kToday, user, kind});
            w->show();
        }
        benchmark::DoNotOptimize(window->grab());
        state.PauseTiming();
        if (w->list().rowCount() != TrailWindow::kPiece ||
            (!user.isEmpty() && w->list().cell(0, 2) != user)) {
            state.SkipWithError("wrong rows");
        }
        shop.manager->closeAll();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["peak_mb"] = bench::statusMegabytes("VmHWM:");
}

void BM_Trail_Today(benchmark::State& state) {
    firstRows(state, 1);
}
void BM_Trail_EveryDay(benchmark::State& state) {
    firstRows(state, kDays);
}
void BM_Trail_EveryDay_OneUserOneKind(benchmark::State& state) {
    firstRows(state, kDays, QStringLiteral("user2"), QStringLiteral("登录"));
}

}  // namespace

BENCHMARK(BM_Trail_Today)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Trail_EveryDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Trail_EveryDay_OneUserOneKind)->Unit(benchmark::kMillisecond);
