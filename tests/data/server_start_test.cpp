// A till pointed at a server by tillora.conf: it opens the server, never the file, and each way
// of failing is named to the cashier without the file's template offer.
#include "data/database_setup.h"
#include "data/postgres_connection.h"
#include "data/server_config.h"
#include "data/server_setup.h"
#include "data/template_database.h"
#include "records/data_initialiser.h"
#include "tests/support/temp_program_folder.h"
#include "tests/support/test_server.h"

#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

namespace tillora::test {
namespace {

using namespace Qt::StringLiterals;

struct RecordingPrompts : DatabasePrompts {
    bool askYesNo(const QString& text) override {
        asked << text;
        return true;
    }
    void tell(const QString& text) override { told << text; }
    bool askRetry(const QString& text) override {
        retries << text;
        return false;
    }
    QStringList asked, told, retries;
};

void writeConfig(const QString& folder, const QByteArray& text) {
    QFile file(serverConfigPath(folder));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST(ServerConfig, ReadsTheDatabaseLineOnly) {
    TempProgramFolder folder;
    EXPECT_EQ(configuredServerUrl(folder.path()), QString());  // no file: the embedded file
    writeConfig(folder.path(),
                "# shop server\n\n  Database =  postgresql://kasse@db.lan:5433/laden \n"
                "other = x\n");
    EXPECT_EQ(configuredServerUrl(folder.path()), u"postgresql://kasse@db.lan:5433/laden"_s);
    writeConfig(folder.path(), "# database = postgresql://x@y/z\n");
    EXPECT_EQ(configuredServerUrl(folder.path()), QString());
    EXPECT_EQ(serverHost(u"postgresql://kasse@db.lan:5433/laden"_s), u"db.lan:5433"_s);
    EXPECT_EQ(serverHost(u"postgresql:///laden"_s), u"localhost"_s);
    EXPECT_EQ(serverDatabaseName(u"postgresql://kasse@db.lan/laden?sslmode=require"_s), u"laden"_s);
}

class ServerStart : public ::testing::Test {
  protected:
    void SetUp() override {
        if (testServerUrl().isEmpty()) {
            if (testServerRequired()) {
                FAIL() << "TILLORA_TEST_PG is not set";
            }
            GTEST_SKIP() << "no test server (TILLORA_TEST_PG)";
        }
        ASSERT_TRUE(folder.isValid());
    }
    // The test server's URL with another user, password or database.
    static QString changed(const QString& user, const QString& password, const QString& database) {
        QUrl url(testServerUrl());
        url.setUserName(user);
        url.setPassword(password);
        url.setPath(u"/"_s + database);
        return url.toString();
    }
    bool start(const QString& url) {
        writeConfig(folder.path(), "database = " + url.toUtf8() + "\n");
        return openOrRestoreDatabase(db, folder.path(), prompts);
    }
    void expectNoFileTouched() {
        EXPECT_TRUE(prompts.asked.isEmpty()) << "the template offer was made";
        EXPECT_FALSE(QFile::exists(databasePath(folder.path())));
    }

    TempProgramFolder folder;
    RecordingPrompts prompts;
    ODBCDB db;
};

TEST_F(ServerStart, OpensTheServerNamedInTheConfig) {
    TestServerSchema schema;
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    ASSERT_TRUE(start(schema.url()));
    EXPECT_TRUE(db.connectString().contains(u"postgresql://"_s));
    expectNoFileTouched();
    EXPECT_TRUE(prompts.told.isEmpty());
}

TEST_F(ServerStart, AnUnreachableServerIsNamedAndMayBeRetried) {
    EXPECT_FALSE(start(u"postgresql://tillora@127.0.0.1:1/tillora_test"_s));
    ASSERT_EQ(prompts.retries.size(), 1);
    EXPECT_TRUE(prompts.retries[0].startsWith(u"无法连接数据库服务器：127.0.0.1:1"_s))
        << prompts.retries[0].toStdString();
    expectNoFileTouched();
    EXPECT_FALSE(db.isOpen());
}

TEST_F(ServerStart, AWrongPasswordAndAnUnknownDatabaseAreToldApart) {
    {
        // The test cluster asks this one role for its password (scripts/start_postgres.sh).
        auto admin = PostgresConnection::open(testServerUrl(), false);
        ASSERT_TRUE(admin);
        admin->executeNative(
            u"do $$ begin create role tillora_pw login password 'right'; "
            u"exception when duplicate_object then null; end $$"_s);
    }
    const QString database = QUrl(testServerUrl()).path().mid(1);
    EXPECT_FALSE(start(changed(u"tillora_pw"_s, u"wrong"_s, database)));
    ASSERT_EQ(prompts.told.size(), 1);
    EXPECT_TRUE(prompts.told[0].startsWith(u"数据库服务器拒绝登录："_s))
        << prompts.told[0].toStdString();

    prompts.told.clear();
    EXPECT_FALSE(start(changed(u"tillora"_s, {}, u"no_such_shop"_s)));
    ASSERT_EQ(prompts.told.size(), 1);
    EXPECT_TRUE(prompts.told[0].startsWith(u"数据库服务器上没有数据库“no_such_shop”"_s))
        << prompts.told[0].toStdString();
    EXPECT_TRUE(prompts.retries.isEmpty());  // neither comes right by waiting
    expectNoFileTouched();
}

TEST_F(ServerStart, AnEmptyDatabaseAsksForTheSetUpCommand) {
    TestServerSchema empty(false);
    ASSERT_TRUE(empty.isValid()) << empty.error().toStdString();
    EXPECT_FALSE(start(empty.url()));
    ASSERT_EQ(prompts.told.size(), 1);
    EXPECT_TRUE(prompts.told[0].contains(u"--init-server"_s));
    expectNoFileTouched();
}

TEST_F(ServerStart, InitialisingDataNeverSwitchesATillToAFileLeftBeside) {
    TestServerSchema schema;
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    ASSERT_TRUE(start(schema.url()));
    const QString stale = databasePath(folder.path());
    ASSERT_TRUE(writeTemplateDatabase(stale));
    EXPECT_EQ(DataInitialiser::run(db, stale, folder.path() + u"/copy.mdb"_s, {}),
              DataInitialiser::Outcome::Failed);
    EXPECT_TRUE(db.connectString().contains(u"postgresql://"_s));
    EXPECT_FALSE(QFile::exists(folder.path() + u"/copy.mdb"_s));
    EXPECT_EQ(db.OpenTable(u"select * from 销售记录 where ID=401"_s) != 0, true);
}

}  // namespace
}  // namespace tillora::test
