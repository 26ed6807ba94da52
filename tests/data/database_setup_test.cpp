#include "data/database_setup.h"
#include "data/backup_folder.h"
#include "data/template_database.h"
#include "tests/support/temp_program_folder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <deque>
#include <functional>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;

class RecordingPrompts : public DatabasePrompts {
  public:
    explicit RecordingPrompts(std::deque<bool> answers) : answers_(std::move(answers)) {}
    bool askYesNo(const QString& text) override {
        shown.append(u"?"_s + text);
        const bool a = !answers_.empty() && answers_.front();
        if (!answers_.empty()) {
            answers_.pop_front();
        }
        return a;
    }
    void tell(const QString& text) override { shown.append(text); }
    QStringList shown;

  private:
    std::deque<bool> answers_;
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList backups(const QString& folder) {
    return QDir(folder).entryList({u"Zeb.mdb.bak-*"_s}, QDir::Files);
}

const QString kAsk = u"?连接数据库失败！是否置入新的数据库"_s;

TEST(OpenOrRestore, HealthyDatabaseOpensWithoutQuestions) {
    test::TempProgramFolder folder;
    ASSERT_TRUE(writeTemplateDatabase(databasePath(folder.path())));
    ODBCDB db;
    RecordingPrompts prompts({});
    EXPECT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
    EXPECT_TRUE(db.isOpen());
    EXPECT_TRUE(prompts.shown.isEmpty());
    // The start's write test runs unsynced; every sale after it must be synced in full again.
    const int h = db.OpenTable(u"PRAGMA synchronous"_s);
    EXPECT_EQ(db.ReadColByIndex(h, 1).toInt(), 2);
    db.CloseTable(h);
    EXPECT_FALSE(db.inTransaction());
}

// A database larger than the template: a table of its own whose last pages hold no root.
void growDatabase(const QString& path) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw,
                           "create table 填充 (x); with recursive n(i) as (select 1 union all "
                           "select i + 1 from n where i < 400) insert into 填充 select "
                           "randomblob(3000) from n",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
}

// The start reads the same few pages at any size, so it finds a cut-off file but not damage deep
// in it; a file marked after a backup's check failed gets the full check, and keeps the mark until
// it passes.
TEST(StartCheck, TruncatedFileAlwaysDeepDamageWhenMarked) {
    test::TempProgramFolder folder;
    const QString path = databasePath(folder.path());
    ASSERT_TRUE(writeTemplateDatabase(path));
    growDatabase(path);
    const QByteArray whole = readAll(path);
    const qint64 pageSize = (quint8(whole[16]) << 8) | quint8(whole[17]);
    ASSERT_GT(pageSize, 0);

    writeFile(path, whole.left(whole.size() - 8 * pageSize));
    ODBCDB db;
    DatabaseHealth health = checkProgramDatabase(db, path);
    EXPECT_EQ(health.fault, DbFault::Damaged);
    EXPECT_TRUE(health.problem.startsWith(u"文件不完整"_s)) << health.problem.toStdString();
    EXPECT_FALSE(db.isOpen());

    QByteArray damaged = whole;
    damaged.replace(damaged.size() - pageSize, pageSize, QByteArray(pageSize, '\xff'));
    writeFile(path, damaged);
    EXPECT_EQ(checkProgramDatabase(db, path).fault, DbFault::None);
    db.CloseDatabase();
    ASSERT_TRUE(markForFullCheck(path));
    health = checkProgramDatabase(db, path);
    EXPECT_EQ(health.fault, DbFault::Damaged);
    EXPECT_TRUE(QFile::exists(path + u".needs-check"_s));

    writeFile(path, whole);
    EXPECT_EQ(checkProgramDatabase(db, path).fault, DbFault::None);
    EXPECT_FALSE(QFile::exists(path + u".needs-check"_s));
}

// A backup the integrity check refuses: a sign that a database was kept here once.
void leaveUnusableBackup(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(backup_folder::folderFor(path)));
    writeFile(backup_folder::fileFor(path, QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5))), "x");
}

