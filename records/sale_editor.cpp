#include "records/sale_editor.h"

#include "data/odbcdb.h"
#include "records/records_sql.h"
#include "records/sale_listing.h"
#include "sales/amount_text.h"
#include "sales/sale_recorder.h"
#include "values/value_format.h"

namespace tillora {

std::optional<StoredPayment> StoredPayment::read(ODBCDB& db, int saleId) {
    const int h = db.OpenTable(sale_sql::saleById(saleId));
    if (h == 0) {
        return std::nullopt;
    }
    std::optional<StoredPayment> paid;
    if (!db.IsEOF(h)) {
        // A database without the payment columns reads them empty, as older sales hold them.
        const std::optional<Cents> received =
            cents::parse(db.ReadColByName(h, QStringLiteral("实收现金")).toText().trimmed(), true);
        const std::optional<Cents> change =
            cents::parse(db.ReadColByName(h, QStringLiteral("找零")).toText().trimmed(), true);
        if (received && change) {
            paid = StoredPayment{db.ReadColByName(h, QStringLiteral("付款方式")).toText(),
                                 *received, *change};
        }
    }
    db.CloseTable(h);
    return paid;
}

Payment StoredPayment::settle(Cents total) const {
    const bool cash = isCashMethod(method);
    return Payment::settle(total, cash ? std::optional<Cents>(received) : std::nullopt, cash);
}

bool SaleEditor::totalsOfLines(ODBCDB& db, int saleId, QString* quantity, QString* amount) {
    bool ok = false;
    const std::vector<SaleLineRow> lines = SaleLineRow::read(db, saleId, &ok);
    if (!ok) {
        return false;
    }
    qint64 count = 0;
    double money = 0;
    for (const SaleLineRow& line : lines) {
        count += textToLong(line.quantity);
        money += amounts::fromText(line.discounted);
    }
    *quantity = QString::number(count);
    *amount = amounts::toText(money);
    return true;
}

bool SaleEditor::changeWithTotals(const QString& statement) {
    fault_ = DbFault::None;
    if (!db_.BeginTrans()) {
        fault_ = db_.lastFault();
        return false;
    }
    QString quantity, amount;
    const std::optional<StoredPayment> stored = StoredPayment::read(db_, saleId_);
    std::optional<Payment> paid;
    if (!db_.ExecuteSql(statement) || !totalsOfLines(db_, saleId_, &quantity, &amount)) {
        fault_ = db_.lastFault();
        db_.RollbackTrans();
        return false;
    }
    if (const std::optional<Cents> total = cents::parse(amount, true); stored && total) {
        paid = stored->settle(*total);
    }
    if (!db_.ExecuteSql(
            records_sql::updateSaleTotals(saleId_, quantity, amount, paid ? &*paid : nullptr))) {
        fault_ = db_.lastFault();
        db_.RollbackTrans();
        return false;
    }
    // A commit that fails must not be reported as a stored change.
    if (!db_.tryCommitTrans()) {
        fault_ = db_.lastFault();
        db_.RollbackTrans();
        return false;
    }
    return true;
}

bool SaleEditor::addLine(const ReceiptLine& line, const QString& remark) {
    return changeWithTotals(records_sql::insertLine(saleId_, line, remark));
}

bool SaleEditor::changeLine(int lineId, const ReceiptLine& line) {
    return changeWithTotals(records_sql::changeLine(lineId, line));
}

bool SaleEditor::deleteLine(int lineId) {
    return changeWithTotals(records_sql::deleteLine(lineId));
}

bool SaleEditor::deleteSale() {
    return db_.ExecuteSql(records_sql::deleteSale(saleId_));
}

}  // namespace tillora
