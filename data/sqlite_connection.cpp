#include "data/sqlite_connection.h"

#include "data/database_fault_log.h"
#include "data/jet_dialect.h"
#include "data/jet_like.h"
#include "data/literal_parameters.h"
#include "platform/event_log.h"
#include "platform/jet_date.h"

#include <sqlite3.h>

#include <QThread>

#include <algorithm>
#include <limits>

namespace tillora {

namespace {

// ---- Jet text comparison -------------------------------------------------------------------

int trimmedLength(const char* text, int length) {
    while (length > 0 && text[length - 1] == ' ') {
        --length;
    }
    return length;
}

bool isAscii(const char* text, int length) {
    for (int i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

int asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

int jetCollate(void*, int lengthA, const void* a, int lengthB, const void* b) {
    const char* ta = static_cast<const char*>(a);
    const char* tb = static_cast<const char*>(b);
    lengthA = trimmedLength(ta, lengthA);
    lengthB = trimmedLength(tb, lengthB);
    if (isAscii(ta, lengthA) && isAscii(tb, lengthB)) {
        const int common = std::min(lengthA, lengthB);
        for (int i = 0; i < common; ++i) {
            const int ca = asciiLower(ta[i]);
            const int cb = asciiLower(tb[i]);
            if (ca != cb) {
                return ca < cb ? -1 : 1;
            }
        }
        return lengthA == lengthB ? 0 : (lengthA < lengthB ? -1 : 1);
    }
    const int r = QString::compare(QString::fromUtf8(ta, lengthA), QString::fromUtf8(tb, lengthB),
                                   Qt::CaseInsensitive);
    return r == 0 ? 0 : (r < 0 ? -1 : 1);
}

QString columnText(sqlite3_value* v) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                             sqlite3_value_bytes(v));
}

// "%" any run, "_" one character, an optional escape character; case folded on both sides.
bool likeMatch(const QList<uint>& pattern, const QList<uint>& text, uint escape) {
    qsizetype p = 0, t = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size()) {
            uint pc = pattern[p];
            if (pc == escape && p + 1 < pattern.size()) {
                if (pattern[p + 1] == text[t]) {
                    p += 2;
                    ++t;
                    continue;
                }
            } else if (pc == u'%') {
                starP = p++;
                starT = t;
                continue;
            } else if (pc == u'_' || pc == text[t]) {
                ++p;
                ++t;
                continue;
            }
        }
        if (starP < 0) {
            return false;
        }
        p = starP + 1;
        t = ++starT;
    }
    while (p < pattern.size() && pattern[p] == u'%') {
        ++p;
    }
    return p == pattern.size();
}

void jetLike(sqlite3_context* context, int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
    }
    uint escape = std::numeric_limits<uint>::max();
    if (argc == 3) {
        const QList<uint> e = columnText(argv[2]).toUcs4();
        if (e.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e.front();
    }
    const QList<uint> pattern = columnText(argv[0]).toCaseFolded().toUcs4();
    const QList<uint> text = columnText(argv[1]).toCaseFolded().toUcs4();
    sqlite3_result_int(context, likeMatch(pattern, text, escape) ? 1 : 0);
}

void jetNow(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_double(context, jetNowDay());
}

// ---- reading results -----------------------------------------------------------------------

// The value kind of a result column, from its declared type as ODBC would report it.
DbValue::Kind kindFromDeclaredType(const char* declared, int storageClass) {
    if (declared == nullptr || *declared == '\0') {
        switch (storageClass) {
            case SQLITE_INTEGER:
                return DbValue::Kind::Int;
            case SQLITE_FLOAT:
                return DbValue::Kind::Double;
            case SQLITE_BLOB:
                return DbValue::Kind::Bytes;
            default:
                return DbValue::Kind::Text;
        }
    }
    const QByteArray t = QByteArray(declared).toUpper();
    auto has = [&t](const char* part) { return t.contains(part); };
    if (has("BLOB") || has("BINARY") || has("IMAGE") || has("OLE")) {
        return DbValue::Kind::Bytes;
    }
    if (has("CHAR") || has("TEXT") || has("CLOB") || has("MEMO") || has("NUMERIC") ||
        has("DECIMAL") || has("BIGINT")) {
        return DbValue::Kind::Text;
    }
    if (has("DATE") || has("TIME")) {
        return DbValue::Kind::DateTime;
    }
    if (has("TINYINT") || has("BYTE")) {
        return DbValue::Kind::Byte;
    }
    if (has("SMALLINT")) {
        return DbValue::Kind::Short;
    }
    if (has("INT") || has("COUNTER") || has("LONG")) {
        return DbValue::Kind::Int;
    }
    if (has("BIT") || has("BOOL")) {
        return DbValue::Kind::Bool;
    }
    if (has("REAL") || has("SINGLE")) {
        return DbValue::Kind::Float;
    }
    if (has("FLOA") || has("DOUB")) {
        return DbValue::Kind::Double;
    }
    return DbValue::Kind::Text;
}

