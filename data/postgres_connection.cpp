#include "data/postgres_connection.h"

#include "data/database_wait.h"
#include "data/jet_dialect_pg.h"
#include "data/libpq_library.h"
#include "data/server_schema.h"
#include "data/sql_text.h"
#include "platform/jet_date.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <thread>

#include <poll.h>
#include <sys/socket.h>

namespace tillora {

namespace {

// Type numbers of the server's built-in types, as reported for result columns.
constexpr Oid kBool = 16;
constexpr Oid kBytea = 17;
constexpr Oid kInt8 = 20;
constexpr Oid kInt2 = 21;
constexpr Oid kInt4 = 23;
constexpr Oid kFloat4 = 700;
constexpr Oid kFloat8 = 701;
constexpr Oid kNumeric = 1700;

DbValue::Kind kindOf(Oid type) {
    switch (type) {
        case kBool:
            return DbValue::Kind::Bool;
        case kBytea:
            return DbValue::Kind::Bytes;
        case kInt2:
        case kInt4:
        case kInt8:
            return DbValue::Kind::Int;
        case kFloat4:
        case kFloat8:
        case kNumeric:
            return DbValue::Kind::Double;
        default:
            return DbValue::Kind::Text;
    }
}

DbFault faultFromState(const char* state) {
    if (state == nullptr) {
        return DbFault::Other;
    }
    const QByteArray s(state);
    if (s == "23505") {
        return DbFault::Duplicate;
    }
    // Lock waits that ran out, conflicts the server resolved by cancelling one side.
    if (s == "55P03" || s == "40001" || s == "40P01" || s == "57014") {
        return DbFault::Locked;
    }
    if (s == "53100") {
        return DbFault::DiskFull;
    }
    if (s == "25006" || s == "42501") {
        return DbFault::ReadOnly;
    }
    if (s.startsWith("08") || s == "57P01" || s == "57P02" || s == "57P03") {
        return DbFault::Unreachable;
    }
    if (s == "XX001" || s == "XX002") {
        return DbFault::Damaged;
    }
    return DbFault::Other;
}

// Every connection is made after the library was found (see open), so it is there from then on.
const Libpq& pq() {
    return *libpq();
}

// The server's notices ("drop cascades to ...") are not the cashier's business.
void ignoreNotice(void*, const char*) {}

}  // namespace

DbFault PostgresConnection::faultFromConnectMessage(const QString& message) {
    // The server words its refusals in its own language (English or Chinese here).
    if (message.contains(QStringLiteral("密码认证失败")) ||
        message.contains(QStringLiteral("认证失败")) ||
        message.contains(QStringLiteral("password authentication failed")) ||
        message.contains(QStringLiteral("no password supplied")) ||
        message.contains(QStringLiteral("authentication failed")) ||
        message.contains(QStringLiteral("role \"")) ||
        message.contains(QStringLiteral("no pg_hba.conf entry"))) {
        return DbFault::LoginRefused;
    }
    if ((message.contains(QStringLiteral("database \"")) &&
         message.contains(QStringLiteral("does not exist"))) ||
        (message.contains(QStringLiteral("数据库")) &&
         message.contains(QStringLiteral("不存在")))) {
        return DbFault::NoSuchDatabase;
    }
    if (message.contains(QStringLiteral("invalid")) && message.contains(QStringLiteral("URI"))) {
        return DbFault::Missing;
    }
    return DbFault::Unreachable;
}

namespace {

PostgresConnection::Limits currentLimits;

}  // namespace

void PostgresConnection::setLimits(const Limits& limits) {
    currentLimits = limits;
}

pg_conn* PostgresConnection::connect(const QString& url, int limitMs, QString* why,
                                     DbFault* fault) {
    const QByteArray dbname = url.toUtf8();
    // Keepalives find a connection whose other end went away while the till stood idle.
    const char* keys[] = {"dbname",           "application_name", "client_encoding",
                          "keepalives",       "keepalives_idle",  "keepalives_interval",
                          "keepalives_count", "tcp_user_timeout", nullptr};
    const char* values[] = {
        dbname.constData(), "tillora", "UTF8", "1", "10", "3", "3", "10000", nullptr};
    pg_conn* conn = pq().PQconnectStartParams(keys, values, 1);
    // The window keeps painting meanwhile; a server that doesn't answer holds it for the limit
    // at most, and 取消 ends the wait sooner.
    DatabaseWait wait(DatabaseWaitKind::Server);
    const QDeadlineTimer deadline(limitMs);
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    QString timeout;
    while (conn != nullptr && pq().PQstatus(conn) != CONNECTION_BAD && state != PGRES_POLLING_OK &&
           state != PGRES_POLLING_FAILED) {
        pollfd socket{pq().PQsocket(conn),
                      static_cast<short>(state == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        const int slice = static_cast<int>(std::min<qint64>(50, deadline.remainingTime()));
        const int ready = socket.fd < 0 ? 1 : ::poll(&socket, 1, std::max(slice, 0));
        if (ready > 0) {
            state = pq().PQconnectPoll(conn);
            continue;
        }
        if ((ready < 0 && errno != EINTR) || deadline.hasExpired() || !wait.progress()) {
            timeout = QStringLiteral("timeout expired");
            break;
        }
    }
    if (conn != nullptr && timeout.isEmpty() && pq().PQstatus(conn) == CONNECTION_OK) {
        return conn;
    }
    *why = conn == nullptr      ? QStringLiteral("out of memory")
           : !timeout.isEmpty() ? timeout
                                : QString::fromUtf8(pq().PQerrorMessage(conn)).trimmed();
    *fault = faultFromConnectMessage(*why);
    if (conn != nullptr && pq().PQconnectionNeedsPassword(conn)) {
        *fault = DbFault::LoginRefused;
    }
    pq().PQfinish(conn);
    return nullptr;
}

std::unique_ptr<PostgresConnection> PostgresConnection::open(const QString& url, bool readOnly,
                                                             DbFault* fault, QString* message) {
    if (libpq() == nullptr) {
        if (fault != nullptr) {
            *fault = DbFault::NoClientLibrary;
        }
        if (message != nullptr) {
            *message = QStringLiteral("cannot load ") + QLatin1String(libpqFileName());
        }
        return nullptr;
    }
    QString why;
    DbFault f = DbFault::None;
    pg_conn* conn = connect(url, currentLimits.connectMs, &why, &f);
    if (conn == nullptr) {
        if (fault != nullptr) {
            *fault = f;
        }
        if (message != nullptr) {
            *message = why;
        }
        return nullptr;
    }
    std::unique_ptr<PostgresConnection> c(new PostgresConnection(conn, url, readOnly));
    if (!c->prepareSession()) {
        if (fault != nullptr) {
            *fault = c->fault_;
        }
        if (message != nullptr) {
            *message = c->message_;
        }
        return nullptr;
    }
    return c;
}

PostgresConnection::PostgresConnection(pg_conn* conn, QString url, bool readOnly)
    : conn_(conn), url_(std::move(url)), readOnly_(readOnly), limits_(currentLimits) {}

PostgresConnection::~PostgresConnection() {
    pq().PQfinish(conn_);
}

bool PostgresConnection::prepareSession() {
    pq().PQsetNoticeProcessor(conn_, ignoreNotice, nullptr);
    // Waits are ours to bound (see exchange), so nothing may block in the library.
    if (pq().PQsetnonblocking(conn_, 1) != 0) {
        noteFailure(nullptr);
        return false;
    }
    // One exchange sets the session up. A session idle inside a transaction (its till gone or cut
    // off) is ended by the server after a few seconds, and keepalives find a till that vanished,
    // so no till holds the shop's write lock for long.
    const auto setting = [](const char* name, int value) {
        return QStringLiteral("set_config('%1', '%2', false), ")
            .arg(QLatin1String(name))
            .arg(value);
    };
    const QString sql =
        QStringLiteral("select ") + setting("lock_timeout", lockWaitMs_) +
        setting("statement_timeout", limits_.statementMs) +
        setting("idle_in_transaction_session_timeout", limits_.idleInTransactionMs) +
        setting("tcp_keepalives_idle", 10) + setting("tcp_keepalives_interval", 3) +
        setting("tcp_keepalives_count", 3) +
        (readOnly_ ? QStringLiteral("set_config('default_transaction_read_only', 'on', false), ")
                   : QString()) +
        QStringLiteral(
            "pg_backend_pid(), (select backend_start::text from pg_stat_activity "
            "where pid = pg_backend_pid())");
    pg_result* r = run(sql, {}, false);
    if (r == nullptr) {
        return false;
    }
    const int last = pq().PQnfields(r) - 1;
    sessionPid_ = std::atoi(pq().PQgetvalue(r, 0, last - 1));
    sessionStart_ = QString::fromUtf8(pq().PQgetvalue(r, 0, last));
    pq().PQclear(r);
    return true;
}

bool PostgresConnection::reconnect() {
    QString why;
    DbFault f = DbFault::None;
    pg_conn* conn = connect(url_, limits_.connectMs, &why, &f);
    if (conn == nullptr) {
        fault_ = DbFault::Unreachable;
        message_ = why;
        return false;
    }
    pq().PQfinish(conn_);
    conn_ = conn;
    dateTimeColumnsLoaded_ = false;
    return prepareSession();
}

bool PostgresConnection::ensureConnected() {
    if (broken_) {
        fault_ = DbFault::Unreachable;
        message_ = QStringLiteral("the connection was lost inside the transaction");
        return false;
    }
    if (pq().PQstatus(conn_) != CONNECTION_OK) {
        if (inTransaction_) {
            // The transaction went with the connection: nothing of it may go on without it.
            lost();
            return false;
        }
        if (!reconnect()) {
            return false;
        }
    }
    return lostPid_ == 0 || endLostSession();
}

void PostgresConnection::lost() {
    if (inTransaction_) {
        broken_ = true;
    }
    if (lostPid_ == 0 && sessionPid_ != 0) {
        lostPid_ = sessionPid_;
        lostStart_ = sessionStart_;
    }
}

bool PostgresConnection::endLostSession() {
    // Asked on this new session: the old one may be idle in its transaction (the till's end
    // went away, or its last message is held up on the way), and its commit could still arrive.
    // Ended and gone, it can do nothing more, so what is read from now on is final.
    const QString pid = QString::number(lostPid_);
    const QString sql =
        QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where pid = ") +
        pid + QStringLiteral(" and backend_start::text = '") + sqlText(lostStart_) +
        QStringLiteral("'");
    const int oldPid = lostPid_;
    const QString oldStart = lostStart_;
    lostPid_ = 0;  // the statements below run on this session
    DatabaseWait wait(DatabaseWaitKind::Server);
    const QDeadlineTimer deadline(limits_.sessionEndMs);
    for (;;) {
        pg_result* r = run(sql, {}, false);
        const bool gone = r != nullptr && pq().PQntuples(r) == 0;
        pq().PQclear(r);
        if (gone) {
            return true;
        }
        if (r == nullptr || deadline.hasExpired() || !wait.progress()) {
            break;
        }
        ::poll(nullptr, 0, 20);
    }
    // Still to be seen gone before the next statement.
    lostPid_ = oldPid;
    lostStart_ = oldStart;
    fault_ = DbFault::Unreachable;
    message_ = QStringLiteral("the lost session %1 could not be ended").arg(oldPid);
    return false;
}

void PostgresConnection::noteFailure(pg_result* result) {
    message_ = QString::fromUtf8(pq().PQerrorMessage(conn_)).trimmed();
    // Only the server's own errors carry its severity; libpq's (a lost connection) don't.
    serverAnswered_ =
        result != nullptr && pq().PQresultErrorField(result, PG_DIAG_SEVERITY_NONLOCALIZED);
    if (pq().PQstatus(conn_) != CONNECTION_OK) {
        fault_ = DbFault::Unreachable;
    } else {
        fault_ = faultFromState(
            result != nullptr ? pq().PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr);
    }
    if (fault_ == DbFault::Unreachable) {
        lost();
    }
}

pg_result* PostgresConnection::run(const QString& sql, const std::vector<DbParam>& params,
                                   bool translate) {
    if (databaseWaitReentered()) {
        fault_ = DbFault::Locked;
        message_ = QStringLiteral("another statement is waiting");
        return nullptr;
    }
    const QByteArray text = (translate ? translateJetSqlForServer(sql, jetNowDay()) : sql).toUtf8();
    std::vector<QByteArray> values;
    std::vector<const char*> pointers;
    std::vector<int> lengths;
    std::vector<int> formats;
    values.reserve(params.size());
    for (const DbParam& p : params) {
        values.push_back(p.isBytes() ? p.bytesValue() : p.textValue().toUtf8());
        pointers.push_back(values.back().constData());
        lengths.push_back(static_cast<int>(values.back().size()));
        formats.push_back(p.isBytes() ? 1 : 0);
    }
    // A statement that finds the connection lost outside a transaction is tried once more on a
    // new connection: the server may have been restarted meanwhile.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ensureConnected()) {
            fault_ = DbFault::Unreachable;
            message_ = QString::fromUtf8(pq().PQerrorMessage(conn_)).trimmed();
            return nullptr;
        }
        const bool wasInTransaction = inTransaction_;
        pg_result* result = exchange(text.constData(), static_cast<int>(params.size()),
                                     pointers.data(), lengths.data(), formats.data());
        const ExecStatusType status = pq().PQresultStatus(result);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
            fault_ = DbFault::None;
            message_.clear();
            return result;
        }
        noteFailure(result);
        pq().PQclear(result);
        // An abandoned statement may have been done: it is never sent twice.
        if (fault_ != DbFault::Unreachable || wasInTransaction || abandoned_) {
            return nullptr;
        }
    }
    return nullptr;
}

