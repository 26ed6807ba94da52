#include "records/sale_reprint.h"
#include "data/operation_trail.h"

#include <QDate>
#include <QTime>

#include "data/odbcdb.h"
#include "data/settings_record.h"
#include "forms/services/message_service.h"
#include "platform/jet_date.h"
#include "records/sale_listing.h"
#include "sales/amount_text.h"
#include "sales/receipt_printer.h"
#include "sales/sale_recorder.h"
#include "sales/sales_texts.h"

namespace tillora {

std::optional<Receipt> SaleReprint::receiptOf(ODBCDB& db, int saleId) {
    const int h = db.OpenTable(sale_sql::saleById(saleId));
    if (h == 0 || db.IsEOF(h)) {
        db.CloseTable(h);
        return std::nullopt;
    }
    Receipt r;
    r.reprint = true;
    r.number = db.ReadColByName(h, QStringLiteral("销售票号")).toText();
    QDate date;
    QTime time;
    splitJetDay(db.ReadColByName(h, QStringLiteral("销售时间")).toDouble(), date, time);
    // The same form the sales entry window prints.
    r.timeText = date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("  ") +
                 time.toString(QStringLiteral("HH:mm:ss"));
    r.totalQuantity = db.ReadColByName(h, QStringLiteral("数量")).toText();
    r.discountedTotal = db.ReadColByName(h, QStringLiteral("金额")).toText();
    r.cashier = db.ReadColByName(h, QStringLiteral("收银员")).toText();
    r.remark = db.ReadColByName(h, QStringLiteral("备注")).toText();
    // Empty for a sale stored before these were kept (and on a file without their columns).
    r.paymentMethod = db.ReadColByName(h, QStringLiteral("付款方式")).toText();
    r.cashReceived = db.ReadColByName(h, QStringLiteral("实收现金")).toText();
    r.change = db.ReadColByName(h, QStringLiteral("找零")).toText();
    db.CloseTable(h);

    bool ok = false;
    const std::vector<SaleLineRow> lines = SaleLineRow::read(db, saleId, &ok);
    if (!ok) {
        return std::nullopt;
    }
    double total = 0;
    int n = 0;
    for (const SaleLineRow& line : lines) {
        r.lines.append({QString::number(++n), line.name, line.quantity, line.unitPrice, line.amount,
                        line.discounted});
        total += amounts::fromText(line.amount);
    }
    r.totalAmount = amounts::toText(total);
    return r;
}

bool SaleReprint::print(Printer& printer, ODBCDB& db, int saleId) {
    const std::optional<Receipt> receipt = receiptOf(db, saleId);
    if (!receipt) {
        showMessage(sales_text::queryFailed());
        return false;
    }
    if (receipt->lines.isEmpty()) {
        showMessage(QStringLiteral("没有可以打印的数据！"));
        return false;
    }
    SettingsRecord settings;
    if (!readSettingsRecord(db, settings)) {
        showMessage(sales_text::queryFailed());
        return false;
    }
    const bool printed = ReceiptPrinter::print(
        printer, *receipt, ReceiptPrinter::Options::from(settings), ReceiptPrinter::logoFrom(db));
    if (printed) {
        operation_trail::note(db, {QStringLiteral("重印"),
                                   QStringLiteral("销售票号 ") + receipt->number,
                                   {},
                                   QStringLiteral("金额 ") + receipt->discountedTotal,
                                   {}});
    }
    return printed;
}

}  // namespace tillora
