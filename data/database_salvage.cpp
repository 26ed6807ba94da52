#include "data/database_salvage.h"

#include "data/database_backup.h"
#include "data/sqlite_connection.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <sqlite3.h>

namespace tillora::database_salvage {

namespace {

// The tool's SQL for the file in `sql`; false, with the cause, when it gave none.
bool runTool(const QString& tool, const QString& path, const QString& command, int timeoutMs,
             QFile& sql, QString* problem) {
    QProcess process;
    process.setProgram(tool);
    // Read only: the damaged file stays as it is, whatever the tool does.
    process.setArguments(
        {QStringLiteral("-readonly"), QFileInfo(path).absoluteFilePath(), command});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(sql.fileName(), QIODevice::Truncate);
    process.start();
    if (!process.waitForStarted()) {
        *problem = QStringLiteral("无法运行 %1（%2）").arg(tool, process.errorString());
        return false;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        *problem = QStringLiteral("%1 超时未完成").arg(tool);
        return false;
    }
    const QString words = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
        QFileInfo(sql.fileName()).size() == 0) {
        *problem = words.isEmpty() ? QStringLiteral("%1 没有读出内容").arg(tool)
                                   : words.section(u'\n', 0, 0);
        return false;
    }
    return true;
}

struct Database {
    sqlite3* db = nullptr;
    ~Database() { sqlite3_close_v2(db); }
};

// Runs the tool's statements one by one into the new file, going past those that fail (a row
// the new file refuses is lost, not the rest). The dump ends a run with errors with a rollback;
// what it read is kept all the same.
bool replay(QFile& sql, const QString& newPath, QString* problem) {
    Database target;
    if (sqlite3_open_v2(QFile::encodeName(newPath).constData(), &target.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK ||
        !SqliteConnection::registerJetFunctions(target.db) || !sql.open(QIODevice::ReadOnly)) {
        *problem = target.db ? QString::fromUtf8(sqlite3_errmsg(target.db)) : sql.errorString();
        return false;
    }
    // Lines of a sale whose row was lost are kept too.
    sqlite3_exec(target.db, "PRAGMA foreign_keys=OFF", nullptr, nullptr, nullptr);
    QByteArray statement;
    while (!sql.atEnd()) {
        QByteArray line = sql.readLine();
        if (line.startsWith("ROLLBACK; -- due to errors")) {
            line = "COMMIT;\n";
        }
        statement += line;
        if (sqlite3_complete(statement.constData())) {
            sqlite3_exec(target.db, statement.constData(), nullptr, nullptr, nullptr);
            statement.clear();
        }
    }
    if (sqlite3_get_autocommit(target.db) == 0 &&
        sqlite3_exec(target.db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        *problem = QString::fromUtf8(sqlite3_errmsg(target.db));
        return false;
    }
    return true;
}

}  // namespace

QString tool() {
    return QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
}

Result salvage(const QString& damagedPath, const QString& newPath, const QString& tool,
               int timeoutMs) {
    Result result;
    QTemporaryFile sql(newPath + QStringLiteral(".XXXXXX.sql"));
    if (!sql.open()) {
        result.problem = sql.errorString();
        return result;
    }
    sql.close();
    // ".recover" needs a library built with its page table; where it is missing, ".dump".
    QString problem;
    for (const QString& command : {QStringLiteral(".recover"), QStringLiteral(".dump")}) {
        QFile::remove(newPath);
        QFile::remove(newPath + QStringLiteral("-journal"));
        if (runTool(tool, damagedPath, command, timeoutMs, sql, &problem) &&
            replay(sql, newPath, &problem)) {
            const BackupContents contents = readBackupContents(newPath, true);
            if (contents.whole) {
                result.ok = true;
                result.sales = contents.sales;
                return result;
            }
            problem = QStringLiteral("新文件未通过检查");
        }
        sql.close();
    }
    QFile::remove(newPath);
    QFile::remove(newPath + QStringLiteral("-journal"));
    result.problem = problem;
    return result;
}

}  // namespace tillora::database_salvage
