// Printing a 30-line receipt: from "打印小票" to the job handed to the print system, to a PDF file
// and to the default CUPS queue; the layout alone on the recording surface for comparison.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QThread>

#include "bench/thirty_line_receipt.h"
#include "print/printer.h"
#include "print/recording_surface.h"
#include "sales/receipt_layout.h"
#include "sales/receipt_printer.h"

namespace {

using namespace tillora;

Receipt thirtyLines() {
    return bench::thirtyLineReceipt(QStringLiteral(
        "1.所购商品7日内凭购物小票调换\r\n2.所调换商品不能影响二次销售\r\n3.联系电话：020-"
        "80001234"));
}

ReceiptPrinter::Options options() {
    ReceiptPrinter::Options o;
    o.layout.shopName = QStringLiteral("Korvane");
    return o;
}

void BM_ReceiptLayoutOnRecordingSurface(benchmark::State& state) {
    const Receipt receipt = thirtyLines();
    const ReceiptPrinter::Options o = options();
    for (auto _ : state) {
        RecordingSurface surface(RecordingSurface::Metrics::Font, 600);
        benchmark::DoNotOptimize(
            ReceiptLayout::draw(surface, receipt, o.layout, ReceiptLayout::Labels::Paper));
    }
}
BENCHMARK(BM_ReceiptLayoutOnRecordingSurface)->Unit(benchmark::kMillisecond);

void BM_PrintReceiptToPdfFile(benchmark::State& state) {
    QTemporaryDir dir;
    Printer::setOutputFileOverride(dir.filePath(QStringLiteral("receipt.pdf")));
    const Receipt receipt = thirtyLines();
    const ReceiptPrinter::Options o = options();
    Printer printer;
    printer.setPenType(3);
    for (auto _ : state) {
        if (!ReceiptPrinter::print(printer, receipt, o, {})) {
            state.SkipWithError("the job did not start");
            break;
        }
        QApplication::processEvents();
    }
    Printer::setOutputFileOverride({});
}
BENCHMARK(BM_PrintReceiptToPdfFile)->Unit(benchmark::kMillisecond);

// Each iteration is a real job on the default queue; a few are enough, and their files are
// removed afterwards.
void BM_PrintReceiptToDefaultCupsQueue(benchmark::State& state) {
    if (QPrinterInfo::defaultPrinter().isNull()) {
        state.SkipWithError("no default printer (CUPS not running?)");
        return;
    }
    const QString token =
        QStringLiteral("TilloraBench%1").arg(QDateTime::currentMSecsSinceEpoch() % 1000000);
    const Receipt receipt = thirtyLines();
    const ReceiptPrinter::Options o = options();
    Printer printer;
    printer.setPenType(3);
    printer.setDocumentName(token);
    for (auto _ : state) {
        if (!ReceiptPrinter::print(printer, receipt, o, {})) {
            state.SkipWithError("the job did not start");
            break;
        }
        QApplication::processEvents();
    }
    // Best effort: let the PDF printer write its files, then remove them.
    const QDir out(QDir::home().filePath(QStringLiteral("PDF")));
    QElapsedTimer waited;
    waited.start();
    qint64 found = 0;
    while (waited.elapsed() < 20000 && found < state.iterations()) {
        QThread::msleep(250);
        found = out.entryList({QStringLiteral("*%1*").arg(token)}, QDir::Files).size();
    }
    for (const QString& f : out.entryList({QStringLiteral("*%1*").arg(token)}, QDir::Files)) {
        QFile::remove(out.filePath(f));
    }
}
BENCHMARK(BM_PrintReceiptToDefaultCupsQueue)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