// Keeps one cell in its column's form; the record set builds the value when it is read.
void appendCell(RecordSet& records, sqlite3_stmt* stmt, int column, DbValue::Kind kind) {
    // The connection is never shared between threads, so the column's value can be read
    // directly (one call into the statement instead of one per reading).
    sqlite3_value* value = sqlite3_column_value(stmt, column);
    if (sqlite3_value_type(value) == SQLITE_NULL) {
        records.appendNull();
        return;
    }
    switch (kind) {
        case DbValue::Kind::Int:
            records.appendInteger(sqlite3_value_int64(value));
            return;
        case DbValue::Kind::Short:
        case DbValue::Kind::Byte:
        case DbValue::Kind::Bool:
            records.appendInteger(sqlite3_value_int(value));
            return;
        case DbValue::Kind::Float:
        case DbValue::Kind::Double:
        case DbValue::Kind::DateTime:
            records.appendNumber(sqlite3_value_double(value));
            return;
        case DbValue::Kind::Bytes: {
            const void* data = sqlite3_value_blob(value);
            records.appendBytes(static_cast<const char*>(data), sqlite3_value_bytes(value));
            return;
        }
        case DbValue::Kind::Empty:
        case DbValue::Kind::Text:
            break;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    records.appendBytes(text, sqlite3_value_bytes(value));
}

// Prepares exactly one statement; Jet refuses text after the statement, and so do we (only
// blanks and a closing ";" may follow), so nothing can ride along behind it.
sqlite3_stmt* prepareOne(sqlite3* db, const QString& jetSql) {
    const QByteArray sql = translateJetSql(jetSql).toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &stmt, &tail) !=
            SQLITE_OK ||
        stmt == nullptr) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    for (const char* p = tail; p != nullptr && *p != '\0'; ++p) {
        if (*p != ';' && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') {
            sqlite3_finalize(stmt);
            return nullptr;
        }
    }
    return stmt;
}

bool runSimple(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Jet's len(): the length of a text in characters.
void jetLen(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_int64(context, columnText(argv[0]).size());
}

}  // namespace

bool jetLikeMatch(const QList<uint>& pattern, const QList<uint>& text, uint escape) {
    return likeMatch(pattern, text, escape);
}

DbFault SqliteConnection::faultFromCode(int code, bool opening) {
    switch (code & 0xff) {
        case SQLITE_OK:
        case SQLITE_DONE:
        case SQLITE_ROW:
            return DbFault::None;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return DbFault::Locked;
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return DbFault::ReadOnly;
        case SQLITE_CANTOPEN:
            return opening ? DbFault::Missing : DbFault::ReadOnly;
        case SQLITE_FULL:
            return DbFault::DiskFull;
        case SQLITE_CORRUPT:
            return DbFault::Damaged;
        case SQLITE_NOTADB:
            return DbFault::NotADatabase;
        case SQLITE_CONSTRAINT:
            return (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY)
                       ? DbFault::Duplicate
                       : DbFault::Other;
        default:
            return DbFault::Other;
    }
}

