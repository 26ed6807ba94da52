#pragma once

#include <QString>

#include <QtGlobal>

#include <atomic>
#include <functional>

namespace tillora {

enum class BackupStatus {
    Ok,
    SourceUnreadable,  // missing, not a database, or damaged beyond reading
    SourceBusy,        // another connection kept the file locked for the whole wait
    TargetUnwritable,  // the folder or the file can't be written (read-only, disk full)
    VerifyFailed,      // the copy was written but does not pass the integrity check
    SourceDamaged,     // the database file itself fails the check: detail has the engine's words
    Cancelled,         // stopped on request; nothing was written
};

struct BackupResult {
    BackupStatus status = BackupStatus::Ok;
    QString detail;  // SQLite's own words, for the message and the log
    bool ok() const { return status == BackupStatus::Ok; }
};

// How a backup runs besides its two paths.
struct BackupControl {
    // Set from another thread to stop the copy or its check within milliseconds.
    std::atomic<bool> cancel{false};
    // Bytes copied per step; the shared lock is let go between steps.
    qint64 stepBytes = qint64(1) << 20;
    // Called between steps, with the lock let go (tests change the file there).
    std::function<void()> betweenSteps;
};

// A consistent copy of the database file at sourcePath, safe while other connections (this
// program's own included) have it open: the file is copied into a temporary file beside the
// target (one without a name where the file system has them, so no kill leaves it) in steps, each
// under SQLite's shared lock, so the tills' sales wait at most one step. A commit between steps
// starts the copy again; after a few such starts the last one holds the lock to the end, so a busy
// shop still gets its backup. The copy must pass integrity_check, and only then is it renamed over
// targetPath; when it fails, the source is checked too, so that damage of the database itself is
// told apart from a bad copy. The copy is byte for byte the database as last committed. On any
// failure targetPath is untouched and no temporary file is left behind. A new target is readable
// and writable by its owner only: it holds every sale and user.
BackupResult backupDatabaseFile(const QString& sourcePath, const QString& targetPath);
BackupResult backupDatabaseFile(const QString& sourcePath, const QString& targetPath,
                                BackupControl& control);

// True when the backup holds what the database file holds now: the same header (whose change
// counter every commit moves), the same size, and no change to the file since the backup was
// written. Reads only the two headers.
bool backupIsCurrent(const QString& sourcePath, const QString& backupPath);

// What a backup file holds, read without changing it.
struct BackupContents {
    bool whole = false;    // opens, and passes the integrity check when one was asked for
    qint64 sales = -1;     // rows of 销售记录; -1 when the file can't be read
    qint64 ownSales = -1;  // the same without the template's sample sale: the shop's own
};
BackupContents readBackupContents(const QString& path, bool checkWhole);

// Removes the temporary copies that interrupted backups (a kill, a power cut) left in `folder`
// beside targets whose file name matches `targetNamePattern` (a regular expression, anchored).
// A copy another backup is still writing is left alone. The number removed.
int removeInterruptedCopies(const QString& folder, const QString& targetNamePattern);

}  // namespace tillora
