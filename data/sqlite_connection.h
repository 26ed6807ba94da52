#pragma once

#include "data/database_connection.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>

#include "data/database_wait.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tillora {

// One SQLite connection speaking the program's Jet dialect. Text columns are declared
// COLLATE NOCASE; on our connections NOCASE is replaced by Jet's rule (letter case and trailing
// blanks ignored, for every script), and like() ignores letter case for every script too. The
// stock sqlite3 tool still reads the file with its built-in NOCASE.
class SqliteConnection : public DatabaseConnection {
  public:
    // How long a statement waits for another program's lock by default: short enough that a
    // window never freezes behind a lock, long enough to ride out another program's commit.
    static constexpr int kLockWaitMs = 200;

    // nullptr when the file is missing, unreadable, not a database, locked by another program,
    // or (when asked for writing) can't be written; *fault says which. Never creates a file.
    static std::unique_ptr<SqliteConnection> open(const QString& file, const QString& connectString,
                                                  bool readOnly, DbFault* fault = nullptr);
    ~SqliteConnection() override;

    QString connectString() const override { return connectString_; }
    bool supportsTransactions() const override { return true; }

    bool execute(const QString& sql, const std::vector<DbParam>& params) override;
    std::unique_ptr<RecordSet> query(const QString& sql) override;

    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;

    DbFault lastFault() const override { return fault_; }
    QString lastMessage() const override { return message_; }
    void setLockWait(int milliseconds) override;

    // The engine's result code as the program names it; CANTOPEN means the file at open and the
    // journal (so the folder) afterwards.
    static DbFault faultFromCode(int code, bool opening);

    // Registers the Jet functions and collation on any SQLite handle (also used by tools/tests).
    static bool registerJetFunctions(sqlite3* db);

  private:
    SqliteConnection(sqlite3* db, QString connectString);

    // Sleeps in short slices while another program holds the file, telling the wait observer,
    // until the lock wait runs out.
    static int waitForLock(void* self, int count);
    // Refuses a statement begun while this or another connection tells of its wait.
    bool refusedReentry();

    bool run(const char* sql);
    bool succeeded();
    bool failed(int code);
    // An insert of text literals through a statement prepared once per shape; nullopt when the
    // statement has no such shape, or the shape doesn't prepare (the caller then runs it whole,
    // so that its failure is reported as always).
    std::optional<bool> executeByShape(const QString& sql);
    // The statement prepared for this text, kept for the next time the same text comes (reset
    // after each use); nullptr when it doesn't prepare.
    sqlite3_stmt* preparedStatement(const QString& sql);

    // Kept small: a sale uses three statements, and a full cache is simply emptied.
    static constexpr int kMaxStatements = 16;

    sqlite3* db_;
    int lockWaitMs_ = kLockWaitMs;
    std::optional<DatabaseWait> lockWait_;  // the statement's current lock wait, if any
    QHash<QString, sqlite3_stmt*> statements_;
    QString connectString_;
    DbFault fault_ = DbFault::None;
    QString message_;
};

}  // namespace tillora
