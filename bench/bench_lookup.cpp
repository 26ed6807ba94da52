// The product drop-down of the sales entry window at 100, 10,000 and 100,000 remembered
// products: a key let go in 商品名称, a line added for a known and for a new product, and the
// resident memory with the window open. At 100,000: a scanned code to its line, and a product
// list of 10,000 rows brought in.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

#include "bench/shop_history.h"
#include "data/current_user.h"
#include "data/database_setup.h"
#include "data/master_data.h"
#include "data/odbcdb.h"
#include "data/template_database.h"
#include "forms/component.h"
#include "forms/components/list_view.h"
#include "forms/event_args.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/handler_registry.h"
#include "formset/embedded_template_set.h"
#include "formset/form_ids.h"
#include "sales/sales_entry_window.h"
#include "sales/sales_module.h"
#include "settings/product_import.h"
#include "spreadsheet/sheet_reader.h"
#include "templates/template_set_reader.h"

namespace {

using namespace tillora;

double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
        }
    }
    return 0;
}

// Names with a three-letter code and a hyphen, as the shop's own products are named; every
// product has a barcode ("P" and its number).
bool fillProducts(const QString& path, int count) {
    return bench::runOnFile(
        path, QStringLiteral(
                  "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                  "insert into 商品名称 (名称, 单价, 条码) select char(97 + i % 26, 97 + i / 26 % "
                  "26, 97 + i / 676 % 26) || '-商品' || i, (i % 100) || '.50', 'P' || i from n")
                  .arg(count)
                  .toUtf8());
}

// One database and an open sales entry window; one size at a time, so that the resident memory
// read is that of the size measured.
struct Shop {
    QTemporaryDir dir;
    ODBCDB db;
    TemplateSet set;
    HandlerRegistry handlers;
    std::unique_ptr<SalesModule> module;
    std::unique_ptr<FormManager> manager;
    FormWindow* window = nullptr;
    double residentBefore = 0;
    double residentOpen = 0;
    double openMilliseconds = 0;

    bool open(int products) {
        const QString path = databasePath(dir.path());
        if (!writeTemplateDatabase(path) || !fillProducts(path, products) ||
            !db.OpenMdbDatabase(path)) {
            return false;
        }
        QString error;
        if (!readTemplateSet(embeddedTemplateSet(), embeddedHandlerNames(), set, &error)) {
            return false;
        }
        module = std::make_unique<SalesModule>(db);
        CurrentUser::create(QStringLiteral("admin"), QStringLiteral("管理员"));
        module->registerHandlers(handlers);
        manager = std::make_unique<FormManager>(set, handlers);
        residentBefore = residentMegabytes();
        QElapsedTimer clock;
        clock.start();
        if (!manager->open(static_cast<qint32>(FormId::SalesEntry))) {
            return false;
        }
        window = manager->window(static_cast<qint32>(FormId::SalesEntry));
        QApplication::processEvents();
        openMilliseconds = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        residentOpen = residentMegabytes();
        return window != nullptr;
    }
    ~Shop() {
        if (manager) {
            manager->closeAll();
        }
    }
    Component* c(const char* name) const { return window->component(QString::fromUtf8(name)); }
};

Shop* shopFor(int products) {
    static std::unique_ptr<Shop> shop;
    static int size = -1;
    if (size != products) {
        shop.reset();
        shop = std::make_unique<Shop>();
        size = products;
        if (!shop->open(products)) {
            shop.reset();
            size = -1;
        }
    }
    return shop.get();
}

void keyUpInProductName(benchmark::State& state, Shop* shop) {
    // A cashier typing a code and the start of a name, and starting again.
    const QStringList typed{QStringLiteral("k"),      QStringLiteral("kq"),
                            QStringLiteral("kqz"),    QStringLiteral("kqz-"),
                            QStringLiteral("kqz-商"), QStringLiteral("KQZ-商品1")};
    Component* name = shop->c("编辑框_名称");
    Component* list = shop->c("组合框_名称");
    qsizetype i = 0;
    for (auto _ : state) {
        name->setText(typed[i++ % typed.size()]);
        name->raise(event::kKeyUp, {Value::fromInt('K'), Value::fromInt(0)});
        benchmark::DoNotOptimize(list->items().size());
    }
    state.counters["shown"] = static_cast<double>(list->items().size());
    state.counters["rss_open_MB"] = shop->residentOpen;
    state.counters["window_MB"] = shop->residentOpen - shop->residentBefore;
    state.counters["open_ms"] = shop->openMilliseconds;
    state.counters["rss_now_MB"] = residentMegabytes();
}

void BM_KeyUpInProductName(benchmark::State& state) {
    Shop* shop = shopFor(static_cast<int>(state.range(0)));
    if (shop == nullptr) {
        state.SkipWithError("no window");
        return;
    }
    keyUpInProductName(state, shop);
}

// The same while another program holds the file locked: the products were read when the window
// opened, so the lock must cost the narrowing nothing.
void BM_KeyUpInProductNameWhileLocked(benchmark::State& state) {
    Shop* shop = shopFor(static_cast<int>(state.range(0)));
    sqlite3* other = nullptr;
    if (shop == nullptr ||
        sqlite3_open_v2(QFile::encodeName(databasePath(shop->dir.path())).constData(), &other,
                        SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_exec(other, "BEGIN EXCLUSIVE; UPDATE 配置文件 SET 店名='x'", nullptr, nullptr,
                     nullptr) != SQLITE_OK) {
        sqlite3_close_v2(other);
        state.SkipWithError("no locked window");
        return;
    }
    keyUpInProductName(state, shop);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(other);
}

// 添加 for a product the catalogue knows: nothing is stored, the drop-down stays.
void BM_AddLineKnownProduct(benchmark::State& state) {
    Shop* shop = shopFor(static_cast<int>(state.range(0)));
    if (shop == nullptr) {
        state.SkipWithError("no window");
        return;
    }
    auto* list = dynamic_cast<ListView*>(shop->c("超级列表框1"));
    for (auto _ : state) {
        shop->c("编辑框_名称")->setText(QStringLiteral("ebc-商品30"));
        shop->c("编辑框_单价")->setText(QStringLiteral("30.50"));
        shop->c("编辑框_数量")->setText(QStringLiteral("2"));
        shop->c("按钮_添加商品")->raise(event::kClicked);
        state.PauseTiming();
        list->removeRow(0);
        state.ResumeTiming();
    }
    state.counters["rss_now_MB"] = residentMegabytes();
}

// 添加 for a name never sold: one row stored and offered from then on.
void BM_AddLineNewProduct(benchmark::State& state) {
    Shop* shop = shopFor(static_cast<int>(state.range(0)));
    if (shop == nullptr) {
        state.SkipWithError("no window");
        return;
    }
    auto* list = dynamic_cast<ListView*>(shop->c("超级列表框1"));
    int n = 0;
    for (auto _ : state) {
        shop->c("编辑框_名称")->setText(QStringLiteral("xin-新货%1").arg(++n));
        shop->c("编辑框_单价")->setText(QStringLiteral("3.00"));
        shop->c("编辑框_数量")->setText(QStringLiteral("1"));
        shop->c("按钮_添加商品")->raise(event::kClicked);
        state.PauseTiming();
        list->removeRow(0);
        state.ResumeTiming();
    }
    state.counters["rss_now_MB"] = residentMegabytes();
}

// What every key and every 添加 used to cost: the whole table read through the component.
void BM_ReadWholeTable(benchmark::State& state) {
    Shop* shop = shopFor(static_cast<int>(state.range(0)));
    if (shop == nullptr) {
        state.SkipWithError("no window");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(readProducts(shop->db, master_sql::listProducts()).size());
    }
}

// A scanner's code, from the key that ends it to the line on screen: the indexed lookup among
// all products, and the line added (or one more on it).
void BM_ScanToLine(benchmark::State& state) {
    Shop* shop = shopFor(static_cast<int>(state.range(0)));
    if (shop == nullptr) {
        state.SkipWithError("no window");
        return;
    }
    SalesEntryWindow* logic = SalesEntryWindow::of(shop->window);
    int n = 0;
    for (auto _ : state) {
        logic->scanned(QStringLiteral("P%1").arg(1 + (n++ * 7919) % state.range(0)));
        if (logic->model().size() >= 200) {
            state.PauseTiming();
            logic->startNextReceipt(QStringLiteral("1"));
            state.ResumeTiming();
        }
    }
}

// A 10,000-row list (.csv: half new products, half known ones with a new price) read, checked
// against every product and stored in one transaction.
void BM_Import10000Rows(benchmark::State& state) {
    Shop* shop = shopFor(static_cast<int>(state.range(0)));
    if (shop == nullptr) {
        state.SkipWithError("no window");
        return;
    }
    QByteArray csv = "名称,单价,条码\r\n";
    for (int i = 1; i <= 10000; ++i) {
        csv += i % 2 == 0 ? QStringLiteral("新货%1,3.50,N%1\r\n").arg(i).toUtf8()
                          : QStringLiteral("x,4.00,P%1\r\n").arg(i).toUtf8();
    }
    for (auto _ : state) {
        const SheetContent sheet = SheetReader::readCsv(csv);
        const ProductImport plan =
            ProductImport::plan(sheet.rows, readProducts(shop->db, master_sql::listProducts()));
        QString problem;
        if (!plan.store(shop->db, &problem)) {
            state.SkipWithError("not stored");
            return;
        }
        state.PauseTiming();
        shop->db.ExecuteSql(QStringLiteral("delete from 商品名称 where 条码 like 'N%'"));
        state.ResumeTiming();
    }
}

// Each size's benchmarks run together, one window open at a time.
void sizes(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_KeyUpInProductName)->Arg(100)->Apply(sizes);
BENCHMARK(BM_KeyUpInProductNameWhileLocked)->Arg(100)->Apply(sizes);
BENCHMARK(BM_AddLineKnownProduct)->Arg(100)->Apply(sizes);
BENCHMARK(BM_AddLineNewProduct)->Arg(100)->Apply(sizes)->Iterations(200);
BENCHMARK(BM_ReadWholeTable)->Arg(100)->Apply(sizes);
BENCHMARK(BM_KeyUpInProductName)->Arg(10000)->Apply(sizes);
BENCHMARK(BM_AddLineKnownProduct)->Arg(10000)->Apply(sizes);
BENCHMARK(BM_AddLineNewProduct)->Arg(10000)->Apply(sizes)->Iterations(200);
BENCHMARK(BM_ReadWholeTable)->Arg(10000)->Apply(sizes);
BENCHMARK(BM_KeyUpInProductName)->Arg(100000)->Apply(sizes);
BENCHMARK(BM_AddLineKnownProduct)->Arg(100000)->Apply(sizes);
BENCHMARK(BM_AddLineNewProduct)->Arg(100000)->Apply(sizes)->Iterations(200);
BENCHMARK(BM_ReadWholeTable)->Arg(100000)->Apply(sizes)->Iterations(5);
BENCHMARK(BM_ScanToLine)->Arg(100000)->Apply(sizes);
BENCHMARK(BM_Import10000Rows)->Arg(100000)->Apply(sizes)->Iterations(3);

}  // namespace
