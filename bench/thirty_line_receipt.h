#pragma once

// The receipt the printing benchmarks print: thirty lines with long names, paid in cash, under
// the shop's remark.

#include <QString>

#include "sales/receipt.h"

namespace tillora::bench {

inline Receipt thirtyLineReceipt(const QString& remark) {
    Receipt r;
    r.number = QStringLiteral("1608180000042");
    r.timeText = QStringLiteral("2016-08-18  21:05:09");
    for (int i = 1; i <= 30; ++i) {
        r.lines.append({QString::number(i), QStringLiteral("商品名称第%1号（大包装）").arg(i),
                        QStringLiteral("2"), QStringLiteral("12.50"), QStringLiteral("25.00"),
                        QStringLiteral("25.00")});
    }
    r.totalQuantity = QStringLiteral("60");
    r.totalAmount = r.discountedTotal = QStringLiteral("750.00");
    r.cashReceived = QStringLiteral("800.00");
    r.change = QStringLiteral("50.00");
    r.cashier = QStringLiteral("admin");
    r.paymentMethod = QStringLiteral("现金");
    r.remark = remark;
    return r;
}

}  // namespace tillora::bench
