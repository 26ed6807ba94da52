#include <gtest/gtest.h>

#include "platform/library_loader.h"

namespace tillora {
namespace {

TEST(LibraryLoader, BareNamesAreTriedInTheProgramFolderFirst) {
    const struct {
        const char* name;
        const char* folder;
        QStringList expected;
    } cases[] = {
        {"libx.so", "/opt/p", {QStringLiteral("/opt/p/libx.so"), QStringLiteral("libx.so")}},
        {"libx.so", "", {QStringLiteral("libx.so")}},
        {"/usr/lib/libx.so", "/opt/p", {QStringLiteral("/usr/lib/libx.so")}},
        {"sub/libx.so", "/opt/p", {QStringLiteral("sub/libx.so")}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            LibraryLoader::candidates(QString::fromLatin1(c.name), QString::fromLatin1(c.folder)),
            c.expected)
            << c.name;
    }
}

TEST(LibraryLoader, LoadsResolvesAndRefusesWhatIsNotThere) {
    LibraryLoader::Module libc = LibraryLoader::load(QStringLiteral("libc.so.6"));
    ASSERT_NE(libc, nullptr);
    EXPECT_NE(LibraryLoader::resolve(libc, QStringLiteral("strlen")), nullptr);
    EXPECT_EQ(LibraryLoader::resolve(libc, QStringLiteral("tillora_none")), nullptr);
    EXPECT_EQ(LibraryLoader::resolve(libc, QStringLiteral("#3")), nullptr);
    EXPECT_EQ(LibraryLoader::resolve(libc, QString()), nullptr);
    EXPECT_EQ(LibraryLoader::resolve(nullptr, QStringLiteral("strlen")), nullptr);
    LibraryLoader::release(libc);
    LibraryLoader::release(nullptr);

    const int before = LibraryLoader::loadAttempts();
    EXPECT_EQ(LibraryLoader::load(QStringLiteral("libtillora_absent.so.1")), nullptr);
    EXPECT_EQ(LibraryLoader::load(QString()), nullptr);
    EXPECT_EQ(LibraryLoader::loadAttempts(), before + 2);
}

}  // namespace
}  // namespace tillora
