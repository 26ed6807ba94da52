#pragma once

#include <QString>

namespace tillora {

// tillora.conf beside the program: "database = postgresql://user@host:port/dbname" makes the till
// use that server instead of the embedded file. Lines are "key = value"; blank lines and lines
// starting with "#" are skipped; the last database line counts.
QString serverConfigPath(const QString& programFolder);
// The server URL the file names; empty when there is no file or no database line (the embedded
// file is used then).
QString configuredServerUrl(const QString& programFolder);

// The host and database a URL names, for messages ("localhost" when the URL names none).
QString serverHost(const QString& url);
QString serverDatabaseName(const QString& url);

}  // namespace tillora