pg_result* PostgresConnection::exchange(const char* text, int count, const char* const* values,
                                        const int* lengths, const int* formats) {
    constexpr int kSliceMs = 50;
    abandoned_ = false;
    if (pq().PQsendQueryParams(conn_, text, count, nullptr, values, lengths, formats, 0) == 0) {
        return nullptr;
    }
    DatabaseWait wait(DatabaseWaitKind::Server);
    const QDeadlineTimer deadline(limits_.statementMs + limits_.answerMarginMs);
    pg_result* kept = nullptr;
    for (;;) {
        const int unsent = pq().PQflush(conn_);
        if (unsent < 0 || (unsent == 0 && pq().PQconsumeInput(conn_) == 0)) {
            break;
        }
        if (unsent == 0 && pq().PQisBusy(conn_) == 0) {
            pg_result* r = pq().PQgetResult(conn_);
            if (r == nullptr) {
                return kept;
            }
            // The first failure is the statement's; what follows it only repeats it.
            const ExecStatusType status = pq().PQresultStatus(kept);
            if (kept == nullptr || status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
                pq().PQclear(kept);
                kept = r;
            } else {
                pq().PQclear(r);
            }
            continue;
        }
        if (deadline.hasExpired()) {
            abandon();
            break;
        }
        pollfd socket{pq().PQsocket(conn_), static_cast<short>(POLLIN | (unsent ? POLLOUT : 0)), 0};
        const int slice = static_cast<int>(std::min<qint64>(kSliceMs, deadline.remainingTime()));
        const int ready = ::poll(&socket, 1, std::max(slice, 0));
        if (ready < 0 && errno != EINTR) {
            abandon();
            break;
        }
        if (ready == 0 && !wait.progress()) {
            abandon();
            break;
        }
    }
    pq().PQclear(kept);
    return nullptr;
}

