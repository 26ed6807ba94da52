#include "data/operation_trail.h"

#include "data/current_user.h"
#include "data/sql_text.h"
#include "platform/event_log.h"

#include <QDateTime>
#include <QFile>
#include <QSysInfo>

#include <sqlite3.h>

namespace tillora::operation_trail {

namespace {

// Cut at a character boundary: a surrogate pair is never split.
QString cut(const QString& text) {
    if (text.size() <= kTextLimit) {
        return text;
    }
    int end = kTextLimit;
    if (text.at(end - 1).isHighSurrogate()) {
        --end;
    }
    return text.left(end);
}

QString quoted(const QString& text) {
    return QLatin1Char('\'') + sqlText(cut(text)) + QLatin1Char('\'');
}

QString column(const char* name) {
    return QString::fromUtf8(name) + QStringLiteral(" VARCHAR(255) COLLATE NOCASE CHECK (length(") +
           QString::fromUtf8(name) + QStringLiteral(") <= 255)");
}

}  // namespace

QString tableName() {
    return QStringLiteral("操作记录");
}

QString createStatement() {
    QStringList columns{QStringLiteral("ID INTEGER PRIMARY KEY AUTOINCREMENT"),
                        QStringLiteral("时间 DATETIME CHECK (typeof(时间) IN ('real', 'integer', "
                                       "'null'))")};
    for (const char* name : {"收银台", "用户", "操作", "对象", "之前", "之后"}) {
        columns << column(name);
    }
    return QStringLiteral("CREATE TABLE IF NOT EXISTS 操作记录 (") +
           columns.join(QStringLiteral(", ")) + QStringLiteral(")");
}

QString createIndexStatement() {
    return QStringLiteral("CREATE INDEX IF NOT EXISTS 操作记录_时间 ON 操作记录 (时间)");
}

bool present(ODBCDB& db) {
    const int h = db.OpenTable(QStringLiteral("select ID from 操作记录 where 1=0"));
    db.CloseTable(h);
    return h != 0;
}

QString insertStatement(const TrailEntry& entry, const QString& host) {
    const QString user = entry.user.isEmpty() ? CurrentUser::orNobody().userName() : entry.user;
    return QStringLiteral(
               "insert into [操作记录] (时间,收银台,用户,操作,对象,之前,之后) values (now(),") +
           quoted(host) + u',' + quoted(user) + u',' + quoted(entry.action) + u',' +
           quoted(entry.object) + u',' + quoted(entry.before) + u',' + quoted(entry.after) + u')';
}

bool write(ODBCDB& db, const TrailEntry& entry) {
    if (!present(db)) {
        return true;
    }
    return db.ExecuteSql(insertStatement(entry, QSysInfo::machineHostName()));
}

bool change(ODBCDB& db, const QStringList& statements, const TrailEntry& entry, DbFault* fault) {
    // Asked before the transaction: on the server a failed statement spoils the transaction.
    const bool trail = present(db);
    if (!db.BeginTrans()) {
        if (fault != nullptr) {
            *fault = db.lastFault();
        }
        return false;
    }
    bool ok = true;
    for (const QString& statement : statements) {
        ok = ok && db.ExecuteSql(statement);
    }
    ok = ok && (!trail || db.ExecuteSql(insertStatement(entry, QSysInfo::machineHostName())));
    if (!ok || !db.tryCommitTrans()) {
        if (fault != nullptr) {
            *fault = db.lastFault();
        }
        if (db.inTransaction()) {
            db.RollbackTrans();
        }
        EventLog::write(QStringLiteral("database"),
                        QStringLiteral("change not stored: ") + entry.action);
        return false;
    }
    return true;
}

bool note(ODBCDB& db, const TrailEntry& entry) {
    return change(db, {}, entry);
}

bool carryOver(const QString& from, const QString& to, const TrailEntry& entry) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(to).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const auto run = [db](const QString& sql) {
        return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    // The day number the program's now() gives: days since 1899-12-30, local time.
    const QDateTime at = QDateTime::currentDateTime();
    const double day = static_cast<double>(QDate(1899, 12, 30).daysTo(at.date())) +
                       at.time().msecsSinceStartOfDay() / 86400000.0;
    const QString names = QStringLiteral("时间,收银台,用户,操作,对象,之前,之后");
    bool ok =
        run(QStringLiteral("attach database '") + sqlText(from) + QStringLiteral("' as old")) &&
        run(QStringLiteral("begin immediate"));
    if (ok) {
        sqlite3_stmt* probe = nullptr;
        const bool hadTrail = sqlite3_prepare_v2(db, "select 1 from old.操作记录 where 0", -1,
                                                 &probe, nullptr) == SQLITE_OK;
        sqlite3_finalize(probe);
        QString insert = insertStatement(entry, QSysInfo::machineHostName());
        insert.replace(QStringLiteral("now()"), QString::number(day, 'g', 17));
        ok = run(createStatement()) &&
             (!hadTrail || run(QStringLiteral("insert into main.操作记录 (") + names +
                               QStringLiteral(") select ") + names +
                               QStringLiteral(" from old.操作记录 order by ID"))) &&
             run(insert) && run(QStringLiteral("commit"));
        if (!ok) {
            run(QStringLiteral("rollback"));
        }
    }
    sqlite3_close(db);
    return ok;
}

QStringList columns() {
    return {QStringLiteral("时间"), QStringLiteral("收银台"), QStringLiteral("用户"),
            QStringLiteral("操作"), QStringLiteral("对象"),   QStringLiteral("之前"),
            QStringLiteral("之后")};
}

QString object(const QString& table, int id) {
    return table + u' ' + QString::number(id);
}

}  // namespace tillora::operation_trail
