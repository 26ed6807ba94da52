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
inline QString locked() {
    return QStringLiteral("数据库正被其他程序使用");
}
QString lockedAt(const QString& path);
QString readOnly(const QString& path);
QString damaged(const QString& path, const QString& problem, const QString& newestBackup);
// The restore question for a file that is there but can't be used: why, and that it is kept.
QString askRestoreBecause(const QString& path, const QString& reason);
QString folderInTheWay(const QString& path);
QString offerSalvage(const QString& path, const QString& problem);
QString salvaged(qint64 sales, const QString& setAside);
QString salvageFailed(const QString& problem);
QString cannotOpenWithBackup(const QString& path, const QString& reason,
                             const QString& newestBackup, bool fileKept);
QString backupNamed(const QString& backup, const QDateTime& taken, qint64 sales);
QString initialisationLeftovers(const QStringList& files);
QString staleInitialisationFile(const QString& file, const QString& keptAs);
QString restoredFromBackup(const QString& backup, const QString& setAside);
QString restoredFromTemplate(const QString& setAside);
QString duplicateNumbers(int count);
QString created(const QString& path);
QString upgradeNotBackedUp(const QString& cause);
QString upgradeFailed();
QString barcodeNotBackedUp(const QString& cause);
QString barcodeUpgradeFailed();
// The same for a file from before the trail of changes (操作记录).
QString trailNotBackedUp(const QString& cause);
QString trailFailed();
}  // namespace setup_text

// What opening the program's database found.
struct DatabaseHealth {
    DbFault fault = DbFault::None;  // None: open, readable, writable and whole
    QString problem;                // for Damaged: the engine's first complaint
    int duplicateNumbers = 0;       // receipt numbers stored twice, reported the first time only
    // A file from before the payment columns that could not be upgraded: the cashier's
    // message. It opens all the same, unchanged, and sales are stored without the columns.
    QString upgradeProblem;
};

// The columns 销售记录 gained after the first release: how each sale was paid (付款方式), the
// cash taken (实收现金) and the change (找零), amounts as text like 金额. Older sales hold NULL.
QStringList paymentColumns();
// Whether 销售记录 has them (a file that could not be upgraded has not); false when unreadable,
// and then `readable` (when given) is false too.
bool hasPaymentColumns(ODBCDB& db, bool* readable = nullptr);
// Adds them to an open file from before them, in one transaction, after a verified backup in
// the backup folder (the newest one serves when the file has not changed since). Empty when
// done; otherwise the cashier's message, and the file is as it was.
QString addPaymentColumns(ODBCDB& db, const QString& path);
// A verified backup of the file in the backup folder before an upgrade changes it (none is made
// when the newest is current). Empty when there is one; otherwise the cause, and nothing was
// changed.
QString backupBeforeUpgrade(const QString& path);

// The barcode column 商品名称 gained after the first release: text up to 50 characters,
// compared exactly, unique where not empty. Products without a code hold NULL or ''.
QString barcodeColumn();
bool hasBarcodeColumn(ODBCDB& db);
// Adds it (with its unique index) to an open file from before it, as addPaymentColumns does;
// backedUp: a backup of the file as it was before this start's upgrade has just been made.
QString addBarcodeColumn(ODBCDB& db, const QString& path, bool backedUp = false);

// The database file in the program folder, in the platform's own separators.
QString databasePath(const QString& programFolder);

// Opens the file and checks that it really is the program's database (the seven tables with
// their columns), that it is whole as far as a check can tell in the same time at any size (the
// length its header gives, the first row of every table and index), that it can be written, and
// puts the unique index on the receipt numbers when it is missing (after a verified backup). A file
// from before the payment columns gets them (addPaymentColumns). A file marked for the full check
// gets quick_check instead, and loses the mark when it passes. A file that fails leaves the
// component closed.
DatabaseHealth checkProgramDatabase(ODBCDB& db, const QString& path);
bool openProgramDatabase(ODBCDB& db, const QString& path);

// Marks the file for the full check at the next start: a check of a copy found damage that may
// be the file's own. False when the mark could not be made.
bool markForFullCheck(const QString& path);

// The unique index on 销售票号, created when it is missing. A file that already holds the same
// number twice keeps working without it; the count of such numbers is given back the first time
// only (a plain index marks that it was told), 0 otherwise.
int ensureReceiptNumberIndex(ODBCDB& db);

// Renames the file (and its journal) to its backup name beside it; the new name in *setAside.
bool setAsideDatabase(const QString& path, QString* setAside);

// Moves a database file with its journal, if any; false (and nothing moved) when that fails.
bool moveDatabaseFile(const QString& from, const QString& to);

// Data initialisation keeps the old file under this name until the template is open; a kill
// between its steps leaves it behind. A name not yet taken:
// "<path>.before-init-YYYYMMDDHHMMSS" (then "-1", "-2" ...).
QString initialisationAsidePath(const QString& path);
// The files of that kind beside path, oldest first.
QStringList initialisationAsideFiles(const QString& path);

// "<path>.bak-YYYYMMDD-HHMMSS".
QString backupPathFor(const QString& path, const QDateTime& when);

// Puts the template at path. An existing file is first renamed to its backup name beside it
// (with its journal, if any), so a database this program cannot open is never lost; when the
// rename fails nothing is written. The backup's path is given back when one was made.
bool restoreTemplateDatabase(const QString& path, QString* backupPath = nullptr);

// Puts a checked copy of a backup at path, the file there set aside first (as above); when the
// copy fails the set-aside file is put back.
bool restoreDatabaseFromBackup(const QString& path, const QString& backup, QString* setAside);

// True when nothing says a database was ever kept at path: no file, no journal, no backup, no
// file set aside. A missing file is then the first start, not a lost database.
bool neverHadDatabase(const QString& path);

// The start routine's database step: open the database in the program folder. At the first
// start (tillora.conf absent and neverHadDatabase) the template is written without a question
// and the cashier is told where it lives. A missing or
// foreign file: ask whether to put a new one in place, restore it on Yes, and open again. A
// locked file: say so, with retry and quit. A read-only file: say so and quit. A file that can't
// be used otherwise (missing, empty, foreign, damaged): offer the newest backup that passes the
// integrity check first, the template second, keeping the old file; a damaged one without a
// backup from today is first offered to have its readable rows saved into a new file. A file data
// initialisation left behind is named in that offer; beside a good database it is offered to keep
// or delete. False when the database is still not open (the caller ends the program); every message
// has been shown.
bool openOrRestoreDatabase(ODBCDB& db, const QString& programFolder, DatabasePrompts& prompts);

}  // namespace tillora
