// The day report of a day with 10,000 sales among a million stored ones (two lines each): the
// program's report through the data-access component, against SQLite running the same two
// aggregate statements by itself. The report must stay well under 100 ms.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

#include "bench/ratio_reporter.h"
#include "bench/shop_history.h"
#include "data/database_setup.h"
#include "data/jet_dialect.h"
#include "data/odbcdb.h"
#include "platform/jet_date.h"
#include "records/day_report.h"

namespace {

using namespace tillora;

constexpr int kStored = 1000000;
constexpr int kDaySales = 10000;
constexpr int kLinesPerSale = 2;
// Clear of the history's last day, whose late sales run past midnight.
const QDate kDay = bench::kHistoryToday.addDays(2);

// The busy day: three cashiers and three ways of paying in turn through the day, one sale in 50
// with a returned piece, every line at a 9.5 discount.
QByteArray busyDayStatement() {
    const double day = jetDayFromDateTime(QDateTime(kDay, QTime(0, 0)));
    return QStringLiteral(
               "with recursive n(i) as (select 0 union all select i + 1 from n where i < %1) "
               "insert into 销售记录 (销售票号, 销售时间, 数量, 金额, 收银员, 备注, 付款方式, "
               "实收现金, 找零) "
               "select '%2' || substr('0000000' || (i + 1), -7), %3 + (25200 + i * 5) / 86400.0, "
               "'2', '37.81', case i % 3 when 0 then 'admin' when 1 then '张三' else '李四' end, "
               "' ', case i % 3 when 0 then '现金' when 1 then '微信' else '支付宝' end, "
               "'50.00', '12.19' from n; "
               "insert into 销售详情 (关联, 名称, 数量, 单价, 金额, 折后, 备注) "
               "select ID, '商品', case when ID % 50 = 0 then '-1' else '1' end, '19.90', "
               "case when ID % 50 = 0 then '-19.90' else '19.90' end, "
               "case when ID % 50 = 0 then '-18.91' else '18.91' end, ' ' "
               "from 销售记录 where 销售时间 >= %3; "
               "insert into 销售详情 (关联, 名称, 数量, 单价, 金额, 折后, 备注) "
               "select ID, '商品', '1', '19.90', '19.90', '18.90', ' ' from 销售记录 "
               "where 销售时间 >= %3")
        .arg(kDaySales - 1)
        .arg(kDay.toString(QStringLiteral("yyMMdd")))
        .arg(day, 0, 'f', 1)
        .toUtf8();
}

struct Shop {
    QTemporaryDir dir;
    QString path;
    ODBCDB db;
    bool ok = false;

    Shop() {
        path = databasePath(dir.path());
        ok = bench::copyOfHistory(path, kStored - kDaySales, kLinesPerSale) &&
             bench::runOnFile(path, busyDayStatement()) && db.OpenMdbDatabase(path);
    }
    static Shop& get() {
        static Shop shop;
        return shop;
    }
};

void BM_DayReport(benchmark::State& state, bool everyone) {
    Shop& shop = Shop::get();
    if (!shop.ok) {
        state.SkipWithError("no database");
        return;
    }
    const std::optional<QString> only =
        everyone ? std::nullopt : std::optional<QString>(QStringLiteral("张三"));
    DayReport report;
    bool ok = true;
    for (auto _ : state) {
        ok = DayReport::read(shop.db, kDay, only, &report) && ok;
        benchmark::DoNotOptimize(report.total.amountCents);
    }
    const qint64 sales = everyone ? kDaySales : (kDaySales + 1) / 3;
    if (!ok || report.total.sales != sales || report.rows.size() != (everyone ? 3u : 1u)) {
        const std::string why = "wrong report: " + std::to_string(report.total.sales) +
                                " sales in " + std::to_string(report.rows.size()) + " rows";
        state.SkipWithError(why.c_str());
    }
    state.counters["sales"] = static_cast<double>(report.total.sales);
}

// The same two statements straight through SQLite, every row stepped and its columns read.
void BM_DayReport_RawSqlite(benchmark::State& state) {
    Shop& shop = Shop::get();
    sqlite3* raw = nullptr;
    if (!shop.ok || sqlite3_open_v2(shop.path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY,
                                    nullptr) != SQLITE_OK) {
        sqlite3_close(raw);
        state.SkipWithError("no database");
        return;
    }
    const double start = jetDayFromDateTime(QDateTime(kDay, QTime(0, 0)));
    const auto engine = day_report_sql::Engine::File;
    const QByteArray statements[] = {
        translateJetSql(day_report_sql::sales(engine, start, std::nullopt, true)).toUtf8(),
        translateJetSql(day_report_sql::lines(engine, start, std::nullopt, true)).toUtf8()};
    bool ok = true;
    for (auto _ : state) {
        for (const QByteArray& sql : statements) {
            sqlite3_stmt* stmt = nullptr;
            ok = sqlite3_prepare_v2(raw, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK && ok;
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                    benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
                }
            }
            ok = rc == SQLITE_DONE && ok;
            sqlite3_finalize(stmt);
        }
    }
    sqlite3_close(raw);
    if (!ok) {
        state.SkipWithError("a statement failed");
    }
}

BENCHMARK_CAPTURE(BM_DayReport, Everyone, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DayReport, OneCashier, false)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayReport_RawSqlite)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& s = reporter.seconds;
    const std::string ours = "BM_DayReport/Everyone";
    const std::string raw = "BM_DayReport_RawSqlite";
    if (s.count(ours) && s.count(raw) && s[raw] > 0) {
        std::printf("\nday of %d sales among %d: report %.1f ms, raw SQLite %.1f ms, %.2f x\n",
                    kDaySales, kStored, s[ours] * 1000, s[raw] * 1000, s[ours] / s[raw]);
    }
    benchmark::Shutdown();
    return 0;
}
