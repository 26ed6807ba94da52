#pragma once

#include <QString>

#include <optional>

#include "data/db_fault.h"
#include "sales/receipt_model.h"

namespace tillora {

class ODBCDB;
struct ReceiptLine;
struct TrailEntry;

// How a stored sale was paid; a sale stored before the payment columns has none.
struct StoredPayment {
    QString method;
    Cents received = 0;
    Cents change = 0;

    static std::optional<StoredPayment> read(ODBCDB& db, int saleId);
    // The payment once the sale's total is `total`: the cash taken stays and the change follows
    // it (short when the cash no longer pays the sale); other methods pay the total exactly.
    Payment settle(Cents total) const;
};

// Changes to one stored sale. A line is added, changed or deleted together with the sale's own
// 数量 and 金额, recomputed from its lines in the same transaction, and the change worked out
// again from the cash taken: the sales list and its totals read the sale row, so it must never
// disagree with the lines. Either everything is stored or nothing is.
class SaleEditor {
  public:
    SaleEditor(ODBCDB& db, int saleId) : db_(db), saleId_(saleId) {}

    bool addLine(const ReceiptLine& line, const QString& remark);
    bool changeLine(int lineId, const ReceiptLine& line);
    bool deleteLine(int lineId);
    // The sale with its lines (they go by the cascading relationship).
    bool deleteSale();

    // Sum of the lines' quantities and of their discounted amounts (the money taken, as the sale
    // row stores it); false when the lines cannot be read.
    static bool totalsOfLines(ODBCDB& db, int saleId, QString* quantity, QString* amount);

    // Why the last change failed (the rollback must not hide it).
    DbFault lastFault() const { return fault_; }

  private:
    // Every change writes its row of 操作记录 in its own transaction.
    bool changeWithTotals(const QString& statement, const TrailEntry& entry);
    QString storedLine(int lineId) const;
    QString storedSale() const;
    QString saleObject() const;

    ODBCDB& db_;
    int saleId_;
    DbFault fault_ = DbFault::None;
};

}  // namespace tillora
