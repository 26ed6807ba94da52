#pragma once

#include "data/database_connection.h"

#include <QString>

#include <memory>

namespace tillora {

// Opens connections from an ODBC-style connect string ("DBQ=<file>;..."). The embedded SQLite
// driver is the default; others (a real ODBC driver manager) can sit behind the same interface.
class DatabaseDriver {
  public:
    virtual ~DatabaseDriver() = default;
    // nullptr when the connection cannot be made; *fault (when given) then says why.
    virtual std::unique_ptr<DatabaseConnection> connect(const QString& connectString, bool readOnly,
                                                        DbFault* fault = nullptr) = 0;
};

}  // namespace tillora
