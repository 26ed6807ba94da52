// Opening the database tells apart what is wrong with it, and never offers to replace a file
// that is only busy, read-only or damaged as if it were missing.
#include "data/backup_folder.h"
#include "data/database_backup.h"
#include "data/database_fault_log.h"
#include "data/database_salvage.h"
#include "data/database_setup.h"
#include "data/template_database.h"
#include "tests/support/other_program.h"
#include "tests/support/temp_program_folder.h"
#include "tests/support/unprivileged.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <string>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;
using test::OtherProgram;

// Answers from functions, records every text; "?" marks a yes/no question, "R" retry/cancel,
// "3" yes/no/cancel.
class ScriptedPrompts : public DatabasePrompts {
  public:
    bool askYesNo(const QString& text) override {
        shown.append(u"?"_s + text);
        return yesNo ? yesNo() : false;
    }
    void tell(const QString& text) override { shown.append(text); }
    bool askRetry(const QString& text) override {
        shown.append(u"R"_s + text);
        return retry ? retry() : false;
    }
    Answer askYesNoCancel(const QString& text) override {
        shown.append(u"3"_s + text);
        return threeWay ? threeWay() : Answer::Cancel;
    }

    std::function<bool()> yesNo;
    std::function<bool()> retry;
    std::function<Answer()> threeWay;
    QStringList shown;
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class DatabaseFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        path = databasePath(folder.path());
        ASSERT_TRUE(writeTemplateDatabase(path));
    }
    int rootPage(const char* index) {
        OtherProgram reader(path);
        ODBCDB db;
        EXPECT_TRUE(db.OpenMdbDatabase(path));
        const int h = db.OpenTable(u"select rootpage from sqlite_master where name='"_s +
                                   QString::fromUtf8(index) + u"'"_s);
        const int page = db.ReadColByIndex(h, 1).toInt();
        db.CloseTable(h);
        return page;
    }
    // Zeroes one page, as a failing disk leaves it.
    void zeroPage(int page) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const QByteArray header = f.read(100);
        int size =
            (static_cast<unsigned char>(header[16]) << 8) | static_cast<unsigned char>(header[17]);
        size = size == 1 ? 65536 : size;
        ASSERT_TRUE(f.seek(qint64(page - 1) * size));
        f.write(QByteArray(size, '\0'));
    }
    QStringList setAside() const {
        return QDir(folder.path()).entryList({u"Zeb.mdb.bak-*"_s}, QDir::Files);
    }

    test::TempProgramFolder folder;
    QString path;
    ScriptedPrompts prompts;
};

TEST_F(DatabaseFaults, LockedFileGivesRetryAndQuitNeverTheRestoreOffer) {
    const QByteArray before = readAll(path);
    auto other = std::make_unique<OtherProgram>(path);
    ASSERT_TRUE(other->run("BEGIN EXCLUSIVE; UPDATE 配置文件 SET 店名='x'"));

    // Quit: the file is left as it was, nothing is renamed.
    ODBCDB db;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(openOrRestoreDatabase(db, folder.path(), prompts));
    EXPECT_LT(timer.elapsed(), 3000);
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].startsWith(u"R数据库正被其他程序使用"_s));
    EXPECT_TRUE(prompts.shown[0].contains(path));
    EXPECT_TRUE(setAside().isEmpty());

    // Retry once while still locked, then the other program lets go and the retry opens it.
    prompts.shown.clear();
    int asked = 0;
    prompts.retry = [&] {
        if (++asked == 2) {
            other->run("ROLLBACK");
        }
        return true;
    };
    EXPECT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(prompts.shown.size(), 2);
    EXPECT_TRUE(db.isOpen());
    db.CloseDatabase();
    other.reset();
    EXPECT_EQ(readAll(path), before);
}

TEST_F(DatabaseFaults, ReadOnlyFileOrFolderIsNamedAtStart) {
    for (const bool fileReadOnly : {true, false}) {
        SCOPED_TRACE(fileReadOnly ? "read-only file" : "read-only folder");
        prompts.shown.clear();
        ASSERT_TRUE(test::setMode(path, fileReadOnly ? 0444 : 0666));
        const QByteArray before = readAll(path);
        ODBCDB db;
        bool opened = false;
        {
            test::Unprivileged nobody(folder.path(), fileReadOnly ? 0777 : 0555);
            opened = openOrRestoreDatabase(db, folder.path(), prompts);
        }
        EXPECT_FALSE(opened);
        ASSERT_EQ(prompts.shown.size(), 1);
        EXPECT_TRUE(prompts.shown[0].startsWith(u"数据库文件只能读取，不能写入"_s))
            << prompts.shown[0].toStdString();
        EXPECT_TRUE(prompts.shown[0].contains(path));
        EXPECT_EQ(readAll(path), before);
        EXPECT_TRUE(setAside().isEmpty());
    }
}

