#pragma once

#include <QString>

#include <functional>

#include "data/db_fault.h"
#include "sales/receipt.h"

namespace tillora {

class ODBCDB;
class ReceiptNumbering;

// The statements that store and find sales; user text goes through sqlText().
namespace sale_sql {
QString newestSaleId();  // "select top 1 ID from [销售记录] order by ID desc"
QString saleById(int id);
// 销售时间 comes from the database's own clock.
QString insertHeader(const QString& number, const QString& totalQuantity, const QString& amount,
                     const QString& cashier, const QString& remark);
QString insertLine(int saleId, const ReceiptLine& line, const QString& remark);
}  // namespace sale_sql

// Whose a failed recording is to mend.
enum class RecordFailure {
    None,
    Value,     // a value of the receipt can't be stored: the cashier changes it
    Database,  // the database refused or failed the statements
};

// What recording a receipt came to.
struct RecordOutcome {
    bool stored = false;  // committed (after insert(): written, waiting for the commit)
    int saleId = 0;       // the new 销售记录 ID
    QString number;       // the 销售票号 actually stored
    QString message;      // the message to show when not stored
    DbFault fault = DbFault::None;
    RecordFailure failure = RecordFailure::None;
};

// Stores a receipt as one 销售记录 row and one 销售详情 row per line. Header and lines go in
// one transaction that takes the write lock first: a sale is stored whole or not at all, and two
// tills on one file never give one number twice. The header's 金额 is the discounted total, the
// money actually taken.
//
// Printing splits the recording: insert() holds the lock with the sale written, the receipt is
// printed with the number stored, then commit() (or rollback() when printing failed), so that a
// receipt is never handed out for a sale that could not be stored.
class SaleRecorder {
  public:
    static constexpr int kTextColumnLength = 50;
    // How long a save waits for another program's lock, and a commit for its readers.
    static constexpr int kLockWaitMs = 3000;
    static constexpr int kCommitWaitMs = 10000;

    explicit SaleRecorder(ODBCDB& db) : db_(db) {}
    ~SaleRecorder();
    SaleRecorder(const SaleRecorder&) = delete;
    SaleRecorder& operator=(const SaleRecorder&) = delete;

    // Called between tries while another program holds the lock (the window keeps painting).
    void setWaiting(std::function<void()> waiting) { waiting_ = std::move(waiting); }
    // With numbering, the number is taken inside the transaction (the highest of the day + 1);
    // without, the receipt's own number is stored as it stands.
    void setNumbering(const ReceiptNumbering* numbering) { numbering_ = numbering; }

    // The message for the first value too long for its column, or holding a character that
    // can't be stored; empty when everything fits. Checked before any statement runs, so the
    // user learns which field to mend.
    static QString lengthProblem(const Receipt& receipt);

    // Takes the write lock and writes the sale, leaving the transaction open. stored is false;
    // on failure message names the cause and nothing stays written.
    RecordOutcome insert(const Receipt& receipt);
    // Finishes what insert() wrote; true (outcome.stored set) when the sale is stored.
    bool commit(RecordOutcome& outcome);
    // Undoes what insert() wrote.
    void rollback();

    RecordOutcome record(const Receipt& receipt);

    // ID of the newest sale; 0 when there is none or the query fails.
    static int newestSaleId(ODBCDB& db);

    static QString failedText() { return QStringLiteral("添加失败！"); }
    static QString lockedText() { return QStringLiteral("数据库正被占用，请稍后再试"); }
    // The failure message in the program's words, naming the cause.
    static QString failedText(DbFault fault, const QString& number = {});

  private:
    bool fail(RecordOutcome& outcome, DbFault fault);
    bool beginWriting(RecordOutcome& outcome);

    ODBCDB& db_;
    std::function<void()> waiting_;
    const ReceiptNumbering* numbering_ = nullptr;
    bool open_ = false;
};

}  // namespace tillora
