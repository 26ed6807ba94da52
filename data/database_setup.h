#pragma once

#include "data/database_prompts.h"
#include "data/odbcdb.h"

#include <QDateTime>
#include <QString>

namespace tillora {

namespace setup_text {
inline QString askRestore() {
    return QStringLiteral("连接数据库失败！是否置入新的数据库");
}
inline QString restored() {
    return QStringLiteral("初始化成功！");
}
inline QString restoreFailed() {
    return QStringLiteral("初始化失败！");
}
inline QString cannotConnect() {
    return QStringLiteral("连接数据库失败！！");
}
}  // namespace setup_text

// The database file in the program folder, in the platform's own separators.
QString databasePath(const QString& programFolder);

// Opens the file and checks that it really is the program's database: the seven tables with
// their columns. A file that fails the check leaves the component closed.
bool openProgramDatabase(ODBCDB& db, const QString& path);

// "<path>.bak-YYYYMMDD-HHMMSS".
QString backupPathFor(const QString& path, const QDateTime& when);

// Puts the template at path. An existing file is first renamed to its backup name beside it
// (with its journal, if any), so a database this program cannot open is never lost; when the
// rename fails nothing is written. The backup's path is given back when one was made.
bool restoreTemplateDatabase(const QString& path, QString* backupPath = nullptr);

// The start routine's database step: open the database in the program folder; when that fails
// ask whether to put a new one in place, restore it on Yes, and open again. False when the
// database is still not open (the caller ends the program); every message has been shown.
bool openOrRestoreDatabase(ODBCDB& db, const QString& programFolder, DatabasePrompts& prompts);

}  // namespace tillora
