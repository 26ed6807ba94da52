// A file replaced whole or not at all: rights, a step refused before replacing, and the
// leftovers of interrupted writes.
#include "platform/whole_file_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tillora::test {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

int modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

bool writeWhole(const QString& path, const QByteArray& bytes, int newFileMode,
                const std::function<bool()>& beforeReplacing = {}) {
    WholeFileWriter file(path, newFileMode);
    return file.open() && file.device().write(bytes) == bytes.size() &&
           file.commit(beforeReplacing);
}

TEST(WholeFileWriter, NewFileGetsTheGivenRightsAnExistingOneKeepsItsOwn) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Zeb.mdb"));
    ASSERT_TRUE(writeWhole(path, "first", 0600));
    EXPECT_EQ(modeOf(path), 0600);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    ASSERT_TRUE(writeWhole(path, "second", 0600));
    EXPECT_EQ(modeOf(path), 0640);
    EXPECT_EQ(readAll(path), QByteArray("second"));
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("Zeb.mdb")});

    // A link to the file stays a link; the file it names is replaced.
    const QString link = dir.filePath(QStringLiteral("link.mdb"));
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(writeWhole(link, "third", 0600));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(path), QByteArray("third"));
}

TEST(WholeFileWriter, AFailureBeforeReplacingLeavesTheOldFileAndNoTemporary) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("导出.xls"));
    ASSERT_TRUE(writeWhole(path, "old", 0644));
    EXPECT_FALSE(writeWhole(path, "new", 0644, [] { return false; }));
    EXPECT_EQ(readAll(path), QByteArray("old"));
    // Nothing written and dropped: no file, no temporary.
    {
        WholeFileWriter dropped(dir.filePath(QStringLiteral("新.xls")), 0644);
        ASSERT_TRUE(dropped.open());
        dropped.device().write("half");
    }
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("导出.xls")});
}

TEST(WholeFileWriter, ATemporaryCanBeWrittenByNameAndCheckedBeforeItIsPlaced) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("导出.xlsx"));
    WholeFileWriter file(path, 0644);
    ASSERT_TRUE(file.open());
    {
        QFile byName(file.temporaryPath());
        ASSERT_TRUE(byName.open(QIODevice::WriteOnly));
        byName.write("written by name");
    }
    EXPECT_EQ(file.tail(4), QByteArray("name"));
    EXPECT_TRUE(file.tail(100).isEmpty());
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(readAll(path), QByteArray("written by name"));
    EXPECT_EQ(modeOf(path), 0644);
}

TEST(WholeFileWriter, OnlyTheProgramsOwnLeftoversAreRemoved) {
    QTemporaryDir dir;
    const QStringList ours = {QStringLiteral("导出.xls.writing-Ab12Cd"),
                              QStringLiteral("Zeb.mdb.writing-000000"),
                              QStringLiteral(".记录.xlsx.Q1w2E3")};
    const QStringList theirs = {QStringLiteral("导出.xls"), QStringLiteral("导出.xls.backup"),
                                QStringLiteral("a.writing-toolong"),
                                QStringLiteral("a.xlsx.Q1w2E3")};
    for (const QString& name : ours + theirs) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(removeInterruptedWrites(dir.path()), int(ours.size()));
    QStringList left = theirs;
    left.sort();
    EXPECT_EQ(entries(dir.path()), left);
}

}  // namespace
}  // namespace tillora::test
