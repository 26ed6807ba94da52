#pragma once

#include "data/database_prompts.h"
#include "data/odbcdb.h"

#include <QString>

namespace tillora {

namespace server_text {
QString unreachable(const QString& url);
QString loginRefused(const QString& url);
QString noSuchDatabase(const QString& url);
QString noSchema(const QString& url);
QString noClientLibrary();
}  // namespace server_text

// The start's database step for a till that uses a server. The server's own data is never
// replaced from here: no template offer, only the cause and (when the server may come back)
// retry. False when the database is still not open; every message has been shown.
bool openServerDatabase(ODBCDB& db, const QString& url, DatabasePrompts& prompts);

// The cause of a failed server start as the cashier reads it.
QString serverFaultText(DbFault fault, const QString& url);

// Outcome of the two set-up commands: ok, or the reason (Chinese, for the console).
struct ServerSetupResult {
    bool ok = false;
    QString message;
};

// Creates the program's tables in an empty database and fills them with the template rows.
ServerSetupResult initialiseServer(const QString& url);
// Copies an embedded database file into an empty database on the server: every table and row,
// the IDs kept, each ID sequence moved past the highest ID the file ever gave, and the row
// counts compared afterwards. Nothing is kept when any step fails.
ServerSetupResult copyFileToServer(const QString& file, const QString& url);

// The command line's set-up commands: "--init-server", or "--copy-to-server [FILE]" (the
// Zeb.mdb in the program folder by default), for the server tillora.conf names. Prints the
// outcome; the process exit code.
int runServerSetupCommand(int argc, char** argv);

}  // namespace tillora
