#pragma once

#include "data/database_driver.h"

#include <QString>

namespace tillora {

// The server driver: the connect string is a PostgreSQL URL
// ("postgresql://user@host:port/dbname") or the client library's "host=... dbname=..." form; a
// password may come from ~/.pgpass as the client library reads it. The database must hold the
// program's schema (tillora --init-server).
class PostgresDriver : public DatabaseDriver {
  public:
    std::unique_ptr<DatabaseConnection> connect(const QString& connectString, bool readOnly,
                                                DbFault* fault = nullptr) override;

    // True for a connect string this driver takes.
    static bool isServerUrl(const QString& connectString);
};

// Picks the driver by the connect string: a server URL goes to the server, anything else to
// the embedded file.
class SelectingDriver : public DatabaseDriver {
  public:
    std::unique_ptr<DatabaseConnection> connect(const QString& connectString, bool readOnly,
                                                DbFault* fault = nullptr) override;
};

}  // namespace tillora
