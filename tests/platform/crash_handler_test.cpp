#include <gtest/gtest.h>
#include <signal.h>

#include <QFile>
#include <stdexcept>

#include "platform/crash_handler.h"
#include "tests/support/temp_program_folder.h"

namespace tillora {
namespace {

// The handler runs a message program and then lets the signal end the process. A shell that
// writes a marker file stands in for the program's own message copy, which would block in a
// message box. Death tests re-run this test program, so the marker's path travels to the
// dying copy in the environment of the test process (set once, by the parent).
constexpr char kMarkerVariable[] = "TILLORA_TEST_CRASH_MARKER";

class CrashHandlerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        if (!qEnvironmentVariableIsSet(kMarkerVariable)) {
            ownsMarker = true;
            qputenv(kMarkerVariable, folder.file(QStringLiteral("message-shown")).toLocal8Bit());
        }
    }
    void TearDown() override {
        if (ownsMarker) {
            qunsetenv(kMarkerVariable);
        }
    }

    static void installMarkerWriter() {
        CrashHandler::install(QStringLiteral("/bin/sh"),
                              {QStringLiteral("-c"), QStringLiteral("echo shown > ") + marker()});
    }
    static QString marker() { return qEnvironmentVariable(kMarkerVariable); }

    test::TempProgramFolder folder;
    bool ownsMarker = false;
};

TEST_F(CrashHandlerTest, FatalSignalsShowTheMessageAndEndTheProcess) {
    for (int signalNumber : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        SCOPED_TRACE(signalNumber);
        QFile::remove(marker());
        EXPECT_EXIT(
            {
                installMarkerWriter();
                raise(signalNumber);
            },
            ::testing::KilledBySignal(signalNumber), "");
        EXPECT_TRUE(QFile::exists(marker()));
    }
}

// A genuine bad write; the undefined-behaviour checker of the sanitizer build would otherwise stop
// the process before the fault happens.
__attribute__((no_sanitize("undefined"))) void writeThroughNull() {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

TEST_F(CrashHandlerTest, RealFaultIsCaught) {
    EXPECT_EXIT(
        {
            installMarkerWriter();
            writeThroughNull();
        },
        ::testing::KilledBySignal(SIGSEGV), "");
    EXPECT_TRUE(QFile::exists(marker()));
}

void throwEscaped() {
    throw std::runtime_error("escaped");
}
// Through a pointer the compiler can't tell that the throw meets the noexcept wall.
void (*volatile thrower)() = throwEscaped;
void throwFromNoexcept() noexcept {
    thrower();
}

TEST_F(CrashHandlerTest, UncaughtExceptionShowsTheMessage) {
    EXPECT_EXIT(
        {
            installMarkerWriter();
            throwFromNoexcept();
        },
        ::testing::KilledBySignal(SIGABRT), "escaped");
    EXPECT_TRUE(QFile::exists(marker()));
}

}  // namespace
}  // namespace tillora
