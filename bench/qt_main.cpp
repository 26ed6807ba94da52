// The main of a benchmark that needs a QApplication: on Qt's offscreen platform unless another
// is asked for. A benchmark file without a main of its own gets this one.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "print/print_support.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The benchmarks sit in a folder of their own, away from the build's print module.
    tillora::PrintSupport::setBuildModule(QStringLiteral(TILLORA_PRINT_SUPPORT_MODULE));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
