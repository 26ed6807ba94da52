#include "data/sqlite_driver.h"

#include "data/sqlite_connection.h"

namespace tillora {

QString SqliteDriver::databaseFile(const QString& connectString) {
    qsizetype start = -1;
    for (qsizetype at = connectString.indexOf(QStringLiteral("DBQ="), 0, Qt::CaseInsensitive);
         at >= 0; at = connectString.indexOf(QStringLiteral("DBQ="), at + 1, Qt::CaseInsensitive)) {
        if (at == 0 || connectString[at - 1] == u';') {
            start = at + 4;
            break;
        }
    }
    if (start < 0) {
        return {};
    }
    if (start < connectString.size() && connectString[start] == u'{') {
        const qsizetype close = connectString.indexOf(u'}', start + 1);
        return close < 0 ? QString() : connectString.mid(start + 1, close - start - 1);
    }
    // The Access string puts DefaultDir or Driver right after DBQ; a path may hold ";".
    qsizetype end = -1;
    for (const auto& key : {QStringLiteral(";DefaultDir="), QStringLiteral(";Driver=")}) {
        const qsizetype at = connectString.indexOf(key, start, Qt::CaseInsensitive);
        if (at >= 0 && (end < 0 || at < end)) {
            end = at;
        }
    }
    if (end < 0) {
        end = connectString.indexOf(u';', start);
    }
    return end < 0 ? connectString.mid(start) : connectString.mid(start, end - start);
}

std::unique_ptr<DatabaseConnection> SqliteDriver::connect(const QString& connectString,
                                                          bool readOnly, DbFault* fault) {
    QString completed = connectString;
    if (completed.startsWith(QStringLiteral("ODBC;"), Qt::CaseInsensitive)) {
        completed.remove(0, 5);
    }
    const QString file = databaseFile(completed);
    if (file.isEmpty()) {
        if (fault != nullptr) {
            *fault = DbFault::Missing;
        }
        return nullptr;
    }
    return SqliteConnection::open(file, completed, readOnly, fault);
}

}  // namespace tillora