void PostgresConnection::abandon() {
    abandoned_ = true;
    lost();
    // The server is asked to stop the statement on a connection of its own, which may hang as
    // this one did; so it is asked from a thread nobody waits for.
    if (PGcancel* cancel = pq().PQgetCancel(conn_)) {
        std::thread([cancel] {
            char why[256];
            pq().PQcancel(cancel, why, sizeof why);
            pq().PQfreeCancel(cancel);
        }).detach();
    }
    // Closing our end ends the server's transaction (and frees the write lock) as soon as the
    // server hears of it; the connection is made anew at the next statement.
    ::shutdown(pq().PQsocket(conn_), SHUT_RDWR);
    pq().PQconsumeInput(conn_);
}

bool PostgresConnection::executeNative(const QString& sql) {
    pg_result* r = run(sql, {}, false);
    pq().PQclear(r);
    return r != nullptr;
}

bool PostgresConnection::execute(const QString& sql, const std::vector<DbParam>& params) {
    pg_result* r = run(sql, params, true);
    pq().PQclear(r);
    return r != nullptr;
}

bool PostgresConnection::loadDateTimeColumns() {
    pg_result* r = run(QStringLiteral("select a.attrelid, a.attnum from pg_attribute a join "
                                      "pg_type t on t.oid = a.atttypid where t.typname = "
                                      "'jet_datetime' and not a.attisdropped"),
                       {}, false);
    if (r == nullptr) {
        return false;
    }
    dateTimeColumns_.clear();
    for (int row = 0; row < pq().PQntuples(r); ++row) {
        dateTimeColumns_.insert(
            {static_cast<unsigned>(std::strtoul(pq().PQgetvalue(r, row, 0), nullptr, 10)),
             std::atoi(pq().PQgetvalue(r, row, 1))});
    }
    pq().PQclear(r);
    dateTimeColumnsLoaded_ = true;
    return true;
}

