#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/message_database_prompts.h"
#include "app/start_routine.h"
#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "forms/services/message_service.h"
#include "tests/support/scripted_message_service.h"
#include "tests/support/temp_program_folder.h"

#include <sqlite3.h>

namespace tillora {
namespace {

class StartRoutineTest : public ::testing::Test {
  protected:
    StartOutcome start(bool otherCopyRunning) {
        const StartCollaborators with{[otherCopyRunning] { return otherCopyRunning; },
                                      folder.path(), &prompts};
        return runStartRoutine(database, with);
    }
    QString databaseFile() const { return databasePath(folder.path()); }

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

TEST_F(StartRoutineTest, MissingDatabaseRestoredOnYes) {
    messages.answer(MessageResult::Yes);
    EXPECT_EQ(start(false), StartOutcome::DatabaseOpen);
    EXPECT_EQ(messages.texts(), (QStringList{QStringLiteral("连接数据库失败！是否置入新的数据库"),
                                             QStringLiteral("初始化成功！")}));
    EXPECT_EQ(messages.shown().front().flags & MessageFlags::ButtonMask, MessageFlags::YesNo);
    EXPECT_TRUE(database.isOpen());
    EXPECT_GT(QFileInfo(databaseFile()).size(), 0);
}

TEST_F(StartRoutineTest, MissingDatabaseRefusedEndsAfterTheNotice) {
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

}  // namespace
}  // namespace tillora