TEST(OpenOrRestore, FirstStartWritesTheTemplateWithoutAQuestion) {
    test::TempProgramFolder folder;
    const QString path = databasePath(folder.path());
    ODBCDB db;
    RecordingPrompts none({});
    EXPECT_TRUE(openOrRestoreDatabase(db, folder.path(), none));
    EXPECT_EQ(none.shown, QStringList{u"已新建数据库："_s + path});
    EXPECT_TRUE(db.isOpen());
    db.CloseDatabase();
    EXPECT_EQ(readAll(path), templateDatabaseBytes());
    EXPECT_EQ(QFileInfo(path).permissions() & 0x0077, QFileDevice::Permissions());

    // Any trace of an earlier database means it was there and has gone: that is asked.
    const QString traces[] = {u"Zeb.mdb-journal"_s, u"Zeb.mdb.bak-20240102-030405"_s,
                              u"Zeb.mdb.before-init-20240102030405"_s, u"backup"_s};
    for (const QString& trace : traces) {
        SCOPED_TRACE(trace.toStdString());
        test::TempProgramFolder used;
        if (trace == u"backup"_s) {
            leaveUnusableBackup(databasePath(used.path()));
        } else {
            writeFile(used.file(trace), "x");
        }
        RecordingPrompts no({false});
        EXPECT_FALSE(openOrRestoreDatabase(db, used.path(), no));
        ASSERT_FALSE(no.shown.isEmpty());
        EXPECT_TRUE(no.shown.front().startsWith(kAsk));
        EXPECT_FALSE(QFile::exists(databasePath(used.path())));
    }
}

TEST(OpenOrRestore, MissingFileAnsweredYesOrNo) {
    test::TempProgramFolder folder;
    const QString path = databasePath(folder.path());
    leaveUnusableBackup(path);
    {
        ODBCDB db;
        RecordingPrompts no({false});
        EXPECT_FALSE(openOrRestoreDatabase(db, folder.path(), no));
        EXPECT_EQ(no.shown, (QStringList{kAsk, u"连接数据库失败！！"_s}));
        EXPECT_FALSE(QFile::exists(path));
    }
    ODBCDB db;
    RecordingPrompts yes({true});
    EXPECT_TRUE(openOrRestoreDatabase(db, folder.path(), yes));
    EXPECT_EQ(yes.shown, (QStringList{kAsk, u"初始化成功！"_s}));
    EXPECT_TRUE(db.isOpen());
    db.CloseDatabase();
    EXPECT_EQ(readAll(path), templateDatabaseBytes());
    EXPECT_TRUE(backups(folder.path()).isEmpty());
}

TEST(OpenOrRestore, UnwritableFolderFailsTwice) {
    test::TempProgramFolder folder;
    // Tests may run as root, so a folder that cannot exist stands in for a read-only one.
    writeFile(folder.file(u"plain-file"_s), "x");
    ODBCDB db;
    RecordingPrompts yes({true});
    EXPECT_FALSE(openOrRestoreDatabase(db, folder.file(u"plain-file"_s), yes));
    EXPECT_EQ(yes.shown, (QStringList{u"初始化失败！"_s, u"连接数据库失败！！"_s}));
    EXPECT_FALSE(db.isOpen());
}

