#include "data/database_backup.h"

#include "data/sqlite_connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
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
#include <sys/stat.h>
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

// SQLite's busy wait, cut short by a stop.
int waitUnlessCancelled(void* control, int count) {
    constexpr int kPollMs = 20;
    if (cancelled(*static_cast<BackupControl*>(control)) || count * kPollMs >= kBusyWaitMs) {
        return 0;
    }
    sqlite3_sleep(kPollMs);
    return 1;
}

// Copies the file byte for byte in steps, each under SQLite's shared lock. The copy is the
// database as committed when every step saw the same change counter; a commit between steps
// starts it again. (An online backup through sqlite3_backup would rewrite the header's change
// counters, and the copy would no longer compare equal to its source.)
BackupResult copyInto(const QString& sourcePath, QFile& out, BackupControl& control) {
    if (!QFileInfo(sourcePath).isFile()) {
        return failure(BackupStatus::SourceUnreadable, QStringLiteral("文件不存在"));
    }
    Handle source;
    if (!openFile(source, sourcePath, SQLITE_OPEN_READWRITE)) {
        return failure(BackupStatus::SourceUnreadable, source.error());
    }
    const SourceFile in(source.db);
    if (!in.isOpen()) {
        return failure(BackupStatus::SourceUnreadable, source.error());
    }
    // A stop asked for while a writer holds the file ends the wait, not only the next step.
    sqlite3_busy_handler(source.db, waitUnlessCancelled, &control);
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
                if (cancelled(control)) {
                    return failure(BackupStatus::Cancelled, {});
                }
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

#ifdef Q_OS_LINUX
// A file without a name can't be opened by SQLite's own file layer, which looks a path up again:
// this one reads a descriptor the caller holds ("<prefix><fd>"), and leaves every other file
// (temporary ones for sorting) to the default layer.
namespace fd_vfs {

constexpr char kName[] = "tillora-fd";
constexpr char kPrefix[] = "tillora-fd:";

struct File {
    sqlite3_file base;
    int fd;
};

sqlite3_vfs* fallback() {
    return sqlite3_vfs_find(nullptr);
}

int close(sqlite3_file*) {
    return SQLITE_OK;  // the descriptor is the caller's
}
int read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    const int fd = reinterpret_cast<File*>(f)->fd;
    auto* at = static_cast<char*>(buffer);
    int got = 0;
    while (got < amount) {
        const ssize_t n = ::pread(fd, at + got, static_cast<size_t>(amount - got), offset + got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return SQLITE_IOERR_READ;
        }
        if (n == 0) {
            std::memset(at + got, 0, static_cast<size_t>(amount - got));
            return SQLITE_IOERR_SHORT_READ;
        }
        got += static_cast<int>(n);
    }
    return SQLITE_OK;
}
int write(sqlite3_file*, const void*, int, sqlite3_int64) {
    return SQLITE_READONLY;
}
int truncate(sqlite3_file*, sqlite3_int64) {
    return SQLITE_READONLY;
}
int sync(sqlite3_file*, int) {
    return SQLITE_OK;
}
int fileSize(sqlite3_file* f, sqlite3_int64* size) {
    struct stat info {};
    if (::fstat(reinterpret_cast<File*>(f)->fd, &info) != 0) {
        return SQLITE_IOERR_FSTAT;
    }
    *size = info.st_size;
    return SQLITE_OK;
}
int lock(sqlite3_file*, int) {
    return SQLITE_OK;  // nobody else can reach a file without a name
}
int checkReservedLock(sqlite3_file*, int* out) {
    *out = 0;
    return SQLITE_OK;
}
int fileControl(sqlite3_file*, int, void*) {
    return SQLITE_NOTFOUND;
}
int sectorSize(sqlite3_file*) {
    return 4096;
}
int deviceCharacteristics(sqlite3_file*) {
    return SQLITE_IOCAP_IMMUTABLE;
}

const sqlite3_io_methods kMethods = {1,
                                     close,
                                     read,
                                     write,
                                     truncate,
                                     sync,
                                     fileSize,
                                     lock,
                                     lock,
                                     checkReservedLock,
                                     fileControl,
                                     sectorSize,
                                     deviceCharacteristics,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr};

int open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    const QByteArray text(name ? name : "");
    if ((flags & SQLITE_OPEN_MAIN_DB) == 0 || !text.startsWith(kPrefix)) {
        return fallback()->xOpen(fallback(), name, file, flags, outFlags);
    }
    bool ok = false;
    const int fd = text.mid(int(sizeof kPrefix) - 1).toInt(&ok);
    if (!ok || fd < 0) {
        return SQLITE_CANTOPEN;
    }
    auto* own = reinterpret_cast<File*>(file);
    own->base.pMethods = &kMethods;
    own->fd = fd;
    if (outFlags != nullptr) {
        *outFlags = SQLITE_OPEN_READONLY;
    }
    return SQLITE_OK;
}
int remove(sqlite3_vfs*, const char* name, int syncDir) {
    return fallback()->xDelete(fallback(), name, syncDir);
}
int access(sqlite3_vfs*, const char* name, int flags, int* out) {
    if (QByteArray(name).startsWith(kPrefix)) {
        *out = 0;  // no journal beside it
        return SQLITE_OK;
    }
    return fallback()->xAccess(fallback(), name, flags, out);
}
int fullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    sqlite3_snprintf(size, out, "%s", name);
    return SQLITE_OK;
}
int randomness(sqlite3_vfs*, int bytes, char* out) {
    return fallback()->xRandomness(fallback(), bytes, out);
}
int sleep(sqlite3_vfs*, int microseconds) {
    return fallback()->xSleep(fallback(), microseconds);
}
int currentTime(sqlite3_vfs*, double* now) {
    return fallback()->xCurrentTime(fallback(), now);
}
int lastError(sqlite3_vfs*, int, char*) {
    return 0;
}

