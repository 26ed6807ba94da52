#pragma once

#include "data/database_connection.h"

#include <QSet>
#include <QString>

#include <memory>
#include <utility>

struct pg_conn;
struct pg_result;

namespace tillora {

// One connection to the database server speaking the program's Jet dialect (see
// translateJetSqlForServer). A connection that was lost is made again at the next statement
// outside a transaction, so a restarted server is used again without a restart of the program.
// Inside a transaction it is never made again: that statement and every later one of the
// transaction fail (Unreachable) until the transaction is ended, so nothing of it is written
// outside it. Before the next statement after such a loss the old session is ended on the server
// and seen gone, so that what is read then is all the old session will ever have done.
class PostgresConnection : public DatabaseConnection {
  public:
    static constexpr int kLockWaitMs = 200;
    // How long the server may work on one statement before it cancels it, and how much longer
    // the till waits for the answer before it gives the connection up: a server or network that
    // stops answering holds a window for seconds, never for good.
    static constexpr int kStatementLimitMs = 5000;
    static constexpr int kAnswerMarginMs = 3000;
    // Every writer takes this lock first, so that two tills never both read the newest receipt
    // number and then store the same one.
    static constexpr int kWriteLock = 0x54494C4C;

    // The time limits of a connection; every new connection takes those set here.
    struct Limits {
        int statementMs = kStatementLimitMs;   // the server cancels a statement after this
        int answerMarginMs = kAnswerMarginMs;  // the till gives the answer up this much later
        int connectMs = 5000;                  // making a connection
        int idleInTransactionMs = 15000;       // the server ends a session idle in a transaction
        int sessionEndMs = 5000;               // waiting for a lost session to be gone
    };
    static void setLimits(const Limits& limits);

    static std::unique_ptr<PostgresConnection> open(const QString& url, bool readOnly,
                                                    DbFault* fault = nullptr,
                                                    QString* message = nullptr);
    ~PostgresConnection() override;

    QString connectString() const override { return url_; }
    bool supportsTransactions() const override { return true; }

    bool execute(const QString& sql, const std::vector<DbParam>& params) override;
    std::unique_ptr<RecordSet> query(const QString& sql) override;

    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;

    DbFault lastFault() const override { return fault_; }
    void setLockWait(int milliseconds) override;
    // Longer for work known to be long (copying a shop to the server).
    void setStatementLimit(int milliseconds);

    // A statement in the server's own dialect, untranslated (schema and copying).
    bool executeNative(const QString& sql);
    // The server's message for the last failure.
    QString lastMessage() const override { return message_; }

    // The fault a connection failure message names.
    static DbFault faultFromConnectMessage(const QString& message);

  private:
    PostgresConnection(pg_conn* conn, QString url, bool readOnly);

    // Makes a connection without blocking: the wait is told as a statement's and bounded by
    // the connect limit. nullptr with `why` set on failure.
    static pg_conn* connect(const QString& url, int limitMs, QString* why, DbFault* fault);
    // Runs one statement; the result (owned by the caller) or nullptr with the fault noted.
    pg_result* run(const QString& sql, const std::vector<DbParam>& params, bool translate);
    // Sends one statement and waits for its answer within the limit, telling the wait observer;
    // nullptr when the connection failed or the wait was abandoned (the connection then lost).
    pg_result* exchange(const char* text, int count, const char* const* values, const int* lengths,
                        const int* formats);
    void abandon();
    bool ensureConnected();
    bool reconnect();
    bool prepareSession();
    // Ends the session lost with its transaction and waits until the server has let it go.
    bool endLostSession();
    // The connection went while the session may still hold a transaction.
    void lost();
    void noteFailure(pg_result* result);
    bool loadDateTimeColumns();

    pg_conn* conn_;
    QString url_;
    bool readOnly_;
    bool inTransaction_ = false;
    bool broken_ = false;  // the transaction's connection was lost
    int lockWaitMs_ = kLockWaitMs;
    Limits limits_;
    // The server's session: its process and its start, which tell it from a later one with the
    // same process number. lost*: a session lost that may not have ended yet (0: none).
    int sessionPid_ = 0;
    QString sessionStart_;
    int lostPid_ = 0;
    QString lostStart_;
    bool abandoned_ = false;
    DbFault fault_ = DbFault::None;
    bool serverAnswered_ = false;  // the last failure was the server's own error
    QString message_;
    QSet<std::pair<unsigned, int>> dateTimeColumns_;  // (table, column) holding day numbers
    bool dateTimeColumnsLoaded_ = false;
};

}  // namespace tillora
