#pragma once

#include <QDateTime>
#include <QString>

namespace tillora {

// The copies of the database the program keeps by itself, in the folder "backup" beside it:
// one at the first start of each day and one at every exit (see data/backup_folder.h for which
// are kept). A backup that fails never stops the till, but the cashier is told: at once when it
// fails at start, at the next start when it failed at exit. A run of failures is told once; the
// next backup that succeeds ends the run.
namespace automatic_backup {

// At start: a backup unless one was already taken today, then the failure not yet told, if any.
// True when a backup was taken.
bool atStart(const QString& databasePath, const QDateTime& now);
// At exit: always; a failure is kept for the next start.
bool atExit(const QString& databasePath, const QDateTime& now);

QString failedText(const QString& cause);

}  // namespace automatic_backup

// "tillora --backup FILE": a checked, consistent copy of the program's database at FILE, taken
// while the program may be running. Says what happened on stdout or stderr; exit code 0 or 1.
// Temporary copies an interrupted earlier run left beside FILE are removed first.
int runBackupCommand(const QString& databasePath, const QString& target);

}  // namespace tillora
