#include <QApplication>
#include <cstring>

#include "app/program.h"
#include "forms/memory_guard_operator_new.h"
#include "platform/crash_handler.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The program takes no options; this one is passed only by its own crash handler.
    if (argc == 2 && std::strcmp(argv[1], tillora::CrashHandler::kMessageArgument) == 0) {
        return tillora::showCrashMessage(application);
    }
    return tillora::runProgram(application);
}
