#include "data/backup_folder.h"
#include "data/odbcdb.h"
#include "data/template_database.h"
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

// A backup in the folder dated `when`: the template, with `sales` sales in it.
QString backupWith(const QString& db, const QDateTime& when, int sales) {
    const QString file = backup_folder::fileFor(db, when);
    EXPECT_TRUE(QDir().mkpath(backup_folder::folderFor(db)));
    EXPECT_TRUE(writeTemplateDatabase(file));
    ODBCDB edit;
    EXPECT_TRUE(edit.OpenMdbDatabase(file));
    for (int i = 0; i < sales; ++i) {
        EXPECT_TRUE(edit.ExecuteSql(u"insert into 销售记录 (销售票号) values ('n"_s +
                                    QString::number(i) + u"')"_s));
    }
    return file;
}

TEST(BackupFolder, BackupsFromASkewedClockDoNotCrowdOutToday) {
    test::TempProgramFolder folder;
    const QString db = folder.file(u"Zeb.mdb"_s);
    const QDateTime now(QDate(2024, 3, 5), QTime(8, 0));
    ASSERT_TRUE(QDir().mkpath(backup_folder::folderFor(db)));
    for (int i = 0; i < backup_folder::kKept; ++i) {
        QFile(backup_folder::fileFor(db, now.addYears(1).addDays(i))).open(QIODevice::WriteOnly);
    }
    const QString today = backupWith(db, now, 1);
    EXPECT_EQ(backup_folder::newest(db, now), today);
    EXPECT_EQ(backup_folder::prune(db, now), 1);
    // The skewed ones go first, oldest stamp first; today's stays.
    EXPECT_TRUE(QFile::exists(today));
    EXPECT_FALSE(QFile::exists(backup_folder::fileFor(db, now.addYears(1))));
    const backup_folder::GoodBackup good = backup_folder::newestGood(db, now);
    EXPECT_EQ(good.path, today);
    EXPECT_EQ(good.taken, now);
    EXPECT_EQ(good.sales, 2);  // with the template's sample
}

TEST(BackupFolder, TheLastBackupWithSalesOutlivesTemplateOnlyBackups) {
    test::TempProgramFolder folder;
    const QString db = folder.file(u"Zeb.mdb"_s);
    const QDateTime start(QDate(2024, 3, 1), QTime(8, 0));
    constexpr int kKeep = 3;
    const QString oldest = backupWith(db, start.addDays(-1), 2);
    const QString withSales = backupWith(db, start, 3);
    // The shop's file was lost and the template put in its place: every start backs up an empty
    // database from then on.
    for (int i = 1; i <= kKeep + 2; ++i) {
        backupWith(db, start.addDays(i), 0);
        backup_folder::prune(db, start.addDays(i), kKeep);
    }
    EXPECT_TRUE(QFile::exists(withSales));
    EXPECT_FALSE(QFile::exists(oldest));
    EXPECT_EQ(backup_folder::files(db).size(), kKeep + 1);
}

}  // namespace
}  // namespace tillora
