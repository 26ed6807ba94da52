#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace tillora {

// The automatic backups of a database: the folder "backup" beside it, one file per backup named
// "<name>-YYYYMMDD-HHMMSS<suffix>" (Zeb-20240305-070809.mdb), so that names sort by age.
namespace backup_folder {

inline constexpr int kKept = 30;

QString folderFor(const QString& databasePath);
// The file a backup taken at `when` goes to (a name already taken gets "-2", "-3" ...).
QString fileFor(const QString& databasePath, const QDateTime& when);
// Every backup of this database, newest first.
QStringList files(const QString& databasePath);
// Empty when there is none.
QString newest(const QString& databasePath);
// True when no backup was taken on `day` yet.
bool dueOn(const QString& databasePath, const QDate& day);
// Removes all but the newest `keep`; the number removed.
int prune(const QString& databasePath, int keep = kKept);

}  // namespace backup_folder

}  // namespace tillora
