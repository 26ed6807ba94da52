#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

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

// The start's backup taken off the cashier's path: on a thread of its own, with its own
// connection and file handles, while the first window is in use. Its outcome (a failure, or one
// an earlier exit left untold) is told through the message service on the thread that made the
// object, from its event loop.
//
// Sales go on meanwhile: the copy lets go of the file between its steps, and a sale committed
// during the copy starts it again, so the backup holds every sale committed before its last pass
// began; one committed later is in the database only, and in the next backup.
class DailyBackup {
  public:
    // betweenSteps runs on the backup's thread between the copy's steps (tests hold it there).
    DailyBackup(const QString& databasePath, const QDateTime& now,
                std::function<void()> betweenSteps = {});
    // Stops it as stop() does.
    ~DailyBackup();
    DailyBackup(const DailyBackup&) = delete;
    DailyBackup& operator=(const DailyBackup&) = delete;

    // Stops a copy under way within milliseconds and waits for the thread; a stopped copy leaves
    // no backup and no temporary file, and its outcome is not told.
    void stop();

  private:
    struct Work;
    std::shared_ptr<Work> work_;
    std::unique_ptr<QObject> receiver_;
    std::thread thread_;
};

// At exit: the backup, when one is needed, handed to a process of its own (`program`
// --exit-backup), so that this process, and the hold on the single-instance rule with it, ends
// at once. Taken here, as atExit does, when that process can't be started. True when a backup
// was handed over or taken.
bool handOver(const QString& databasePath, const QString& program, const QDateTime& now);

// "--exit-backup DATABASE": the process handOver starts. Leaves the terminal's session, takes
// the backup, logs it, and keeps a failure for the next start. Exit code 0 or 1.
int runExitBackup(const QString& databasePath);
inline constexpr char kExitBackupArgument[] = "--exit-backup";

QString failedText(const QString& cause);

}  // namespace automatic_backup

// "tillora --backup FILE": a checked, consistent copy of the program's database at FILE, taken
// while the program may be running. Says what happened on stdout or stderr; exit code 0 or 1.
// Temporary copies an interrupted earlier run left beside FILE are removed first.
int runBackupCommand(const QString& databasePath, const QString& target);

}  // namespace tillora
