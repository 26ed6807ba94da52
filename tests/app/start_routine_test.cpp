#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>
#include <QTest>
#include <QThread>

#include "app/automatic_backup.h"
#include "app/message_database_prompts.h"
#include "app/start_routine.h"
#include "data/backup_folder.h"
#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "forms/services/message_service.h"
#include "tests/support/scripted_message_service.h"
#include "tests/support/temp_program_folder.h"

#include <sqlite3.h>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;

class StartRoutineTest : public ::testing::Test {
  protected:
    StartOutcome start(bool otherCopyRunning) {
        const StartCollaborators with{[otherCopyRunning] { return otherCopyRunning; },
                                      folder.path(), &prompts};
        return runStartRoutine(database, with);
    }
    QString databaseFile() const { return databasePath(folder.path()); }
    // A file that was there once and has gone leaves its (here unusable) backups behind.
    void leaveBackup() {
        ASSERT_TRUE(QDir().mkpath(backup_folder::folderFor(databaseFile())));
        QFile f(backup_folder::fileFor(databaseFile(), QDateTime::currentDateTime().addDays(-1)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }

    test::TempProgramFolder folder;
    test::ScriptedMessageService messages;
    MessageDatabasePrompts prompts;
    ODBCDB database;
};

TEST_F(StartRoutineTest, SecondCopySaysSoAndLeavesTheDatabaseAlone) {
    EXPECT_EQ(start(true), StartOutcome::AlreadyRunning);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("程序已经运行!")});
    EXPECT_EQ(messages.shown().front().caption, QStringLiteral("信息："));
    EXPECT_FALSE(database.isOpen());
    EXPECT_FALSE(QFile::exists(databaseFile()));
}

TEST_F(StartRoutineTest, FirstStartTellsWhereTheNewDatabaseLives) {
    EXPECT_EQ(start(false), StartOutcome::DatabaseOpen);
    EXPECT_EQ(messages.texts(), QStringList{u"已新建数据库："_s + databaseFile()});
    EXPECT_EQ(messages.shown().front().flags & MessageFlags::ButtonMask, MessageFlags::Ok);
    EXPECT_TRUE(database.isOpen());
}

TEST_F(StartRoutineTest, MissingDatabaseRestoredOnYes) {
    leaveBackup();
    messages.answer(MessageResult::Yes);
    EXPECT_EQ(start(false), StartOutcome::DatabaseOpen);
    EXPECT_EQ(messages.texts(), (QStringList{QStringLiteral("连接数据库失败！是否置入新的数据库"),
                                             QStringLiteral("初始化成功！")}));
    EXPECT_EQ(messages.shown().front().flags & MessageFlags::ButtonMask, MessageFlags::YesNo);
    EXPECT_TRUE(database.isOpen());
    EXPECT_GT(QFileInfo(databaseFile()).size(), 0);
}

TEST_F(StartRoutineTest, MissingDatabaseRefusedEndsAfterTheNotice) {
    leaveBackup();
    messages.answer(MessageResult::No);
    EXPECT_EQ(start(false), StartOutcome::NoDatabase);
    EXPECT_EQ(messages.texts(), (QStringList{QStringLiteral("连接数据库失败！是否置入新的数据库"),
                                             QStringLiteral("连接数据库失败！！")}));
    EXPECT_FALSE(database.isOpen());
    EXPECT_FALSE(QFile::exists(databaseFile()));
}

TEST_F(StartRoutineTest, ExistingDatabaseOpensWithoutAQuestion) {
    ASSERT_TRUE(restoreTemplateDatabase(databaseFile()));
    EXPECT_EQ(start(false), StartOutcome::DatabaseOpen);
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_TRUE(database.isOpen());
}

TEST_F(StartRoutineTest, DatabaseHeldByAnotherProgramOffersRetryAndQuit) {
    ASSERT_TRUE(restoreTemplateDatabase(databaseFile()));
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(databaseFile()).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; UPDATE 配置文件 SET 店名='x'", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    messages.answer(MessageResult::Retry);
    messages.answer(MessageResult::Cancel);
    EXPECT_EQ(start(false), StartOutcome::NoDatabase);
    sqlite3_close(other);
    // Quit ends at once: nothing more to say about a file that is only busy.
    ASSERT_EQ(messages.shown().size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(messages.shown()[i].text.startsWith(QStringLiteral("数据库正被其他程序使用")));
        EXPECT_EQ(messages.shown()[i].flags & MessageFlags::ButtonMask, MessageFlags::RetryCancel);
    }
    EXPECT_FALSE(database.isOpen());
    EXPECT_TRUE(QDir(folder.path()).entryList({QStringLiteral("*.bak-*")}).isEmpty());
}

