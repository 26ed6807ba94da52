#include "platform/process_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tillora {

namespace {

// The kernel marks the link of an executable that was replaced or removed after start.
const QString kDeletedSuffix = QStringLiteral(" (deleted)");

QString readExeLink(const QString& procRoot, qint64 pid) {
    QString target =
        QFileInfo(procRoot + u'/' + QString::number(pid) + QStringLiteral("/exe")).symLinkTarget();
    if (target.endsWith(kDeletedSuffix)) {
        target.chop(kDeletedSuffix.size());
    }
    return target;
}

}  // namespace

bool ProcessList::parseStat(const QByteArray& statLine, ProcessInfo& info) {
    // "pid (comm) state ppid ..." - comm is whatever the program named itself, so the fields
    // after it are found from the last ')'.
    const qsizetype open = statLine.indexOf('(');
    const qsizetype close = statLine.lastIndexOf(')');
    if (open <= 0 || close < open) {
        return false;
    }
    bool ok = false;
    const qint64 pid = statLine.left(open).trimmed().toLongLong(&ok);
    if (!ok) {
        return false;
    }
    const QList<QByteArray> fields = statLine.mid(close + 1).simplified().split(' ');
    // fields[0] is field 3 (state): ppid is field 4, priority 18, num_threads 20.
    constexpr int kFirst = 3;
    constexpr int kPpid = 4;
    constexpr int kPriority = 18;
    constexpr int kThreads = 20;
    if (fields.size() <= kThreads - kFirst) {
        return false;
    }
    bool okParent = false;
    bool okPriority = false;
    bool okThreads = false;
    info.pid = pid;
    info.parentPid = fields[kPpid - kFirst].toLongLong(&okParent);
    info.priority = fields[kPriority - kFirst].toInt(&okPriority);
    info.threadCount = fields[kThreads - kFirst].toInt(&okThreads);
    info.exeName = QString::fromUtf8(statLine.mid(open + 1, close - open - 1));
    return okParent && okPriority && okThreads;
}

bool ProcessList::readProcess(const QString& procRoot, qint64 pid, ProcessInfo& info) {
    QFile stat(procRoot + u'/' + QString::number(pid) + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    if (!parseStat(stat.readAll(), info) || info.pid != pid) {
        return false;
    }
    // The stat name is cut to 15 bytes; the executable link gives the whole name when we may
    // read it (processes of other users hide it).
    info.exePath = readExeLink(procRoot, pid);
    if (!info.exePath.isEmpty()) {
        info.exeName = QFileInfo(info.exePath).fileName();
    }
    return true;
}

std::vector<ProcessInfo> ProcessList::snapshot(const QString& procRoot) {
    std::vector<ProcessInfo> result;
    const QStringList entries = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    result.reserve(static_cast<std::size_t>(entries.size()));
    for (const QString& entry : entries) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok || pid <= 0) {
            continue;
        }
        ProcessInfo info;
        if (readProcess(procRoot, pid, info)) {
            result.push_back(std::move(info));
        }
    }
    return result;
}

}  // namespace tillora
