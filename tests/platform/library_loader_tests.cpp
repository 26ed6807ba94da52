#include <gtest/gtest.h>

#include <cstring>

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

// The search goes past a place that is missing or lacks the export, unless the first library
// that loads is to be the only one.
TEST(LibraryLoader, LoadFirstKeepsThePlaceThatHasTheExport) {
    const QStringList places{QStringLiteral("libtillora_absent.so.1"), QStringLiteral("libc.so.6"),
                             QStringLiteral("libm.so.6")};
    const auto hasCos = [](LibraryLoader::Module m) {
        return LibraryLoader::resolve(m, QStringLiteral("cos")) != nullptr;
    };
    const LibraryLoader::Found found = LibraryLoader::loadFirst(places, hasCos);
    ASSERT_TRUE(found);
    EXPECT_EQ(found.place, QStringLiteral("libm.so.6"));
    LibraryLoader::release(found.module);
    EXPECT_FALSE(LibraryLoader::loadFirst(places, hasCos, LibraryLoader::Search::FirstLoaded));
    EXPECT_FALSE(LibraryLoader::loadFirst({}, hasCos));
}

// Each table type is loaded once; a table with a missing function is no table at all.
struct Strlen {
    decltype(&::strlen) strlen = nullptr;
};
struct Missing {
    decltype(&::strlen) strlen = nullptr;
};
struct Absent {
    decltype(&::strlen) strlen = nullptr;
};

TEST(LibraryLoader, FunctionTablesAreWholeAndLoadedOnce) {
    int binds = 0;
    const auto strlenTable = [&] {
        return LibraryLoader::functions<Strlen>(
            QStringLiteral("libc.so.6"), [&](LibraryLoader::Module m, Strlen& t) {
                ++binds;
                return LibraryLoader::find(m, t.strlen, "strlen");
            });
    };
    const Strlen* table = strlenTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->strlen("abc"), 3u);
    EXPECT_EQ(strlenTable(), table);
    EXPECT_EQ(binds, 1);

    EXPECT_EQ(LibraryLoader::functions<Missing>(QStringLiteral("libc.so.6"),
                                                [](LibraryLoader::Module m, Missing& t) {
                                                    return LibraryLoader::find(m, t.strlen,
                                                                               "tillora_none");
                                                }),
              nullptr);
    EXPECT_EQ(LibraryLoader::functions<Absent>(QStringLiteral("libtillora_absent.so.1"),
                                               [](LibraryLoader::Module, Absent&) { return true; }),
              nullptr);
}

}  // namespace
}  // namespace tillora
