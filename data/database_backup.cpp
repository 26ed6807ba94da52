#include "data/database_backup.h"

#include "data/sqlite_connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
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

BackupResult verify(Handle& copy) {
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

BackupResult verify(const QString& copyPath) {
    Handle copy;
    if (!openFile(copy, copyPath, SQLITE_OPEN_READONLY)) {
        return failure(BackupStatus::VerifyFailed, copy.error());
    }
    return verify(copy);
}

// The rename is only durable once the folder's entry is on the disk.
BackupResult syncFolder(const QString& folder) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0 || ::fsync(fd) != 0) {
        const QString why = QString::fromLocal8Bit(strerror(errno));
        if (fd >= 0) {
            ::close(fd);
        }
        return failure(BackupStatus::TargetUnwritable, why);
    }
    ::close(fd);
#else
    Q_UNUSED(folder);
#endif
    return {};
}

// Held on a temporary copy while it is written, so that a cleanup never takes a live one. The
// lock goes with the process, so a killed backup's copy is free to remove.
bool lockCopy([[maybe_unused]] int fd, [[maybe_unused]] bool wait) {
#ifdef Q_OS_UNIX
    return ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) == 0;
#else
    return true;
#endif
}

const QString kCopySuffix = QStringLiteral(".XXXXXX.tmp");
// QTemporaryFile fills the six places with letters and digits.
const QString kCopySuffixPattern = QStringLiteral("\\.[A-Za-z0-9]{6}\\.tmp");

}  // namespace

BackupContents readBackupContents(const QString& path, bool checkWhole) {
    BackupContents contents;
    Handle file;
    if (!QFileInfo(path).isFile() || !openFile(file, path, SQLITE_OPEN_READONLY)) {
        return contents;
    }
    if (checkWhole && !verify(file).ok()) {
        return contents;
    }
    // The template carries one sample sale (ID 401, receipt 1608180000001); a backup of a fresh
    // template holds none of the shop's own.
    sqlite3_stmt* count = nullptr;
    if (sqlite3_prepare_v2(file.db,
                           "SELECT count(*), count(*) - count(CASE WHEN ID = 401 AND "
                           "销售票号 = '1608180000001' THEN 1 END) FROM 销售记录",
                           -1, &count, nullptr) == SQLITE_OK &&
        sqlite3_step(count) == SQLITE_ROW) {
        contents.whole = true;
        contents.sales = sqlite3_column_int64(count, 0);
        contents.ownSales = sqlite3_column_int64(count, 1);
    }
    sqlite3_finalize(count);
    return contents;
}

int removeInterruptedCopies(const QString& folder, const QString& targetNamePattern) {
    const QRegularExpression pattern(QStringLiteral("^(?:") + targetNamePattern +
                                     QStringLiteral(")") + kCopySuffixPattern +
                                     QStringLiteral("$"));
    const QDir dir(folder);
    int removed = 0;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (!pattern.match(name).hasMatch()) {
            continue;
        }
        QFile copy(dir.filePath(name));
        if (copy.open(QIODevice::ReadOnly) && lockCopy(copy.handle(), false) && copy.remove()) {
            ++removed;
        }
    }
    return removed;
}

BackupResult backupDatabaseFile(const QString& sourcePath, const QString& targetPath) {
    const QFileInfo target(targetPath);
    // The temporary copy lives beside the target so that the final rename stays on one file
    // system and replaces the target in one step.
    // QTemporaryFile creates it readable and writable by its owner only, which the rename keeps.
    QTemporaryFile temporary(target.absoluteDir().filePath(target.fileName() + kCopySuffix));
    if (!temporary.open()) {
        return failure(BackupStatus::TargetUnwritable, temporary.errorString());
    }
    lockCopy(temporary.handle(), true);
    const QString copyPath = temporary.fileName();
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
    return syncFolder(target.absolutePath());
}

}  // namespace tillora
