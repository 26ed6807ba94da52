#pragma once

#include <QString>

namespace tillora {

// The program's log: what a shop sends when it reports a problem. One file, tillora.log, in the
// data folder, readable by its owner only; at about 1 MB it becomes tillora.log.1 (the older ones
// .2 and .3), so a few MB are kept at most. Safe to write from any thread. Until open() is
// called (tests, the command-line tools that don't log) lines go nowhere.
class EventLog {
  public:
    static constexpr qint64 kRotateBytes = 1024 * 1024;
    static constexpr int kKeptFiles = 3;  // tillora.log.1 .. .3 beside the current one

    static QString fileName() { return QStringLiteral("tillora.log"); }

    // Writes to the log of `folder` from now on.
    static void open(const QString& folder);
    static void close();
    // The file written to; empty when the log is closed.
    static QString path();

    // One line: the time, the topic ("start", "database", "backup", "print", ...) and the text,
    // on one line whatever the text holds.
    static void write(const QString& topic, const QString& text);
};

}  // namespace tillora