TEST_F(DatabaseFaults, DamagedFileIsRestoredFromTheNewestBackupAndKept) {
    // Two backups; the newer one holds a sale the older one lacks.
    ASSERT_TRUE(QDir().mkpath(backup_folder::folderFor(path)));
    const QString older = backup_folder::fileFor(path, QDateTime(QDate(2024, 3, 4), QTime(9, 0)));
    ASSERT_TRUE(QFile::copy(path, older));
    {
        OtherProgram till(path);
        ASSERT_TRUE(till.run("INSERT INTO 销售记录 (销售票号) VALUES ('2403050000001')"));
    }
    const QString newer = backup_folder::fileFor(path, QDateTime(QDate(2024, 3, 5), QTime(9, 0)));
    ASSERT_TRUE(QFile::copy(path, newer));
    ASSERT_EQ(backup_folder::newest(path), newer);

    zeroPage(rootPage("销售记录_销售时间"));
    const QByteArray damaged = readAll(path);
    prompts.threeWay = [] { return DatabasePrompts::Answer::Yes; };
    ODBCDB db;
    ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
    // No backup from today: saving the readable rows is offered first (answered No here).
    ASSERT_EQ(prompts.shown.size(), 3) << prompts.shown.join(u"|"_s).toStdString();
    EXPECT_TRUE(prompts.shown[0].contains(u"抢救"_s));
    EXPECT_TRUE(prompts.shown[1].startsWith(u"3数据库文件已损坏："_s));
    EXPECT_TRUE(prompts.shown[1].contains(u"Zeb-20240305-090000.mdb"_s));
    ASSERT_EQ(setAside().size(), 1);
    EXPECT_TRUE(prompts.shown[2].contains(folder.file(setAside()[0])));
    EXPECT_EQ(readAll(folder.file(setAside()[0])), damaged);
    const int h = db.OpenTable(u"select count(*) from 销售记录 where 销售票号='2403050000001'"_s);
    EXPECT_EQ(db.ReadColByIndex(h, 1).toInt(), 1);
    db.CloseTable(h);
}

TEST_F(DatabaseFaults, DamagedFileWithoutBackupOffersTheTemplateOrQuits) {
    zeroPage(rootPage("销售详情_关联"));
    const QByteArray damaged = readAll(path);
    ODBCDB db;
    EXPECT_FALSE(openOrRestoreDatabase(db, folder.path(), prompts));  // answered No
    EXPECT_TRUE(prompts.shown[0].startsWith(u"?数据库文件已损坏："_s));
    EXPECT_EQ(readAll(path), damaged);

    prompts.shown.clear();
    prompts.yesNo = [asked = 0]() mutable { return asked++ > 0; };  // no rows saved: the template
    EXPECT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
    ASSERT_EQ(setAside().size(), 1);
    EXPECT_EQ(readAll(folder.file(setAside()[0])), damaged);
    EXPECT_EQ(prompts.shown.last(),
              u"初始化成功！\r\n原数据库文件已改名保存为："_s + folder.file(setAside()[0]));
}

