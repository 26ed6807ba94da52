#include "data/server_setup.h"

#include "data/operation_trail.h"

#include "data/database_setup.h"
#include "data/libpq_library.h"
#include "data/postgres_connection.h"
#include "data/server_config.h"
#include "data/server_schema.h"
#include "data/sql_text.h"
#include "data/template_database.h"
#include "platform/data_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstring>

namespace tillora {

namespace server_text {

QString unreachable(const QString& url) {
    return QStringLiteral("无法连接数据库服务器：") + serverHost(url) +
           QStringLiteral("\r\n请检查服务器是否已开启、网络是否连通。");
}

QString loginRefused(const QString& url) {
    return QStringLiteral("数据库服务器拒绝登录：") + serverHost(url) +
           QStringLiteral("\r\n用户名或密码不正确，请检查 tillora.conf 和 .pgpass。");
}

QString noSuchDatabase(const QString& url) {
    return QStringLiteral("数据库服务器上没有数据库“") + serverDatabaseName(url) +
           QStringLiteral("”：") + serverHost(url) +
           QStringLiteral("\r\n请检查 tillora.conf 中的数据库名称。");
}

QString noSchema(const QString& url) {
    return QStringLiteral("数据库服务器上的数据库“") + serverDatabaseName(url) +
           QStringLiteral("”还没有建立本程序的数据表：") + serverHost(url) +
           QStringLiteral("\r\n请先运行 tillora --init-server 或 tillora --copy-to-server。");
}

QString noClientLibrary() {
    return QStringLiteral("无法载入数据库服务器的连接程序库 ") + QLatin1String(libpqFileName()) +
           QStringLiteral("。\r\n请先安装 libpq5。");
}

}  // namespace server_text

QString serverFaultText(DbFault fault, const QString& url) {
    switch (fault) {
        case DbFault::LoginRefused:
            return server_text::loginRefused(url);
        case DbFault::NoSuchDatabase:
            return server_text::noSuchDatabase(url);
        case DbFault::NotADatabase:
            return server_text::noSchema(url);
        case DbFault::NoClientLibrary:
            return server_text::noClientLibrary();
        default:
            return server_text::unreachable(url);
    }
}

namespace {

// A database from before the payment columns counts too: *old says it lacks them, *noBarcode
// that it lacks 商品名称.条码.
bool hasServerSchema(ODBCDB& db, bool* old, bool* noBarcode) {
    *old = false;
    *noBarcode = false;
    for (const ServerTable& t : serverTables()) {
        const int h = db.OpenTable(QStringLiteral("select * from [") + t.name +
                                   QStringLiteral("] where 1=0"));
        if (h == 0) {
            return false;
        }
        const QStringList columns = db.columnNames(h);
        db.CloseTable(h);
        if (columns == t.columns) {
            continue;
        }
        if (columns + QStringList{barcodeColumn()} == t.columns) {
            *noBarcode = true;
            continue;
        }
        if (columns + paymentColumns() != t.columns) {
            return false;
        }
        *old = true;
    }
    return true;
}

}  // namespace

bool openServerDatabase(ODBCDB& db, const QString& url, DatabasePrompts& prompts) {
    for (;;) {
        DbFault fault = DbFault::None;
        if (db.NewOpenDatabase(url, false, true)) {
            bool old = false;
            bool noBarcode = false;
            if (hasServerSchema(db, &old, &noBarcode)) {
                // The server keeps its own backups; each step goes in whole or not at all.
                if (old && !executeInOneTransaction(db, serverPaymentColumnStatements())) {
                    prompts.tell(setup_text::upgradeFailed());
                } else if (noBarcode &&
                           !executeInOneTransaction(db, serverBarcodeColumnStatements())) {
                    prompts.tell(setup_text::barcodeUpgradeFailed());
                }
                // Harmless when another till made it a moment ago.
                if (!operation_trail::present(db)) {
                    db.ExecuteSql(serverTrailStatement());
                    db.ExecuteSql(QStringLiteral(
                        "create index if not exists 操作记录_时间 on 操作记录 (时间)"));
                }
                return true;
            }
            fault = db.lastFault() == DbFault::Unreachable ? DbFault::Unreachable
                                                           : DbFault::NotADatabase;
            db.CloseDatabase();
        } else {
            fault = db.lastFault();
        }
        // Only a server that can't be reached may come back by itself; the rest needs a change.
        if (fault == DbFault::Unreachable) {
            if (prompts.askRetry(serverFaultText(fault, url))) {
                continue;
            }
            return false;
        }
        prompts.tell(serverFaultText(fault, url));
        return false;
    }
}

namespace {

QString quotedText(const QByteArray& utf8) {
    return QStringLiteral("'") + sqlText(QString::fromUtf8(utf8)) + QStringLiteral("'");
}

// One cell of the file as a literal of the server's dialect.
QString literal(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_NULL:
            return QStringLiteral("null");
        case SQLITE_INTEGER:
            return QString::number(sqlite3_column_int64(stmt, column));
        case SQLITE_FLOAT:
            return QString::number(sqlite3_column_double(stmt, column), 'g', 17);
        case SQLITE_BLOB: {
            const QByteArray bytes(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                                   sqlite3_column_bytes(stmt, column));
            return QStringLiteral("'\\x") + QString::fromLatin1(bytes.toHex()) +
                   QStringLiteral("'::bytea");
        }
        default:
            return quotedText(
                QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                           sqlite3_column_bytes(stmt, column)));
    }
}

