// The template written over the shop's file: whole or not at all, and private when new.
#include "data/template_database.h"
#include "tests/support/small_file_system.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tillora::test {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

int modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

TEST(TemplateWrite, FullDiskFailsAndLeavesTheOldFileAndItsJournalWhole) {
    SmallFileSystem disk(int(templateDatabaseBytes().size() / 1024) + 64);
    if (!disk.isMounted()) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    const QString path = disk.file(QStringLiteral("Zeb.mdb"));
    const QByteArray old(5000, 'o');
    ASSERT_TRUE(writeFile(path, old));
    ASSERT_TRUE(writeFile(path + QStringLiteral("-journal"), "journal"));
    const QStringList before = QDir(disk.path()).entryList(QDir::Files | QDir::Hidden);
    ASSERT_TRUE(disk.fill(QStringLiteral("filler"), disk.freeBytes() - 8192));
    ASSERT_LT(disk.freeBytes(), templateDatabaseBytes().size());

    EXPECT_FALSE(writeTemplateDatabase(path));
    EXPECT_EQ(readAll(path), old);
    EXPECT_EQ(readAll(path + QStringLiteral("-journal")), QByteArray("journal"));
    QStringList expected = before + QStringList{QStringLiteral("filler")};
    expected.sort();
    QStringList after = QDir(disk.path()).entryList(QDir::Files | QDir::Hidden);
    after.sort();
    EXPECT_EQ(after, expected);

    // With room again the template replaces both.
    ASSERT_TRUE(QFile::remove(disk.file(QStringLiteral("filler"))));
    ASSERT_TRUE(writeTemplateDatabase(path));
    EXPECT_EQ(readAll(path), templateDatabaseBytes());
    EXPECT_FALSE(QFile::exists(path + QStringLiteral("-journal")));
}

TEST(TemplateWrite, ANewFileIsTheOwnersAloneAnExistingOneKeepsItsRights) {
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("Zeb.mdb"));
    ASSERT_TRUE(writeTemplateDatabase(fresh));
    EXPECT_EQ(modeOf(fresh), 0600);

    const QString shared = dir.filePath(QStringLiteral("shared.mdb"));
    ASSERT_TRUE(writeFile(shared, "old"));
    ASSERT_TRUE(QFile::setPermissions(shared, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ReadGroup |
                                                  QFileDevice::WriteGroup));
    ASSERT_TRUE(writeTemplateDatabase(shared));
    EXPECT_EQ(modeOf(shared), 0660);
    EXPECT_EQ(readAll(shared), templateDatabaseBytes());
}

}  // namespace
}  // namespace tillora::test
