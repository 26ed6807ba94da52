#include "platform/single_instance.h"

#include <unistd.h>

#include "platform/program_folder.h"

namespace tillora {

bool SingleInstance::anotherInstanceRunning(const QString& exePath, qint64 selfPid,
                                            const std::vector<ProcessInfo>& processes) {
    if (exePath.isEmpty()) {
        return false;
    }
    for (const ProcessInfo& process : processes) {
        if (process.pid != selfPid && process.exePath == exePath) {
            return true;
        }
    }
    return false;
}

bool SingleInstance::anotherInstanceRunning() {
    return anotherInstanceRunning(ProgramFolder::executablePath(), static_cast<qint64>(::getpid()),
                                  ProcessList::snapshot());
}

}  // namespace tillora
