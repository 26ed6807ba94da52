// The program as bench_startup measures it: main() of the program, reporting its first window.
#include <QApplication>

#include "app/program.h"
#include "bench/startup_signal.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tillora::bench::FirstWindowSignal signal;
    app.installEventFilter(&signal);
    return tillora::runProgram(app);
}
