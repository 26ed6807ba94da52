#include "data/database_setup.h"

#include "data/template_database.h"

#include <QDir>
#include <QFile>
#include <QStringList>

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
    {u"商品名称", u"ID,名称,单价"},
    {u"付款方式", u"ID,方式"},
    {u"客户资料", u"ID,姓名,电话"},
    {u"销售记录", u"ID,销售票号,销售时间,数量,金额,收银员,备注"},
    {u"销售详情", u"ID,关联,名称,数量,单价,金额,折后,备注"},
};

bool hasProgramSchema(ODBCDB& db) {
    for (const TableColumns& t : kSchema) {
        const int h = db.OpenTable(QStringLiteral("select * from [") + QString::fromUtf16(t.table) +
                                   QStringLiteral("] where 1=0"));
        if (h == 0) {
            return false;
        }
        const bool ok = db.columnNames(h) == QString::fromUtf16(t.columns).split(u',');
        db.CloseTable(h);
        if (!ok) {
            return false;
        }
    }
    return true;
}

}  // namespace

QString databasePath(const QString& programFolder) {
    return QDir::toNativeSeparators(programFolder + QStringLiteral("/Zeb.mdb"));
}

bool openProgramDatabase(ODBCDB& db, const QString& path) {
    if (!db.OpenMdbDatabase(path)) {
        return false;
    }
    if (!hasProgramSchema(db)) {
        db.CloseDatabase();
        return false;
    }
    return true;
}

QString backupPathFor(const QString& path, const QDateTime& when) {
    return path + QStringLiteral(".bak-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

bool restoreTemplateDatabase(const QString& path, QString* backupPath) {
    if (QFile::exists(path)) {
        const QString base = backupPathFor(path, QDateTime::currentDateTime());
        QString backup = base;
        for (int n = 1; QFile::exists(backup); ++n) {
            backup = base + QLatin1Char('-') + QString::number(n);
        }
        if (!QFile::rename(path, backup)) {
            return false;
        }
        // The journal belongs with the file it was written for.
        const QString journal = path + QStringLiteral("-journal");
        if (QFile::exists(journal) &&
            !QFile::rename(journal, backup + QStringLiteral("-journal"))) {
            QFile::rename(backup, path);
            return false;
        }
        if (backupPath != nullptr) {
            *backupPath = backup;
        }
    }
    return writeTemplateDatabase(path);
}

bool openOrRestoreDatabase(ODBCDB& db, const QString& programFolder, DatabasePrompts& prompts) {
    const QString path = databasePath(programFolder);
    if (openProgramDatabase(db, path)) {
        return true;
    }
    if (prompts.askYesNo(setup_text::askRestore())) {
        const bool written = restoreTemplateDatabase(path);
        prompts.tell(written ? setup_text::restored() : setup_text::restoreFailed());
        if (openProgramDatabase(db, path)) {
            return true;
        }
    }
    prompts.tell(setup_text::cannotConnect());
    return false;
}

}  // namespace tillora
