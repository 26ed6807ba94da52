#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

#include "platform/process_list.h"

namespace tillora {

// Finds another running copy of this program. A copy is another process running the same
// executable file (by its real path), so copies installed in different folders - each with its
// own database beside it - don't stop each other.
//
// Each copy holds a name made from its executable's path, as an abstract local socket, for as
// long as it runs. The system drops the name when the process ends, however it ends, and there
// is no file that a crash could leave behind or a cleaner could remove. Getting the name proves
// that no other copy runs and spares the walk over every process; when it is held elsewhere,
// or no socket can be made, the process list decides.
class SingleInstance {
  public:
    // True when a process other than selfPid runs exePath.
    static bool anotherInstanceRunning(const QString& exePath, qint64 selfPid,
                                       const std::vector<ProcessInfo>& processes);

    // The whole check: the name first, the process list (asked only then) when it is taken.
    static bool anotherInstanceRunning(const QString& exePath, qint64 selfPid,
                                       const std::function<std::vector<ProcessInfo>()>& processes);

    // The same question for the calling process, asked of the live process list.
    static bool anotherInstanceRunning();

    // The socket name of the copies of exePath (without the leading zero byte of the abstract
    // namespace).
    static QByteArray lockName(const QString& exePath);
    // Takes the name for exePath and keeps it until the process ends; true once held (asking
    // again is harmless), false while another process holds it or no socket can be made.
    static bool holdLock(const QString& exePath);
    // Binds name on socket fd in the abstract namespace; only system calls, so that it can be
    // used between fork and exec.
    static bool bindName(int fd, const QByteArray& name);
};

}  // namespace tillora
