// No statement waits without limit, and every wait is told, so that the windows keep painting:
// a file held by another program, a server that stops answering.
#include "data/database_wait.h"
#include "data/postgres_connection.h"
#include "data/sqlite_connection.h"
#include "data/template_database.h"
#include "tests/support/temp_program_folder.h"
#include "tests/support/test_server.h"

#include <QElapsedTimer>
#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
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

// Forwards connections to the test server until stalled; stalled, it holds every connection
// open and passes nothing, as a server that hangs or a pulled cable would.
class Relay {
  public:
    explicit Relay(const QUrl& target) {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        const QByteArray host = target.host().isEmpty() ? "localhost" : target.host().toUtf8();
        const QByteArray port = QByteArray::number(target.port(5432));
        if (getaddrinfo(host.constData(), port.constData(), &hints, &target_) != 0) {
            target_ = nullptr;
            return;
        }
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(listener_, 8) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~Relay() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        for (int fd : sockets_) {
            close(fd);
        }
        close(listener_);
        if (target_ != nullptr) {
            freeaddrinfo(target_);
        }
    }
    int port() const { return port_; }
    void stall(bool stalled) { stalled_ = stalled; }

  private:
    void serve() {
        while (!stop_) {
            std::vector<pollfd> fds{{listener_, POLLIN, 0}};
            if (!stalled_) {
                for (int fd : sockets_) {
                    fds.push_back({fd, POLLIN, 0});
                }
            }
            if (poll(fds.data(), fds.size(), 20) <= 0) {
                continue;
            }
            if (fds[0].revents & POLLIN) {
                const int client = accept(listener_, nullptr, nullptr);
                const int server = socket(target_->ai_family, SOCK_STREAM, 0);
                connect(server, target_->ai_addr, target_->ai_addrlen);
                sockets_.insert(sockets_.end(), {client, server});
            }
            for (std::size_t i = 1; i < fds.size(); ++i) {
                if (fds[i].revents == 0) {
                    continue;
                }
                const std::size_t at = i - 1;
                const int peer = sockets_[at ^ 1];
                char buffer[8192];
                const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n <= 0) {
                    shutdown(peer, SHUT_WR);
                    continue;
                }
                (void)!write(peer, buffer, static_cast<std::size_t>(n));
            }
        }
    }

    addrinfo* target_ = nullptr;
    int listener_ = -1;
    int port_ = 0;
    std::vector<int> sockets_;  // pairs: client, server
    std::atomic<bool> stalled_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class ServerWait : public ::testing::Test {
  protected:
    void SetUp() override {
        TILLORA_NEED_TEST_SERVER();
        relay = std::make_unique<Relay>(QUrl(test::testServerUrl()));
        ASSERT_NE(relay->port(), 0);
        QUrl url(test::testServerUrl());
        url.setHost(u"127.0.0.1"_s);
        url.setPort(relay->port());
        server = PostgresConnection::open(url.toString(), false);
        ASSERT_TRUE(server);
    }

    std::unique_ptr<Relay> relay;
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
