#include "data/database_fault_log.h"

#include "data/literal_parameters.h"
#include "platform/event_log.h"

#include <algorithm>

namespace tillora {

namespace {

// A statement's shape is kept to what tells which statement it was.
constexpr qsizetype kMaxShapeLength = 600;

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// value replaced by "?" where it stands on its own: the engine quotes a value or sets it apart,
// while its own words ("administrator") may hold a value ("admin") that must not change them.
QString replacedWhole(const QString& line, const QString& value) {
    QString out;
    qsizetype from = 0;
    for (qsizetype at = line.indexOf(value); at >= 0; at = line.indexOf(value, at + 1)) {
        const qsizetype end = at + value.size();
        const bool openStart = at == 0 || !isWordChar(value.front()) || !isWordChar(line[at - 1]);
        const bool openEnd =
            end == line.size() || !isWordChar(value.back()) || !isWordChar(line[end]);
        if (at >= from && openStart && openEnd) {
            out += line.mid(from, at - from) + u'?';
            from = end;
        }
    }
    return out + line.mid(from);
}

}  // namespace

QString dbFaultName(DbFault fault) {
    switch (fault) {
        case DbFault::None:
            return QStringLiteral("None");
        case DbFault::Locked:
            return QStringLiteral("Locked");
        case DbFault::ReadOnly:
            return QStringLiteral("ReadOnly");
        case DbFault::DiskFull:
            return QStringLiteral("DiskFull");
        case DbFault::Damaged:
            return QStringLiteral("Damaged");
        case DbFault::NotADatabase:
            return QStringLiteral("NotADatabase");
        case DbFault::Missing:
            return QStringLiteral("Missing");
        case DbFault::Duplicate:
            return QStringLiteral("Duplicate");
        case DbFault::Unreachable:
            return QStringLiteral("Unreachable");
        case DbFault::LoginRefused:
            return QStringLiteral("LoginRefused");
        case DbFault::NoSuchDatabase:
            return QStringLiteral("NoSuchDatabase");
        case DbFault::NoClientLibrary:
            return QStringLiteral("NoClientLibrary");
        case DbFault::CommitUnknown:
            return QStringLiteral("CommitUnknown");
        case DbFault::Other:
            break;
    }
    return QStringLiteral("Other");
}

QString loggableEngineMessage(const QString& message, const QString& sql,
                              const std::vector<DbParam>& params) {
    QString line = message.trimmed().section(u'\n', 0, 0).trimmed();
    QStringList values = everyLiteral(sql).texts;
    for (const DbParam& p : params) {
        if (!p.isBytes()) {
            values.append(p.textValue());
        }
    }
    // Longest first, so that a value inside another is not left half hidden. A single character
    // would blank out the message's own words and tells nothing of the user.
    std::sort(values.begin(), values.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& value : std::as_const(values)) {
        if (value.trimmed().size() > 1) {
            line = replacedWhole(line, value);
        }
    }
    return line;
}

void logDatabaseFault(DbFault fault, const QString& engineMessage, const QString& sql,
                      const std::vector<DbParam>& params) {
    QString shape = everyLiteral(sql).shape.simplified();
    if (shape.size() > kMaxShapeLength) {
        shape = shape.left(kMaxShapeLength) + QStringLiteral("...");
    }
    EventLog::write(
        QStringLiteral("database"),
        QStringLiteral("%1: %2; statement: %3")
            .arg(dbFaultName(fault), loggableEngineMessage(engineMessage, sql, params), shape));
}

}  // namespace tillora
