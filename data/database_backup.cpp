#include "data/database_backup.h"

#include "data/sqlite_connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <algorithm>
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

// Starts a read transaction: from here until endRead no writer can change the file, and a
// journal left by a crashed writer has been rolled back.
int beginRead(Handle& source) {
    return sqlite3_exec(source.db, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr,
                        nullptr);
}

void endRead(Handle& source) {
    sqlite3_exec(source.db, "COMMIT", nullptr, nullptr, nullptr);
}

constexpr qint64 kHeaderBytes = 100;
// Every commit moves the file change counter in the header.
constexpr qint64 kChangeCounterAt = 24;
// Passes in steps before one holds the file to the end. The last one keeps sales waiting for
// the whole copy; each pass before it is another chance to fit between two sales.
constexpr int kStepwiseAttempts = 5;

// The source file read through SQLite's own handle of it. A descriptor of our own would do for
// reading, but closing it would drop every POSIX lock this process holds on the file, those of
// the program's other connection (mid-sale, on another thread) included; SQLite keeps its
// descriptors open while any connection of the process holds a lock.
class SourceFile {
  public:
    explicit SourceFile(sqlite3* db) {
        if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file_) != SQLITE_OK ||
            file_ == nullptr || file_->pMethods == nullptr) {
            file_ = nullptr;
        }
    }
    bool isOpen() const { return file_ != nullptr; }
    qint64 size() const {
        sqlite3_int64 bytes = -1;
        return file_->pMethods->xFileSize(file_, &bytes) == SQLITE_OK ? bytes : -1;
    }
    bool read(qint64 offset, qint64 bytes, QByteArray* into) const {
        into->resize(bytes);
        return file_->pMethods->xRead(file_, into->data(), static_cast<int>(bytes), offset) ==
               SQLITE_OK;
    }

  private:
    sqlite3_file* file_ = nullptr;
};

QByteArray changeCounter(const SourceFile& in) {
    QByteArray counter;
    return in.read(kChangeCounterAt, 4, &counter) ? counter : QByteArray();
}

bool cancelled(const BackupControl& control) {
    return control.cancel.load(std::memory_order_relaxed);
}

// Copies the file byte for byte in steps, each under SQLite's shared lock. The copy is the
// database as committed when every step saw the same change counter; a commit between steps
// starts it again. (An online backup through sqlite3_backup would rewrite the header's change
// counters, and the copy would no longer compare equal to its source.)
BackupResult copyInto(const QString& sourcePath, const QString& copyPath, BackupControl& control) {
    if (!QFileInfo(sourcePath).isFile()) {
        return failure(BackupStatus::SourceUnreadable, QStringLiteral("文件不存在"));
    }
    Handle source;
    if (!openFile(source, sourcePath, SQLITE_OPEN_READWRITE)) {
        return failure(BackupStatus::SourceUnreadable, source.error());
    }
    const SourceFile in(source.db);
    QFile out(copyPath);
    if (!in.isOpen()) {
        return failure(BackupStatus::SourceUnreadable, source.error());
    }
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return failure(BackupStatus::TargetUnwritable, out.errorString());
    }
    const qint64 step = std::max<qint64>(control.stepBytes, kHeaderBytes);
    const QString readFailed = QStringLiteral("读取失败");
    QByteArray chunk;
    bool whole = false;
    for (int attempt = 1; !whole; ++attempt) {
        // The last attempt copies the file in one step.
        const qint64 stepBytes = attempt >= kStepwiseAttempts ? -1 : step;
        if (!out.resize(0) || !out.seek(0)) {
            return failure(BackupStatus::TargetUnwritable, out.errorString());
        }
        QByteArray counter;
        qint64 size = 0;
        qint64 done = 0;
        for (bool first = true;; first = false) {
            if (cancelled(control)) {
                return failure(BackupStatus::Cancelled, {});
            }
            if (const int rc = beginRead(source); rc != SQLITE_OK) {
                return sqliteFailure(sqlite3_extended_errcode(source.db) & 0xff);
            }
            const QByteArray now = changeCounter(in);
            if (first) {
                counter = now;
                size = in.size();
            } else if (now != counter || in.size() != size) {
                endRead(source);
                break;
            }
            const qint64 end = stepBytes < 0 ? size : std::min(size, done + stepBytes);
            while (done < end) {
                if (!in.read(done, std::min<qint64>(end - done, qint64(1) << 20), &chunk)) {
                    endRead(source);
                    return failure(BackupStatus::SourceUnreadable, readFailed);
                }
                if (out.write(chunk) != chunk.size()) {
                    endRead(source);
                    return failure(BackupStatus::TargetUnwritable, out.errorString());
                }
                done += chunk.size();
            }
            endRead(source);
            if (done == size) {
                whole = true;
                break;
            }
            if (control.betweenSteps) {
                control.betweenSteps();
            }
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
    return {};
}

int stopWhenCancelled(void* control) {
    return cancelled(*static_cast<BackupControl*>(control)) ? 1 : 0;
}

BackupResult verify(Handle& copy, BackupControl* control = nullptr) {
    if (control != nullptr) {
        sqlite3_progress_handler(copy.db, 10000, stopWhenCancelled, control);
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
    if (control != nullptr && cancelled(*control)) {
        return failure(BackupStatus::Cancelled, {});
    }
    if (verdict != QStringLiteral("ok")) {
        return failure(BackupStatus::VerifyFailed, verdict.isEmpty() ? copy.error() : verdict);
    }
    return {};
}

BackupResult verify(const QString& copyPath, BackupControl& control) {
    Handle copy;
    if (!openFile(copy, copyPath, SQLITE_OPEN_READONLY)) {
        return failure(BackupStatus::VerifyFailed, copy.error());
    }
    return verify(copy, &control);
}

QByteArray headerOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(kHeaderBytes) : QByteArray();
}

// The live database's header, read through SQLite for the reason SourceFile gives.
QByteArray sourceHeaderOf(const QString& path) {
    Handle source;
    if (!openFile(source, path, SQLITE_OPEN_READONLY)) {
        return {};
    }
    const SourceFile in(source.db);
    QByteArray header;
    return in.isOpen() && in.read(0, kHeaderBytes, &header) ? header : QByteArray();
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

bool backupIsCurrent(const QString& sourcePath, const QString& backupPath) {
    const QFileInfo source(sourcePath);
    const QFileInfo backup(backupPath);
    if (!source.isFile() || !backup.isFile() || source.size() != backup.size() ||
        source.lastModified() > backup.lastModified()) {
        return false;
    }
    const QByteArray header = sourceHeaderOf(sourcePath);
    return header.size() == kHeaderBytes && header == headerOf(backupPath);
}

BackupResult backupDatabaseFile(const QString& sourcePath, const QString& targetPath) {
    BackupControl control;
    return backupDatabaseFile(sourcePath, targetPath, control);
}

BackupResult backupDatabaseFile(const QString& sourcePath, const QString& targetPath,
                                BackupControl& control) {
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
    BackupResult result = copyInto(sourcePath, copyPath, control);
    if (result.ok()) {
        result = verify(copyPath, control);
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
