#pragma once

#include <QString>

#include <QtGlobal>

namespace tillora {

// Saving what can still be read from a damaged database file into a new one, with the engine's
// own command-line tool run as a child process: its ".recover" where the tool can (it reads the
// pages themselves), else its ".dump", which reads each table from both ends around a damaged
// page. The damaged file is only read.
namespace database_salvage {

// The tool, found on the search path; empty when it is not installed.
QString tool();

struct Result {
    bool ok = false;
    qint64 sales = 0;  // rows of 销售记录 in the new file
    QString problem;   // why it failed, for the cashier
};

// Writes the readable rows of damagedPath into a new file at newPath (replacing one there) and
// checks it whole; on failure no file is left at newPath. timeoutMs bounds each run of the tool.
Result salvage(const QString& damagedPath, const QString& newPath, const QString& tool,
               int timeoutMs = 10 * 60 * 1000);

}  // namespace database_salvage

}  // namespace tillora