// Missing, emptied or with a spoilt header: the newest backup that is whole is offered first,
// named with its date and its sales, and brings them back.
TEST_F(DatabaseFaults, UnusableFileIsOfferedTheNewestGoodBackupFirst) {
    {
        OtherProgram till(path);
        ASSERT_TRUE(till.run("INSERT INTO 销售记录 (销售票号) VALUES ('2403040000001')"));
    }
    ASSERT_TRUE(QDir().mkpath(backup_folder::folderFor(path)));
    const QString good = backup_folder::fileFor(path, QDateTime(QDate(2024, 3, 4), QTime(9, 0)));
    ASSERT_TRUE(backupDatabaseFile(path, good).ok());
    const QString spoilt = backup_folder::fileFor(path, QDateTime(QDate(2024, 3, 5), QTime(9, 0)));
    {
        QFile f(spoilt);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    const QByteArray intact = readAll(path);
    const QString sales = u"2 笔销售记录"_s;  // the template's sample and the one above
    const struct {
        const char* what;
        const char16_t* reason;
    } cases[] = {{"missing", u"找不到数据库文件"},
                 {"zero bytes", u"数据库文件是空的"},
                 {"header", u"文件不是本程序的数据库，或文件头已损坏"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& old : setAside()) {
            QFile::remove(folder.file(old));
        }
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (QByteArray(c.what) == "header") {
            f.write(QByteArray(intact).replace(0, 16, "Not a database!!"));
        }
        f.close();
        if (QByteArray(c.what) == "missing") {
            ASSERT_TRUE(f.remove());
        }
        const QByteArray broken = readAll(path);
        prompts.shown.clear();
        prompts.threeWay = [] { return DatabasePrompts::Answer::Yes; };
        ODBCDB db;
        ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
        ASSERT_EQ(prompts.shown.size(), 2) << prompts.shown.join(u"|"_s).toStdString();
        const QString offer = prompts.shown[0];
        EXPECT_TRUE(offer.startsWith(u"3连接数据库失败！"_s + QString::fromUtf16(c.reason)))
            << offer.toStdString();
        EXPECT_TRUE(offer.contains(u"Zeb-20240304-090000.mdb，2024-03-04 09:00 备份，"_s + sales))
            << offer.toStdString();
        EXPECT_TRUE(offer.contains(u"否：置入新的数据库"_s));
        const int h = db.OpenTable(u"select count(*) from 销售记录"_s);
        EXPECT_EQ(db.ReadColByIndex(h, 1).toInt(), 2);
        db.CloseTable(h);
        db.CloseDatabase();
        EXPECT_EQ((QFile::permissions(path) & QFileDevice::Permissions(0x7077)),
                  QFile::ReadOwner | QFile::WriteOwner);
        if (QByteArray(c.what) == "missing") {
            EXPECT_TRUE(setAside().isEmpty());
        } else {
            ASSERT_FALSE(setAside().isEmpty());  // with the journal the check may have left
            EXPECT_EQ(readAll(folder.file(setAside()[0])), broken);
        }
    }
}

// A kill between initialisation's steps leaves the old file under its aside name.
TEST_F(DatabaseFaults, FileLeftByInitialisationIsNamedNeverDeletedUnasked) {
    const QString aside = initialisationAsidePath(path);
    ASSERT_TRUE(aside.startsWith(path + u".before-init-"_s));
    ASSERT_TRUE(QFile::rename(path, aside));
    prompts.yesNo = [] { return true; };  // the template
    ODBCDB db;
    ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
    EXPECT_TRUE(prompts.shown[0].startsWith(u"?连接数据库失败！是否置入新的数据库"_s));
    EXPECT_TRUE(prompts.shown[0].contains(aside)) << prompts.shown[0].toStdString();
    EXPECT_TRUE(QFile::exists(aside));

    // Beside a good database it is asked about once: kept (Yes) under a backup name.
    db.CloseDatabase();
    prompts.shown.clear();
    ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].contains(aside));
    EXPECT_FALSE(QFile::exists(aside));
    EXPECT_EQ(setAside().size(), 1);
    db.CloseDatabase();
    prompts.shown.clear();
    ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
    EXPECT_TRUE(prompts.shown.isEmpty());

    // No deletes it.
    db.CloseDatabase();
    QFile(initialisationAsidePath(path)).open(QIODevice::WriteOnly);
    prompts.yesNo = [] { return false; };
    ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
    EXPECT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(initialisationAsideFiles(path).isEmpty());
    EXPECT_EQ(setAside().size(), 1);
}

TEST_F(DatabaseFaults, DuplicateNumbersKeepWorkingAndAreToldOnce) {
    {
        OtherProgram old(path);
        ASSERT_TRUE(
            old.run("DROP INDEX 销售记录_销售票号; "
                    "INSERT INTO 销售记录 (销售票号) VALUES ('1608180000001')"));
    }
    for (int start = 0; start < 2; ++start) {
        prompts.shown.clear();
        ODBCDB db;
        ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
        EXPECT_EQ(prompts.shown.size(), start == 0 ? 1 : 0);
        if (start == 0) {
            EXPECT_TRUE(prompts.shown[0].contains(u"1 个单号被重复使用过"_s));
        }
        EXPECT_TRUE(db.ExecuteSql(u"insert into 销售记录 (销售票号) values ('x"_s +
                                  QString::number(start) + u"')"_s));
    }
    // Once the duplicate is gone the unique index is in place and a second copy is refused.
    ODBCDB db;
    ASSERT_TRUE(db.OpenMdbDatabase(path));
    ASSERT_TRUE(
        db.ExecuteSql(u"delete from 销售记录 where ID = (select max(ID) from 销售记录 "
                      u"where 销售票号='1608180000001')"_s));
    db.CloseDatabase();
    prompts.shown.clear();
    ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_FALSE(db.ExecuteSql(u"insert into 销售记录 (销售票号) values ('x0')"_s));
    EXPECT_EQ(db.lastFault(), DbFault::Duplicate);
}

