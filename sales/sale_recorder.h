#pragma once

#include <QString>

#include "sales/receipt.h"

namespace tillora {

class ODBCDB;

// The statements that store and find sales; user text goes through sqlText().
namespace sale_sql {
QString newestSaleId();  // "select top 1 ID from [销售记录] order by ID desc"
QString saleById(int id);
// 销售时间 comes from the database's own clock.
QString insertHeader(const QString& number, const QString& totalQuantity, const QString& amount,
                     const QString& cashier, const QString& remark);
QString insertLine(int saleId, const ReceiptLine& line, const QString& remark);
}  // namespace sale_sql

// What recording a receipt came to.
struct RecordOutcome {
    bool stored = false;
    int saleId = 0;   // the new 销售记录 ID when stored
    QString message;  // the message to show when not stored
};

// Stores a receipt as one 销售记录 row and one 销售详情 row per line. Header and lines go in
// one transaction: a sale is stored whole or not at all, so a failure half way never leaves a
// header with only some of its lines. The header's 金额 is the discounted total, the money
// actually taken.
class SaleRecorder {
  public:
    static constexpr int kTextColumnLength = 50;

    explicit SaleRecorder(ODBCDB& db) : db_(db) {}

    // The message for the first value too long for its column; empty when everything fits.
    // Checked before any statement runs, so the user learns which field to shorten.
    static QString lengthProblem(const Receipt& receipt);

    RecordOutcome record(const Receipt& receipt);

    // ID of the newest sale; 0 when there is none or the query fails.
    static int newestSaleId(ODBCDB& db);

    static QString failedText() { return QStringLiteral("添加失败！"); }

  private:
    ODBCDB& db_;
};

}  // namespace tillora
