#include "records/sale_editor.h"

#include "data/odbcdb.h"
#include "data/operation_trail.h"
#include "records/records_sql.h"
#include "records/sale_listing.h"
#include "sales/amount_text.h"
#include "sales/receipt.h"
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

namespace {

QString describeLine(const QString& name, const QString& quantity, const QString& unitPrice,
                     const QString& discounted) {
    return name + u' ' + quantity + QStringLiteral("×") + unitPrice + u'=' + discounted;
}

QString describeLine(const ReceiptLine& line) {
    return describeLine(line.name, line.quantity, line.unitPrice, line.discountedTotal);
}

}  // namespace

QString SaleEditor::storedLine(int lineId) const {
    for (const SaleLineRow& line : SaleLineRow::read(db_, saleId_)) {
        if (line.id == lineId) {
            return describeLine(line.name, line.quantity, line.unitPrice, line.discounted);
        }
    }
    return {};
}

QString SaleEditor::saleObject() const {
    const int h = db_.OpenTable(QStringLiteral("select 销售票号 from 销售记录 where ID=") +
                                QString::number(saleId_));
    const QString number = h != 0 && !db_.IsEOF(h) ? db_.ReadColByIndex(h, 1).toText() : QString();
    db_.CloseTable(h);
    return number.trimmed().isEmpty() ? operation_trail::object(QStringLiteral("销售记录"), saleId_)
                                      : QStringLiteral("销售票号 ") + number.trimmed();
}

QString SaleEditor::storedSale() const {
    const int h = db_.OpenTable(QStringLiteral("select 金额, 收银员 from 销售记录 where ID=") +
                                QString::number(saleId_));
    QString text;
    if (h != 0 && !db_.IsEOF(h)) {
        text = QStringLiteral("金额 %1，收银员 %2")
                   .arg(db_.ReadColByIndex(h, 1).toText().trimmed(),
                        db_.ReadColByIndex(h, 2).toText().trimmed());
    }
    db_.CloseTable(h);
    for (const SaleLineRow& line : SaleLineRow::read(db_, saleId_)) {
        text += QStringLiteral("；") +
                describeLine(line.name, line.quantity, line.unitPrice, line.discounted);
    }
    return text;
}

bool SaleEditor::changeWithTotals(const QString& statement, const TrailEntry& entry) {
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
            records_sql::updateSaleTotals(saleId_, quantity, amount, paid ? &*paid : nullptr)) ||
        !operation_trail::write(db_, entry)) {
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
    return changeWithTotals(
        records_sql::insertLine(saleId_, line, remark),
        {QStringLiteral("增加销售明细"), saleObject(), {}, describeLine(line), {}});
}

bool SaleEditor::changeLine(int lineId, const ReceiptLine& line) {
    return changeWithTotals(
        records_sql::changeLine(lineId, line),
        {QStringLiteral("修改销售明细"), saleObject(), storedLine(lineId), describeLine(line), {}});
}

bool SaleEditor::deleteLine(int lineId) {
    return changeWithTotals(
        records_sql::deleteLine(lineId),
        {QStringLiteral("删除销售明细"), saleObject(), storedLine(lineId), {}, {}});
}

bool SaleEditor::deleteSale() {
    fault_ = DbFault::None;
    return operation_trail::change(
        db_, {records_sql::deleteSale(saleId_)},
        {QStringLiteral("删除销售记录"), saleObject(), storedSale(), {}, {}}, &fault_);
}

}  // namespace tillora