bool SqliteConnection::registerJetFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8;
    return sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, jetCollate, nullptr) ==
               SQLITE_OK &&
           sqlite3_create_function_v2(db, "like", 2, flags | SQLITE_DETERMINISTIC, nullptr, jetLike,
                                      nullptr, nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "like", 3, flags | SQLITE_DETERMINISTIC, nullptr, jetLike,
                                      nullptr, nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "now", 0, flags, nullptr, jetNow, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "len", 1, flags | SQLITE_DETERMINISTIC, nullptr, jetLen,
                                      nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::unique_ptr<SqliteConnection> SqliteConnection::open(const QString& file,
                                                         const QString& connectString,
                                                         bool readOnly, DbFault* fault) {
    sqlite3* db = nullptr;
    auto refuse = [&](DbFault why) -> std::unique_ptr<SqliteConnection> {
        EventLog::write(QStringLiteral("database"),
                        QStringLiteral("cannot open %1: %2: %3")
                            .arg(file, dbFaultName(why),
                                 db != nullptr ? QString::fromUtf8(sqlite3_errmsg(db))
                                               : QStringLiteral("out of memory")));
        sqlite3_close(db);
        if (fault != nullptr) {
            *fault = why;
        }
        return nullptr;
    };
    // One connection belongs to one ODBCDB, which is used from one thread at a time, so
    // SQLite's per-call locking only costs time (three calls per cell on a listing).
    const int flags =
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    const int opened = sqlite3_open_v2(file.toUtf8().constData(), &db, flags, nullptr);
    if (opened != SQLITE_OK) {
        return refuse(faultFromCode(opened, true));
    }
    sqlite3_extended_result_codes(db, 1);
    // Until the connection exists, the lock is waited for without telling anyone.
    sqlite3_busy_timeout(db, kLockWaitMs);
    if (!registerJetFunctions(db)) {
        return refuse(DbFault::Other);
    }
    // SQLite reads a file lazily; reading the schema here makes a damaged, foreign or locked
    // file fail now rather than at the first statement.
    const int schema =
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (schema != SQLITE_OK) {
        return refuse(faultFromCode(schema, true));
    }
    // A file the process may not write is opened for reading only, without a word; a caller
    // that asked to write must hear it now, not at the first sale.
    if (!readOnly && sqlite3_db_readonly(db, "main") == 1) {
        return refuse(DbFault::ReadOnly);
    }
    // Every commit is synced in full; the rollback journal is emptied rather than deleted at
    // commit, which spares the folder sync of creating it anew for every sale.
    const bool ready = runSimple(db, "PRAGMA foreign_keys=ON") &&
                       runSimple(db, "PRAGMA synchronous=FULL") &&
                       (readOnly || runSimple(db, "PRAGMA journal_mode=TRUNCATE"));
    if (!ready) {
        return refuse(faultFromCode(sqlite3_extended_errcode(db), true));
    }
    return std::unique_ptr<SqliteConnection>(new SqliteConnection(db, connectString));
}

SqliteConnection::SqliteConnection(sqlite3* db, QString connectString)
    : db_(db), connectString_(std::move(connectString)) {
    sqlite3_busy_handler(db_, waitForLock, this);
}

int SqliteConnection::waitForLock(void* self, int count) {
    // Short slices, so that the windows paint often and the bound is kept closely.
    constexpr int kSliceMs = 20;
    auto* c = static_cast<SqliteConnection*>(self);
    if (count == 0 || !c->lockWait_) {
        c->lockWait_.emplace(DatabaseWaitKind::File);
    }
    const int left = c->lockWaitMs_ - c->lockWait_->elapsedMs();
    if (left <= 0) {
        return 0;
    }
    QThread::msleep(static_cast<unsigned long>(std::min(left, kSliceMs)));
    c->lockWait_->progress();
    return 1;
}

bool SqliteConnection::refusedReentry() {
    if (!databaseWaitReentered()) {
        lockWait_.reset();
        return false;
    }
    fault_ = DbFault::Locked;
    message_ = QStringLiteral("another statement is waiting for the lock");
    return true;
}

SqliteConnection::~SqliteConnection() {
    for (sqlite3_stmt* stmt : std::as_const(statements_)) {
        sqlite3_finalize(stmt);
    }
    sqlite3_close_v2(db_);
}

void SqliteConnection::setLockWait(int milliseconds) {
    lockWaitMs_ = milliseconds;
}

bool SqliteConnection::succeeded() {
    lockWait_.reset();
    fault_ = DbFault::None;
    message_.clear();
    return true;
}

bool SqliteConnection::failed(int code) {
    lockWait_.reset();
    fault_ = faultFromCode(code, false);
    // A refusal of our own leaves the engine without a message of its own.
    message_ = QString::fromUtf8(sqlite3_errcode(db_) != SQLITE_OK ? sqlite3_errmsg(db_)
                                                                   : sqlite3_errstr(code));
    if (fault_ == DbFault::None) {
        fault_ = DbFault::Other;  // refused by us (a second statement), not by the engine
    }
    return false;
}

bool SqliteConnection::run(const char* sql) {
    if (refusedReentry()) {
        return false;
    }
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? succeeded() : failed(rc);
}

sqlite3_stmt* SqliteConnection::preparedStatement(const QString& sql) {
    if (sqlite3_stmt* stmt = statements_.value(sql)) {
        return stmt;
    }
    sqlite3_stmt* stmt = prepareOne(db_, sql);
    if (stmt == nullptr) {
        return nullptr;
    }
    if (statements_.size() >= kMaxStatements) {
        for (sqlite3_stmt* old : std::as_const(statements_)) {
            sqlite3_finalize(old);
        }
        statements_.clear();
    }
    statements_.insert(sql, stmt);
    return stmt;
}

std::optional<bool> SqliteConnection::executeByShape(const QString& sql) {
    const std::optional<LiteralParameters> split = splitLiteralParameters(sql);
    if (!split) {
        return std::nullopt;
    }
    sqlite3_stmt* stmt = preparedStatement(split->shape);
    if (stmt == nullptr || sqlite3_bind_parameter_count(stmt) != split->texts.size()) {
        return std::nullopt;
    }
    for (int i = 0; i < split->texts.size(); ++i) {
        const QByteArray t = split->texts[i].toUtf8();
        if (sqlite3_bind_text64(stmt, i + 1, t.constData(), static_cast<sqlite3_uint64>(t.size()),
                                SQLITE_TRANSIENT, SQLITE_UTF8) != SQLITE_OK) {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
            return std::nullopt;
        }
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        rc = sqlite3_extended_errcode(db_);
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    return rc == SQLITE_DONE ? succeeded() : failed(rc);
}

bool SqliteConnection::execute(const QString& sql, const std::vector<DbParam>& params) {
    if (refusedReentry()) {
        return false;
    }
    if (params.empty()) {
        if (const std::optional<bool> done = executeByShape(sql)) {
            return *done;
        }
    }
    sqlite3_stmt* stmt = prepareOne(db_, sql);
    if (stmt == nullptr) {
        return failed(sqlite3_extended_errcode(db_));
    }
    bool ok = sqlite3_bind_parameter_count(stmt) == static_cast<int>(params.size());
    for (int i = 0; ok && i < static_cast<int>(params.size()); ++i) {
        const DbParam& p = params[static_cast<std::size_t>(i)];
        int rc;
        if (p.isBytes()) {
            const QByteArray& b = p.bytesValue();
            // An empty block is an empty binary value, not NULL.
            rc = b.isEmpty()
                     ? sqlite3_bind_zeroblob(stmt, i + 1, 0)
                     : sqlite3_bind_blob64(stmt, i + 1, b.constData(),
                                           static_cast<sqlite3_uint64>(b.size()), SQLITE_TRANSIENT);
        } else {
            const QByteArray t = p.textValue().toUtf8();
            rc = sqlite3_bind_text64(stmt, i + 1, t.constData(),
                                     static_cast<sqlite3_uint64>(t.size()), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
        }
        ok = rc == SQLITE_OK;
    }
    int rc = SQLITE_ROW;
    while (ok && rc == SQLITE_ROW) {
        rc = sqlite3_step(stmt);  // rows of a select are read and dropped
    }
    if (!ok) {
        sqlite3_finalize(stmt);
        return failed(rc == SQLITE_ROW ? SQLITE_MISUSE : rc);
    }
    if (rc != SQLITE_DONE) {
        rc = sqlite3_extended_errcode(db_);
        sqlite3_finalize(stmt);
        return failed(rc);
    }
    sqlite3_finalize(stmt);
    return succeeded();
}

std::unique_ptr<RecordSet> SqliteConnection::query(const QString& sql) {
    if (refusedReentry()) {
        return nullptr;
    }
    sqlite3_stmt* stmt = preparedStatement(sql);
    if (stmt == nullptr) {
        failed(sqlite3_extended_errcode(db_));
        return nullptr;
    }
    const int count = sqlite3_column_count(stmt);
    std::vector<DbColumn> columns(static_cast<std::size_t>(count));
    std::unique_ptr<RecordSet> records;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (!records) {
            // Declared types give the kinds; an expression column takes its first value's class.
            for (int c = 0; c < count; ++c) {
                auto& col = columns[static_cast<std::size_t>(c)];
                col.name = QString::fromUtf8(sqlite3_column_name(stmt, c));
                col.kind = kindFromDeclaredType(sqlite3_column_decltype(stmt, c),
                                                sqlite3_column_type(stmt, c));
            }
            records = std::make_unique<RecordSet>(std::move(columns));
        }
        for (int c = 0; c < count; ++c) {
            appendCell(*records, stmt, c, records->columns()[static_cast<std::size_t>(c)].kind);
        }
    }
    if (!records) {
        for (int c = 0; c < count; ++c) {
            auto& col = columns[static_cast<std::size_t>(c)];
            col.name = QString::fromUtf8(sqlite3_column_name(stmt, c));
            col.kind = kindFromDeclaredType(sqlite3_column_decltype(stmt, c), SQLITE_NULL);
        }
        records = std::make_unique<RecordSet>(std::move(columns));
    }
    if (rc != SQLITE_DONE) {
        rc = sqlite3_extended_errcode(db_);
        sqlite3_reset(stmt);
        failed(rc);
        return nullptr;
    }
    sqlite3_reset(stmt);
    succeeded();
    records->finish();
    return records;
}

bool SqliteConnection::beginTransaction() {
    return run("BEGIN IMMEDIATE");
}

bool SqliteConnection::commitTransaction() {
    if (run("COMMIT")) {
        return true;
    }
    // An I/O error may come after the journal already let the change stand (its last sync):
    // whether the commit took is only known by reading the file again.
    if ((sqlite3_extended_errcode(db_) & 0xff) == SQLITE_IOERR) {
        fault_ = DbFault::CommitUnknown;
    }
    return false;
}

bool SqliteConnection::rollbackTransaction() {
    return run("ROLLBACK");
}

}  // namespace tillora
