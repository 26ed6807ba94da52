// The program as bench_startup measures it: main() of the program, reporting its first window.
#include <QApplication>

#include <cstring>

#include "app/automatic_backup.h"
#include "app/program.h"
#include "bench/startup_signal.h"

int main(int argc, char** argv) {
    // The exit hands its backup to this same executable.
    if (argc == 3 && std::strcmp(argv[1], tillora::automatic_backup::kExitBackupArgument) == 0) {
        QCoreApplication application(argc, argv);
        return tillora::automatic_backup::runExitBackup(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    tillora::bench::FirstWindowSignal signal;
    app.installEventFilter(&signal);
    return tillora::runProgram(app);
}
