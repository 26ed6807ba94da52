#pragma once

#include <QString>

#include <functional>
#include <optional>

#include "data/db_fault.h"
#include "sales/receipt.h"
#include "sales/receipt_numbering.h"

namespace tillora {

class ODBCDB;

// The statements that store and find sales; user text goes through sqlText().
namespace sale_sql {
QString newestSaleId();  // "select top 1 ID from [销售记录] order by ID desc"
QString saleById(int id);
// 销售时间 comes from the database's own clock.
QString insertHeader(const QString& number, const QString& totalQuantity, const QString& amount,
                     const QString& cashier, const QString& remark);
// The same with how the sale was paid, for a database that has the payment columns.
QString insertPaidHeader(const QString& number, const Receipt& receipt);
QString insertLine(int saleId, const ReceiptLine& line, const QString& remark);
}  // namespace sale_sql

// What reading the database again found of a sale whose commit went unanswered.
enum class SaleFound {
    Stored,   // the sale is there with all its lines
    Absent,   // not there (or its number went to another sale): it was not stored
    Unknown,  // the database could not be read
};

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
    // The number after it on the same day, for the next receipt; empty when the number was
    // not taken by numbering (the window then reads it anew).
    QString nextNumber;
    QString message;  // the message to show when not stored
    DbFault fault = DbFault::None;
    RecordFailure failure = RecordFailure::None;

    // The commit went out and nobody could tell whether it took: not stored as far as is known,
    // but never to be stored again before the database has been read (see SaleRecorder::settle).
    bool unsettled() const { return !stored && fault == DbFault::CommitUnknown; }
};

// Stores a receipt as one 销售记录 row and one 销售详情 row per line. Header and lines go in
// one transaction that takes the write lock first: a sale is stored whole or not at all, and two
// tills on one file never give one number twice. The header's 金额 is the discounted total, the
// money actually taken; the payment method, cash received and change go with it where the
// database has their columns.
//
// A commit whose answer is lost is settled by reading the sale back by its number, so that the
// cashier is told the truth and a stored sale is never stored a second time.
class SaleRecorder {
  public:
    // How long a save waits for another program's lock, and a commit for its readers.
    static constexpr int kLockWaitMs = 3000;
    static constexpr int kCommitWaitMs = 10000;
    // How long a lost commit's answer is looked for (the connection is made again meanwhile).
    static constexpr int kSettleWaitMs = 3000;
    // The same for every recorder from now on (shorter in tests).
    static void setSettleWait(int milliseconds);

    explicit SaleRecorder(ODBCDB& db) : db_(db) {}
    ~SaleRecorder();
    SaleRecorder(const SaleRecorder&) = delete;
    SaleRecorder& operator=(const SaleRecorder&) = delete;

    // Called between tries while another program holds the lock (the window keeps painting).
    void setWaiting(std::function<void()> waiting) { waiting_ = std::move(waiting); }
    // With numbering, the number is taken inside the transaction (the highest of the day + 1);
    // without, the receipt's own number is stored as it stands. format: as read with the sale's
    // settings row; without it the format is read inside the transaction.
    void setNumbering(const ReceiptNumbering* numbering,
                      std::optional<ReceiptNumberFormat> format = std::nullopt) {
        numbering_ = numbering;
        format_ = std::move(format);
    }

    // Takes the write lock and writes the sale, leaving the transaction open. stored is false;
    // on failure message names the cause and nothing stays written. A value that can't be
    // stored (ReceiptModel::storeProblem) is refused before any statement runs.
    RecordOutcome insert(const Receipt& receipt);
    // Finishes what insert() wrote; true (outcome.stored set) when the sale is stored. A commit
    // left unanswered is settled before this returns; when even that fails the outcome stays
    // unsettled().
    bool commit(RecordOutcome& outcome);
    // Reads back the sale an unsettled outcome tried to store (`receipt`, as given to insert):
    // stored, not stored, or still unsettled when the database can't be read.
    void settle(RecordOutcome& outcome, const Receipt& receipt);
    static SaleFound findSale(ODBCDB& db, const QString& number, int saleId,
                              const Receipt& receipt);
    // Undoes what insert() wrote.
    void rollback();

    RecordOutcome record(const Receipt& receipt);

    // ID of the newest sale; 0 when there is none or the query fails.
    static int newestSaleId(ODBCDB& db);

    static QString failedText() { return QStringLiteral("添加失败！"); }
    static QString lockedText() { return QStringLiteral("数据库正被占用，请稍后再试"); }
    // Never "not stored": the sale may well be there.
    static QString unsettledText(const QString& number) {
        return QStringLiteral(
                   "与数据库的连接中断，不能确定本单是否已保存！单号：%1\r\n"
                   "请勿重新录入：稍后再点保存，程序先查明，不会重复保存。")
            .arg(number);
    }
    // The failure message in the program's words, naming the cause.
    static QString failedText(DbFault fault, const QString& number = {});

  private:
    bool fail(RecordOutcome& outcome, DbFault fault);
    bool beginWriting(RecordOutcome& outcome);

    ODBCDB& db_;
    std::function<void()> waiting_;
    const ReceiptNumbering* numbering_ = nullptr;
    std::optional<ReceiptNumberFormat> format_;
    // Once seen, the payment columns stay: only a file that could not be upgraded is asked again.
    bool paymentColumns_ = false;
    bool open_ = false;
    Receipt written_;  // what insert() wrote, to settle a lost commit by
};

}  // namespace tillora
