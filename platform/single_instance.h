#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

#include "platform/process_list.h"

namespace tillora {

// Finds another running copy of this program. A copy is another process running the same
// executable file (by its real path), so copies installed in different folders - each with its
// own database beside it - don't stop each other, and no lock file can be left behind by a
// crash.
class SingleInstance {
  public:
    // True when a process other than selfPid runs exePath.
    static bool anotherInstanceRunning(const QString& exePath, qint64 selfPid,
                                       const std::vector<ProcessInfo>& processes);

    // The same question for the calling process, asked of the live process list.
    static bool anotherInstanceRunning();
};

}  // namespace tillora
