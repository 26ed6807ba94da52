#pragma once

#include "data/database_connection.h"

#include <QString>

#include <memory>

struct sqlite3;

namespace tillora {

// One SQLite connection speaking the program's Jet dialect. Text columns are declared
// COLLATE NOCASE; on our connections NOCASE is replaced by Jet's rule (letter case and trailing
// blanks ignored, for every script), and like() ignores letter case for every script too. The
// stock sqlite3 tool still reads the file with its built-in NOCASE.
class SqliteConnection : public DatabaseConnection {
  public:
    // nullptr when the file is missing, unreadable or not a database. Never creates a file.
    static std::unique_ptr<SqliteConnection> open(const QString& file, const QString& connectString,
                                                  bool readOnly);
    ~SqliteConnection() override;

    QString connectString() const override { return connectString_; }
    QChar identifierQuoteChar() const override { return QLatin1Char('"'); }
    bool supportsTransactions() const override { return true; }

    bool execute(const QString& sql, const std::vector<DbParam>& params) override;
    std::unique_ptr<RecordSet> query(const QString& sql) override;

    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;

    // Registers the Jet functions and collation on any SQLite handle (also used by tools/tests).
    static bool registerJetFunctions(sqlite3* db);

  private:
    SqliteConnection(sqlite3* db, QString connectString);

    sqlite3* db_;
    QString connectString_;
};

}  // namespace tillora