std::unique_ptr<RecordSet> PostgresConnection::query(const QString& sql) {
    if (!dateTimeColumnsLoaded_ && !loadDateTimeColumns()) {
        return nullptr;
    }
    pg_result* r = run(sql, {}, true);
    if (r == nullptr) {
        return nullptr;
    }
    const int count = pq().PQnfields(r);
    std::vector<DbColumn> columns(static_cast<std::size_t>(count));
    for (int c = 0; c < count; ++c) {
        DbColumn& col = columns[static_cast<std::size_t>(c)];
        col.name = canonicalColumnName(QString::fromUtf8(pq().PQfname(r, c)));
        col.kind = kindOf(pq().PQftype(r, c));
        const Oid table = pq().PQftable(r, c);
        if (table != InvalidOid &&
            dateTimeColumns_.contains({static_cast<unsigned>(table), pq().PQftablecol(r, c)})) {
            col.kind = DbValue::Kind::DateTime;
        }
    }
    auto records = std::make_unique<RecordSet>(columns);
    const int rows = pq().PQntuples(r);
    for (int row = 0; row < rows; ++row) {
        for (int c = 0; c < count; ++c) {
            if (pq().PQgetisnull(r, row, c)) {
                records->appendNull();
                continue;
            }
            const char* value = pq().PQgetvalue(r, row, c);
            const int length = pq().PQgetlength(r, row, c);
            switch (columns[static_cast<std::size_t>(c)].kind) {
                case DbValue::Kind::Int:
                    records->appendInteger(std::strtoll(value, nullptr, 10));
                    break;
                case DbValue::Kind::Bool:
                    records->appendInteger(value[0] == 't' ? 1 : 0);
                    break;
                case DbValue::Kind::Double:
                case DbValue::Kind::DateTime:
                    records->appendNumber(std::strtod(value, nullptr));
                    break;
                case DbValue::Kind::Bytes: {
                    std::size_t size = 0;
                    unsigned char* bytes =
                        pq().PQunescapeBytea(reinterpret_cast<const unsigned char*>(value), &size);
                    records->appendBytes(reinterpret_cast<const char*>(bytes),
                                         static_cast<int>(size));
                    pq().PQfreemem(bytes);
                    break;
                }
                default:
                    records->appendBytes(value, length);
                    break;
            }
        }
    }
    pq().PQclear(r);
    records->finish();
    return records;
}