TEST_F(StartRoutineTest, InterruptedBackupCopiesAreRemovedAtStart) {
    ASSERT_TRUE(restoreTemplateDatabase(databaseFile()));
    const QString backups = backup_folder::folderFor(databaseFile());
    ASSERT_TRUE(QDir().mkpath(backups));
    const QString leftover = backups + u"/Zeb-20240305-070809.mdb.k3Xz9Q.tmp"_s;
    const QString foreign = backups + u"/photo.jpg.k3Xz9Q.tmp"_s;
    // A template write killed before its copy was put in place leaves one beside the database.
    const QString unfinished = databaseFile() + u".writing-a1B2c3"_s;
    QFile(leftover).open(QIODevice::WriteOnly);
    QFile(foreign).open(QIODevice::WriteOnly);
    QFile(unfinished).open(QIODevice::WriteOnly);
    EXPECT_EQ(start(false), StartOutcome::DatabaseOpen);
    EXPECT_FALSE(QFile::exists(leftover));
    EXPECT_FALSE(QFile::exists(unfinished));
    EXPECT_TRUE(QFile::exists(foreign));

    // The backup command clears what an earlier, killed run of it left beside its target.
    const QString target = folder.file(u"copy.mdb"_s);
    QFile(target + u".Q1w2E3.tmp"_s).open(QIODevice::WriteOnly);
    EXPECT_EQ(runBackupCommand(databaseFile(), target), 0);
    EXPECT_EQ(QDir(folder.path()).entryList({u"copy.mdb*"_s}), QStringList{u"copy.mdb"_s});
}

// A backup that can't be written is told once per run of failures, with its cause; one that
// succeeds ends the run.
TEST_F(StartRoutineTest, FailedAutomaticBackupIsToldOnce) {
    ASSERT_TRUE(restoreTemplateDatabase(databaseFile()));
    const QString backups = backup_folder::folderFor(databaseFile());
    QFile(backups).open(QIODevice::WriteOnly);  // a file where the folder belongs
    const QDateTime day(QDate(2024, 3, 5), QTime(8, 0));
    EXPECT_FALSE(automatic_backup::atStart(databaseFile(), day));
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].startsWith(u"自动备份失败：无法建立备份文件夹 "_s + backups))
        << messages.texts()[0].toStdString();
    EXPECT_FALSE(automatic_backup::atExit(databaseFile(), day.addSecs(60)));
    EXPECT_FALSE(automatic_backup::atStart(databaseFile(), day.addSecs(120)));
    EXPECT_EQ(messages.texts().size(), 1);

    // Once it works again, a failure at exit is told at the next start.
    ASSERT_TRUE(QFile::remove(backups));
    EXPECT_TRUE(automatic_backup::atStart(databaseFile(), day.addDays(1)));
    EXPECT_EQ((QFile::permissions(backup_folder::newest(databaseFile())) &
               QFileDevice::Permissions(0x7077)),
              QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(QDir(backups).removeRecursively());
    QFile(backups).open(QIODevice::WriteOnly);
    EXPECT_FALSE(automatic_backup::atExit(databaseFile(), day.addDays(1).addSecs(60)));
    EXPECT_EQ(messages.texts().size(), 1);
    EXPECT_FALSE(automatic_backup::atStart(databaseFile(), day.addDays(1).addSecs(120)));
    ASSERT_EQ(messages.texts().size(), 2);
    EXPECT_TRUE(messages.texts()[1].startsWith(u"自动备份失败："_s));
}

// A copy that fails its check because the database itself is damaged blames the file, in the
// check's words, not the disk, and the next start checks it whole.
TEST_F(StartRoutineTest, BackupOfADamagedFileNamesTheDamage) {
    ASSERT_TRUE(restoreTemplateDatabase(databaseFile()));
    {
        QFile file(databaseFile());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.seek(file.size() - 4096));  // the last page, one the start never reads
        file.write(QByteArray(4096, '\xff'));
    }
    EXPECT_FALSE(automatic_backup::atStart(databaseFile(), QDateTime::currentDateTime()));
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].startsWith(u"自动备份失败：数据库文件 Zeb.mdb 已损坏（"_s))
        << messages.texts()[0].toStdString();
    EXPECT_FALSE(messages.texts()[0].contains(u"磁盘空间"_s));
    EXPECT_TRUE(QFile::exists(databaseFile() + u".needs-check"_s));
}