// A page deep in the sales, one the start does not read, gone bad: the backup blames the file,
// not the disk, in the check's words; the full check at the next start finds it, and with no
// backup the readable sales are saved into a new file, counted, the damaged one kept.
TEST_F(DatabaseFaults, DeepDamageIsNamedAndTheReadableSalesAreSaved) {
    if (database_salvage::tool().isEmpty()) {
        GTEST_SKIP() << "needs the sqlite3 tool";
    }
    int leaf = 0;
    int onLeaf = 0;
    int total = 0;
    {
        OtherProgram shop(path);
        ASSERT_TRUE(
            shop.run("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < "
                     "2000) INSERT INTO 销售记录 (销售票号, 数量, 金额, 收银员) SELECT 'T' || x, "
                     "'1', '10.00', 'admin' FROM n"));
        total = shop.number("select count(*) from 销售记录");
        leaf = shop.number(
            "select pageno from dbstat where name = '销售记录' and pagetype = 'leaf' "
            "order by pageno limit 1 offset 5");
        onLeaf = shop.number(
            ("select ncell from dbstat where pageno = " + std::to_string(leaf)).c_str());
    }
    ASSERT_GT(onLeaf, 0);
    zeroPage(leaf);
    const BackupResult backup = backupDatabaseFile(path, folder.file(u"copy.mdb"_s));
    EXPECT_EQ(backup.status, BackupStatus::SourceDamaged);
    EXPECT_TRUE(backup.detail.contains(u"Page %1"_s.arg(leaf))) << backup.detail.toStdString();
    EXPECT_FALSE(QFile::exists(folder.file(u"copy.mdb"_s)));
    const QByteArray damaged = readAll(path);

    ASSERT_TRUE(markForFullCheck(path));
    prompts.yesNo = [] { return true; };
    ODBCDB db;
    ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
    ASSERT_EQ(prompts.shown.size(), 2) << prompts.shown.join(u'|').toStdString();
    EXPECT_TRUE(prompts.shown[0].startsWith(u"?数据库文件已损坏"_s) &&
                prompts.shown[0].contains(u"抢救"_s))
        << prompts.shown[0].toStdString();
    EXPECT_TRUE(
        prompts.shown[1].startsWith(u"已从损坏的文件中抢救出 %1 笔销售记录"_s.arg(total - onLeaf)))
        << prompts.shown[1].toStdString();
    const int h = db.OpenTable(u"select count(*) from 销售记录"_s);
    EXPECT_EQ(db.ReadColByIndex(h, 1).toInt(), total - onLeaf);
    db.CloseTable(h);
    ASSERT_EQ(setAside().size(), 1);
    EXPECT_EQ(readAll(folder.file(setAside()[0])), damaged);
}

TEST_F(DatabaseFaults, EachFailureNamesItsCause) {
    ODBCDB db;
    ASSERT_TRUE(db.OpenMdbDatabase(path));
    OtherProgram other(path);
    ASSERT_TRUE(other.run("BEGIN IMMEDIATE"));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(db.BeginTrans());
    EXPECT_EQ(db.lastFault(), DbFault::Locked);
    EXPECT_FALSE(db.ExecuteSql(u"update 配置文件 set 店名='y'"_s));
    EXPECT_EQ(db.lastFault(), DbFault::Locked);
    EXPECT_LT(timer.elapsed(), 1000);
    ASSERT_TRUE(other.run("ROLLBACK"));

    // A full disk, as the engine reports it when the file may not grow.
    ASSERT_NE(db.OpenTable(u"PRAGMA max_page_count=1"_s), 0);
    db.CloseTable();
    bool stored = true;
    for (int i = 0; i < 1000 && stored; ++i) {
        stored =
            db.ExecuteSql(u"insert into 商品名称 (名称) values ('"_s + QString(48, u'x') + u"')"_s);
    }
    EXPECT_FALSE(stored);
    EXPECT_EQ(db.lastFault(), DbFault::DiskFull);
    ASSERT_NE(db.OpenTable(u"PRAGMA max_page_count=1000000"_s), 0);
    db.CloseTable();
    EXPECT_TRUE(db.ExecuteSql(u"update 配置文件 set 店名='z'"_s));
    EXPECT_EQ(db.lastFault(), DbFault::None);

    ODBCDB missing;
    EXPECT_FALSE(missing.OpenMdbDatabase(folder.file(u"none.mdb"_s)));
    EXPECT_EQ(missing.lastFault(), DbFault::Missing);
}

// The log hides what a statement carried, never the engine's own words around it.
TEST(FaultLog, OnlyTheStatementsValuesAreMasked) {
    EXPECT_EQ(loggableEngineMessage(u"no administrator named \"admin\" (admin)"_s,
                                    u"select * from 用户登录 where 用户名='admin'"_s),
              u"no administrator named \"?\" (?)"_s);
}

}  // namespace
}  // namespace tillora
