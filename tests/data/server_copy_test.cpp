// An embedded database copied into a server whole: every row, the IDs kept, the ID sequences
// past every ID the file ever gave, and nothing left behind when the server refuses.
#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "data/server_schema.h"
#include "data/server_setup.h"
#include "data/template_database.h"
#include "tests/support/first_cell.h"
#include "tests/support/temp_program_folder.h"
#include "tests/support/test_server.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace tillora::test {
namespace {

using namespace Qt::StringLiterals;

class ServerCopy : public ::testing::Test {
  protected:
    void SetUp() override {
        TILLORA_NEED_TEST_SERVER();
        path = databasePath(folder.path());
        ASSERT_TRUE(writeTemplateDatabase(path));
        ASSERT_TRUE(file.OpenMdbDatabase(path));
    }

    TempProgramFolder folder;
    QString path;
    ODBCDB file;
};

TEST_F(ServerCopy, CopiesEveryRowWithItsIdAndMovesTheSequencesPast) {
    // A sale with awkward text, and a customer deleted at the end of the file's IDs.
    ASSERT_TRUE(
        file.ExecuteSql(u"insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注) "
                        u"values ('1608180000002', 42600.25, '3', '1.00', 'O''Brien', "
                        u"'a\\b  ')"_s));
    const int sale = firstNumber(file, u"select max(ID) from 销售记录"_s);
    ASSERT_TRUE(file.ExecuteSql(u"insert into 销售详情 (关联,名称,数量) values ("_s +
                                QString::number(sale) + u",'x','3')"_s));
    ASSERT_TRUE(file.ExecuteSql(u"insert into [客户资料] (姓名,电话 )values ('gone','1')"_s));
    const int gone = firstNumber(file, u"select max(ID) from 客户资料"_s);
    ASSERT_TRUE(file.ExecuteSql(u"delete from 客户资料  where ID="_s + QString::number(gone)));
    file.CloseDatabase();

    TestServerSchema schema(false);
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    const ServerSetupResult copied = copyFileToServer(path, schema.url());
    ASSERT_TRUE(copied.ok) << copied.message.toStdString();

    ODBCDB server;
    ASSERT_TRUE(server.NewOpenDatabase(schema.url(), false, true));
    ASSERT_TRUE(file.OpenMdbDatabase(path));
    for (const ServerTable& t : serverTables()) {
        const QString sql = u"select count(*) from "_s + t.name;
        EXPECT_EQ(firstNumber(server, sql), firstNumber(file, sql)) << t.name.toStdString();
    }
    EXPECT_EQ(firstText(server, u"select 备注 from 销售记录 where ID="_s + QString::number(sale)),
              u"a\\b  "_s);
    EXPECT_EQ(firstText(server, u"select 收银员 from 销售记录 where 销售票号='1608180000002'"_s),
              u"O'Brien"_s);
    EXPECT_EQ(firstNumber(server, u"select 关联 from 销售详情 where 名称='x'"_s), sale);
    EXPECT_EQ(firstText(server, u"select logo from 配置文件"_s).isEmpty(),
              firstText(file, u"select logo from 配置文件"_s).isEmpty());
    // The deleted customer's ID is not handed out again.
    ASSERT_TRUE(server.ExecuteSql(u"insert into [客户资料] (姓名,电话 )values ('new','2')"_s));
    EXPECT_GT(firstNumber(server, u"select max(ID) from 客户资料"_s), gone);
}

TEST_F(ServerCopy, ADatabaseThatIsNotEmptyIsLeftAlone) {
    file.CloseDatabase();
    TestServerSchema schema;  // already holds the template
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    ODBCDB server;
    ASSERT_TRUE(server.NewOpenDatabase(schema.url(), false, true));
    ASSERT_TRUE(server.ExecuteSql(u"insert into [付款方式] (方式 )values ('赊账')"_s));
    const ServerSetupResult copied = copyFileToServer(path, schema.url());
    EXPECT_FALSE(copied.ok);
    EXPECT_TRUE(copied.message.contains(u"不是空的"_s)) << copied.message.toStdString();
    EXPECT_EQ(firstNumber(server, u"select count(*) from 付款方式 where 方式='赊账'"_s), 1);
}

TEST_F(ServerCopy, AFailedCopyLeavesNoTables) {
    // A line whose sale is gone, written by a tool that does not check the relationship: the
    // server refuses it after the earlier tables went in.
    file.CloseDatabase();
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw, "INSERT INTO 销售详情 (关联, 名称) VALUES (777777, 'orphan')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    TestServerSchema schema(false);
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    const ServerSetupResult copied = copyFileToServer(path, schema.url());
    EXPECT_FALSE(copied.ok);
    EXPECT_TRUE(copied.message.startsWith(u"复制失败"_s)) << copied.message.toStdString();
    ODBCDB server;
    ASSERT_TRUE(server.NewOpenDatabase(schema.url(), false, true));
    EXPECT_EQ(server.OpenTable(u"select * from 销售记录"_s), 0);
}

}  // namespace
}  // namespace tillora::test
