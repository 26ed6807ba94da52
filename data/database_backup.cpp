#include "data/database_backup.h"

#include "data/sqlite_connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tillora {

namespace {

// How long the copy waits for a writer on the source to finish committing.
constexpr int kBusyWaitMs = 3000;

struct Handle {
    sqlite3* db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
    QString error() const { return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString(); }
};

bool openFile(Handle& handle, const QString& path, int flags) {
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &handle.db,
                                   flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        return false;
    }
    sqlite3_busy_timeout(handle.db, kBusyWaitMs);
    // Index order on text columns follows the program's own comparison; the check must use it.
    return SqliteConnection::registerJetFunctions(handle.db);
}

bool isBusy(int rc) {
    return rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
}

BackupResult failure(BackupStatus status, const QString& detail) {
    return {status, detail};
}

BackupResult sqliteFailure(int rc) {
    const QString detail = QString::fromUtf8(sqlite3_errstr(rc));
    if (isBusy(rc)) {
        return failure(BackupStatus::SourceBusy, detail);
    }
    return failure(BackupStatus::SourceUnreadable, detail);
}

// Copies the file byte for byte while holding SQLite's shared lock: no writer can change the
// file meanwhile, and a journal left by a crashed writer is rolled back before the lock is
// granted. The copy is therefore consistent and identical to the database as committed (an
// online backup through sqlite3_backup would rewrite the header's change counters).
BackupResult copyInto(const QString& sourcePath, const QString& copyPath) {
    if (!QFileInfo(sourcePath).isFile()) {
        return failure(BackupStatus::SourceUnreadable, QStringLiteral("文件不存在"));
    }
    Handle source;
    if (!openFile(source, sourcePath, SQLITE_OPEN_READWRITE)) {
        return failure(BackupStatus::SourceUnreadable, source.error());
    }
    int rc = sqlite3_exec(source.db, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr,
                          nullptr);
    if (rc != SQLITE_OK) {
        return sqliteFailure(sqlite3_extended_errcode(source.db) & 0xff);
    }
    QFile in(sourcePath);
    QFile out(copyPath);
    if (!in.open(QIODevice::ReadOnly)) {
        return failure(BackupStatus::SourceUnreadable, in.errorString());
    }
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return failure(BackupStatus::TargetUnwritable, out.errorString());
    }
    constexpr qint64 kChunk = 1 << 20;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            return failure(BackupStatus::SourceUnreadable, in.errorString());
        }
        if (out.write(chunk) != chunk.size()) {
            return failure(BackupStatus::TargetUnwritable, out.errorString());
        }
    }
    if (!out.flush()) {
        return failure(BackupStatus::TargetUnwritable, out.errorString());
    }
#ifdef Q_OS_UNIX
    // The copy must be on the disk before it replaces an earlier backup.
    if (::fsync(out.handle()) != 0) {
        return failure(BackupStatus::TargetUnwritable, QString::fromLocal8Bit(strerror(errno)));
    }
#endif
    sqlite3_exec(source.db, "COMMIT", nullptr, nullptr, nullptr);
    return {};
}

BackupResult verify(const QString& copyPath) {
    Handle copy;
    if (!openFile(copy, copyPath, SQLITE_OPEN_READONLY)) {
        return failure(BackupStatus::VerifyFailed, copy.error());
    }
    sqlite3_stmt* check = nullptr;
    if (sqlite3_prepare_v2(copy.db, "PRAGMA integrity_check", -1, &check, nullptr) != SQLITE_OK) {
        return failure(BackupStatus::VerifyFailed, copy.error());
    }
    QString verdict;
    while (sqlite3_step(check) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
        verdict += (verdict.isEmpty() ? QString() : QStringLiteral("\n")) +
                   QString::fromUtf8(text ? text : "");
    }
    sqlite3_finalize(check);
    if (verdict != QStringLiteral("ok")) {
        return failure(BackupStatus::VerifyFailed, verdict.isEmpty() ? copy.error() : verdict);
    }
    return {};
}

}  // namespace

BackupResult backupDatabaseFile(const QString& sourcePath, const QString& targetPath) {
    const QFileInfo target(targetPath);
    // The temporary copy lives beside the target so that the final rename stays on one file
    // system and replaces the target in one step.
    QTemporaryFile temporary(
        target.absoluteDir().filePath(target.fileName() + QStringLiteral(".XXXXXX.tmp")));
    if (!temporary.open()) {
        return failure(BackupStatus::TargetUnwritable, temporary.errorString());
    }
    temporary.close();
    const QString copyPath = temporary.fileName();
    // A backup is read by whoever may read the database, not only by its owner.
    temporary.setPermissions(QFileInfo(sourcePath).permissions());
    BackupResult result = copyInto(sourcePath, copyPath);
    if (result.ok()) {
        result = verify(copyPath);
    }
    if (!result.ok()) {
        return result;  // the temporary file goes with `temporary`
    }
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(copyPath.toStdU16String()),
                            std::filesystem::path(target.absoluteFilePath().toStdU16String()),
                            error);
    if (error) {
        return failure(BackupStatus::TargetUnwritable, QString::fromStdString(error.message()));
    }
    temporary.setAutoRemove(false);
    return {};
}

}  // namespace tillora
