#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <QtGlobal>

#include <functional>

namespace tillora {

// The automatic backups of a database: the folder "backup" beside it, one file per backup named
// "<name>-YYYYMMDD-HHMMSS<suffix>" (Zeb-20240305-070809.mdb), the time it was taken.
//
// Age is that time stamp. A stamp after `now` was written while the clock was set ahead: such a
// backup ranks older than every other, so it neither counts as the newest nor crowds today's
// backups out, and it is the first to go when the folder is full.
namespace backup_folder {

inline constexpr int kKept = 30;

QString folderFor(const QString& databasePath);
// The file a backup taken at `when` goes to (a name already taken gets "-2", "-3" ...).
QString fileFor(const QString& databasePath, const QDateTime& when);
// Every backup of this database, newest first.
QStringList files(const QString& databasePath, const QDateTime& now = QDateTime::currentDateTime());
// Empty when there is none.
QString newest(const QString& databasePath, const QDateTime& now = QDateTime::currentDateTime());
// The time in a backup's name; invalid for a file that is no backup.
QDateTime takenAt(const QString& databasePath, const QString& backup);
// True when no backup was taken on `day` yet.
bool dueOn(const QString& databasePath, const QDate& day);

// The newest backup that passes the integrity check, with its number of sales.
struct GoodBackup {
    QString path;  // empty when there is none
    QDateTime taken;
    qint64 sales = 0;
};
GoodBackup newestGood(const QString& databasePath,
                      const QDateTime& now = QDateTime::currentDateTime());

// Removes all but the newest `keep`, and never the newest backup that holds the shop's own sales:
// backups of a fresh template (after the shop's file was lost) must not push out the last copy of
// its sales. The number removed.
int prune(const QString& databasePath, const QDateTime& now = QDateTime::currentDateTime(),
          int keep = kKept);

// Removes the temporary copies of interrupted backups from the folder; the number removed.
int removeLeftovers(const QString& databasePath);

// Held while one process takes an automatic backup, so that backups of the same database from
// several processes (a start's and an earlier run's exit backup) neither pick the same name nor
// prune each other's files. The system lets go of it when the process ends, however it ends.
class Lock {
  public:
    explicit Lock(const QString& databasePath);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    // Waits for the lock while `stop` says false, asking it every few milliseconds; true once
    // held. The backup folder must exist.
    bool acquire(const std::function<bool()>& stop);

  private:
    QString path_;
    int fd_ = -1;
};

}  // namespace backup_folder

}  // namespace tillora
