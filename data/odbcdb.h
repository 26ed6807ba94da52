#pragma once

#include "data/database_connection.h"
#include "data/database_driver.h"
#include "data/db_param.h"
#include "data/db_value.h"
#include "data/record_set.h"

#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

namespace tillora {

// The database component (外部数据库): one connection, up to 30 open record sets, SQL text in,
// typed values out. No operation shows a message or throws; failures are the return values
// false, 0, true (IsEOF) or an empty value.
class ODBCDB {
  public:
    static constexpr int kRecordSetSlots = 30;

    // Without a driver, a server URL opens the server and anything else the embedded file.
    explicit ODBCDB(std::shared_ptr<DatabaseDriver> driver = nullptr);
    ~ODBCDB();
    ODBCDB(const ODBCDB&) = delete;
    ODBCDB& operator=(const ODBCDB&) = delete;

    // The Access connect string for a .mdb path: DBQ, DefaultDir (only when the path contains a
    // backslash: everything before the last one), driver, optional UID/PWD, closing ";".
    // A "/"-only path therefore has no DefaultDir; the drivers take the file from DBQ alone.
    static QString accessConnectString(const QString& path, const QString& user = {},
                                       const QString& password = {});

    // On success an earlier connection is closed and replaced; on failure it stays in use.
    bool OpenMdbDatabase(const QString& path, const QString& user = {},
                         const QString& password = {}, bool readOnly = false,
                         bool noPrompt = false);
    bool NewOpenDatabase(const QString& connectString, bool readOnly, bool noPrompt);
    void CloseDatabase();
    bool isOpen() const { return connection_ != nullptr; }
    // "ODBC;" followed by the driver's completed connect string; empty when closed.
    QString connectString() const { return connectString_; }

    // Takes the write lock; fails (lastFault Locked) when another program holds it.
    bool BeginTrans();
    void CommitTrans();
    // A commit that only waits for another program's readers stays open (false, lastFault
    // Locked) so that it can be tried again; any other failure rolls back.
    bool tryCommitTrans();
    // Undoes everything since BeginTrans, for operations that must not be left half done.
    bool RollbackTrans();
    bool inTransaction() const { return inTransaction_; }

    int OpenTable(const QString& sql);
    void CloseTable();
    void CloseTable(int handle);
    bool IsEOF(int handle) const;
    void MoveFirst(int handle);
    void MoveNext(int handle);
    // Empty value when the name is not in the result (byte-exact, case-sensitive, first match)
    // or there is no current row.
    DbValue ReadColByName(int handle, const QString& name) const;
    // Positions count from 1.
    DbValue ReadColByIndex(int handle, int position) const;
    bool ExecuteSql(const QString& sql, const std::vector<DbParam>& params = {});

    // Why the last operation failed (None after one that succeeded). The operations still
    // report failures only by their results; this is for the caller's own message.
    DbFault lastFault() const { return fault_; }
    // How long statements wait for another program's lock (a short wait by default).
    void setLockWait(int milliseconds);

    int openRecordSetCount() const;
    // Result column names in order (known even for an empty result); empty for an unknown handle.
    QStringList columnNames(int handle) const;
    // Rows learned when the record set was opened; 0 for an unknown handle.
    int rowCount(int handle) const;

  private:
    struct Slot {
        int handle = 0;
        std::unique_ptr<RecordSet> records;
        std::size_t row = 0;  // == rowCount means past the end
        // Callers read the columns of a row in the same order row after row, so the column
        // after the last one found is tried first. Only when no name repeats, since a
        // repeated name must find its first column.
        bool uniqueNames = false;
        mutable std::size_t nextColumn = 0;
    };
    const Slot* findSlot(int handle) const;
    Slot* findSlot(int handle);
    // Keeps the cause of a failure and logs it with the statement's shape.
    bool noted(bool ok, const QString& sql, const std::vector<DbParam>& params = {});

    std::shared_ptr<DatabaseDriver> driver_;
    std::unique_ptr<DatabaseConnection> connection_;
    QString connectString_;
    std::array<Slot, kRecordSetSlots> slots_;
    mutable std::size_t lastSlot_ = 0;  // where the last handle asked for was found
    int lastHandle_ = 0;
    bool inTransaction_ = false;
    DbFault fault_ = DbFault::None;
};

// Runs the statements in one transaction: all stored, or (false) none.
bool executeInOneTransaction(ODBCDB& db, const QStringList& statements);

}  // namespace tillora
