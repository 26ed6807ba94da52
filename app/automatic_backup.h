#pragma once

#include <QDateTime>
#include <QString>

namespace tillora {

// The copies of the database the program keeps by itself, in the folder "backup" beside it:
// one at the first start of each day and one at every exit; the newest 30 are kept. A backup
// that fails never stops the till; the reason goes to the log.
namespace automatic_backup {

// At start: a backup unless one was already taken today. True when one was taken.
bool atStart(const QString& databasePath, const QDateTime& now);
// At exit: always.
bool atExit(const QString& databasePath, const QDateTime& now);

}  // namespace automatic_backup

// "tillora --backup FILE": a checked, consistent copy of the program's database at FILE, taken
// while the program may be running. Says what happened on stdout or stderr; exit code 0 or 1.
int runBackupCommand(const QString& databasePath, const QString& target);

}  // namespace tillora