// The start's backup runs beside the first window: its failure is told from the event loop, not
// before the constructor returns; an exit stops it without a backup or a temporary copy left;
// sales go on during it.
TEST_F(StartRoutineTest, DailyBackupBesideTheWindow) {
    ASSERT_TRUE(restoreTemplateDatabase(databaseFile()));
    const QString backups = backup_folder::folderFor(databaseFile());
    QFile(backups).open(QIODevice::WriteOnly);  // a file where the folder belongs
    const QDateTime day(QDate(2024, 3, 5), QTime(8, 0));
    {
        automatic_backup::DailyBackup daily(databaseFile(), day);
        EXPECT_TRUE(messages.texts().isEmpty());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.texts().isEmpty(); }, 10000));
    }
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].startsWith(u"自动备份失败：无法建立备份文件夹 "_s + backups));

    ASSERT_TRUE(QFile::remove(backups));
    // Larger than one step of the copy.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(databaseFile().toUtf8().constData(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw,
                           "create table 填充 (x); with recursive n(i) as (select 1 union all "
                           "select i + 1 from n where i < 600) insert into 填充 select "
                           "randomblob(4000) from n",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    messages.clear();
    QSemaphore copying;
    {
        automatic_backup::DailyBackup daily(databaseFile(), day.addDays(1), [&] {
            copying.release();
            QThread::msleep(200);
        });
        ASSERT_TRUE(copying.tryAcquire(1, 10000));
        daily.stop();
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(QDir(backups).entryList(QDir::Files).isEmpty())
        << QDir(backups).entryList(QDir::Files).join(u' ').toStdString();
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_FALSE(QFile::exists(databaseFile() + u".backup-failed"_s));

    // A sale stored while the copy is between steps doesn't wait for it, and the copy, started
    // again, holds it.
    ASSERT_TRUE(database.OpenMdbDatabase(databaseFile()));
    QSemaphore stored;
    bool held = false;  // touched by the backup's thread only
    {
        automatic_backup::DailyBackup daily(databaseFile(), day.addDays(1), [&] {
            if (!held) {
                held = true;
                copying.release();
                stored.tryAcquire(1, 10000);
            }
        });
        ASSERT_TRUE(copying.tryAcquire(1, 10000));
        QElapsedTimer clock;
        clock.start();
        const bool saved = database.ExecuteSql(u"insert into 付款方式 (方式) values ('备份中')"_s);
        const qint64 waited = clock.elapsed();
        stored.release();
        EXPECT_TRUE(saved);
        EXPECT_LT(waited, 150);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !backup_folder::newest(databaseFile()).isEmpty(); }, 10000));
    }
    ODBCDB backup;
    ASSERT_TRUE(backup.OpenMdbDatabase(backup_folder::newest(databaseFile())));
    const int h = backup.OpenTable(u"select count(*) from 付款方式 where 方式 = '备份中'"_s);
    EXPECT_EQ(backup.ReadColByIndex(h, 1).toInt(), 1);
    backup.CloseTable(h);
}

// A backup is made only when something was committed since the newest one, so an exit without a
// sale costs nothing and doesn't push an older backup out of the folder.
TEST_F(StartRoutineTest, UnchangedDatabaseIsNotCopiedAgain) {
    ASSERT_TRUE(restoreTemplateDatabase(databaseFile()));
    const QDateTime day(QDate(2024, 3, 5), QTime(8, 0));
    EXPECT_TRUE(automatic_backup::atStart(databaseFile(), day));
    EXPECT_FALSE(automatic_backup::atExit(databaseFile(), day.addSecs(60)));
    EXPECT_EQ(backup_folder::files(databaseFile(), day.addSecs(60)).size(), 1);

    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(databaseFile().toUtf8().constData(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw, "update 用户登录 set 密码 = '1' where 用户名 = 'admin'", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    EXPECT_TRUE(automatic_backup::atExit(databaseFile(), day.addSecs(120)));
    EXPECT_EQ(backup_folder::files(databaseFile(), day.addSecs(120)).size(), 2);
    EXPECT_TRUE(messages.texts().isEmpty());
}

}  // namespace
}  // namespace tillora
