#pragma once

#include "data/db_fault.h"
#include "data/db_param.h"
#include "data/record_set.h"

#include <QString>

#include <memory>
#include <vector>

namespace tillora {

// One open connection of a driver. Statements arrive as the program writes them (Jet's dialect,
// bracketed names and all); the connection translates them as its engine needs.
// Failures are return values.
class DatabaseConnection {
  public:
    virtual ~DatabaseConnection() = default;

    // The completed connect string (without the "ODBC;" prefix).
    virtual QString connectString() const = 0;
    virtual bool supportsTransactions() const = 0;

    virtual bool execute(const QString& sql, const std::vector<DbParam>& params) = 0;
    // The fully read result, or nullptr when the statement fails.
    virtual std::unique_ptr<RecordSet> query(const QString& sql) = 0;

    // Takes the write lock at once, so that two writers never both read and then collide.
    virtual bool beginTransaction() = 0;
    virtual bool commitTransaction() = 0;
    virtual bool rollbackTransaction() = 0;

    // The cause of the last failed call; None after a call that succeeded.
    virtual DbFault lastFault() const = 0;
    // The engine's own words for the last failure (for the log); empty when it gave none.
    virtual QString lastMessage() const { return {}; }
    // How long a statement waits for another program's lock before it fails as Locked.
    virtual void setLockWait(int milliseconds) = 0;
};

}  // namespace tillora
