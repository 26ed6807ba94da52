#include "data/backup_folder.h"
#include "tests/support/temp_program_folder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace tillora {
namespace {

using namespace Qt::StringLiterals;

TEST(BackupFolder, NamesSortByAgeAndOnlyTheNewestAreKept) {
    test::TempProgramFolder folder;
    const QString db = folder.file(u"Zeb.mdb"_s);
    ASSERT_TRUE(QDir().mkpath(backup_folder::folderFor(db)));
    EXPECT_EQ(backup_folder::folderFor(db), folder.file(u"backup"_s));
    EXPECT_TRUE(backup_folder::dueOn(db, QDate(2024, 3, 5)));

    const QDateTime start(QDate(2024, 2, 1), QTime(8, 0));
    QStringList made;
    for (int i = 0; i < 34; ++i) {
        // Two in the same second get "-2"; a stranger's file in the folder is left alone.
        const QDateTime when = start.addDays(i / 2).addSecs(i % 2 == 1 && i < 4 ? 0 : i);
        const QString file = backup_folder::fileFor(db, when);
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        made.append(file);
    }
    QFile other(QDir(backup_folder::folderFor(db)).filePath(u"notes.txt"_s));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    EXPECT_TRUE(made[1].endsWith(u"-2.mdb"_s));

    EXPECT_EQ(backup_folder::newest(db), made.last());
    const QStringList all = backup_folder::files(db);
    ASSERT_EQ(all.size(), 34);
    EXPECT_EQ(all[33], made[0]);
    EXPECT_EQ(all[32], made[1]);  // the "-2" is the newer of the two
    EXPECT_FALSE(backup_folder::dueOn(db, QDate(2024, 2, 3)));
    EXPECT_TRUE(backup_folder::dueOn(db, QDate(2024, 3, 5)));

    EXPECT_EQ(backup_folder::prune(db), 4);
    EXPECT_EQ(backup_folder::files(db), all.mid(0, 30));
    EXPECT_TRUE(other.exists());
}

}  // namespace
}  // namespace tillora
