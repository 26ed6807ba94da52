#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

namespace tillora {

// One running process as the process list reports it.
struct ProcessInfo {
    qint64 pid = 0;
    qint64 parentPid = 0;
    QString exeName;  // executable file name without its folder
    QString exePath;  // full path of the executable; empty when the system doesn't tell us
    int threadCount = 0;
    int priority = 0;
};

// A snapshot of the running processes, read from /proc.
class ProcessList {
  public:
    // procRoot lets tests read a prepared tree; processes that vanish or can't be read while
    // we walk are skipped, so the snapshot is whatever could be seen.
    static std::vector<ProcessInfo> snapshot(const QString& procRoot = QStringLiteral("/proc"));

    // Reads one process; false when it is gone or its stat line can't be parsed.
    static bool readProcess(const QString& procRoot, qint64 pid, ProcessInfo& info);

    // Parses the text of /proc/<pid>/stat (the command name may hold blanks and brackets).
    static bool parseStat(const QByteArray& statLine, ProcessInfo& info);
};

}  // namespace tillora
