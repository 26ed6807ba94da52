// The online backup: a verified, consistent copy beside a live connection, and a target that is
// either replaced by a good copy or left exactly as it was.
#include "data/database_backup.h"
#include "tests/data/fresh_database.h"
#include "tests/support/small_file_system.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;
using test::FreshDatabase;

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Nothing but the named files in the folder: no temporary copy or journal left behind.
QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

TEST_F(FreshDatabase, BackupOfAnOpenDatabaseIsItsExactCopy) {
    ASSERT_TRUE(db.ExecuteSql(u"insert into 付款方式 (方式) values ('礼''券')"_s));
    test::TempProgramFolder other;
    const QString copy = other.file(u"备份.mdb"_s);

    // A second connection's uncommitted change stays out of the copy.
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &writer), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(writer, "BEGIN IMMEDIATE; DELETE FROM 付款方式;", nullptr, nullptr, nullptr),
        SQLITE_OK);
    const BackupResult result = backupDatabaseFile(path, copy);
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    ASSERT_TRUE(result.ok()) << result.detail.toStdString();
    EXPECT_EQ(contents(copy), contents(path));
    EXPECT_EQ(filesIn(other.path()), QStringList{u"备份.mdb"_s});

    ODBCDB reader;
    ASSERT_TRUE(reader.OpenMdbDatabase(copy));
    const int h = reader.OpenTable(u"select count(*) from 付款方式 where 方式 = '礼''券'"_s);
    EXPECT_EQ(reader.ReadColByIndex(h, 1).toInt(), 1);
    reader.CloseTable(h);
}

// Sales committed between the steps restart the copy; it still ends as a checked copy of the
// file as last committed, holding them.
TEST_F(FreshDatabase, SteppedCopyWhileAnotherConnectionWritesBetweenSteps) {
    test::TempProgramFolder other;
    const QString copy = other.file(u"copy.mdb"_s);
    BackupControl control;
    control.stepBytes = 16 * 1024;
    int steps = 0;
    int inserted = 0;
    control.betweenSteps = [&] {
        if (++steps % 4 == 0) {
            ASSERT_TRUE(
                db.ExecuteSql(u"insert into 付款方式 (方式) values ('中途%1')"_s.arg(steps)));
            ++inserted;
        }
    };
    const BackupResult result = backupDatabaseFile(path, copy, control);
    ASSERT_TRUE(result.ok()) << result.detail.toStdString();
    EXPECT_GE(inserted, 2);  // passes restarted until the last one took the file in one step
    EXPECT_EQ(contents(copy), contents(path));
    EXPECT_TRUE(readBackupContents(copy, true).whole);
    ODBCDB reader;
    ASSERT_TRUE(reader.OpenMdbDatabase(copy));
    EXPECT_EQ(test::firstNumber(reader, u"select count(*) from 付款方式 where 方式 like '中途%'"_s),
              inserted);
}

// The copy reads the live file and then lets go of it; this process's own writer must keep its
// lock against other processes (POSIX drops all of a process's locks on a file when any of its
// descriptors of that file is closed).
TEST_F(FreshDatabase, BackupKeepsTheLocksOfTheProcesssOtherConnections) {
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &writer), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(writer, "BEGIN IMMEDIATE; DELETE FROM 付款方式;", nullptr, nullptr, nullptr),
        SQLITE_OK);
    test::TempProgramFolder other;
    ASSERT_TRUE(backupDatabaseFile(path, other.file(u"copy.mdb"_s)).ok());
    EXPECT_FALSE(backupIsCurrent(path, other.file(u"missing.mdb"_s)));

    const QByteArray file = QFile::encodeName(path);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Asked of the system, not of SQLite, whose in-process state the fork copied: is the
        // reserved byte still write-locked by the parent?
        struct flock reserved {};
        reserved.l_type = F_WRLCK;
        reserved.l_whence = SEEK_SET;
        reserved.l_start = 0x40000001;
        reserved.l_len = 1;
        const int fd = ::open(file.constData(), O_RDONLY);
        const bool held =
            fd >= 0 && ::fcntl(fd, F_GETLK, &reserved) == 0 && reserved.l_type != F_UNLCK;
        ::_exit(held ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "another process got the write lock";
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
}