// Registered once, never as the default.
const char* name() {
    static sqlite3_vfs vfs = [] {
        sqlite3_vfs v{};
        v.iVersion = 1;
        v.szOsFile = std::max<int>(int(sizeof(File)), fallback()->szOsFile);
        v.mxPathname = fallback()->mxPathname;
        v.zName = kName;
        v.xOpen = open;
        v.xDelete = remove;
        v.xAccess = access;
        v.xFullPathname = fullPathname;
        v.xRandomness = randomness;
        v.xSleep = sleep;
        v.xCurrentTime = currentTime;
        v.xGetLastError = lastError;
        sqlite3_vfs_register(&v, 0);
        return v;
    }();
    return vfs.zName;
}

}  // namespace fd_vfs
#endif

// The copy checked through its descriptor, so that a copy without a name can be checked too.
BackupResult verify(QFile& copy, BackupControl& control) {
    Handle handle;
#ifdef Q_OS_LINUX
    const QByteArray name = fd_vfs::kPrefix + QByteArray::number(copy.handle());
    const int rc = sqlite3_open_v2(name.constData(), &handle.db,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, fd_vfs::name());
    if (rc != SQLITE_OK || !SqliteConnection::registerJetFunctions(handle.db)) {
        return failure(BackupStatus::VerifyFailed, handle.error());
    }
#else
    if (!openFile(handle, copy.fileName(), SQLITE_OPEN_READONLY)) {
        return failure(BackupStatus::VerifyFailed, handle.error());
    }
#endif
    return verify(handle, &control);
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
    const QString folder = target.absolutePath();
    // Where the file system has them, the copy is written and checked without a name, so no kill
    // (not even one that can't be caught) leaves a temporary copy behind; it gets its name once
    // it passed the check. Elsewhere it lives beside the target under a temporary name, so that
    // the final rename stays on one file system and replaces the target in one step. Either way
    // it is readable and writable by its owner only, which the rename keeps.
    QFile unnamed;
    QTemporaryFile temporary(target.absoluteDir().filePath(target.fileName() + kCopySuffix));
    QFile* copy = nullptr;
#ifdef Q_OS_LINUX
    if (const int fd =
            ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        fd >= 0 && QFileInfo::exists(QStringLiteral("/proc/self/fd"))) {
        unnamed.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle);
        copy = &unnamed;
    } else if (fd >= 0) {
        ::close(fd);
    }
#endif
    if (copy == nullptr) {
        if (!temporary.open()) {
            return failure(BackupStatus::TargetUnwritable, temporary.errorString());
        }
        copy = &temporary;
    }
    lockCopy(copy->handle(), true);
    BackupResult result = copyInto(sourcePath, *copy, control);
    if (result.ok()) {
        result = verify(*copy, control);
    }
    if (result.status == BackupStatus::VerifyFailed) {
        // The copy is the file byte for byte: when the file fails the check too, the damage is
        // the database's own, not the backup's.
        Handle source;
        if (openFile(source, sourcePath, SQLITE_OPEN_READONLY)) {
            if (const BackupResult own = verify(source, &control);
                own.status == BackupStatus::VerifyFailed) {
                return failure(BackupStatus::SourceDamaged, own.detail);
            }
        }
    }
    if (!result.ok()) {
        return result;  // the temporary file goes with `temporary`, an unnamed one by itself
    }
    QString copyPath = temporary.fileName();
#ifdef Q_OS_LINUX
    if (copy == &unnamed) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(unnamed.handle());
        // A new name gets the copy in one step; an existing target is replaced by a rename.
        copyPath = target.absoluteFilePath();
        int rc = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD,
                          QFile::encodeName(copyPath).constData(), AT_SYMLINK_FOLLOW);
        for (int n = 0; rc != 0 && errno == EEXIST && n < 100; ++n) {
            copyPath =
                target.absoluteFilePath() +
                QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate() % 1000000, 6,
                                              10, QLatin1Char('0'));
            rc = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD,
                          QFile::encodeName(copyPath).constData(), AT_SYMLINK_FOLLOW);
        }
        if (rc != 0) {
            return failure(BackupStatus::TargetUnwritable, QString::fromLocal8Bit(strerror(errno)));
        }
        if (copyPath == target.absoluteFilePath()) {
            return syncFolder(folder);
        }
    }
#endif
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(copyPath.toStdU16String()),
                            std::filesystem::path(target.absoluteFilePath().toStdU16String()),
                            error);
    if (error) {
        QFile::remove(copyPath);
        return failure(BackupStatus::TargetUnwritable, QString::fromStdString(error.message()));
    }
    temporary.setAutoRemove(false);
    return syncFolder(folder);
}

}  // namespace tillora
