#include <gtest/gtest.h>

#include <vector>

#include "tests/support/runtime_error_trap.h"
#include "tests/support/scripted_message_service.h"
#include "values/runtime_error.h"
#include "values/value.h"
#include "values/value_format.h"

namespace tillora {
namespace {

using test::ProcessEnded;
using test::RuntimeErrorTrap;
using test::ScriptedMessageService;

// Records what it is told instead of showing anything; installed for its lifetime.
class FakeSink : public RuntimeErrorSink {
  public:
    struct Told {
        int code;
        QString text;
    };
    FakeSink() : previous_(setRuntimeErrorSink(this)) {}
    ~FakeSink() override { setRuntimeErrorSink(previous_); }
    FakeSink(const FakeSink&) = delete;
    FakeSink& operator=(const FakeSink&) = delete;

    void show(int code, const QString& text) override { told.push_back({code, text}); }

    std::vector<Told> told;

  private:
    RuntimeErrorSink* previous_;
};

TEST(RuntimeErrorSink, ConversionErrorReachesTheSinkAndNoBoxIsShown) {
    ScriptedMessageService boxes;
    FakeSink sink;
    RuntimeErrorTrap trap;
    int shutdowns = 0;
    setRuntimeErrorShutdown([&] {
        // The sink has been told by the time the shutdown steps run.
        EXPECT_EQ(sink.told.size(), 1u);
        ++shutdowns;
    });
    EXPECT_THROW(valueToNumber(Value::fromText(QStringLiteral("12"))), ProcessEnded);
    setRuntimeErrorShutdown({});
    ASSERT_EQ(sink.told.size(), 1u);
    EXPECT_EQ(sink.told[0].code, 0);
    EXPECT_EQ(sink.told[0].text, u"欲转换数据类型不是数值");
    EXPECT_EQ(shutdowns, 1);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(RuntimeErrorSink, ReportsDuringTheReportAreNotToldTwice) {
    FakeSink sink;
    RuntimeErrorTrap trap;
    setRuntimeErrorShutdown([] { reportRuntimeError(RuntimeErrorCode::TypeMismatch); });
    EXPECT_THROW(reportRuntimeError(RuntimeErrorCode::IndexOutOfRange), ProcessEnded);
    setRuntimeErrorShutdown({});
    ASSERT_EQ(sink.told.size(), 1u);
    EXPECT_EQ(sink.told[0].code, RuntimeErrorCode::IndexOutOfRange);
    // A number converts without telling anyone.
    EXPECT_DOUBLE_EQ(valueToNumber(Value::fromLong(-7)), -7.0);
    EXPECT_EQ(sink.told.size(), 1u);
}

TEST(RuntimeErrorSinkDeathTest, WithoutASinkTheTextGoesToStandardError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setRuntimeErrorSink(nullptr);
            reportRuntimeError(RuntimeErrorCode::None, QStringLiteral("no display here"));
        },
        ::testing::ExitedWithCode(255), "no display here");
}

}  // namespace
}  // namespace tillora