TEST_F(FreshDatabase, FailedBackupLeavesTheTargetAlone) {
    test::TempProgramFolder other;
    const QString target = other.file(u"old.mdb"_s);
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("earlier backup");
    }

    // A source that is no database.
    const QString junk = other.file(u"junk.mdb"_s);
    {
        QFile file(junk);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    EXPECT_EQ(backupDatabaseFile(junk, target).status, BackupStatus::SourceUnreadable);
    EXPECT_EQ(backupDatabaseFile(other.file(u"missing.mdb"_s), target).status,
              BackupStatus::SourceUnreadable);
    EXPECT_EQ(contents(target), QByteArray("earlier backup"));
    EXPECT_EQ(filesIn(other.path()), (QStringList{u"junk.mdb"_s, u"old.mdb"_s}));

    // A folder that does not exist.
    EXPECT_EQ(backupDatabaseFile(path, other.file(u"no/such/folder/x.mdb"_s)).status,
              BackupStatus::TargetUnwritable);

    // A writer holding the file exclusively for longer than the copy waits.
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &writer), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(writer, "BEGIN EXCLUSIVE; DELETE FROM 付款方式;", nullptr, nullptr, nullptr),
        SQLITE_OK);
    EXPECT_EQ(backupDatabaseFile(path, target).status, BackupStatus::SourceBusy);
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    EXPECT_EQ(contents(target), QByteArray("earlier backup"));

    // Once the lock is gone the same target is replaced by a good copy.
    ASSERT_TRUE(backupDatabaseFile(path, target).ok());
    EXPECT_EQ(contents(target), contents(path));
}

TEST_F(FreshDatabase, BackupIsPrivateWhateverTheSourceMode) {
    ASSERT_TRUE(QFile::setPermissions(
        path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    test::TempProgramFolder other;
    const QString target = other.file(u"copy.mdb"_s);
    ASSERT_TRUE(backupDatabaseFile(path, target).ok());
    EXPECT_EQ((QFile::permissions(target) & QFileDevice::Permissions(0x7077)),
              QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(FreshDatabase, FullDiskLeavesTheOldBackupWhole) {
    test::SmallFileSystem disk(64);
    if (!disk.isMounted()) {
        GTEST_SKIP() << "needs root to mount a small file system";
    }
    const QString target = disk.file(u"Zeb-20240305-070809.mdb"_s);
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8000, 'b'));
    }
    const QByteArray before = contents(target);
    const BackupResult result = backupDatabaseFile(path, target);
    EXPECT_EQ(result.status, BackupStatus::TargetUnwritable);
    EXPECT_FALSE(result.detail.isEmpty());
    EXPECT_EQ(contents(target), before);
    EXPECT_EQ(filesIn(disk.path()), QStringList{u"Zeb-20240305-070809.mdb"_s});
}

TEST(InterruptedCopies, OnlyUnlockedCopiesOfTheNamedTargetsGo) {
    test::TempProgramFolder folder;
    const auto make = [&](const QString& name) {
        QFile file(folder.file(name));
        file.open(QIODevice::WriteOnly);
        file.write("partial copy");
    };
    // Made the way the backup names its copies, so the pattern can't drift from them.
    QTemporaryFile killed(folder.file(u"Zeb-20240305-070809.mdb.XXXXXX.tmp"_s));
    ASSERT_TRUE(killed.open());
    killed.setAutoRemove(false);
    const QString killedName = QFileInfo(killed.fileName()).fileName();
    killed.close();
    make(u"Zeb-20240305-070809.mdb.Ab12Cd.tmp"_s);  // still being written: locked
    QFile live(folder.file(u"Zeb-20240305-070809.mdb.Ab12Cd.tmp"_s));
    ASSERT_TRUE(live.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(live.handle(), LOCK_EX | LOCK_NB), 0);
    make(u"notes.txt.Ab12Cd.tmp"_s);  // someone else's
    make(u"Zeb-20240305-070809.mdb"_s);

    EXPECT_EQ(removeInterruptedCopies(folder.path(), u"Zeb-\\d{8}-\\d{6}\\.mdb"_s), 1);
    const QStringList left = filesIn(folder.path());
    EXPECT_FALSE(left.contains(killedName));
    EXPECT_EQ(left,
              (QStringList{u"Zeb-20240305-070809.mdb"_s, u"Zeb-20240305-070809.mdb.Ab12Cd.tmp"_s,
                           u"notes.txt.Ab12Cd.tmp"_s}));
}

}  // namespace
}  // namespace tillora