bool PostgresConnection::beginTransaction() {
    if (inTransaction_) {
        return true;
    }
    if (!executeNative(QStringLiteral("begin"))) {
        return false;
    }
    inTransaction_ = true;
    // Taken at once, as the file's BEGIN IMMEDIATE: the lock waits at most lockWaitMs_.
    // Per schema: the program's tables of another shop in the same database don't wait for it.
    if (!executeNative(QStringLiteral("select pg_advisory_xact_lock(") +
                       QString::number(kWriteLock) +
                       QStringLiteral(", hashtext(current_schema()))"))) {
        const DbFault why = fault_;
        const QString message = message_;
        rollbackTransaction();
        fault_ = why;
        message_ = message;
        return false;
    }
    return true;
}

bool PostgresConnection::commitTransaction() {
    if (!inTransaction_) {
        fault_ = DbFault::Other;
        return false;
    }
    // A connection already lost never sent the commit; one lost while the commit was out may
    // have lost only the answer, unless the server's own error came back (it ended the
    // transaction before the commit reached it).
    // What the server sent meanwhile (its shutdown, then the socket closed) is read first; a
    // read that finds data stops short of the end, so a few are made.
    for (int i = 0; i < 3 && pq().PQconsumeInput(conn_) == 1; ++i) {
    }
    const bool sent = pq().PQstatus(conn_) == CONNECTION_OK && !broken_;
    pg_result* r = run(QStringLiteral("commit"), {}, false);
    inTransaction_ = false;
    broken_ = false;
    if (r == nullptr) {
        if (sent && fault_ == DbFault::Unreachable && !serverAnswered_) {
            fault_ = DbFault::CommitUnknown;
        }
        return false;
    }
    // A transaction that had failed ends in a rollback, which the server reports as success.
    const bool committed = QByteArray(pq().PQcmdStatus(r)) == "COMMIT";
    pq().PQclear(r);
    if (!committed) {
        fault_ = DbFault::Other;
    }
    return committed;
}

bool PostgresConnection::rollbackTransaction() {
    const bool was = inTransaction_;
    inTransaction_ = false;
    if (!was || broken_ || pq().PQstatus(conn_) != CONNECTION_OK) {
        broken_ = false;
        // Nothing to undo, or the server dropped the transaction with the connection.
        fault_ = DbFault::None;
        return true;
    }
    pg_result* r = exchange("rollback", 0, nullptr, nullptr, nullptr);
    const bool ok = pq().PQresultStatus(r) == PGRES_COMMAND_OK;
    pq().PQclear(r);
    fault_ = ok ? DbFault::None : DbFault::Other;
    return ok;
}

void PostgresConnection::setStatementLimit(int milliseconds) {
    limits_.statementMs = milliseconds;
    executeNative(QStringLiteral("set statement_timeout = ") + QString::number(milliseconds));
}

void PostgresConnection::setLockWait(int milliseconds) {
    lockWaitMs_ = milliseconds;
    executeNative(QStringLiteral("set lock_timeout = ") + QString::number(milliseconds));
}

}  // namespace tillora
