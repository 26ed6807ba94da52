#pragma once

#include <QString>

namespace tillora {

// tillora.conf beside the program: "database = postgresql://user@host:port/dbname" (or the
// client library's "host=... dbname=..." form) makes the till use that server instead of the
// embedded file. Lines are "key = value"; blank lines and lines starting with "#" are skipped;
// the last database line counts.
QString serverConfigPath(const QString& programFolder);

// What tillora.conf says. A file that is there but can't be used is never read as "no server":
// the till would then record into its own file and split the shop's sales over two stores.
struct ServerConfig {
    enum class Status {
        NoFile,   // no tillora.conf: the embedded file is used
        Server,   // connectString names the server
        Invalid,  // problem names the file, the line and what is wrong
    };
    Status status = Status::NoFile;
    QString connectString;
    QString problem;
};
ServerConfig readServerConfig(const QString& programFolder);

// The two forms of connect string the server's client library takes.
enum class ServerAddressForm { None, Url, Pairs };
// Only a string that begins as one of them counts, so the embedded file's "DBQ=..." never does.
ServerAddressForm serverAddressForm(const QString& connectString);
// Why the client library can't use the string (Chinese, for messages); empty when it can.
QString serverAddressProblem(const QString& connectString);

// The host and database a connect string names, for messages ("localhost" when it names none).
QString serverHost(const QString& connectString);
QString serverDatabaseName(const QString& connectString);

// The connect string as it may be shown: on screen, on the terminal, in a log. Any password
// (URL user info, "password" and "sslpassword" values) is replaced by "****".
QString displayedServerUrl(const QString& connectString);
// A message that may quote the connect string (the client library's complaints), with the
// string's passwords masked wherever they appear.
QString maskedServerMessage(const QString& message, const QString& connectString);

}  // namespace tillora
