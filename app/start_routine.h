#pragma once

#include <QString>

#include <functional>

namespace tillora {

class DatabasePrompts;
class ODBCDB;

// What the start routine asks of the world; the program passes the real process list, program
// folder and message boxes, tests their own.
struct StartCollaborators {
    std::function<bool()> anotherInstanceRunning;
    QString programFolder;
    DatabasePrompts* prompts = nullptr;
};

enum class StartOutcome {
    DatabaseOpen,    // go on with the first window
    AlreadyRunning,  // another copy runs; the database was not touched
    NoDatabase,      // the database could not be opened or restored; every message was shown
};

// The start routine up to the first window: the single-instance rule ("程序已经运行!"), then the
// database in the program folder opened into database, restored from the template when the
// user agrees.
StartOutcome runStartRoutine(ODBCDB& database, const StartCollaborators& with);

QString alreadyRunningText();

}  // namespace tillora
