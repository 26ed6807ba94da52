#pragma once

#include <QString>

namespace tillora::test {

// The test server's URL from TILLORA_TEST_PG (scripts/start_postgres.sh prints it); empty when
// unset. With TILLORA_REQUIRE_PG=1 (the test script sets it) an unset URL is a failure, so a
// server run is never skipped by accident.
QString testServerUrl();
bool testServerRequired();

// Skips a test when no server is configured, and fails it when the run requires one.
#define TILLORA_NEED_TEST_SERVER()                              \
    do {                                                        \
        if (::tillora::test::testServerUrl().isEmpty()) {       \
            if (::tillora::test::testServerRequired()) {        \
                FAIL() << "TILLORA_TEST_PG is not set";         \
            }                                                   \
            GTEST_SKIP() << "no test server (TILLORA_TEST_PG)"; \
        }                                                       \
    } while (false)

// A schema of its own on the test server, holding the program's tables and template rows, so
// that tests running at once never see each other's rows. Dropped with everything in it.
class TestServerSchema {
  public:
    // Empty name: no server configured. With fillTemplate false the schema stays empty.
    explicit TestServerSchema(bool fillTemplate = true);
    ~TestServerSchema();
    TestServerSchema(const TestServerSchema&) = delete;
    TestServerSchema& operator=(const TestServerSchema&) = delete;

    bool isValid() const { return !url_.isEmpty(); }
    // The server URL that works in this schema.
    const QString& url() const { return url_; }
    const QString& error() const { return error_; }

    // The URL that reaches this schema on the server a URL names.
    static QString urlInSchema(const QString& serverUrl, const QString& schema);

  private:
    QString schema_;
    QString url_;
    QString error_;
};

}  // namespace tillora::test
