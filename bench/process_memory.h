#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstring>

namespace tillora::bench {

// A memory figure of this process from /proc/self/status ("VmRSS:", "VmHWM:"), in megabytes;
// 0 when it can't be read.
inline double statusMegabytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(static_cast<qsizetype>(std::strlen(field)))
                       .trimmed()
                       .split(' ')
                       .front()
                       .toDouble() /
                   1024.0;
        }
    }
    return 0;
}

}  // namespace tillora::bench
