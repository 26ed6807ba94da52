// Spreadsheet export: 60,000 sales rows written by our own .xls writer and through libxlsxwriter,
// beside LibreOffice headless converting the same rows from a CSV file into either format (the
// usual way to get a workbook without writing one). The office's start-up alone is measured too,
// so that its conversion work can be told apart. Ratios are printed after the run.
#include "bench/ratio_reporter.h"
#include "spreadsheet/spreadsheet_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

namespace {

using namespace tillora;

constexpr int kRows = 60000;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

const SpreadsheetTable& salesRows() {
    static const SpreadsheetTable table = [] {
        SpreadsheetTable t{
            {QStringLiteral("序号"), QStringLiteral("销售票号"), QStringLiteral("销售时间"),
             QStringLiteral("数量"), QStringLiteral("金额"), QStringLiteral("收银员"),
             QStringLiteral("备注")},
            {}};
        for (int i = 0; i < kRows; ++i) {
            t.rows.append({QString::number(i + 1),
                           QStringLiteral("2026%1").arg(i, 9, 10, QLatin1Char('0')),
                           QStringLiteral("2026-12-%1 %2:%3:05")
                               .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                               .arg(8 + i % 12, 2, 10, QLatin1Char('0'))
                               .arg(i % 60, 2, 10, QLatin1Char('0')),
                           QString::number(1 + i % 9), QStringLiteral("%1.50").arg(i % 500),
                           QStringLiteral("收银员%1").arg(i % 4),
                           i % 5 == 0 ? QStringLiteral("会员卡结账，赠品一份") : QString()});
        }
        return t;
    }();
    return table;
}

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n'))) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString writeCsv(const QString& name, int rows) {
    const QString path = folder().filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    const SpreadsheetTable& table = salesRows();
    QString text = table.titles.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (int r = 0; r < rows; ++r) {
        QStringList fields;
        for (const QString& cell : table.rows.at(r)) {
            fields << csvField(cell);
        }
        text += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    file.write(text.toUtf8());
    return path;
}

// Converts `csv` with every column read as text, as our writers write every cell as text.
bool convertWithOffice(const QString& csv, const char* target) {
    const QString profile =
        QUrl::fromLocalFile(folder().filePath(QStringLiteral("profile"))).toString();
    QProcess office;
    office.start(QStringLiteral("soffice"),
                 {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                  QStringLiteral("--norestore"),
                  QStringLiteral("--infilter=CSV:44,34,76,1,1/2/2/2/3/2/4/2/5/2/6/2/7/2"),
                  QStringLiteral("--convert-to"), QString::fromLatin1(target),
                  QStringLiteral("--outdir"), folder().filePath(QStringLiteral("office")), csv});
    return office.waitForFinished(600000) && office.exitCode() == 0;
}

void BM_Xls(benchmark::State& state) {
    const SpreadsheetTable& table = salesRows();
    const QString path = folder().filePath(QStringLiteral("ours.xls"));
    for (auto _ : state) {
        if (SpreadsheetFile::write(path, table) != SpreadsheetResult::Written) {
            state.SkipWithError("write failed");
        }
    }
    state.counters["bytes"] = double(QFile(path).size());
}

void BM_Xlsx(benchmark::State& state) {
    const SpreadsheetTable& table = salesRows();
    const QString path = folder().filePath(QStringLiteral("ours.xlsx"));
    for (auto _ : state) {
        if (SpreadsheetFile::write(path, table) != SpreadsheetResult::Written) {
            state.SkipWithError("write failed");
        }
    }
    state.counters["bytes"] = double(QFile(path).size());
}

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void officeBenchmark(benchmark::State& state, int rows, const char* target) {
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) {
        state.SkipWithError("soffice not installed");
        return;
    }
    const QString csv = writeCsv(QStringLiteral("rows%1.csv").arg(rows), rows);
    convertWithOffice(csv, target);  // the first run sets up the profile; not measured
    const double before = childCpuSeconds();
    for (auto _ : state) {
        if (!convertWithOffice(csv, target)) {
            state.SkipWithError("soffice failed");
        }
    }
    // The office works in a child process: its processor time is counted apart.
    state.counters["child_cpu_ms"] =
        (childCpuSeconds() - before) * 1000.0 /
        double(std::max<benchmark::IterationCount>(1, state.iterations()));
}

void BM_OfficeCsvToXls(benchmark::State& state) {
    officeBenchmark(state, kRows, "xls:MS Excel 97");
}
void BM_OfficeCsvToXlsx(benchmark::State& state) {
    officeBenchmark(state, kRows, "xlsx:Calc MS Excel 2007 XML");
}
void BM_OfficeStartupOneRow(benchmark::State& state) {
    officeBenchmark(state, 1, "xls:MS Excel 97");
}

BENCHMARK(BM_Xls)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Xlsx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OfficeCsvToXls)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OfficeCsvToXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OfficeStartupOneRow)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    tillora::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Wall-clock time says what the cashier waits; processor time is steadier on a busy machine.
    for (const bool cpu : {false, true}) {
        auto& s = cpu ? reporter.cpuSeconds : reporter.seconds;
        auto ratio = [&s = s](const char* office, const char* ours, const char* what) {
            if (s.count(office) && s.count(ours) && s[ours] > 0) {
                std::printf("  %-44s %8.1f x\n", what, s[office] / s[ours]);
            }
        };
        auto minusStartup = [&s = s](const char* office, const char* ours, const char* what) {
            const char* startup = "BM_OfficeStartupOneRow";
            if (s.count(office) && s.count(ours) && s.count(startup) && s[ours] > 0) {
                std::printf("  %-44s %8.1f x\n", what, (s[office] - s[startup]) / s[ours]);
            }
        };
        std::printf("\n%d rows, LibreOffice / ours, %s time:\n", kRows,
                    cpu ? "processor" : "wall-clock");
        ratio("BM_OfficeCsvToXls", "BM_Xls", ".xls:  LibreOffice CSV->xls  / our writer");
        ratio("BM_OfficeCsvToXlsx", "BM_Xlsx", ".xlsx: LibreOffice CSV->xlsx / libxlsxwriter");
        minusStartup("BM_OfficeCsvToXls", "BM_Xls", ".xls without LibreOffice's start-up");
        minusStartup("BM_OfficeCsvToXlsx", "BM_Xlsx", ".xlsx without LibreOffice's start-up");
    }
    benchmark::Shutdown();
    return 0;
}
