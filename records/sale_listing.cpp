#include "records/sale_listing.h"

#include "data/odbcdb.h"
#include "records/records_sql.h"
#include "values/value_format.h"

namespace tillora {

QStringList SaleRow::cells() const {
    return {QString::number(id), number, time, quantity, amount, cashier, remark};
}

QString SaleListing::totalQuantityText() const {
    return doubleToText(totalQuantity);
}

QString SaleListing::totalAmountText() const {
    return doubleToText(totalAmount);
}

SaleListing SaleListing::read(ODBCDB& db, const QString& sql) {
    SaleListing listing;
    const int h = db.OpenTable(sql);
    if (h == 0) {
        listing.fault = db.lastFault();
        return listing;
    }
    listing.ok = true;
    listing.rows.reserve(static_cast<std::size_t>(db.rowCount(h)));
    for (; !db.IsEOF(h); db.MoveNext(h)) {
        SaleRow row;
        row.id = db.ReadColByName(h, QStringLiteral("ID")).toInt();
        row.number = db.ReadColByName(h, QStringLiteral("销售票号")).toText();
        row.time = db.ReadColByName(h, QStringLiteral("销售时间")).toText();
        row.quantity = db.ReadColByName(h, QStringLiteral("数量")).toText();
        row.amount = db.ReadColByName(h, QStringLiteral("金额")).toText();
        row.cashier = db.ReadColByName(h, QStringLiteral("收银员")).toText();
        row.remark = db.ReadColByName(h, QStringLiteral("备注")).toText();
        // Text that is no number counts as 0.
        listing.totalQuantity += textToDouble(row.quantity);
        listing.totalAmount += textToDouble(row.amount);
        listing.rows.push_back(std::move(row));
    }
    db.CloseTable(h);
    return listing;
}

QStringList SaleLineRow::cells() const {
    return {QString::number(id), name, quantity, unitPrice, amount, discounted};
}

std::vector<SaleLineRow> SaleLineRow::read(ODBCDB& db, int saleId, bool* ok) {
    std::vector<SaleLineRow> lines;
    const int h = db.OpenTable(records_sql::saleLines(saleId));
    if (ok != nullptr) {
        *ok = h != 0;
    }
    if (h == 0) {
        return lines;
    }
    for (; !db.IsEOF(h); db.MoveNext(h)) {
        SaleLineRow line;
        line.id = db.ReadColByName(h, QStringLiteral("ID")).toInt();
        line.name = db.ReadColByName(h, QStringLiteral("名称")).toText();
        line.quantity = db.ReadColByName(h, QStringLiteral("数量")).toText();
        line.unitPrice = db.ReadColByName(h, QStringLiteral("单价")).toText();
        line.amount = db.ReadColByName(h, QStringLiteral("金额")).toText();
        line.discounted = db.ReadColByName(h, QStringLiteral("折后")).toText();
        line.remark = db.ReadColByName(h, QStringLiteral("备注")).toText();
        lines.push_back(std::move(line));
    }
    db.CloseTable(h);
    return lines;
}

}  // namespace tillora
