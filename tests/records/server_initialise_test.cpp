// Data initialisation on a till that keeps its sales on a server.
#include "data/database_setup.h"
#include "data/server_config.h"
#include "data/template_database.h"
#include "records/data_initialiser.h"
#include "tests/support/temp_program_folder.h"
#include "tests/support/test_server.h"

#include <QFile>

#include <gtest/gtest.h>

namespace tillora::test {
namespace {

using namespace Qt::StringLiterals;

struct AnswerYes : DatabasePrompts {
    bool askYesNo(const QString&) override { return true; }
    void tell(const QString&) override {}
    bool askRetry(const QString&) override { return false; }
};

TEST(ServerInitialise, NeverSwitchesATillToAFileLeftBeside) {
    TILLORA_NEED_TEST_SERVER();
    TempProgramFolder folder;
    ASSERT_TRUE(folder.isValid());
    TestServerSchema schema;
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    {
        QFile config(serverConfigPath(folder.path()));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("database = " + schema.url().toUtf8() + "\n");
    }
    AnswerYes prompts;
    ODBCDB db;
    ASSERT_TRUE(openOrRestoreDatabase(db, folder.path(), prompts));
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
