// No statement waits without limit, and every wait is told, so that the windows keep painting:
// a file held by another program, a server that stops answering.
#include "data/database_wait.h"
#include "data/postgres_connection.h"
#include "data/sqlite_connection.h"
#include "data/template_database.h"
#include "tests/support/tcp_relay.h"
#include "tests/support/temp_program_folder.h"
#include "tests/support/test_server.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include <unistd.h>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;

struct RecordingObserver : DatabaseWaitObserver {
    RecordingObserver() { previous = setDatabaseWaitObserver(this); }
    ~RecordingObserver() override { setDatabaseWaitObserver(previous); }
    void begin(DatabaseWaitKind k) override {
        ++begun;
        kind = k;
    }
    bool progress(DatabaseWaitKind, int elapsedMs) override {
        ++slices;
        return onProgress ? onProgress(elapsedMs) : true;
    }
    void end(DatabaseWaitKind) override { ++ended; }

    DatabaseWaitObserver* previous = nullptr;
    std::function<bool(int)> onProgress;
    DatabaseWaitKind kind = DatabaseWaitKind::File;
    int begun = 0, slices = 0, ended = 0;
};

class FileLockWait : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        path = folder.path() + u"/Zeb.mdb"_s;
        ASSERT_TRUE(writeTemplateDatabase(path));
        connection = SqliteConnection::open(path, path, false);
        ASSERT_TRUE(connection);
        // Another program's read transaction: a write can't commit until it ends.
        ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &reader), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
    }
    void TearDown() override { sqlite3_close(reader); }

    test::TempProgramFolder folder;
    QString path;
    std::unique_ptr<SqliteConnection> connection;
    sqlite3* reader = nullptr;
};

TEST_F(FileLockWait, IsToldWhileItLastsAndEndsAtItsBound) {
    RecordingObserver observer;
    std::unique_ptr<RecordSet> nested;
    DbFault nestedFault = DbFault::None;
    observer.onProgress = [&](int) {
        // A handler the observer ran must not enter a connection that is mid-statement.
        if (observer.slices == 2) {
            nested = connection->query(u"select 1"_s);
            nestedFault = connection->lastFault();
        }
        return true;
    };
    connection->setLockWait(400);
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(connection->execute(u"create table probe (x integer)"_s, {}));
    EXPECT_EQ(connection->lastFault(), DbFault::Locked);
    EXPECT_GE(took.elapsed(), 400);
    EXPECT_LT(took.elapsed(), 1500);
    EXPECT_EQ(observer.begun, 1);
    EXPECT_EQ(observer.ended, 1);
    EXPECT_EQ(observer.kind, DatabaseWaitKind::File);
    EXPECT_GE(observer.slices, 5);
    EXPECT_FALSE(nested);
    EXPECT_EQ(nestedFault, DbFault::Locked);
    // The connection is sound afterwards.
    EXPECT_TRUE(connection->query(u"select 1"_s));
}

TEST_F(FileLockWait, SucceedsWhenTheOtherProgramLetsGoInTime) {
    RecordingObserver observer;
    observer.onProgress = [&](int) {
        if (observer.slices == 3) {
            sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
        }
        return true;
    };
    EXPECT_TRUE(connection->execute(u"create table probe (x integer)"_s, {}));
    EXPECT_EQ(observer.slices, 3);
    EXPECT_EQ(observer.ended, 1);
}

// The test server behind a relay that, stalled, holds every connection open and passes nothing,
// as a server that hangs or a pulled cable would.
class ServerWait : public ::testing::Test {
  protected:
    void SetUp() override {
        TILLORA_NEED_TEST_SERVER();
        relay = std::make_unique<test::TcpRelay>(test::testServerUrl());
        ASSERT_TRUE(relay->isValid());
        server = PostgresConnection::open(relay->url(), false);
        ASSERT_TRUE(server);
    }

    std::unique_ptr<test::TcpRelay> relay;
    std::unique_ptr<PostgresConnection> server;
};

TEST_F(ServerWait, AServerThatStopsAnsweringFailsWithinTheBound) {
    server->setStatementLimit(1000);
    ASSERT_TRUE(server->executeNative(u"select 1"_s));
    RecordingObserver observer;
    relay->stall(true);
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(server->executeNative(u"select 1"_s));
    const qint64 waited = took.elapsed();
    EXPECT_EQ(server->lastFault(), DbFault::Unreachable);
    EXPECT_GE(waited, 1000 + PostgresConnection::kAnswerMarginMs);
    EXPECT_LT(waited, 1000 + PostgresConnection::kAnswerMarginMs + 1500);
    EXPECT_EQ(observer.kind, DatabaseWaitKind::Server);
    EXPECT_GE(observer.slices, 20);
    EXPECT_EQ(observer.ended, 1);
    // Once the server answers again the next statement finds it.
    relay->stall(false);
    EXPECT_TRUE(server->executeNative(u"select 1"_s));
}

TEST_F(ServerWait, CancelAbandonsTheStatementAndItsTransaction) {
    ASSERT_TRUE(server->beginTransaction());
    RecordingObserver observer;
    observer.onProgress = [](int elapsedMs) { return elapsedMs < 300; };
    relay->stall(true);
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(server->executeNative(u"select 1"_s));
    EXPECT_LT(took.elapsed(), 1000);
    EXPECT_EQ(server->lastFault(), DbFault::Unreachable);
    // The transaction went with the connection: its commit can't claim success.
    EXPECT_FALSE(server->commitTransaction());
    relay->stall(false);
    EXPECT_TRUE(server->executeNative(u"select 1"_s));
}

TEST_F(ServerWait, ConnectingAgainIsAWaitLikeAnyAndCanBeCancelled) {
    RecordingObserver observer;
    observer.onProgress = [](int elapsedMs) { return elapsedMs < 300; };
    relay->stall(true);
    EXPECT_FALSE(server->executeNative(u"select 1"_s));  // abandoned: the connection goes
    const int waits = observer.begun;
    // The server accepts the connection and says nothing: the window keeps painting, 取消 ends it.
    EXPECT_FALSE(server->executeNative(u"select 1"_s));
    EXPECT_GT(observer.begun, waits);
    EXPECT_EQ(server->lastFault(), DbFault::Unreachable);
    relay->stall(false);
    EXPECT_TRUE(server->executeNative(u"select 1"_s));
}

TEST_F(ServerWait, TheServerStopsAStatementAtTheLimit) {
    server->setStatementLimit(300);
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(server->executeNative(u"select pg_sleep(5)"_s));
    EXPECT_LT(took.elapsed(), 2000);
    EXPECT_EQ(server->lastFault(), DbFault::Locked);
    EXPECT_TRUE(server->executeNative(u"select 1"_s));
}

}  // namespace
}  // namespace tillora
