#pragma once

#include <QString>

namespace tillora {

enum class BackupStatus {
    Ok,
    SourceUnreadable,  // missing, not a database, or damaged beyond reading
    SourceBusy,        // another connection kept the file locked for the whole wait
    TargetUnwritable,  // the folder or the file can't be written (read-only, disk full)
    VerifyFailed,      // the copy was written but does not pass the integrity check
};

struct BackupResult {
    BackupStatus status = BackupStatus::Ok;
    QString detail;  // SQLite's own words, for the message and the log
    bool ok() const { return status == BackupStatus::Ok; }
};

// A consistent copy of the database file at sourcePath, safe while other connections (this
// program's own included) have it open: the file is copied under SQLite's shared lock into a
// temporary file beside the target, the copy must pass integrity_check, and only then is it
// renamed over targetPath. The copy is byte for byte the database as last committed.
// On any failure targetPath is untouched and no temporary file is left behind.
BackupResult backupDatabaseFile(const QString& sourcePath, const QString& targetPath);

}  // namespace tillora
