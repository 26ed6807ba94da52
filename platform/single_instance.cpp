#include "platform/single_instance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QHash>

#include <cstddef>
#include <cstring>

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

bool SingleInstance::anotherInstanceRunning(
    const QString& exePath, qint64 selfPid,
    const std::function<std::vector<ProcessInfo>()>& processes) {
    if (exePath.isEmpty()) {
        return false;
    }
    if (holdLock(exePath)) {
        return false;
    }
    return anotherInstanceRunning(exePath, selfPid, processes());
}

bool SingleInstance::anotherInstanceRunning() {
    return anotherInstanceRunning(ProgramFolder::executablePath(), static_cast<qint64>(::getpid()),
                                  [] { return ProcessList::snapshot(); });
}

QByteArray SingleInstance::lockName(const QString& exePath) {
    // FNV-1a over the path's UTF-8: the same name in every process, unlike the seeded qHash,
    // and short enough for a socket address whatever the path's length.
    quint64 hash = 14695981039346656037ULL;
    for (const char c : exePath.toUtf8()) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return QByteArrayLiteral("tillora-") + QByteArray::number(hash, 16);
}

bool SingleInstance::bindName(int fd, const QByteArray& name) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() + 1 > static_cast<qsizetype>(sizeof(address.sun_path))) {
        return false;
    }
    std::memcpy(address.sun_path + 1, name.constData(), static_cast<std::size_t>(name.size()));
    const auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + std::size_t(name.size()));
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
}

bool SingleInstance::holdLock(const QString& exePath) {
    // Held per path for the life of the process; the sockets are never closed, since closing
    // one would give its name up.
    static QHash<QString, int> held;
    if (held.contains(exePath)) {
        return true;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    if (!bindName(fd, lockName(exePath))) {
        ::close(fd);
        return false;
    }
    held.insert(exePath, fd);
    return true;
}

}  // namespace tillora
