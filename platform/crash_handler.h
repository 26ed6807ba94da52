#pragma once

#include <QString>
#include <QStringList>

namespace tillora {

// Tells the user when the program dies of a fault instead of vanishing silently.
//
// A message box can't be shown from inside a signal handler: the faulting thread may hold the
// allocator's or the toolkit's locks and its state may be wrecked. So everything the handler
// needs (program path, argument list) is prepared at install time, and the handler only
// forks and execs a fresh process that shows the box - both async-signal-safe - waits for it,
// and lets the signal end this process with its default action (so the exit status and any
// core dump still tell what happened). The program passes its own executable with
// messageArgument(); that copy shows the message and nothing else.
class CrashHandler {
  public:
    // The only argument the program accepts, used by the crash handler alone.
    static constexpr const char* kMessageArgument = "--tillora-crash-message";

    // The text the message process shows.
    static QString messageText();

    // Catches SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT and std::terminate (which ends in
    // SIGABRT). messageProgram is run with arguments when one of them arrives.
    static void install(const QString& messageProgram, const QStringList& arguments);
};

}  // namespace tillora
