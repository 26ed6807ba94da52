#include "data/odbcdb.h"

#include "data/database_fault_log.h"
#include "data/postgres_driver.h"

#include <limits>
#include <utility>

namespace tillora {

namespace {

// Exact: case and every character count, so the UTF-16 units are compared as they are. A
// plain loop: column names are a few units long, shorter than a call to memcmp is worth.
bool sameName(const QString& a, const QString& b) {
    const qsizetype n = a.size();
    if (n != b.size()) {
        return false;
    }
    const QChar* x = a.constData();
    const QChar* y = b.constData();
    for (qsizetype i = 0; i < n; ++i) {
        if (x[i] != y[i]) {
            return false;
        }
    }
    return true;
}

bool namesUnique(const std::vector<DbColumn>& columns) {
    for (std::size_t i = 1; i < columns.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (sameName(columns[i].name, columns[j].name)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

ODBCDB::ODBCDB(std::shared_ptr<DatabaseDriver> driver)
    : driver_(driver ? std::move(driver) : std::make_shared<SelectingDriver>()) {}

ODBCDB::~ODBCDB() {
    CloseDatabase();
}

QString ODBCDB::accessConnectString(const QString& path, const QString& user,
                                    const QString& password) {
    QString s = QStringLiteral("ODBC;DBQ=") + path;
    const qsizetype lastBackslash = path.lastIndexOf(u'\\');
    if (lastBackslash >= 0) {
        s += QStringLiteral(";DefaultDir=") + path.left(lastBackslash);
    }
    s += QStringLiteral(";Driver={Microsoft Access Driver (*.mdb)};FIL=MS Access");
    if (!user.isEmpty()) {
        s += QStringLiteral(";UID=") + user;
    }
    if (!password.isEmpty()) {
        s += QStringLiteral(";PWD=") + password;
    }
    s += u';';
    return s;
}

bool ODBCDB::OpenMdbDatabase(const QString& path, const QString& user, const QString& password,
                             bool readOnly, bool noPrompt) {
    return NewOpenDatabase(accessConnectString(path, user, password), readOnly, noPrompt);
}

bool ODBCDB::NewOpenDatabase(const QString& connectString, bool readOnly, bool /*noPrompt*/) {
    // The embedded driver never prompts, so the no-prompt choice changes nothing here; an empty
    // string (which would ask the user to choose a source) simply fails.
    if (connectString.isEmpty()) {
        fault_ = DbFault::Missing;
        return false;
    }
    DbFault why = DbFault::Other;
    std::unique_ptr<DatabaseConnection> connection =
        driver_->connect(connectString, readOnly, &why);
    if (!connection) {
        fault_ = why;
        return false;
    }
    fault_ = DbFault::None;
    CloseDatabase();
    connection_ = std::move(connection);
    connectString_ = QStringLiteral("ODBC;") + connection_->connectString();
    return true;
}

void ODBCDB::CloseDatabase() {
    if (!connection_) {
        return;
    }
    CloseTable();
    connection_.reset();  // an unfinished transaction is rolled back with the connection
    connectString_.clear();
    inTransaction_ = false;
}

bool ODBCDB::noted(bool ok, const QString& sql, const std::vector<DbParam>& params) {
    fault_ = ok ? DbFault::None : connection_->lastFault();
    if (!ok) {
        logDatabaseFault(fault_, connection_->lastMessage(), sql, params);
    }
    return ok;
}

void ODBCDB::setLockWait(int milliseconds) {
    if (connection_) {
        connection_->setLockWait(milliseconds);
    }
}

bool ODBCDB::BeginTrans() {
    if (!connection_ || !connection_->supportsTransactions()) {
        return false;
    }
    if (inTransaction_) {
        return true;  // auto-commit is already off
    }
    inTransaction_ = noted(connection_->beginTransaction(), QStringLiteral("begin"));
    return inTransaction_;
}

void ODBCDB::CommitTrans() {
    if (!tryCommitTrans() && inTransaction_) {
        // A commit that cannot finish must not leave the connection inside the transaction.
        const DbFault why = fault_;
        RollbackTrans();
        fault_ = why;
    }
}

bool ODBCDB::tryCommitTrans() {
    if (!connection_ || !inTransaction_) {
        return false;
    }
    if (noted(connection_->commitTransaction(), QStringLiteral("commit"))) {
        inTransaction_ = false;
        return true;
    }
    if (fault_ != DbFault::Locked) {
        const DbFault why = fault_;
        connection_->rollbackTransaction();
        inTransaction_ = false;
        fault_ = why;
    }
    return false;
}

bool ODBCDB::RollbackTrans() {
    if (!connection_ || !inTransaction_) {
        return false;
    }
    inTransaction_ = false;
    return noted(connection_->rollbackTransaction(), QStringLiteral("rollback"));
}

int ODBCDB::OpenTable(const QString& sql) {
    if (sql.isEmpty() || !connection_) {
        return 0;
    }
    Slot* free = nullptr;
    for (Slot& slot : slots_) {
        if (slot.handle == 0) {
            free = &slot;
            break;
        }
    }
    if (free == nullptr) {
        return 0;
    }
    std::unique_ptr<RecordSet> records = connection_->query(sql);
    if (!noted(records != nullptr, sql)) {
        return 0;
    }
    // Handles are not reused while the connection lives, so a stale handle finds nothing.
    do {
        lastHandle_ = lastHandle_ == std::numeric_limits<int>::max() ? 1 : lastHandle_ + 1;
    } while (findSlot(lastHandle_) != nullptr);
    free->handle = lastHandle_;
    free->uniqueNames = namesUnique(records->columns());
    free->nextColumn = 0;
    free->records = std::move(records);
    free->row = 0;
    return free->handle;
}

void ODBCDB::CloseTable() {
    for (Slot& slot : slots_) {
        slot = Slot{};
    }
}

void ODBCDB::CloseTable(int handle) {
    if (Slot* slot = findSlot(handle)) {
        *slot = Slot{};
    }
}

const ODBCDB::Slot* ODBCDB::findSlot(int handle) const {
    if (handle == 0) {
        return nullptr;
    }
    // A walk over a record set asks for the same handle several times per row.
    if (slots_[lastSlot_].handle == handle) {
        return &slots_[lastSlot_];
    }
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].handle == handle) {
            lastSlot_ = i;
            return &slots_[i];
        }
    }
    return nullptr;
}

ODBCDB::Slot* ODBCDB::findSlot(int handle) {
    return const_cast<Slot*>(std::as_const(*this).findSlot(handle));
}

bool ODBCDB::IsEOF(int handle) const {
    const Slot* slot = findSlot(handle);
    return slot == nullptr || slot->row >= slot->records->rowCount();
}

void ODBCDB::MoveFirst(int handle) {
    if (Slot* slot = findSlot(handle)) {
        slot->row = 0;
    }
}

void ODBCDB::MoveNext(int handle) {
    Slot* slot = findSlot(handle);
    if (slot != nullptr && slot->row < slot->records->rowCount()) {
        ++slot->row;
    }
}

DbValue ODBCDB::ReadColByName(int handle, const QString& name) const {
    const Slot* slot = findSlot(handle);
    if (slot == nullptr) {
        return {};
    }
    const auto& columns = slot->records->columns();
    std::size_t at = slot->nextColumn;
    if (!slot->uniqueNames || at >= columns.size() || !sameName(columns[at].name, name)) {
        at = 0;
        while (at < columns.size() && !sameName(columns[at].name, name)) {
            ++at;
        }
        if (at == columns.size()) {
            return {};
        }
    }
    slot->nextColumn = at + 1 == columns.size() ? 0 : at + 1;
    return slot->row < slot->records->rowCount() ? slot->records->cell(slot->row, at) : DbValue();
}

DbValue ODBCDB::ReadColByIndex(int handle, int position) const {
    const Slot* slot = findSlot(handle);
    if (slot == nullptr || position < 1 ||
        position > static_cast<int>(slot->records->columns().size()) ||
        slot->row >= slot->records->rowCount()) {
        return {};
    }
    return slot->records->cell(slot->row, static_cast<std::size_t>(position - 1));
}

bool ODBCDB::ExecuteSql(const QString& sql, const std::vector<DbParam>& params) {
    if (sql.isEmpty() || !connection_) {
        return false;
    }
    return noted(connection_->execute(sql, params), sql, params);
}

int ODBCDB::openRecordSetCount() const {
    int n = 0;
    for (const Slot& slot : slots_) {
        n += slot.handle != 0 ? 1 : 0;
    }
    return n;
}

QStringList ODBCDB::columnNames(int handle) const {
    QStringList names;
    if (const Slot* slot = findSlot(handle)) {
        for (const DbColumn& c : slot->records->columns()) {
            names.append(c.name);
        }
    }
    return names;
}

int ODBCDB::rowCount(int handle) const {
    const Slot* slot = findSlot(handle);
    return slot == nullptr ? 0 : static_cast<int>(slot->records->rowCount());
}

bool executeInOneTransaction(ODBCDB& db, const QStringList& statements) {
    if (!db.BeginTrans()) {
        return false;
    }
    for (const QString& statement : statements) {
        if (!db.ExecuteSql(statement)) {
            db.RollbackTrans();
            return false;
        }
    }
    if (!db.tryCommitTrans()) {
        if (db.inTransaction()) {
            db.RollbackTrans();
        }
        return false;
    }
    return true;
}

}  // namespace tillora
