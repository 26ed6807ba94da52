#include <gtest/gtest.h>

#include <cstdlib>

#include "forms/services/memory_guard.h"
#include "forms/services/message_service.h"
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

TEST(RuntimeError, BoxTextShowsCodeAndTextOnlyWhenGiven) {
    const struct {
        int code;
        const char* text;
        const char* box;
    } cases[] = {
        {0, "", "运行时出错!\r\n\r\n"},
        {6, "", "运行时出错!\r\n\r\n错误代码：6\r\n\r\n"},
        {0, "载入启动窗口失败", "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"},
        {11, "x", "运行时出错!\r\n\r\n错误代码：11\r\n\r\n错误信息：x\r\n"},
        {-3, "", "运行时出错!\r\n\r\n错误代码：-3\r\n\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(runtimeErrorText(c.code, QString::fromUtf8(c.text)), QString::fromUtf8(c.box));
    }
    EXPECT_EQ(runtimeErrorTableText(6), u"调用DLL命令后发现堆栈错误");
    EXPECT_EQ(runtimeErrorTableText(9),
              u"“多项选择”命令的索引值参数小于零或超出了所提供参数表范围");
    EXPECT_TRUE(runtimeErrorTableText(0).isEmpty());
    EXPECT_TRUE(runtimeErrorTableText(12).isEmpty());
}

TEST(RuntimeError, ErrorTextsFillInTheirNames) {
    EXPECT_EQ(allocationFailedText(1024), u"分配 1024 字节内存失败!");
    EXPECT_EQ(allocationFailedText(5000000000ULL), u"分配 5000000000 字节内存失败!");
    EXPECT_EQ(bindingErrorNoLibraryText(QStringLiteral("SetErrorMode")),
              u"无法找到指定DLL库文件中的输出命令“SetErrorMode”");
    EXPECT_EQ(
        bindingErrorText(QStringLiteral("winspool.drv"), QStringLiteral("SetDefaultPrinterA")),
        u"无法找到指定DLL库文件“winspool.drv”中的输出命令“SetDefaultPrinterA”");
    // A name holding a placeholder must not be filled in a second time.
    EXPECT_EQ(bindingErrorText(QStringLiteral("%2"), QStringLiteral("f")),
              u"无法找到指定DLL库文件“%2”中的输出命令“f”");
}

TEST(RuntimeError, ReportShowsTheBoxRunsShutdownAndEndsWithMinusOne) {
    ScriptedMessageService boxes;
    RuntimeErrorTrap trap;
    int shutdowns = 0;
    setRuntimeErrorShutdown([&] { ++shutdowns; });
    try {
        reportRuntimeError(0, windowLoadFailedText());
        ADD_FAILURE() << "returned";
    } catch (const ProcessEnded& end) {
        EXPECT_EQ(end.exitCode, -1);
    }
    setRuntimeErrorShutdown({});
    EXPECT_EQ(shutdowns, 1);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, u"运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n");
    EXPECT_EQ(boxes.shown()[0].caption, u"错误");
    EXPECT_EQ(boxes.shown()[0].flags, MessageFlags::Ok | MessageFlags::IconError);
    EXPECT_EQ(boxes.shown()[0].owner, nullptr);
}

TEST(RuntimeError, AnErrorDuringShutdownDoesNotShowASecondBox) {
    ScriptedMessageService boxes;
    RuntimeErrorTrap trap;
    setRuntimeErrorShutdown([] { reportRuntimeError(5); });
    EXPECT_THROW(reportRuntimeError(1), ProcessEnded);
    setRuntimeErrorShutdown({});
    EXPECT_EQ(boxes.shown().size(), 1u);
    // The mark is cleared again: a later report shows its box.
    EXPECT_THROW(reportRuntimeError(2), ProcessEnded);
    EXPECT_EQ(boxes.shown().size(), 2u);
}

TEST(RuntimeError, NonNumberConvertedAsNumberIsFatal) {
    ScriptedMessageService boxes;
    RuntimeErrorTrap trap;
    EXPECT_DOUBLE_EQ(valueToNumber(Value::fromShort(-4)), -4);
    EXPECT_DOUBLE_EQ(valueToNumber(Value::fromFloat(0.5f)), 0.5);
    EXPECT_THROW(valueToNumber(Value::fromText(QStringLiteral("12"))), ProcessEnded);
    EXPECT_THROW(valueToNumber(Value::fromBool(true)), ProcessEnded);
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].text, u"运行时出错!\r\n\r\n错误信息：欲转换数据类型不是数值\r\n");
}

TEST(RuntimeError, MemoryGuardNamesTheFailedSize) {
    ScriptedMessageService boxes;
    RuntimeErrorTrap trap;
    noteFailedAllocation(1024);
    EXPECT_THROW(memoryGuardHandler(), ProcessEnded);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, u"运行时出错!\r\n\r\n错误信息：分配 1024 字节内存失败!\r\n");
}

TEST(RuntimeErrorDeathTest, ProcessReallyEndsWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ScriptedMessageService boxes;
            reportRuntimeError(0, QStringLiteral("x"));
        },
        ::testing::ExitedWithCode(255), "");
}

}  // namespace
}  // namespace tillora
