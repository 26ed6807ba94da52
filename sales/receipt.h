#pragma once

#include <QList>
#include <QString>

namespace tillora {

// One line of the receipt, every value as the item list shows it.
struct ReceiptLine {
    QString id;               // running number in the list
    QString name;             // 商品名称
    QString quantity;         // whole number
    QString unitPrice;        // two decimals
    QString lineTotal;        // unit price x quantity
    QString discountedTotal;  // line total after the discount

    bool operator==(const ReceiptLine&) const = default;
};

// The receipt being composed in the sales entry window: what printing, the preview and
// recording read. Amounts are texts with two decimals, quantities whole-number texts.
struct Receipt {
    QString number;    // 销售票号
    QString timeText;  // "yyyy-MM-dd  HH:mm:ss" as the window shows it
    QList<ReceiptLine> lines;
    QString totalQuantity;
    QString totalAmount;      // sum of the line totals
    QString discountedTotal;  // sum of the discounted totals
    QString cashReceived;
    QString change;
    QString cashier;
    QString paymentMethod;
    QString remark;
    QString customer;  // empty when the customer tick is off
    QString phone;     // empty when the phone tick is off
    // A stored sale printed again: the paper says so, so it is never taken for a second sale.
    bool reprint = false;

    bool operator==(const Receipt&) const = default;
};

}  // namespace tillora