qint64 fileNumber(sqlite3* file, const QString& sql, bool* ok) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    qint64 value = 0;
    *ok = sqlite3_prepare_v2(file, text.constData(), -1, &stmt, nullptr) == SQLITE_OK;
    if (*ok) {
        const int rc = sqlite3_step(stmt);
        *ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
        value = rc == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
    }
    sqlite3_finalize(stmt);
    return value;
}

qint64 serverNumber(PostgresConnection& server, const QString& sql, bool* ok) {
    const auto records = server.query(sql);
    *ok = records != nullptr && records->rowCount() == 1;
    return *ok ? static_cast<qint64>(records->cell(0, 0).toDouble()) : 0;
}

// The table's columns in the file; empty when it can't be read.
QStringList fileColumns(sqlite3* file, const QString& table) {
    QStringList columns;
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql =
        (QStringLiteral("select * from [") + table + QStringLiteral("] where 0")).toUtf8();
    if (sqlite3_prepare_v2(file, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK) {
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            columns << QString::fromUtf8(sqlite3_column_name(stmt, c));
        }
    }
    sqlite3_finalize(stmt);
    return columns;
}

// Copies one table's rows in batches; false when the file can't be read or the server refuses.
// A column the file does not have yet (a file from before the payment columns) copies as NULL.
bool copyRows(sqlite3* file, PostgresConnection& server, const ServerTable& table,
              QString* problem) {
    const QString columns = table.columns.join(u',');
    const QStringList inFile = fileColumns(file, table.name);
    QStringList selected;
    for (const QString& column : table.columns) {
        selected << (inFile.contains(column) ? column : QStringLiteral("null"));
    }
    const QByteArray select =
        (QStringLiteral("select ") + selected.join(u',') + QStringLiteral(" from ") + table.name +
         QStringLiteral(" order by ID"))
            .toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(file, select.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        *problem = QStringLiteral("无法读取数据表 ") + table.name;
        return false;
    }
    const QString head = QStringLiteral("insert into ") + table.name + QStringLiteral(" (") +
                         columns.toLower() + QStringLiteral(") values ");
    QStringList rows;
    auto flush = [&]() {
        if (rows.isEmpty()) {
            return true;
        }
        const bool ok = server.executeNative(head + rows.join(u','));
        rows.clear();
        if (!ok) {
            *problem = table.name + QStringLiteral("：") + server.lastMessage();
        }
        return ok;
    };
    int rc;
    bool ok = true;
    while (ok && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QStringList cells;
        for (int c = 0; c < table.columns.size(); ++c) {
            cells << literal(stmt, c);
        }
        rows << QStringLiteral("(") + cells.join(u',') + QStringLiteral(")");
        if (rows.size() >= 200) {
            ok = flush();
        }
    }
    if (ok && rc != SQLITE_DONE) {
        *problem = QStringLiteral("无法读取数据表 ") + table.name;
        ok = false;
    }
    sqlite3_finalize(stmt);
    return ok && flush();
}

ServerSetupResult failed(const QString& message) {
    return {false, message};
}

}  // namespace

