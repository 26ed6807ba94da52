#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "data/db_fault.h"

namespace tillora {

class ODBCDB;

// One 销售记录 row as the sales list shows it.
struct SaleRow {
    int id = 0;
    QString number;
    QString time;  // the date-time text ("2016年8月18日20时55分36秒")
    QString quantity;
    QString amount;
    QString cashier;
    QString remark;

    QStringList cells() const;
};

// The rows of one search with their totals. A statement that fails gives no rows.
struct SaleListing {
    std::vector<SaleRow> rows;
    bool ok = false;
    DbFault fault = DbFault::None;  // why it failed
    double totalQuantity = 0;
    double totalAmount = 0;

    // Totals as number text: 30.3, 12 ("%.13g").
    QString totalQuantityText() const;
    QString totalAmountText() const;

    static SaleListing read(ODBCDB& db, const QString& sql);
};

// One 销售详情 row.
struct SaleLineRow {
    int id = 0;
    QString name;
    QString quantity;
    QString unitPrice;
    QString amount;
    QString discounted;
    QString remark;

    QStringList cells() const;  // 序号, 名称, 数量, 单价, 金额, 折后
    static std::vector<SaleLineRow> read(ODBCDB& db, int saleId, bool* ok = nullptr);
};

}  // namespace tillora
