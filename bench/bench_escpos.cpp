// A 30-line receipt on a 58 mm thermal printer on the network: from "打印小票" to the last byte at
// the printer (a listener behind a private CUPS queue without a driver), with the job's size.
// Needs the CUPS scheduler and the right to add a queue (root or the lpadmin group).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <chrono>

#include "bench/thirty_line_receipt.h"
#include "print/printer.h"
#include "print/system_printers.h"
#include "print/till_printer.h"
#include "sales/receipt_printer.h"
#include "tests/print/cups/job_listener.h"

namespace {

using namespace tillora;

Receipt thirtyLines() {
    return bench::thirtyLineReceipt(
        QStringLiteral("1.所购商品7日内凭购物小票调换\r\n2.所调换商品不能影响二次销售"));
}

void BM_EscPosReceiptToNetworkPrinter(benchmark::State& state) {
    const int paper = static_cast<int>(state.range(0));
    test::JobListener printerOnTheNetwork;
    test::PrivateQueue queue(
        QStringLiteral("TilloraBenchRaw%1").arg(QCoreApplication::applicationPid()),
        {QStringLiteral("-v"), printerOnTheNetwork.uri()});
    // The queue is this process's default alone: the user's and the machine's stay as they are.
    const QByteArray before = qgetenv("PRINTER");
    qputenv("PRINTER", queue.name().toUtf8());
    if (!queue.added() || SystemPrinters::list().defaultName != queue.name()) {
        qputenv("PRINTER", before);
        state.SkipWithError("no private raw queue (CUPS not running, or no right to add one)");
        return;
    }
    QTemporaryDir till;
    const QString previousFolder = QDir::currentPath();
    QDir::setCurrent(till.path());
    TillPrinter settings;
    settings.paperWidthMm = paper;
    settings.write();

    const Receipt receipt = thirtyLines();
    ReceiptPrinter::Options options;
    options.layout.shopName = QStringLiteral("Korvane");
    Printer printer;
    printer.setPenType(3);
    int job = 0;
    double toLastByteMs = 0;
    qsizetype bytes = 0;
    for (auto _ : state) {
        const auto clicked = std::chrono::steady_clock::now();
        if (!ReceiptPrinter::print(printer, receipt, options, {})) {
            state.SkipWithError(printer.failure().toStdString().c_str());
            break;
        }
        bytes = printerOnTheNetwork.waitForJob(job).size();
        toLastByteMs +=
            std::chrono::duration<double, std::milli>(printerOnTheNetwork.lastByteAt(job) - clicked)
                .count();
        ++job;
    }
    if (job > 0) {
        state.counters["to_last_byte_ms"] = toLastByteMs / job;
        state.counters["job_bytes"] = static_cast<double>(bytes);
    }
    QDir::setCurrent(previousFolder);
    qputenv("PRINTER", before);
}
BENCHMARK(BM_EscPosReceiptToNetworkPrinter)
    ->Arg(58)
    ->Arg(80)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace
