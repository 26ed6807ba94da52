#pragma once

#include <QString>

#include <functional>

namespace tillora {

class ODBCDB;

// Puts a fresh template database in place of the program's database after a verified backup.
class DataInitialiser {
  public:
    enum class Outcome {
        Done,          // backed up, the template is in place and open
        BackupFailed,  // nothing changed
        Failed,        // the template could not be written or opened: the old database is back
    };

    // `db` is open on `databasePath`; it is open again afterwards whatever the outcome (on the new
    // database when Done, on the old one otherwise), unless even the old file cannot be reopened.
    // The template is written by `writeTemplate` (the carried template when not given).
    using TemplateWriter = std::function<bool(const QString& path)>;
    static Outcome run(ODBCDB& db, const QString& databasePath, const QString& backupPath,
                       const TemplateWriter& writeTemplate = {});

    // True when `a` and `b` name the same file (the backup must never land on the database).
    static bool sameFile(const QString& a, const QString& b);
};

}  // namespace tillora
