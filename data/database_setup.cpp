#include "data/database_setup.h"

#include "data/backup_folder.h"
#include "data/database_backup.h"
#include "data/database_salvage.h"
#include "data/operation_trail.h"
#include "data/server_config.h"
#include "data/server_setup.h"
#include "data/template_database.h"
#include "platform/event_log.h"

#include "data/sql_text.h"
#include "data/sqlite_connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <utility>
#include <vector>

namespace tillora {

namespace {

struct TableColumns {
    const char16_t* table;
    const char16_t* columns;  // comma-separated, in table order
};

const TableColumns kSchema[] = {
    {u"配置文件",
     u"ID,店名,全局单号格式,备注,客户,电话,折扣,付款方式的选中,保存销售记录,显示打印完毕,"
     u"提示再次打印,打印单价,纸张边距,打印偏差,用户登录,直接登录,logo偏差,是否打印logo,logo"},
    {u"用户登录", u"ID,用户名,权限,密码"},
    {u"商品名称", u"ID,名称,单价,条码"},
    {u"付款方式", u"ID,方式"},
    {u"客户资料", u"ID,姓名,电话"},
    {u"销售记录", u"ID,销售票号,销售时间,数量,金额,收银员,备注,付款方式,实收现金,找零"},
    {u"销售详情", u"ID,关联,名称,数量,单价,金额,折后,备注"},
};

// While the start checks the file, a till that is just saving may hold it for a moment.
constexpr int kStartLockWaitMs = 1000;

const QString kNumberIndex = QStringLiteral("销售记录_销售票号");
const QString kDuplicatesToldIndex = QStringLiteral("销售记录_销售票号_重复");

bool hasIndex(ODBCDB& db, const QString& name) {
    const int h = db.OpenTable(
        QStringLiteral("select name from sqlite_master where type='index' and name='") +
        sqlText(name) + QStringLiteral("'"));
    const bool found = h != 0 && !db.IsEOF(h);
    db.CloseTable(h);
    return found;
}

int duplicateNumberCount(ODBCDB& db) {
    const int h = db.OpenTable(QStringLiteral(
        "select count(*) as n from (select 销售票号 from [销售记录] where 销售票号 is not null "
        "group by 销售票号 having count(*) > 1)"));
    const int n = h != 0 && !db.IsEOF(h) ? db.ReadColByIndex(h, 1).toInt() : 0;
    db.CloseTable(h);
    return n;
}

// The engine's verdict on the file's pages and indexes; empty when it is whole.
QString quickCheckProblem(ODBCDB& db, bool* failed) {
    const int h = db.OpenTable(QStringLiteral("PRAGMA quick_check"));
    *failed = h == 0;
    if (h == 0) {
        return {};
    }
    QString first = db.IsEOF(h) ? QString() : db.ReadColByIndex(h, 1).toText();
    db.CloseTable(h);
    if (first == QStringLiteral("ok")) {
        return {};
    }
    // The engine names the schema first ("*** in database main ***"); the page is what counts.
    first.remove(QStringLiteral("*** in database main ***"));
    return first.trimmed().isEmpty() ? QStringLiteral("quick_check") : first.trimmed();
}

// A file shorter than its header says has lost its end (a copy cut short, a full disk).
QString truncationProblem(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray header = file.read(100);
    if (header.size() < 100) {
        return {};
    }
    const auto at = [&header](int offset, int bytes) {
        quint32 value = 0;
        for (int i = 0; i < bytes; ++i) {
            value = (value << 8) | static_cast<unsigned char>(header[offset + i]);
        }
        return value;
    };
    const qint64 pageSize = at(16, 2) == 1 ? 65536 : at(16, 2);
    const qint64 pages = at(28, 4);
    // The size in the header counts only when it was written with the last change.
    if (pages == 0 || at(24, 4) != at(92, 4) || pages * pageSize <= file.size()) {
        return {};
    }
    return QStringLiteral("文件不完整：应有 %1 页，只有 %2 页")
        .arg(pages)
        .arg(file.size() / std::max<qint64>(pageSize, 1));
}

// The first row of every table and through every index: each tree's root and its leftmost
// pages, read in the same short time whatever the number of sales. A lost root page is found
// here; damage deeper in the file is left to the check of the daily backup.
QString firstRowsProblem(ODBCDB& db, bool* failed) {
    // What is read, and what it is called in the message.
    std::vector<std::pair<QString, QString>> probes;
    for (const TableColumns& t : kSchema) {
        const QString table = QString::fromUtf16(t.table);
        probes.emplace_back(QStringLiteral("select 1 from [") + table + QStringLiteral("] limit 1"),
                            table);
    }
    // Only names of the program's own kind reach the statement text.
    static const QRegularExpression plainName(QStringLiteral("^\\w+$"),
                                              QRegularExpression::UseUnicodePropertiesOption);
    const int h =
        db.OpenTable(QStringLiteral("select name, tbl_name from sqlite_master where type='index'"));
    for (; h != 0 && !db.IsEOF(h); db.MoveNext(h)) {
        const QString index = db.ReadColByIndex(h, 1).toText();
        const QString table = db.ReadColByIndex(h, 2).toText();
        if (plainName.match(index).hasMatch() && plainName.match(table).hasMatch()) {
            probes.emplace_back(QStringLiteral("select 1 from [") + table +
                                    QStringLiteral("] indexed by [") + index +
                                    QStringLiteral("] limit 1"),
                                index);
        }
    }
    db.CloseTable(h);
    for (const auto& [probe, name] : probes) {
        const int r = db.OpenTable(probe);
        db.CloseTable(r);
        if (r == 0 && db.lastFault() == DbFault::Damaged) {
            return QStringLiteral("无法读取 %1").arg(name);
        }
        if (r == 0 && db.lastFault() == DbFault::Locked) {
            *failed = true;
            return {};
        }
    }
    return {};
}

QString fullCheckMark(const QString& path) {
    return path + QStringLiteral(".needs-check");
}

// Writes the file's own header field back unchanged and undoes it: fails when the file or its
// folder (where the journal goes) can't be written, or another program holds the write lock.
// It is always undone, so nothing of it needs to reach the disk: it runs unsynced, which spares
// the start two disk flushes (the journal's and its folder's), and the connection's own
// setting is put back.
DbFault writeProbe(ODBCDB& db) {
    const auto pragma = [&db](const char* name) {
        const int h = db.OpenTable(QStringLiteral("PRAGMA ") + QLatin1String(name));
        const int value = h != 0 && !db.IsEOF(h) ? db.ReadColByIndex(h, 1).toInt() : 0;
        db.CloseTable(h);
        return value;
    };
    const int version = pragma("user_version");
    const int synchronous = pragma("synchronous");
    db.ExecuteSql(QStringLiteral("PRAGMA synchronous=OFF"));
    DbFault fault = DbFault::None;
    if (!db.BeginTrans()) {
        fault = db.lastFault();
    } else {
        const bool written =
            db.ExecuteSql(QStringLiteral("PRAGMA user_version=") + QString::number(version));
        fault = written ? DbFault::None : db.lastFault();
        db.RollbackTrans();
    }
    db.ExecuteSql(QStringLiteral("PRAGMA synchronous=") + QString::number(synchronous));
    return fault;
}

// A file from before the payment columns is the program's too: *old says it lacks them;
// *noBarcode that it is from before 商品名称.条码.
bool hasProgramSchema(ODBCDB& db, bool* old, bool* noBarcode) {
    *old = false;
    *noBarcode = false;
    for (const TableColumns& t : kSchema) {
        const int h = db.OpenTable(QStringLiteral("select * from [") + QString::fromUtf16(t.table) +
                                   QStringLiteral("] where 1=0"));
        if (h == 0) {
            return false;
        }
        QStringList columns = db.columnNames(h);
        db.CloseTable(h);
        const QStringList expected = QString::fromUtf16(t.columns).split(u',');
        if (columns == expected) {
            continue;
        }
        if (columns + QStringList{barcodeColumn()} == expected) {
            *noBarcode = true;
            continue;
        }
        if (columns + paymentColumns() != expected) {
            return false;
        }
        *old = true;
    }
    return true;
}

// The payment columns as the schema declares them.
QString paymentColumnDefinition(const QString& column) {
    return column + QStringLiteral(" VARCHAR(50) COLLATE NOCASE CHECK (length(") + column +
           QStringLiteral(") <= 50)");
}

// After the backup: the columns in one transaction; empty when done.
QString addPaymentColumnsNow(ODBCDB& db) {
    QStringList statements;
    for (const QString& column : paymentColumns()) {
        statements << QStringLiteral("alter table [销售记录] add column ") +
                          paymentColumnDefinition(column);
    }
    if (!executeInOneTransaction(db, statements)) {
        return setup_text::upgradeFailed();
    }
    EventLog::write(QStringLiteral("database"), QStringLiteral("added the payment columns"));
    return {};
}

// After the backup: the trail table with its index, in one transaction.
bool addTrailNow(ODBCDB& db) {
    if (!db.BeginTrans()) {
        return false;
    }
    if (!db.ExecuteSql(operation_trail::createStatement()) ||
        !db.ExecuteSql(operation_trail::createIndexStatement()) || !db.tryCommitTrans()) {
        if (db.inTransaction()) {
            db.RollbackTrans();
        }
        return false;
    }
    EventLog::write(QStringLiteral("database"), QStringLiteral("added the trail table"));
    return true;
}

}  // namespace

namespace setup_text {

QString trailNotBackedUp(const QString& cause) {
    return QStringLiteral(
               "无法备份数据库，数据库暂不升级：%1\r\n"
               "程序照常使用，但暂不保存操作记录（谁在何时修改了什么）。\r\n"
               "请检查备份文件夹后重新启动程序。")
        .arg(cause);
}

QString trailFailed() {
    return QStringLiteral(
        "数据库升级失败，原数据库保持不变。\r\n"
        "程序照常使用，但暂不保存操作记录（谁在何时修改了什么）。");
}

QString lockedAt(const QString& path) {
    return locked() + QStringLiteral("\r\n%1\r\n请关闭正在使用它的程序后重试。").arg(path);
}

QString readOnly(const QString& path) {
    return QStringLiteral(
               "数据库文件只能读取，不能写入，无法保存销售记录：\r\n%1\r\n"
               "请检查该文件及其所在文件夹的写入权限。")
        .arg(path);
}

QString damaged(const QString& path, const QString& problem, const QString& newestBackup) {
    QString text = QStringLiteral("数据库文件已损坏：\r\n%1").arg(path);
    if (!problem.isEmpty()) {
        text += QStringLiteral("\r\n（%1）").arg(problem.left(200));
    }
    if (newestBackup.isEmpty()) {
        return text + QStringLiteral(
                          "\r\n\r\n没有可用的备份。是否置入新的数据库？\r\n"
                          "损坏的文件将改名保留。");
    }
    return text + QStringLiteral(
                      "\r\n\r\n是：用最新的备份恢复（%1）\r\n否：置入新的数据库\r\n"
                      "取消：退出程序\r\n损坏的文件将改名保留。")
                      .arg(newestBackup);
}

QString askRestoreBecause(const QString& path, const QString& reason) {
    return askRestore() +
           QStringLiteral("？\r\n%1：\r\n%2\r\n原文件将改名保留，不会删除。").arg(reason, path);
}

QString offerSalvage(const QString& path, const QString& problem) {
    QString text = QStringLiteral("数据库文件已损坏：\r\n%1").arg(path);
    if (!problem.isEmpty()) {
        text += QStringLiteral("\r\n（%1）").arg(problem.left(200));
    }
    return text + QStringLiteral(
                      "\r\n\r\n今天还没有备份，损坏的文件里可能有备份中没有的销售记录。\r\n"
                      "是否把还能读出的记录抢救到一个新的、经过检查的数据库中？\r\n"
                      "是：抢救\r\n否：不抢救，再选择用备份恢复或置入新的数据库\r\n"
                      "损坏的文件将改名保留。");
}

QString salvaged(qint64 sales, const QString& setAside) {
    return QStringLiteral(
               "已从损坏的文件中抢救出 %1 笔销售记录，存入新的数据库。\r\n"
               "损坏的文件已改名保存为：%2\r\n部分记录可能已经丢失，请核对最近的销售记录。")
        .arg(sales)
        .arg(setAside);
}

QString salvageFailed(const QString& problem) {
    return QStringLiteral("抢救失败：%1\r\n损坏的文件保持不变。").arg(problem);
}

QString folderInTheWay(const QString& path) {
    return QStringLiteral(
               "连接数据库失败！数据库文件的位置上是一个文件夹：\r\n%1\r\n"
               "请把这个文件夹移走或改名后重新启动程序。")
        .arg(path);
}

QString cannotOpenWithBackup(const QString& path, const QString& reason,
                             const QString& newestBackup, bool fileKept) {
    return QStringLiteral(
               "连接数据库失败！%1：\r\n%2\r\n\r\n是：用最新的备份恢复（%3）\r\n"
               "否：置入新的数据库\r\n取消：退出程序")
               .arg(reason, path, newestBackup) +
           (fileKept ? QStringLiteral("\r\n原文件将改名保留。") : QString());
}

QString backupNamed(const QString& backup, const QDateTime& taken, qint64 sales) {
    return QStringLiteral("%1，%2 备份，%3 笔销售记录")
        .arg(QFileInfo(backup).fileName(), taken.toString(QStringLiteral("yyyy-MM-dd HH:mm")))
        .arg(sales);
}

QString initialisationLeftovers(const QStringList& files) {
    return QStringLiteral(
               "\r\n\r\n另有数据初始化时改名保留的原数据库文件，可能存有原来的销售记录：\r\n%1"
               "\r\n如需使用它，请退出程序，把它改名为 Zeb.mdb 后重新启动。")
        .arg(files.join(QStringLiteral("\r\n")));
}

QString staleInitialisationFile(const QString& file, const QString& keptAs) {
    return QStringLiteral(
               "发现数据初始化时改名保留的原数据库文件：\r\n%1\r\n"
               "当前数据库可以正常使用，这个文件是初始化之前的数据。\r\n"
               "是：保留，改名为 %2\r\n否：删除这个文件")
        .arg(file, QFileInfo(keptAs).fileName());
}

QString restoredFromBackup(const QString& backup, const QString& setAside) {
    return QStringLiteral("已用备份恢复数据库：%1\r\n损坏的文件已改名保存为：%2")
        .arg(QFileInfo(backup).fileName(), setAside);
}

QString restoredFromTemplate(const QString& setAside) {
    return setAside.isEmpty()
               ? restored()
               : restored() + QStringLiteral("\r\n原数据库文件已改名保存为：%1").arg(setAside);
}

QString duplicateNumbers(int count) {
    return QStringLiteral(
               "数据库中有 %1 个单号被重复使用过。\r\n"
               "已有的记录保持不变，可以照常使用；今后的单号不会再重复。")
        .arg(count);
}

QString created(const QString& path) {
    return QStringLiteral("已新建数据库：%1").arg(path);
}

QString upgradeNotBackedUp(const QString& cause) {
    return QStringLiteral(
               "无法备份数据库，数据库暂不升级：%1\r\n"
               "程序照常使用，但销售记录暂不保存付款方式、实收现金和找零。\r\n"
               "请检查备份文件夹后重新启动程序。")
        .arg(cause);
}

QString barcodeNotBackedUp(const QString& cause) {
    return QStringLiteral(
               "无法备份数据库，数据库暂不升级：%1\r\n"
               "程序照常使用，但商品暂不能登记条码。\r\n"
               "请检查备份文件夹后重新启动程序。")
        .arg(cause);
}

QString barcodeUpgradeFailed() {
    return QStringLiteral(
        "数据库升级失败，原数据库保持不变。\r\n程序照常使用，但商品暂不能登记条码。");
}

QString upgradeFailed() {
    return QStringLiteral(
        "数据库升级失败，原数据库保持不变。\r\n"
        "程序照常使用，但销售记录暂不保存付款方式、实收现金和找零。");
}

}  // namespace setup_text

QString databasePath(const QString& programFolder) {
    return QDir::toNativeSeparators(programFolder + QStringLiteral("/Zeb.mdb"));
}

int ensureReceiptNumberIndex(ODBCDB& db) {
    if (hasIndex(db, kNumberIndex)) {
        return 0;
    }
    if (db.ExecuteSql(QStringLiteral("create unique index ") + kNumberIndex +
                      QStringLiteral(" on [销售记录] (销售票号 collate binary)"))) {
        if (hasIndex(db, kDuplicatesToldIndex)) {
            db.ExecuteSql(QStringLiteral("drop index ") + kDuplicatesToldIndex);
        }
        return 0;
    }
    if (db.lastFault() != DbFault::Duplicate || hasIndex(db, kDuplicatesToldIndex)) {
        return 0;
    }
    // The plain index keeps the lookups fast and remembers that the cashier has been told.
    db.ExecuteSql(QStringLiteral("create index ") + kDuplicatesToldIndex +
                  QStringLiteral(" on [销售记录] (销售票号 collate binary)"));
    return duplicateNumberCount(db);
}

DatabaseHealth checkProgramDatabase(ODBCDB& db, const QString& path) {
    DatabaseHealth health;
    auto fail = [&](DbFault fault) {
        health.fault = fault;
        db.CloseDatabase();
        return health;
    };
    if (!db.OpenMdbDatabase(path)) {
        health.fault = db.lastFault();
        // The engine refuses a file shorter than its header says before any table is read.
        if (health.fault == DbFault::Damaged) {
            health.problem = truncationProblem(path);
        }
        return health;
    }
    db.setLockWait(kStartLockWaitMs);
    bool old = false;
    bool noBarcode = false;
    if (!hasProgramSchema(db, &old, &noBarcode)) {
        const DbFault why = db.lastFault();
        if (why == DbFault::Damaged) {
            health.problem = truncationProblem(path);
        }
        return fail(why == DbFault::Locked || why == DbFault::Damaged ? why
                                                                      : DbFault::NotADatabase);
    }
    // The whole file is read only when a check of a backup found it damaged; otherwise the start
    // reads what it does at any size and the daily backup's check covers the rest.
    const bool fullCheck = QFile::exists(fullCheckMark(path));
    bool checkFailed = false;
    health.problem = truncationProblem(path);
    if (health.problem.isEmpty()) {
        health.problem =
            fullCheck ? quickCheckProblem(db, &checkFailed) : firstRowsProblem(db, &checkFailed);
    }
    if (checkFailed) {
        const DbFault why = db.lastFault();
        return fail(why == DbFault::Locked ? why : DbFault::Damaged);
    }
    if (!health.problem.isEmpty()) {
        return fail(DbFault::Damaged);
    }
    if (const DbFault why = writeProbe(db); why != DbFault::None) {
        return fail(why == DbFault::Damaged || why == DbFault::Locked ? why : DbFault::ReadOnly);
    }
    // Every change an upgrade makes, the index included, comes after its verified backup; with
    // none the file stays as it was.
    const bool noTrail = !operation_trail::present(db);
    if (old || noBarcode || noTrail || !hasIndex(db, kNumberIndex)) {
        if (const QString cause = backupBeforeUpgrade(path); !cause.isEmpty()) {
            health.upgradeProblem = old         ? setup_text::upgradeNotBackedUp(cause)
                                    : noBarcode ? setup_text::barcodeNotBackedUp(cause)
                                    : noTrail   ? setup_text::trailNotBackedUp(cause)
                                                : QString();
        } else {
            health.duplicateNumbers = ensureReceiptNumberIndex(db);
            if (old) {
                health.upgradeProblem = addPaymentColumnsNow(db);
            }
            if (noBarcode && health.upgradeProblem.isEmpty()) {
                health.upgradeProblem = addBarcodeColumn(db, path, true);
            }
            if (noTrail && !addTrailNow(db) && health.upgradeProblem.isEmpty()) {
                health.upgradeProblem = setup_text::trailFailed();
            }
        }
    }
    db.setLockWait(SqliteConnection::kLockWaitMs);
    if (fullCheck) {
        QFile::remove(fullCheckMark(path));
    }
    return health;
}

QStringList paymentColumns() {
    return {QStringLiteral("付款方式"), QStringLiteral("实收现金"), QStringLiteral("找零")};
}

bool hasPaymentColumns(ODBCDB& db, bool* readable) {
    const int h = db.OpenTable(QStringLiteral("select * from [销售记录] where 1=0"));
    if (readable != nullptr) {
        *readable = h != 0;
    }
    const bool has = h != 0 && db.columnNames(h).endsWith(paymentColumns().constLast());
    db.CloseTable(h);
    return has;
}

QString backupBeforeUpgrade(const QString& path) {
    // The newest backup serves when nothing was committed since it was taken.
    const QDateTime now = QDateTime::currentDateTime();
    const QString newest = backup_folder::newest(path, now);
    if (!newest.isEmpty() && backupIsCurrent(path, newest)) {
        return {};
    }
    const QString folder = backup_folder::folderFor(path);
    QString cause;
    if (!QDir().mkpath(folder)) {
        cause = QStringLiteral("无法建立备份文件夹 %1").arg(QDir::toNativeSeparators(folder));
    } else {
        const QString target = backup_folder::fileFor(path, now);
        if (const BackupResult backup = backupDatabaseFile(path, target); !backup.ok()) {
            cause = QDir::toNativeSeparators(target);
            if (!backup.detail.isEmpty()) {
                cause += QStringLiteral("（%1）").arg(backup.detail.left(200));
            }
        } else {
            EventLog::write(QStringLiteral("backup"),
                            QStringLiteral("made before upgrade ") + target);
            return {};
        }
    }
    EventLog::write(QStringLiteral("database"),
                    QStringLiteral("upgrade skipped, no backup: ") + cause);
    return cause;
}

QString barcodeColumn() {
    return QStringLiteral("条码");
}

bool hasBarcodeColumn(ODBCDB& db) {
    const int h = db.OpenTable(QStringLiteral("select * from [商品名称] where 1=0"));
    const bool has = h != 0 && db.columnNames(h).contains(barcodeColumn());
    db.CloseTable(h);
    return has;
}

QString addBarcodeColumn(ODBCDB& db, const QString& path, bool backedUp) {
    if (const QString cause = backedUp ? QString() : backupBeforeUpgrade(path); !cause.isEmpty()) {
        return setup_text::barcodeNotBackedUp(cause);
    }
    if (!executeInOneTransaction(
            db, {QStringLiteral("alter table [商品名称] add column 条码 VARCHAR(50) COLLATE BINARY "
                                "CHECK (length(条码) <= 50)"),
                 QStringLiteral("create unique index 商品名称_条码 on [商品名称] (条码) where "
                                "条码 <> ''")})) {
        return setup_text::barcodeUpgradeFailed();
    }
    EventLog::write(QStringLiteral("database"), QStringLiteral("added the barcode column"));
    return {};
}

QString addPaymentColumns(ODBCDB& db, const QString& path) {
    // Never changed without a copy to go back to.
    if (const QString cause = backupBeforeUpgrade(path); !cause.isEmpty()) {
        return setup_text::upgradeNotBackedUp(cause);
    }
    return addPaymentColumnsNow(db);
}

bool markForFullCheck(const QString& path) {
    QFile mark(fullCheckMark(path));
    return mark.open(QIODevice::WriteOnly);
}

bool openProgramDatabase(ODBCDB& db, const QString& path) {
    return checkProgramDatabase(db, path).fault == DbFault::None;
}

QString backupPathFor(const QString& path, const QDateTime& when) {
    return path + QStringLiteral(".bak-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

namespace {

QString journalOf(const QString& path) {
    return path + QStringLiteral("-journal");
}

// `base`, or `base` with "-1", "-2" ... when it is taken.
QString freeName(const QString& base) {
    QString name = base;
    for (int n = 1; QFile::exists(name); ++n) {
        name = base + QLatin1Char('-') + QString::number(n);
    }
    return name;
}

// Moves `file` (with its journal) to a free backup name of `path`.
bool moveToBackupName(const QString& file, const QString& path, QString* movedTo) {
    const QString backup = freeName(backupPathFor(path, QDateTime::currentDateTime()));
    if (!moveDatabaseFile(file, backup)) {
        return false;
    }
    if (movedTo != nullptr) {
        *movedTo = backup;
    }
    return true;
}

const QString kAsideTag = QStringLiteral(".before-init-");

}  // namespace

bool moveDatabaseFile(const QString& from, const QString& to) {
    if (!QFile::rename(from, to)) {
        return false;
    }
    if (QFile::exists(journalOf(from)) && !QFile::rename(journalOf(from), journalOf(to))) {
        QFile::rename(to, from);
        return false;
    }
    return true;
}

bool setAsideDatabase(const QString& path, QString* setAside) {
    return moveToBackupName(path, path, setAside);
}

QString initialisationAsidePath(const QString& path) {
    return freeName(path + kAsideTag +
                    QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")));
}

QStringList initialisationAsideFiles(const QString& path) {
    const QFileInfo db(path);
    const QRegularExpression pattern(QStringLiteral("^") +
                                     QRegularExpression::escape(db.fileName() + kAsideTag) +
                                     QStringLiteral("\\d{14}(?:-\\d+)?$"));
    QStringList found;
    const QDir dir = db.absoluteDir();
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (pattern.match(name).hasMatch()) {
            found.append(QDir::toNativeSeparators(dir.filePath(name)));
        }
    }
    return found;
}

bool restoreTemplateDatabase(const QString& path, QString* backupPath) {
    if (QFile::exists(path) && !setAsideDatabase(path, backupPath)) {
        return false;
    }
    return writeTemplateDatabase(path);
}

bool restoreDatabaseFromBackup(const QString& path, const QString& backup, QString* setAside) {
    QString aside;
    if (QFile::exists(path) && !setAsideDatabase(path, &aside)) {
        return false;
    }
    if (backupDatabaseFile(backup, path).ok()) {
        if (setAside != nullptr) {
            *setAside = aside;
        }
        return true;
    }
    // Nothing was put in place: the old file goes back where it was.
    if (!aside.isEmpty()) {
        moveDatabaseFile(aside, path);
    }
    return false;
}

namespace {

// True when the start of the file holds nothing but zero bytes (a disk or power fault).
bool startsWithZerosOnly(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray start = file.read(4096);
    return !start.isEmpty() && start.count('\0') == start.size();
}

QString whyNotOpen(const QString& path, DbFault fault) {
    const QFileInfo file(path);
    if (!file.exists()) {
        return QStringLiteral("找不到数据库文件");
    }
    if (!file.isFile()) {
        return QStringLiteral("它不是普通文件（可能是设备或链接）");
    }
    if (file.size() == 0) {
        return QStringLiteral("数据库文件是空的（0 字节）");
    }
    if (startsWithZerosOnly(path)) {
        return QStringLiteral("文件内容全是零，可能是断电或磁盘故障造成的");
    }
    if (fault == DbFault::NotADatabase) {
        return QStringLiteral("文件不是本程序的数据库，或文件头已损坏");
    }
    return QStringLiteral("无法打开数据库文件");
}

// What can still be read from a damaged file, saved into a new, checked file that takes its
// place; the damaged file is kept under its backup name. True when the new file is in place.
bool offerSalvage(const QString& path, const DatabaseHealth& health, DatabasePrompts& prompts) {
    const QString tool = database_salvage::tool();
    if (tool.isEmpty()) {
        EventLog::write(QStringLiteral("database"),
                        QStringLiteral("damaged file, no sqlite3 tool to save its rows"));
        return false;
    }
    if (!prompts.askYesNo(setup_text::offerSalvage(path, health.problem))) {
        return false;
    }
    const QString salvaged = freeName(path + QStringLiteral(".salvaged"));
    const database_salvage::Result result = database_salvage::salvage(path, salvaged, tool);
    QString setAside;
    if (result.ok && setAsideDatabase(path, &setAside)) {
        if (moveDatabaseFile(salvaged, path)) {
            EventLog::write(QStringLiteral("database"),
                            QStringLiteral("saved %1 sales from the damaged file, kept as %2")
                                .arg(result.sales)
                                .arg(setAside));
            prompts.tell(setup_text::salvaged(result.sales, setAside));
            return true;
        }
        moveDatabaseFile(setAside, path);  // the damaged file goes back where it was
    }
    QFile::remove(salvaged);
    const QString problem = result.ok ? QStringLiteral("无法替换数据库文件") : result.problem;
    EventLog::write(QStringLiteral("database"), QStringLiteral("salvage failed: ") + problem);
    prompts.tell(setup_text::salvageFailed(problem));
    return false;
}

// A file that can't be used: the newest good backup (Yes), the template (No), or quit; without
// a good backup only the template is offered. False to quit.
bool offerRestore(const QString& path, const DatabaseHealth& health, DatabasePrompts& prompts) {
    const backup_folder::GoodBackup backup = backup_folder::newestGood(path);
    const QStringList leftovers = initialisationAsideFiles(path);
    const QString leftoverNote =
        leftovers.isEmpty() ? QString() : setup_text::initialisationLeftovers(leftovers);
    const bool damaged = health.fault == DbFault::Damaged;
    // A damaged file may hold sales that no backup has: every one from today, when none was
    // taken today.
    if (damaged && (backup.path.isEmpty() || backup.taken.date() < QDate::currentDate()) &&
        offerSalvage(path, health, prompts)) {
        return true;
    }
    QString setAside;
    if (!backup.path.isEmpty()) {
        const QString named = setup_text::backupNamed(backup.path, backup.taken, backup.sales);
        const QString question =
            damaged ? setup_text::damaged(path, health.problem, named)
                    : setup_text::cannotOpenWithBackup(path, whyNotOpen(path, health.fault), named,
                                                       QFile::exists(path));
        const auto answer = prompts.askYesNoCancel(question + leftoverNote);
        if (answer == DatabasePrompts::Answer::Cancel) {
            return false;
        }
        if (answer == DatabasePrompts::Answer::Yes) {
            const bool done = restoreDatabaseFromBackup(path, backup.path, &setAside);
            prompts.tell(done ? setup_text::restoredFromBackup(backup.path, setAside)
                              : setup_text::restoreFailed());
            return done;
        }
    } else if (!prompts.askYesNo((damaged ? setup_text::damaged(path, health.problem, {})
                                  : QFile::exists(path) ? setup_text::askRestoreBecause(
                                                              path, whyNotOpen(path, health.fault))
                                                        : setup_text::askRestore()) +
                                 leftoverNote)) {
        return false;
    }
    const bool done = restoreTemplateDatabase(path, &setAside);
    prompts.tell(done ? setup_text::restoredFromTemplate(setAside) : setup_text::restoreFailed());
    return done;
}

// Beside a database that opens, what initialisation set aside is an old copy: kept under a
// backup name (so it is asked about once) unless the user says to delete it.
void offerStaleAsideFiles(const QString& path, DatabasePrompts& prompts) {
    for (const QString& file : initialisationAsideFiles(path)) {
        const QString keptAs = freeName(backupPathFor(path, QDateTime::currentDateTime()));
        if (prompts.askYesNo(setup_text::staleInitialisationFile(file, keptAs))) {
            moveToBackupName(file, path, nullptr);
        } else {
            QFile::remove(file);
            QFile::remove(journalOf(file));
        }
    }
}

}  // namespace

bool neverHadDatabase(const QString& path) {
    const QFileInfo db(path);
    const QStringList traces = db.absoluteDir().entryList(
        {db.fileName(), db.fileName() + QStringLiteral("-journal"),
         db.fileName() + QStringLiteral(".bak-*"), db.fileName() + kAsideTag + u'*'},
        QDir::Files | QDir::Hidden | QDir::System);
    return traces.isEmpty() && backup_folder::files(path).isEmpty();
}

bool openOrRestoreDatabase(ODBCDB& db, const QString& programFolder, DatabasePrompts& prompts) {
    // A tillora.conf that can't be used stops the start: the file would split the shop's sales.
    if (const ServerConfig config = readServerConfig(programFolder);
        config.status == ServerConfig::Status::Invalid) {
        prompts.tell(config.problem);
        return false;
    } else if (config.status == ServerConfig::Status::Server) {
        return openServerDatabase(db, config.connectString, prompts);
    }
    const QString path = databasePath(programFolder);
    // Nothing can be written in a folder's place, nor should it be moved aside unasked.
    if (QFileInfo(path).isDir()) {
        prompts.tell(setup_text::folderInTheWay(path));
        return false;
    }
    bool restored = false;
    if (neverHadDatabase(path)) {
        // A first start, not a failure: nothing to ask.
        restored = true;
        if (!writeTemplateDatabase(path)) {
            EventLog::write(QStringLiteral("database"),
                            QStringLiteral("cannot write the new database %1").arg(path));
            prompts.tell(setup_text::restoreFailed());
            prompts.tell(setup_text::cannotConnect());
            return false;
        }
        EventLog::write(QStringLiteral("database"),
                        QStringLiteral("first start: new database %1").arg(path));
        prompts.tell(setup_text::created(path));
    }
    for (;;) {
        const DatabaseHealth health = checkProgramDatabase(db, path);
        switch (health.fault) {
            case DbFault::None:
                if (!health.upgradeProblem.isEmpty()) {
                    prompts.tell(health.upgradeProblem);
                }
                if (health.duplicateNumbers > 0) {
                    prompts.tell(setup_text::duplicateNumbers(health.duplicateNumbers));
                }
                if (!restored) {  // else the restore offer has just named them
                    offerStaleAsideFiles(path, prompts);
                }
                return true;
            case DbFault::Locked:
                // Never the restore offer: the file is fine, only busy.
                if (prompts.askRetry(setup_text::lockedAt(path))) {
                    continue;
                }
                return false;
            case DbFault::ReadOnly:
                prompts.tell(setup_text::readOnly(path));
                return false;
            default:
                break;
        }
        if (restored) {
            break;  // a fresh file that still does not open: give up
        }
        restored = true;
        if (!offerRestore(path, health, prompts)) {
            break;
        }
    }
    prompts.tell(setup_text::cannotConnect());
    return false;
}

}  // namespace tillora
