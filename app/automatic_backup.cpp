#include "app/automatic_backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtGlobal>

#include <cstdio>

#include "data/backup_folder.h"
#include "data/database_backup.h"
#include "data/database_setup.h"
#include "forms/services/message_service.h"
#include "platform/event_log.h"

namespace tillora {

namespace automatic_backup {

namespace {

enum class Outcome { Taken, Skipped, Failed };

// The state of a run of failures lives beside the database, whose folder the start has found
// writable: "<db>.backup-failed" holds the cause until the cashier was told, then it is renamed
// to "<db>.backup-failed-told". Creating and renaming need no free space, so a full disk can
// still mark it; only the cause may be lost.
QString pendingFile(const QString& databasePath) {
    return databasePath + QStringLiteral(".backup-failed");
}

QString toldFile(const QString& databasePath) {
    return databasePath + QStringLiteral(".backup-failed-told");
}

QString causeOf(const BackupResult& result, const QString& target) {
    QString cause;
    switch (result.status) {
        case BackupStatus::SourceUnreadable:
            cause = QStringLiteral("无法读取数据库文件");
            break;
        case BackupStatus::SourceBusy:
            cause = QStringLiteral("数据库正被其他程序使用");
            break;
        case BackupStatus::VerifyFailed:
            cause = QStringLiteral("备份文件检查未通过");
            break;
        case BackupStatus::TargetUnwritable:
        case BackupStatus::Ok:
        case BackupStatus::Cancelled:
            cause = QStringLiteral("无法写入 %1，磁盘可能已满或没有写入权限")
                        .arg(QDir::toNativeSeparators(QFileInfo(target).absolutePath()));
            break;
    }
    return result.detail.isEmpty() ? cause : cause + QStringLiteral("（%1）").arg(result.detail);
}

// False when even the mark could not be made.
bool recordFailure(const QString& databasePath, const QString& cause) {
    if (QFile::exists(toldFile(databasePath))) {
        return true;
    }
    QFile pending(pendingFile(databasePath));
    if (!pending.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    pending.write(cause.toUtf8());
    return true;
}

void endFailureRun(const QString& databasePath) {
    QFile::remove(pendingFile(databasePath));
    QFile::remove(toldFile(databasePath));
}

void tellPending(const QString& databasePath) {
    QFile pending(pendingFile(databasePath));
    if (!pending.open(QIODevice::ReadOnly)) {
        return;
    }
    QString cause = QString::fromUtf8(pending.readAll()).trimmed();
    pending.close();
    if (cause.isEmpty()) {
        cause = QStringLiteral("无法写入备份文件，磁盘可能已满");
    }
    showMessage(failedText(cause), MessageFlags::IconWarning);
    QFile::remove(toldFile(databasePath));
    if (!pending.rename(toldFile(databasePath))) {
        QFile(toldFile(databasePath)).open(QIODevice::WriteOnly);
        pending.remove();
    }
}

Outcome take(const QString& databasePath, const QDateTime& now, QString* cause) {
    // A till on a database server has no file here to copy.
    if (!QFileInfo::exists(databasePath)) {
        EventLog::write(QStringLiteral("backup"), QStringLiteral("skipped: no database file"));
        return Outcome::Skipped;
    }
    const QString folder = backup_folder::folderFor(databasePath);
    if (!QDir().mkpath(folder)) {
        *cause = QStringLiteral("无法建立备份文件夹 %1").arg(QDir::toNativeSeparators(folder));
        EventLog::write(QStringLiteral("backup"), QStringLiteral("failed: ") + *cause);
        return Outcome::Failed;
    }
    // Nothing committed since the newest backup: another copy would only cost the cashier time
    // and push an older backup out of the folder.
    const QString newest = backup_folder::newest(databasePath, now);
    if (!newest.isEmpty() && backupIsCurrent(databasePath, newest)) {
        EventLog::write(QStringLiteral("backup"),
                        QStringLiteral("skipped: unchanged since ") + QFileInfo(newest).fileName());
        return Outcome::Skipped;
    }
    const QString target = backup_folder::fileFor(databasePath, now);
    const BackupResult result = backupDatabaseFile(databasePath, target);
    if (!result.ok()) {
        // A file that can't be read whole, or whose copy fails the check, is checked in full at
        // the next start, which offers the backups when it is damaged.
        if (result.status == BackupStatus::SourceUnreadable ||
            result.status == BackupStatus::VerifyFailed) {
            markForFullCheck(databasePath);
        }
        qWarning("automatic backup to %s failed: %s", qPrintable(target),
                 qPrintable(result.detail));
        *cause = causeOf(result, target);
        EventLog::write(QStringLiteral("backup"), QStringLiteral("failed: ") + *cause);
        return Outcome::Failed;
    }
    endFailureRun(databasePath);
    backup_folder::prune(databasePath, now);
    EventLog::write(QStringLiteral("backup"), QStringLiteral("made ") + target);
    return Outcome::Taken;
}

}  // namespace

QString failedText(const QString& cause) {
    return QStringLiteral("自动备份失败：%1。\r\n请检查磁盘空间和备份文件夹的写入权限。")
        .arg(cause);
}

bool atStart(const QString& databasePath, const QDateTime& now) {
    Outcome outcome = Outcome::Skipped;
    if (backup_folder::dueOn(databasePath, now.date())) {
        QString cause;
        outcome = take(databasePath, now, &cause);
        if (outcome == Outcome::Failed && !recordFailure(databasePath, cause)) {
            // Nothing can be remembered here: say it now rather than not at all.
            showMessage(failedText(cause), MessageFlags::IconWarning);
        }
    } else {
        EventLog::write(QStringLiteral("backup"), QStringLiteral("skipped: made today already"));
    }
    tellPending(databasePath);
    return outcome == Outcome::Taken;
}

bool atExit(const QString& databasePath, const QDateTime& now) {
    QString cause;
    const Outcome outcome = take(databasePath, now, &cause);
    if (outcome == Outcome::Failed) {
        recordFailure(databasePath, cause);
    }
    return outcome == Outcome::Taken;
}

}  // namespace automatic_backup

int runBackupCommand(const QString& databasePath, const QString& target) {
    const QFileInfo absolute(QFileInfo(target).absoluteFilePath());
    removeInterruptedCopies(absolute.absolutePath(),
                            QRegularExpression::escape(absolute.fileName()));
    const BackupResult result = backupDatabaseFile(databasePath, absolute.absoluteFilePath());
    EventLog::open(QFileInfo(databasePath).absolutePath());
    EventLog::write(QStringLiteral("backup"),
                    (result.ok() ? QStringLiteral("made by --backup ")
                                 : QStringLiteral("failed by --backup: ") + result.detail + u' ') +
                        absolute.absoluteFilePath());
    if (!result.ok()) {
        std::fprintf(stderr, "备份失败：%s\n%s\n", qPrintable(databasePath),
                     qPrintable(result.detail));
        return 1;
    }
    std::printf("备份完成：%s\n",
                qPrintable(QDir::toNativeSeparators(absolute.absoluteFilePath())));
    return 0;
}

}  // namespace tillora
