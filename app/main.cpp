#include <QApplication>
#include <cstring>

#include "app/automatic_backup.h"
#include "app/program.h"
#include "data/database_setup.h"
#include "data/server_config.h"
#include "data/server_setup.h"
#include "forms/services/memory_guard_operator_new.h"
#include "platform/crash_handler.h"
#include "platform/data_folder.h"

int main(int argc, char** argv) {
    // "--backup FILE" copies the database and ends; it needs no display.
    if (argc == 3 && std::strcmp(argv[1], "--backup") == 0) {
        QCoreApplication application(argc, argv);
        return tillora::runBackupCommand(tillora::databasePath(tillora::DataFolder::current()),
                                         QString::fromLocal8Bit(argv[2]));
    }
    // The backup an ending program handed over; it takes no single-instance hold, so a new start
    // meanwhile goes ahead.
    if (argc == 3 && std::strcmp(argv[1], tillora::automatic_backup::kExitBackupArgument) == 0) {
        QCoreApplication application(argc, argv);
        return tillora::automatic_backup::runExitBackup(QString::fromLocal8Bit(argv[2]));
    }
    // "--where" names the data folder (making it on an installed program's first run).
    if (argc == 2 && std::strcmp(argv[1], "--where") == 0) {
        QCoreApplication application(argc, argv);
        return tillora::printDataFolder();
    }
    // "--init-server" and "--copy-to-server [FILE]" set up the server tillora.conf names.
    if (argc >= 2 && (std::strcmp(argv[1], "--init-server") == 0 ||
                      std::strcmp(argv[1], "--copy-to-server") == 0)) {
        QCoreApplication application(argc, argv);
        return tillora::runServerSetupCommand(argc, argv);
    }
    QApplication application(argc, argv);
    // Otherwise the program takes no options; this one is passed only by its own crash handler.
    if (argc == 2 && std::strcmp(argv[1], tillora::CrashHandler::kMessageArgument) == 0) {
        return tillora::showCrashMessage(application);
    }
    // Not for users: lets the package's check see the print module load from the installed tree.
    if (argc == 2 && std::strcmp(argv[1], "--check-print-module") == 0) {
        return tillora::checkPrintModule();
    }
    return tillora::runProgram(application);
}
