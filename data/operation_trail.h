#pragma once

#include "data/odbcdb.h"

#include <QString>
#include <QStringList>

namespace tillora {

// One row of 操作记录: who did what to which record, on which till, and the short text of the
// record before and after. Rows are only ever added; the program never changes or deletes one.
struct TrailEntry {
    QString action;  // what was done, e.g. "删除销售记录"
    QString object;  // the table and ID, or the receipt number
    QString before;
    QString after;
    // Empty: the logged-in user. A failed login records the name typed.
    QString user;
};

namespace operation_trail {

QString tableName();
// Each text column holds at most this many characters; longer text is cut, never refused.
constexpr int kTextLimit = 255;

// The statement that makes the table in a file (the server has its own in server_schema).
QString createStatement();
QString createIndexStatement();
// Whether the open database has the table (a file that could not be upgraded has not).
bool present(ODBCDB& db);
// The insert for one entry at the current time, for the host this program runs on.
QString insertStatement(const TrailEntry& entry, const QString& host);
// Writes the entry inside the caller's transaction. True when written, or when the database has
// no trail (the change goes on without its row); false when the row could not be written, and
// the caller must roll its change back.
bool write(ODBCDB& db, const TrailEntry& entry);
// The statements and the entry in one transaction: either all are stored or none is.
// *fault, when given, says why it failed (the rollback does not hide it).
bool change(ODBCDB& db, const QStringList& statements, const TrailEntry& entry,
            DbFault* fault = nullptr);
// An entry on its own (a login, a drawer opening, a reprint); false when it was not stored.
bool note(ODBCDB& db, const TrailEntry& entry);

// Data initialisation keeps the trail: the rows of the file `from` (if it has the table) and the
// entry go into the new file `to`, in one transaction; false when they could not.
bool carryOver(const QString& from, const QString& to, const TrailEntry& entry);

// "表名 ID".
QString object(const QString& table, int id);
// The columns after ID, in table order.
QStringList columns();

}  // namespace operation_trail

}  // namespace tillora