ServerSetupResult copyFileToServer(const QString& file, const QString& url) {
    if (!QFile::exists(file)) {
        return failed(QStringLiteral("找不到数据库文件：") + file);
    }
    sqlite3* source = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &source, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(source);
        return failed(QStringLiteral("无法打开数据库文件：") + file);
    }
    struct CloseFile {
        sqlite3* db;
        ~CloseFile() { sqlite3_close(db); }
    } closeFile{source};

    DbFault fault = DbFault::None;
    QString why;
    auto server = PostgresConnection::open(url, false, &fault, &why);
    if (!server) {
        // The client library's complaint may quote the connect string whole.
        return failed(serverFaultText(fault, url) + QStringLiteral("\r\n") +
                      maskedServerMessage(why, url));
    }
    bool ok = false;
    if (serverNumber(*server,
                     QStringLiteral("select count(*) from pg_class c join pg_namespace n on "
                                    "n.oid = c.relnamespace where n.nspname = current_schema() "
                                    "and c.relname = '销售记录'"),
                     &ok) != 0 ||
        !ok) {
        return failed(QStringLiteral("服务器上的数据库不是空的（已有数据表）：") +
                      serverDatabaseName(url));
    }
    // Tills already working on this database may hold the write lock for a moment, and a large
    // shop's rows take longer than a sale's statements.
    server->setStatementLimit(600000);
    server->setLockWait(30000);
    if (!server->beginTransaction()) {
        return failed(serverFaultText(server->lastFault(), url) + QStringLiteral("\r\n") +
                      server->lastMessage());
    }
    auto abandon = [&](const QString& message) {
        server->rollbackTransaction();
        return failed(message);
    };
    for (const QString& statement : serverSchemaStatements()) {
        if (!server->executeNative(statement)) {
            return abandon(QStringLiteral("无法建立数据表：") + server->lastMessage());
        }
    }
    bool read = false;
    const bool hasSequences =
        fileNumber(source,
                   QStringLiteral("select count(*) from sqlite_master where name = "
                                  "'sqlite_sequence'"),
                   &read) > 0;
    std::vector<ServerTable> tables = serverTables();
    // A file whose upgrade could not be backed up has no trail yet.
    if (!fileColumns(source, serverTrailTable().name).isEmpty()) {
        tables.push_back(serverTrailTable());
    }
    for (const ServerTable& table : tables) {
        QString problem;
        if (!copyRows(source, *server, table, &problem)) {
            return abandon(QStringLiteral("复制失败：") + problem);
        }
        // The next ID goes past every ID the file ever gave, deleted ones too.
        qint64 highest = fileNumber(
            source, QStringLiteral("select coalesce(max(ID), 0) from ") + table.name, &read);
        if (hasSequences) {
            highest =
                std::max(highest, fileNumber(source,
                                             QStringLiteral("select coalesce(max(seq), 0) from "
                                                            "sqlite_sequence where name = '") +
                                                 sqlText(table.name) + QStringLiteral("'"),
                                             &read));
        }
        if (highest > 0 &&
            !server->executeNative(QStringLiteral("select setval(pg_get_serial_sequence('") +
                                   table.name + QStringLiteral("', 'id'), ") +
                                   QString::number(highest) + QStringLiteral(")"))) {
            return abandon(QStringLiteral("复制失败：") + server->lastMessage());
        }
        const qint64 inFile =
            fileNumber(source, QStringLiteral("select count(*) from ") + table.name, &read);
        bool counted = false;
        const qint64 onServer =
            serverNumber(*server, QStringLiteral("select count(*) from ") + table.name, &counted);
        if (!read || !counted || inFile != onServer) {
            return abandon(QStringLiteral("复制后行数不符：%1（文件 %2 行，服务器 %3 行）")
                               .arg(table.name)
                               .arg(inFile)
                               .arg(onServer));
        }
    }
    if (!server->commitTransaction()) {
        return failed(QStringLiteral("复制失败：") + server->lastMessage());
    }
    return {true, QStringLiteral("已复制到数据库服务器：") + serverHost(url)};
}

ServerSetupResult initialiseServer(const QString& url) {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("Zeb.mdb"));
    if (!folder.isValid() || !writeTemplateDatabase(file)) {
        return failed(QStringLiteral("无法准备模板数据库"));
    }
    ServerSetupResult result = copyFileToServer(file, url);
    if (result.ok) {
        result.message = QStringLiteral("已在数据库服务器上建立数据库：") + serverHost(url);
    }
    return result;
}

int runServerSetupCommand(int argc, char** argv) {
    const QString folder = DataFolder::current();
    const ServerConfig config = readServerConfig(folder);
    if (config.status == ServerConfig::Status::Invalid) {
        std::fprintf(stderr, "%s\n", qPrintable(config.problem));
        return 2;
    }
    const QString& url = config.connectString;
    if (config.status == ServerConfig::Status::NoFile) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(QStringLiteral("没有配置数据库服务器：请在 %1 中写入 "
                                               "database = postgresql://用户@主机:端口/数据库")
                                    .arg(QDir::toNativeSeparators(serverConfigPath(folder)))));
        return 2;
    }
    ServerSetupResult result;
    if (std::strcmp(argv[1], "--init-server") == 0) {
        result = initialiseServer(url);
    } else {
        const QString file = argc >= 3
                                 ? QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath()
                                 : folder + QStringLiteral("/Zeb.mdb");
        result = copyFileToServer(file, url);
    }
    std::fprintf(result.ok ? stdout : stderr, "%s\n", qPrintable(result.message));
    return result.ok ? 0 : 1;
}

}  // namespace tillora
