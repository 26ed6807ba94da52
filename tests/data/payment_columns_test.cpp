// How a sale was paid: the columns of 销售记录 added after the first release, put into an older
// file at start (after a verified backup, or not at all), into an older server database, and
// carried by the copy to a server.
#include "data/backup_folder.h"
#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "data/server_setup.h"
#include "data/template_database.h"
#include "tests/support/first_cell.h"
#include "tests/support/temp_program_folder.h"
#include "tests/support/test_server.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace tillora::test {
namespace {

using namespace Qt::StringLiterals;

class CountingPrompts : public DatabasePrompts {
  public:
    bool askYesNo(const QString& text) override {
        shown.append(text);
        return false;
    }
    void tell(const QString& text) override { shown.append(text); }
    QStringList shown;
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kPartInsert =
    u"insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values "
    u"('1608180000002',now(),'3','30.00','admin','谢谢 ')"_s;

// The template as the program wrote it before the payment columns, with one sale of its own.
void writeOldDatabase(const QString& path) {
    ASSERT_TRUE(writeTemplateDatabase(path));
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    for (const QString& column : paymentColumns()) {
        EXPECT_EQ(sqlite3_exec(raw, (u"alter table 销售记录 drop column "_s + column).toUtf8(),
                               nullptr, nullptr, nullptr),
                  SQLITE_OK)
            << sqlite3_errmsg(raw);
    }
    sqlite3_close(raw);
    ODBCDB db;
    ASSERT_TRUE(db.OpenMdbDatabase(path));
    ASSERT_TRUE(db.ExecuteSql(kPartInsert));
    ASSERT_FALSE(hasPaymentColumns(db));
}

class OldFile : public ::testing::Test {
  protected:
    void SetUp() override {
        path = databasePath(folder.path());
        writeOldDatabase(path);
    }
    TempProgramFolder folder;
    QString path;
    ODBCDB db;
    CountingPrompts prompts;
};

TEST_F(OldFile, IsUpgradedAfterAVerifiedBackupAndOldSalesReadAsUnknown) {
    const QByteArray before = readAll(path);
    ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
    EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.shown.join(u'|').toStdString();
    EXPECT_TRUE(hasPaymentColumns(db));
    EXPECT_FALSE(db.inTransaction());

    // The backup is the file as it was, byte for byte.
    const QStringList backups = backup_folder::files(path);
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(readAll(backups.first()), before);

    // The old sale reads as unknown; the old statements keep working beside the new columns.
    EXPECT_EQ(firstText(db, u"select 付款方式 from 销售记录 where 销售票号='1608180000002'"_s),
              QString());
    ASSERT_TRUE(
        db.ExecuteSql(QString(kPartInsert).replace(u"1608180000002"_s, u"1608180000003"_s)));
    const int h = db.OpenTable(u"select * from 销售记录 where 销售票号='1608180000003'"_s);
    EXPECT_EQ(db.columnNames(h).mid(0, 7),
              (u"ID,销售票号,销售时间,数量,金额,收银员,备注"_s).split(u','));
    EXPECT_EQ(db.ReadColByName(h, u"金额"_s).toText(), u"30.00"_s);
    db.CloseTable(h);
    // The column limits hold as on a new file.
    EXPECT_FALSE(db.ExecuteSql(u"update 销售记录 set 找零='"_s + QString(51, u'1') + u"'"_s));

    // A second start finds nothing to do.
    db.CloseDatabase();
    CountingPrompts again;
    ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), again));
    EXPECT_TRUE(again.shown.isEmpty());
    EXPECT_EQ(backup_folder::files(path).size(), 1);
}

TEST_F(OldFile, WithoutABackupItIsLeftUntouchedAndTheTillGoesOn) {
    // A file where the backup folder should be: no backup can be made.
    QFile blocker(backup_folder::folderFor(path));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // Older than the unique receipt-number index too: that is an upgrade's change as well.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw, "drop index 销售记录_销售票号", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    const QByteArray before = readAll(path);

    ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown.first().startsWith(u"无法备份数据库，数据库暂不升级"_s))
        << prompts.shown.first().toStdString();
    EXPECT_FALSE(hasPaymentColumns(db));
    db.CloseDatabase();
    EXPECT_EQ(readAll(path), before);

    // Told again at the next start, and upgraded once the folder can be written.
    ASSERT_TRUE(QFile::remove(backup_folder::folderFor(path)));
    CountingPrompts again;
    ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), again));
    EXPECT_TRUE(again.shown.isEmpty());
    EXPECT_TRUE(hasPaymentColumns(db));
}

TEST_F(OldFile, IsCopiedToAServerWithTheColumnsEmpty) {
    TILLORA_NEED_TEST_SERVER();
    TestServerSchema schema(false);
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    const ServerSetupResult copied = copyFileToServer(path, schema.url());
    ASSERT_TRUE(copied.ok) << copied.message.toStdString();
    ODBCDB server;
    ASSERT_TRUE(server.NewOpenDatabase(schema.url(), false, true));
    EXPECT_TRUE(hasPaymentColumns(server));
    EXPECT_EQ(firstNumber(server, u"select count(*) from 销售记录 where 付款方式 is null"_s), 2);
}

TEST(ServerPaymentColumns, AreCopiedAndAddedToAnOlderServerDatabase) {
    TILLORA_NEED_TEST_SERVER();
    TempProgramFolder folder;
    const QString path = databasePath(folder.path());
    ASSERT_TRUE(writeTemplateDatabase(path));
    {
        ODBCDB file;
        ASSERT_TRUE(file.OpenMdbDatabase(path));
        ASSERT_TRUE(file.ExecuteSql(
            u"insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注,付款方式,实收现金,"
            u"找零 ) values ('1608180000002',now(),'1','8.50','admin',' ','微信','10.00',"
            u"'1.50')"_s));
    }
    TestServerSchema schema(false);
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    ASSERT_TRUE(copyFileToServer(path, schema.url()).ok);

    ODBCDB server;
    ASSERT_TRUE(server.NewOpenDatabase(schema.url(), false, true));
    const QString sale = u" from 销售记录 where 销售票号='1608180000002'"_s;
    EXPECT_EQ(firstText(server, u"select 付款方式"_s + sale), u"微信"_s);
    EXPECT_EQ(firstText(server, u"select 实收现金"_s + sale), u"10.00"_s);
    EXPECT_EQ(firstText(server, u"select 找零"_s + sale), u"1.50"_s);

    // A server database made before the columns gets them at the next start, its rows kept, and
    // loses the index of the older number query.
    for (const QString& column : paymentColumns()) {
        ASSERT_TRUE(server.ExecuteSql(u"alter table 销售记录 drop column "_s + column));
    }
    ASSERT_TRUE(server.ExecuteSql(
        u"create index 销售记录_票号长度 on 销售记录 (len(销售票号), 销售票号)"_s));
    server.CloseDatabase();
    CountingPrompts prompts;
    ASSERT_TRUE(openServerDatabase(server, schema.url(), prompts));
    EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.shown.join(u'|').toStdString();
    EXPECT_TRUE(hasPaymentColumns(server));
    EXPECT_EQ(firstText(server, u"select 金额"_s + sale), u"8.50"_s);
    EXPECT_EQ(firstText(server,
                        u"select count(*) from pg_indexes where indexname = "
                        u"'销售记录_票号长度'"_s),
              u"0"_s);
}

}  // namespace
}  // namespace tillora::test
