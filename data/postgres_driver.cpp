#include "data/postgres_driver.h"

#include "data/postgres_connection.h"
#include "data/server_config.h"
#include "data/sqlite_driver.h"

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
    return PostgresConnection::open(url, readOnly, fault);
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
