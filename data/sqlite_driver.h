#pragma once

#include "data/database_driver.h"

namespace tillora {

// The embedded driver: the database file named by DBQ= is an SQLite file. Every connection gets
// foreign keys, a rollback journal with full syncs, a short wait for other programs' locks, now()
// as a Jet day number, and Jet's text comparison (see SqliteConnection).
class SqliteDriver : public DatabaseDriver {
  public:
    std::unique_ptr<DatabaseConnection> connect(const QString& connectString, bool readOnly,
                                                DbFault* fault = nullptr) override;

    // The file a connect string names: the DBQ value, which may itself contain ";" (it runs up to
    // the DefaultDir or Driver key that follows it) or stand in braces. Empty when there is none.
    static QString databaseFile(const QString& connectString);
};

}  // namespace tillora