TEST(OpenOrRestore, UnreadableFilesAreKeptAsBackups) {
    const struct {
        const char* what;
        QByteArray content;
    } cases[] = {
        {"garbage", QByteArray(5000, '\x5a')},
        {"empty", QByteArray()},
        {"foreign database",
         QByteArray()},  // filled below with a valid SQLite file of other tables
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempProgramFolder folder;
        const QString path = databasePath(folder.path());
        QByteArray original = c.content;
        if (QByteArray(c.what) == "foreign database") {
            // The program's own file with one table gone is not the program's database.
            ASSERT_TRUE(writeTemplateDatabase(path));
            ODBCDB edit;
            ASSERT_TRUE(edit.OpenMdbDatabase(path));
            ASSERT_TRUE(edit.ExecuteSql(u"drop table 客户资料"_s));
            edit.CloseDatabase();
            original = readAll(path);
        } else {
            writeFile(path, original);
        }
        writeFile(path + u"-journal"_s, "stale journal");

        ODBCDB db;
        RecordingPrompts yes({true});
        EXPECT_TRUE(openOrRestoreDatabase(db, folder.path(), yes));
        const QStringList saved = backups(folder.path());
        ASSERT_FALSE(saved.isEmpty());
        // The question says why and that the file is kept; the notice names where it went.
        ASSERT_EQ(yes.shown.size(), 2);
        EXPECT_TRUE(yes.shown[0].startsWith(kAsk) && yes.shown[0].contains(u"原文件将改名保留"_s))
            << yes.shown[0].toStdString();
        EXPECT_EQ(yes.shown[1],
                  u"初始化成功！\r\n原数据库文件已改名保存为："_s + folder.file(saved[0]));
        // The journal goes with the file (the engine may already have discarded an invalid one
        // while trying to open it).
        ASSERT_GE(saved.size(), 1);
        EXPECT_TRUE(saved[0].contains(QRegularExpression(u"^Zeb\\.mdb\\.bak-\\d{8}-\\d{6}$"_s)));
        EXPECT_EQ(readAll(folder.file(saved[0])), original);
        if (saved.size() == 2) {
            EXPECT_EQ(saved[1], saved[0] + u"-journal"_s);
        }
        // Whatever journal the new file has is its own, empty one.
        EXPECT_EQ(readAll(path + u"-journal"_s), QByteArray());
        db.CloseDatabase();
        EXPECT_EQ(readAll(path), templateDatabaseBytes());
    }
}

// Each unusable file is named with its cause; answered No, nothing is touched.
TEST(OpenOrRestore, UnusableFilesAreNamedWithTheirCause) {
    const struct {
        const char* what;
        std::function<void(const QString&)> make;
        const char16_t* cause;
    } cases[] = {
        {"empty", [](const QString& p) { writeFile(p, {}); }, u"0 字节"},
        {"garbage", [](const QString& p) { writeFile(p, QByteArray(5000, 'Z')); },
         u"不是本程序的数据库"},
        {"zeros", [](const QString& p) { writeFile(p, QByteArray(8192, '\0')); }, u"全是零"},
        {"/dev/zero", [](const QString& p) { QFile::link(u"/dev/zero"_s, p); }, u"不是普通文件"},
        {"folder", [](const QString& p) { QDir().mkdir(p); }, u"是一个文件夹"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempProgramFolder folder;
        const QString path = databasePath(folder.path());
        c.make(path);
        ODBCDB db;
        RecordingPrompts no({false});
        EXPECT_FALSE(openOrRestoreDatabase(db, folder.path(), no));
        ASSERT_FALSE(no.shown.isEmpty());
        EXPECT_TRUE(no.shown[0].contains(QString::fromUtf16(c.cause))) << no.shown[0].toStdString();
        EXPECT_TRUE(no.shown[0].contains(path));
        EXPECT_TRUE(QFileInfo(path).isSymLink() || QFileInfo(path).isDir() ||
                    QFileInfo(path).isFile());
        EXPECT_TRUE(backups(folder.path()).isEmpty());
    }
}

TEST(OpenOrRestore, BackupNamesDoNotCollide) {
    test::TempProgramFolder folder;
    const QString path = folder.file(u"Zeb.mdb"_s);
    writeFile(path, "one");
    ASSERT_TRUE(restoreTemplateDatabase(path));
    writeFile(path, "two");
    QString second;
    ASSERT_TRUE(restoreTemplateDatabase(path, &second));
    EXPECT_EQ(readAll(second), QByteArray("two"));
    EXPECT_EQ(backups(folder.path()).size(), 2);
    EXPECT_EQ(backupPathFor(u"/a/Zeb.mdb"_s, QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9))),
              u"/a/Zeb.mdb.bak-20240305-070809"_s);
}

}  // namespace
}  // namespace tillora
