#include "app/automatic_backup.h"

#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

#include <cstdio>

#include "data/backup_folder.h"
#include "data/database_backup.h"

namespace tillora {

namespace automatic_backup {

namespace {

bool take(const QString& databasePath, const QDateTime& now) {
    if (!QFileInfo::exists(databasePath) ||
        !QDir().mkpath(backup_folder::folderFor(databasePath))) {
        return false;
    }
    const QString target = backup_folder::fileFor(databasePath, now);
    const BackupResult result = backupDatabaseFile(databasePath, target);
    if (!result.ok()) {
        qWarning("automatic backup to %s failed: %s", qPrintable(target),
                 qPrintable(result.detail));
        return false;
    }
    backup_folder::prune(databasePath);
    return true;
}

}  // namespace

bool atStart(const QString& databasePath, const QDateTime& now) {
    return backup_folder::dueOn(databasePath, now.date()) && take(databasePath, now);
}

bool atExit(const QString& databasePath, const QDateTime& now) {
    return take(databasePath, now);
}

}  // namespace automatic_backup

int runBackupCommand(const QString& databasePath, const QString& target) {
    const QString absolute = QFileInfo(target).absoluteFilePath();
    const BackupResult result = backupDatabaseFile(databasePath, absolute);
    if (!result.ok()) {
        std::fprintf(stderr, "备份失败：%s\n%s\n", qPrintable(databasePath),
                     qPrintable(result.detail));
        return 1;
    }
    std::printf("备份完成：%s\n", qPrintable(QDir::toNativeSeparators(absolute)));
    return 0;
}

}  // namespace tillora
