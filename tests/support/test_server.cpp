#include "tests/support/test_server.h"

#include "data/postgres_connection.h"
#include "data/server_setup.h"

#include <QRandomGenerator>

#include <unistd.h>

namespace tillora::test {

QString testServerUrl() {
    return qEnvironmentVariable("TILLORA_TEST_PG");
}

bool testServerRequired() {
    return qEnvironmentVariable("TILLORA_REQUIRE_PG") == QStringLiteral("1");
}

QString TestServerSchema::urlInSchema(const QString& serverUrl, const QString& schema) {
    return serverUrl + (serverUrl.contains(u'?') ? u'&' : u'?') +
           QStringLiteral("options=-csearch_path%3D") + schema;
}

TestServerSchema::TestServerSchema(bool fillTemplate) {
    const QString server = testServerUrl();
    if (server.isEmpty()) {
        error_ = QStringLiteral("TILLORA_TEST_PG is not set");
        return;
    }
    schema_ = QStringLiteral("t%1_%2")
                  .arg(::getpid())
                  .arg(QRandomGenerator::global()->generate() & 0xffffff, 0, 16);
    DbFault fault = DbFault::None;
    auto admin = PostgresConnection::open(server, false, &fault, &error_);
    if (!admin || !admin->executeNative(QStringLiteral("create schema ") + schema_)) {
        if (admin) {
            error_ = admin->lastMessage();
        }
        schema_.clear();
        return;
    }
    const QString url = urlInSchema(server, schema_);
    if (fillTemplate) {
        const ServerSetupResult made = initialiseServer(url);
        if (!made.ok) {
            error_ = made.message;
            return;
        }
    }
    url_ = url;
}

TestServerSchema::~TestServerSchema() {
    if (schema_.isEmpty()) {
        return;
    }
    if (auto admin = PostgresConnection::open(testServerUrl(), false)) {
        admin->executeNative(QStringLiteral("drop schema ") + schema_ + QStringLiteral(" cascade"));
    }
}

}  // namespace tillora::test
