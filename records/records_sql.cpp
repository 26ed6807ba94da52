#include "records/records_sql.h"

#include <QStringList>

#include "data/sql_text.h"
#include "sales/receipt.h"
#include "sales/sale_recorder.h"

namespace tillora::records_sql {

namespace {

QString range(const QDate& from, const QDate& to) {
    return QStringLiteral("销售时间 between #") + dateText(from) +
           QStringLiteral("  00:00:00# and #") + dateText(to) + QStringLiteral("  23:59:59#");
}

QString newestFirst() {
    return QStringLiteral(" order by [销售时间] desc");
}

}  // namespace

QString dateText(const QDate& date) {
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString listing(const QDate& from, const QDate& to) {
    return QStringLiteral("select * from [销售记录] where [销售时间] between #") + dateText(from) +
           QStringLiteral("  00:00:00# and #") + dateText(to) + QStringLiteral("  23:59:59#") +
           newestFirst();
}

QString query(const SalesQuery& q) {
    QStringList where;
    if (q.byDate) {
        where.append(range(q.from, q.to));
    }
    QString sql;
    if (q.mode == SalesQuery::Mode::Fuzzy) {
        QStringList any;
        if (q.byAmount) {
            any.append(QStringLiteral("金额 like '%") + sqlText(q.amount) + QStringLiteral("%'"));
        }
        if (q.byQuantity) {
            any.append(QStringLiteral("数量 like '%") + sqlText(q.quantity) + QStringLiteral("%'"));
        }
        if (q.byCashier) {
            any.append(QStringLiteral("收银员 like '%") + sqlText(q.cashier) +
                       QStringLiteral("%'"));
        }
        if (!any.isEmpty()) {
            where.append(QLatin1Char('(') + any.join(QStringLiteral(" or ")) + QLatin1Char(')'));
        }
        sql = QStringLiteral("SELECT * FROM 销售记录");
        if (!where.isEmpty()) {
            sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral("  And "));
        }
    } else {
        if (q.byQuantity) {
            where.append(QStringLiteral("数量='") + sqlText(q.quantity) + QStringLiteral("'"));
        }
        if (q.byAmount) {
            where.append(QStringLiteral("金额='") + sqlText(q.amount) + QStringLiteral(" '"));
        }
        if (q.byCashier) {
            where.append(QStringLiteral("收银员='") + sqlText(q.cashier) + QStringLiteral(" '"));
        }
        sql = QStringLiteral("select * from  销售记录 ");
        if (!where.isEmpty()) {
            sql += QStringLiteral(" where ") + where.join(QStringLiteral("  and "));
        }
    }
    return sql + newestFirst();
}

QString numberSearch(const QString& text) {
    return QStringLiteral("select * from 销售记录 where 销售票号 like '%") + sqlText(text) +
           QStringLiteral("%'") + newestFirst();
}

QString saleLines(int saleId) {
    return QStringLiteral("SELECT * FROM 销售详情 WHERE 关联 =") + QString::number(saleId);
}

QString insertLine(int saleId, const ReceiptLine& line, const QString& remark) {
    return sale_sql::insertLine(saleId, line, remark);
}

QString changeLine(int lineId, const ReceiptLine& line) {
    return QStringLiteral("update 销售详情  set   名称='") + sqlText(line.name) +
           QStringLiteral("',数量='") + sqlText(line.quantity) + QStringLiteral("',单价='") +
           sqlText(line.unitPrice) + QStringLiteral("',金额='") + sqlText(line.lineTotal) +
           QStringLiteral("',折后='") + sqlText(line.discountedTotal) +
           QStringLiteral("'where ID=") + QString::number(lineId);
}

QString deleteLine(int lineId) {
    return QStringLiteral("delete from 销售详情  where ID=") + QString::number(lineId);
}

QString deleteSale(int saleId) {
    return QStringLiteral("delete from 销售记录  where ID=") + QString::number(saleId);
}

QString updateSaleTotals(int saleId, const QString& quantity, const QString& amount) {
    return QStringLiteral("update 销售记录 set 数量='") + sqlText(quantity) +
           QStringLiteral("',金额='") + sqlText(amount) + QStringLiteral("' where ID=") +
           QString::number(saleId);
}

}  // namespace tillora::records_sql
