#include <gtest/gtest.h>

#include <QFile>

#include <cstring>

#include "forms/services/external_function_table.h"
#include "platform/library_loader.h"
#include "tests/support/runtime_error_trap.h"
#include "tests/support/scripted_message_service.h"
#include "tests/support/temp_program_folder.h"

namespace tillora {
namespace {

using test::ProcessEnded;
using test::RuntimeErrorTrap;
using test::ScriptedMessageService;

TEST(ExternalFunctionTable, BindsOnFirstCallAndNeverLoadsAgain) {
    ExternalFunctionTable table;
    const int fromSystem = table.declare({}, QStringLiteral("strlen"));
    const int fromLibrary = table.declare(QStringLiteral("libc.so.6"), QStringLiteral("strlen"));
    EXPECT_EQ(table.entry(fromSystem).address, nullptr);

    EXPECT_EQ((table.call<std::size_t(const char*)>(fromSystem, "abcd")), 4u);
    EXPECT_EQ((table.call<std::size_t(const char*)>(fromLibrary, "小票")), std::strlen("小票"));
    EXPECT_NE(table.entry(fromSystem).module, nullptr);
    EXPECT_NE(table.entry(fromLibrary).module, nullptr);

    const int loads = LibraryLoader::loadAttempts();
    EXPECT_EQ((table.call<std::size_t(const char*)>(fromSystem, "")), 0u);
    EXPECT_EQ((table.call<std::size_t(const char*)>(fromLibrary, "xy")), 2u);
    EXPECT_EQ(LibraryLoader::loadAttempts(), loads);

    // Released at shutdown; a later call binds again.
    table.releaseAll();
    EXPECT_EQ(table.entry(fromLibrary).address, nullptr);
    EXPECT_EQ(table.entry(fromLibrary).module, nullptr);
    EXPECT_EQ((table.call<std::size_t(const char*)>(fromLibrary, "xyz")), 3u);
    EXPECT_GT(LibraryLoader::loadAttempts(), loads);
}

TEST(ExternalFunctionTable, SystemSearchKeepsOnlyTheLibraryThatExportsTheName) {
    ExternalFunctionTable table;
    table.setSystemLibraries({QStringLiteral("libtillora_absent.so"), QStringLiteral("libc.so.6"),
                              QStringLiteral("libm.so.6")});
    // cos lives in libm only: libc was tried and released, libm kept.
    const int cosine = table.declare({}, QStringLiteral("cos"));
    EXPECT_DOUBLE_EQ((table.call<double(double)>(cosine, 0.0)), 1.0);
    EXPECT_NE(table.entry(cosine).module, nullptr);
}

TEST(ExternalFunctionTable, UnboundFunctionsEndTheProgramWithTheirText) {
    const struct {
        const char* library;
        const char* name;
        const char* error;
    } cases[] = {
        {"", "tillora_no_such_function",
         "无法找到指定DLL库文件中的输出命令“tillora_no_such_function”"},
        {"libtillora_missing.so.9", "SetDefaultPrinterA",
         "无法找到指定DLL库文件“libtillora_missing.so.9”中的输出命令“SetDefaultPrinterA”"},
        {"libc.so.6", "tillora_no_such_function",
         "无法找到指定DLL库文件“libc.so.6”中的输出命令“tillora_no_such_function”"},
        // Shared objects have no export ordinals.
        {"libc.so.6", "#1", "无法找到指定DLL库文件“libc.so.6”中的输出命令“#1”"},
    };
    for (const auto& c : cases) {
        ScriptedMessageService boxes;
        RuntimeErrorTrap trap;
        ExternalFunctionTable table;
        const int i = table.declare(QString::fromUtf8(c.library), QString::fromUtf8(c.name));
        EXPECT_THROW(table.resolve(i), ProcessEnded) << c.name;
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("运行时出错!\r\n\r\n错误信息：") +
                                             QString::fromUtf8(c.error) + QStringLiteral("\r\n"));
        EXPECT_EQ(boxes.shown()[0].caption, u"错误");
        EXPECT_EQ(table.entry(i).module, nullptr);
    }
}

TEST(ExternalFunctionTable, BareLibraryNamesAreLookedForInTheProgramFolderFirst) {
    // A copy of the maths library under a name the system search would never find.
    QString libm;
    for (const char* path :
         {"/lib/x86_64-linux-gnu/libm.so.6", "/usr/lib/x86_64-linux-gnu/libm.so.6",
          "/lib64/libm.so.6", "/usr/lib64/libm.so.6", "/lib/aarch64-linux-gnu/libm.so.6"}) {
        if (QFile::exists(QString::fromLatin1(path))) {
            libm = QString::fromLatin1(path);
            break;
        }
    }
    if (libm.isEmpty()) {
        GTEST_SKIP() << "maths library not found";
    }
    test::TempProgramFolder folder;
    ASSERT_TRUE(QFile::copy(libm, folder.file(QStringLiteral("libtillora_probe.so"))));

    ExternalFunctionTable table;
    table.setProgramFolder(folder.path());
    const int cosine = table.declare(QStringLiteral("libtillora_probe.so"), QStringLiteral("cos"));
    EXPECT_DOUBLE_EQ((table.call<double(double)>(cosine, 0.0)), 1.0);

    ScriptedMessageService boxes;
    RuntimeErrorTrap trap;
    ExternalFunctionTable elsewhere;
    elsewhere.setProgramFolder(folder.path() + QStringLiteral("/none"));
    const int missing =
        elsewhere.declare(QStringLiteral("libtillora_probe.so"), QStringLiteral("cos"));
    EXPECT_THROW(elsewhere.resolve(missing), ProcessEnded);
}

TEST(ExternalFunctionTable, EveryProgramFunctionIsFoundInThePrintSystem) {
    ExternalFunctionTable& table = programFunctions();
    ASSERT_EQ(table.size(), int(ProgramFunction::Count));
    LibraryLoader::Module cups = LibraryLoader::load(QStringLiteral("libcups.so.2"));
    if (!cups) {
        GTEST_SKIP() << "libcups2 not installed";
    }
    LibraryLoader::release(cups);
    for (int i = 0; i < table.size(); ++i) {
        EXPECT_NE(table.resolve(i), nullptr) << i;
    }
    table.releaseAll();
}

}  // namespace
}  // namespace tillora
