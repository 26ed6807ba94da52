#include "app/automatic_backup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QtGlobal>

#include <atomic>
#include <csignal>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "data/backup_folder.h"
#include "data/database_backup.h"
#include "data/database_setup.h"
#include "forms/services/message_service.h"
#include "platform/clock.h"
#include "platform/event_log.h"

namespace tillora {

namespace automatic_backup {

namespace {

enum class Outcome { Taken, Skipped, Failed, Cancelled };

// Set by a signal that stops the exit backup; a lock-free atomic store is safe there.
std::atomic<bool>* stopRequest = nullptr;
volatile std::sig_atomic_t stopSignal = 0;

void stopOnSignal(int signal) {
    stopSignal = signal;
    if (stopRequest != nullptr) {
        stopRequest->store(true);
    }
}

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

// Leads a cause that is damage of the database itself, not of the backup: the advice differs.
const QString kDamagedMark = QStringLiteral("damaged\n");

QString causeOf(const BackupResult& result, const QString& databasePath, const QString& target) {
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
        case BackupStatus::SourceDamaged: {
            // The engine's words, on one line and the first few only: a badly damaged file
            // yields hundreds. Its heading names the schema, not the problem.
            QString words = result.detail;
            words.remove(QStringLiteral("*** in database main ***"));
            words = words.trimmed().section(u'\n', 0, 2).replace(u'\n', u'；').left(300);
            return kDamagedMark + QStringLiteral("数据库文件 %1 已损坏（%2）")
                                      .arg(QFileInfo(databasePath).fileName(), words);
        }
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
    QString cause = QString::fromUtf8(pending.readAll());
    if (!cause.startsWith(kDamagedMark)) {
        cause = cause.trimmed();
    }
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

// True when a backup taken now would hold nothing the newest one lacks.
bool newestIsCurrent(const QString& databasePath, const QDateTime& now) {
    const QString newest = backup_folder::newest(databasePath, now);
    if (!newest.isEmpty() && backupIsCurrent(databasePath, newest)) {
        EventLog::write(QStringLiteral("backup"),
                        QStringLiteral("skipped: unchanged since ") + QFileInfo(newest).fileName());
        return true;
    }
    return false;
}

Outcome take(const QString& databasePath, const QDateTime& now, QString* cause,
             BackupControl& control) {
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
    backup_folder::Lock lock(databasePath);
    if (!lock.acquire([&control] { return control.cancel.load(); })) {
        if (control.cancel.load()) {
            EventLog::write(QStringLiteral("backup"), QStringLiteral("stopped at exit"));
            return Outcome::Cancelled;
        }
        *cause = QStringLiteral("无法写入 %1").arg(QDir::toNativeSeparators(folder));
        EventLog::write(QStringLiteral("backup"), QStringLiteral("failed: ") + *cause);
        return Outcome::Failed;
    }
    // What a killed backup left (where copies can't be written without a name) goes now, not
    // only at the next start: under the lock no other backup is writing.
    backup_folder::removeLeftovers(databasePath);
    // Nothing committed since the newest backup: another copy would only cost time and push an
    // older backup out of the folder. Asked under the lock: another process may just have
    // taken it.
    if (newestIsCurrent(databasePath, now)) {
        return Outcome::Skipped;
    }
    const QString target = backup_folder::fileFor(databasePath, now);
    const BackupResult result = backupDatabaseFile(databasePath, target, control);
    if (result.status == BackupStatus::Cancelled) {
        EventLog::write(QStringLiteral("backup"), QStringLiteral("stopped at exit"));
        return Outcome::Cancelled;
    }
    if (!result.ok()) {
        // A file that can't be read whole, or whose copy fails the check, is checked in full at
        // the next start, which offers the backups when it is damaged.
        if (result.status == BackupStatus::SourceUnreadable ||
            result.status == BackupStatus::VerifyFailed ||
            result.status == BackupStatus::SourceDamaged) {
            markForFullCheck(databasePath);
        }
        qWarning("automatic backup to %s failed: %s", qPrintable(target),
                 qPrintable(result.detail));
        *cause = causeOf(result, databasePath, target);
        EventLog::write(QStringLiteral("backup"),
                        QStringLiteral("failed: ") + QString(*cause).remove(kDamagedMark));
        return Outcome::Failed;
    }
    endFailureRun(databasePath);
    backup_folder::prune(databasePath, now);
    EventLog::write(QStringLiteral("backup"), QStringLiteral("made ") + target);
    return Outcome::Taken;
}

Outcome take(const QString& databasePath, const QDateTime& now, QString* cause) {
    BackupControl control;
    return take(databasePath, now, cause, control);
}

// After a backup at start: its failure kept, or said now when it can't be; then the failure not
// yet told, if any.
void reportStart(const QString& databasePath, Outcome outcome, const QString& cause) {
    if (outcome == Outcome::Failed && !recordFailure(databasePath, cause)) {
        // Nothing can be remembered here: say it now rather than not at all.
        showMessage(failedText(cause), MessageFlags::IconWarning);
    }
    tellPending(databasePath);
}

}  // namespace

QString failedText(const QString& cause) {
    if (cause.startsWith(kDamagedMark)) {
        return QStringLiteral(
                   "自动备份失败：%1。\r\n"
                   "请尽快退出并重新启动程序：启动时会全面检查数据库，并提供恢复的办法。")
            .arg(cause.mid(kDamagedMark.size()));
    }
    return QStringLiteral("自动备份失败：%1。\r\n请检查磁盘空间和备份文件夹的写入权限。")
        .arg(cause);
}

bool atStart(const QString& databasePath, const QDateTime& now) {
    Outcome outcome = Outcome::Skipped;
    QString cause;
    if (backup_folder::dueOn(databasePath, now.date())) {
        outcome = take(databasePath, now, &cause);
    } else {
        EventLog::write(QStringLiteral("backup"), QStringLiteral("skipped: made today already"));
    }
    reportStart(databasePath, outcome, cause);
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

struct DailyBackup::Work {
    BackupControl control;
};

DailyBackup::DailyBackup(const QString& databasePath, const QDateTime& now,
                         std::function<void()> betweenSteps)
    : work_(std::make_shared<Work>()), receiver_(std::make_unique<QObject>()) {
    QObject* receiver = receiver_.get();
    if (!backup_folder::dueOn(databasePath, now.date())) {
        EventLog::write(QStringLiteral("backup"), QStringLiteral("skipped: made today already"));
        QTimer::singleShot(0, receiver,
                           [databasePath] { reportStart(databasePath, Outcome::Skipped, {}); });
        return;
    }
    work_->control.betweenSteps = std::move(betweenSteps);
    thread_ = std::thread([work = work_, receiver, databasePath, now] {
        QString cause;
        const Outcome outcome = take(databasePath, now, &cause, work->control);
        if (outcome == Outcome::Cancelled) {
            return;
        }
        // The receiver outlives the thread (stop() joins first); a report still queued when it
        // goes is dropped with it.
        QMetaObject::invokeMethod(
            receiver, [databasePath, outcome, cause] { reportStart(databasePath, outcome, cause); },
            Qt::QueuedConnection);
    });
}

DailyBackup::~DailyBackup() {
    stop();
}

void DailyBackup::stop() {
    work_->control.cancel.store(true);
    if (thread_.joinable()) {
        thread_.join();
    }
    receiver_.reset();
}

bool handOver(const QString& databasePath, const QString& program, const QDateTime& now) {
    if (!QFileInfo::exists(databasePath)) {
        EventLog::write(QStringLiteral("backup"), QStringLiteral("skipped: no database file"));
        return false;
    }
    // Two headers read: most exits without a sale end here.
    if (newestIsCurrent(databasePath, now)) {
        return false;
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(
        {QString::fromLatin1(kExitBackupArgument), QFileInfo(databasePath).absoluteFilePath()});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (process.startDetached(&pid)) {
        EventLog::write(QStringLiteral("backup"),
                        QStringLiteral("handed to process %1 at exit").arg(pid));
        return true;
    }
    EventLog::write(
        QStringLiteral("backup"),
        QStringLiteral("cannot start the exit backup's process: ") + process.errorString());
    return atExit(databasePath, now);
}

int runExitBackup(const QString& databasePath) {
    BackupControl control;
#ifdef Q_OS_UNIX
    // The program that started it has ended, maybe because its terminal closed: the backup goes
    // on outside that session.
    std::signal(SIGHUP, SIG_IGN);
    ::setsid();
    // A shutdown's SIGTERM (or a hangup or Ctrl+C sent to it on purpose) stops the copy at its
    // next step: the temporary copy goes and the stop is logged.
    stopRequest = &control.cancel;
    struct sigaction action {};
    action.sa_handler = stopOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
#endif
    EventLog::open(QFileInfo(databasePath).absolutePath());
    QString cause;
    const Outcome outcome = take(databasePath, Clock::now(), &cause, control);
    if (outcome == Outcome::Failed) {
        recordFailure(databasePath, cause);
    }
    if (outcome == Outcome::Cancelled) {
        EventLog::write(QStringLiteral("backup"),
                        QStringLiteral("exit backup stopped by signal %1, no copy left")
                            .arg(static_cast<int>(stopSignal)));
    }
    return outcome == Outcome::Failed || outcome == Outcome::Cancelled ? 1 : 0;
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
