#include "data/postgres_driver.h"

#include "data/database_fault_log.h"
#include "data/postgres_connection.h"
#include "data/server_config.h"
#include "data/sqlite_driver.h"
#include "platform/event_log.h"

namespace tillora {

bool PostgresDriver::isServerUrl(const QString& connectString) {
    return serverAddressForm(connectString) != ServerAddressForm::None;
}

std::unique_ptr<DatabaseConnection> PostgresDriver::connect(const QString& connectString,
                                                            bool readOnly, DbFault* fault) {
    QString url = connectString;
    if (url.startsWith(QStringLiteral("ODBC;"), Qt::CaseInsensitive)) {
        url.remove(0, 5);
    }
    if (!isServerUrl(url)) {
        if (fault != nullptr) {
            *fault = DbFault::Missing;
        }
        return nullptr;
    }
    DbFault why = DbFault::Other;
    QString message;
    auto connection = PostgresConnection::open(url, readOnly, &why, &message);
    if (!connection) {
        // Never the address: it may hold a password.
        EventLog::write(
            QStringLiteral("database"),
            QStringLiteral("cannot connect to the server: %1: %2").arg(dbFaultName(why), message));
        if (fault != nullptr) {
            *fault = why;
        }
    }
    return connection;
}

std::unique_ptr<DatabaseConnection> SelectingDriver::connect(const QString& connectString,
                                                             bool readOnly, DbFault* fault) {
    QString bare = connectString;
    if (bare.startsWith(QStringLiteral("ODBC;"), Qt::CaseInsensitive)) {
        bare.remove(0, 5);
    }
    if (PostgresDriver::isServerUrl(bare)) {
        return PostgresDriver().connect(bare, readOnly, fault);
    }
    return SqliteDriver().connect(connectString, readOnly, fault);
}

}  // namespace tillora
