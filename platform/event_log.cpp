#include "platform/event_log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

namespace tillora {

namespace {

// A statement or an engine's message can be long; a line stays readable and the rotation bound
// holds.
constexpr qsizetype kMaxTextLength = 4000;

QMutex& logMutex() {
    static QMutex mutex;
    return mutex;
}

QString& logPath() {
    static QString path;
    return path;
}

QString numbered(const QString& path, int n) {
    return path + QLatin1Char('.') + QString::number(n);
}

void rotate(const QString& path) {
    QFile::remove(numbered(path, EventLog::kKeptFiles));
    for (int n = EventLog::kKeptFiles - 1; n >= 1; --n) {
        QFile::rename(numbered(path, n), numbered(path, n + 1));
    }
    QFile::rename(path, numbered(path, 1));
}

QByteArray lineFor(const QString& topic, const QString& text) {
    QString flat = text.left(kMaxTextLength);
    for (QChar& c : flat) {
        if (c == u'\r' || c == u'\n' || c == u'\t') {
            c = u' ';
        }
    }
    return (QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + QLatin1Char(' ') + topic +
            QStringLiteral(": ") + flat.trimmed() + QLatin1Char('\n'))
        .toUtf8();
}

}  // namespace

void EventLog::open(const QString& folder) {
    const QMutexLocker lock(&logMutex());
    logPath() = QDir(folder).filePath(fileName());
}

void EventLog::close() {
    const QMutexLocker lock(&logMutex());
    logPath().clear();
}

QString EventLog::path() {
    const QMutexLocker lock(&logMutex());
    return logPath();
}

void EventLog::write(const QString& topic, const QString& text) {
    const QByteArray line = lineFor(topic, text);
    const QMutexLocker lock(&logMutex());
    const QString& path = logPath();
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    if (file.exists() && file.size() + line.size() > kRotateBytes) {
        rotate(path);
    }
    // A log is never worth failing the work it describes: a line that can't be written is lost.
    if (file.open(QIODevice::WriteOnly | QIODevice::Append, QFile::ReadOwner | QFile::WriteOwner)) {
        file.write(line);
    }
}

}  // namespace tillora
