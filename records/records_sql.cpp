#include "records/records_sql.h"

#include <QStringList>

#include "data/sql_text.h"
#include "sales/receipt.h"
#include "sales/receipt_model.h"
#include "sales/sale_recorder.h"

namespace tillora::records_sql {

namespace {

QString dayStart(const QDate& day) {
    return u'#' + dateText(day) + QStringLiteral("  00:00:00#");
}

QString dayEnd(const QDate& day) {
    return u'#' + dateText(day) + QStringLiteral("  23:59:59#");
}

QString newestFirst() {
    return QStringLiteral(" order by [销售时间] desc, [ID] desc");
}

}  // namespace

}  // namespace tillora::records_sql

namespace tillora {

QStringList SalesSelection::where(const QString& upTo) const {
    QStringList parts;
    if (!from.isEmpty()) {
        parts.append(QStringLiteral("[销售时间] between ") + from + QStringLiteral(" and ") + upTo);
    }
    if (!conditions.isEmpty()) {
        parts.append(QLatin1Char('(') + conditions + QLatin1Char(')'));
    }
    return parts;
}

QString SalesSelection::statement() const {
    QString sql = QStringLiteral("select * from [销售记录]");
    const QStringList parts = where(to);
    if (!parts.isEmpty()) {
        sql += QStringLiteral(" where ") + parts.join(QStringLiteral(" and "));
    }
    return sql + records_sql::newestFirst();
}

QString SalesSelection::page(const QString& columns, int count, bool undated, int afterId) const {
    const QString after = QString::number(afterId);
    // The time of the last sale read, as stored: a time written out as a literal need not
    // compare equal to it. It is the range's only upper end, so the index starts there.
    const QString last =
        QStringLiteral("(select [销售时间] from [销售记录] where [ID] = ") + after + u')';
    QStringList parts = where(afterId != 0 && !undated ? last : to);
    if (undated) {
        parts.append(QStringLiteral("[销售时间] is null"));
        if (afterId != 0) {
            parts.append(QStringLiteral("[ID] < ") + after);
        }
    } else {
        if (from.isEmpty()) {
            parts.append(afterId != 0 ? QStringLiteral("[销售时间] <= ") + last
                                      : QStringLiteral("[销售时间] is not null"));
        }
        if (afterId != 0) {
            parts.append(QStringLiteral("([销售时间] < ") + last + QStringLiteral(" or [ID] < ") +
                         after + u')');
        }
    }
    return QStringLiteral("select top ") + QString::number(count) + u' ' + columns +
           QStringLiteral(" from [销售记录] where ") + parts.join(QStringLiteral(" and ")) +
           (undated ? QStringLiteral(" order by [ID] desc") : records_sql::newestFirst());
}

QString SalesSelection::rowsOf(const QList<int>& ids) {
    QStringList numbers;
    numbers.reserve(ids.size());
    for (int id : ids) {
        numbers.append(QString::number(id));
    }
    return QStringLiteral("select * from [销售记录] where [ID] in (") + numbers.join(u',') + u')';
}

}  // namespace tillora

namespace tillora::records_sql {

QString dateText(const QDate& date) {
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

SalesSelection listing(const QDate& from, const QDate& to) {
    return {dayStart(from), dayEnd(to), {}};
}

SalesSelection query(const SalesQuery& q) {
    QStringList all;
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
        return {dayStart(q.from), dayEnd(q.to), any.join(QStringLiteral(" or "))};
    }
    if (q.byQuantity) {
        all.append(QStringLiteral("数量='") + sqlText(q.quantity) + u'\'');
    }
    if (q.byAmount) {
        all.append(QStringLiteral("金额='") + sqlText(q.amount) + QStringLiteral(" '"));
    }
    if (q.byCashier) {
        all.append(QStringLiteral("收银员='") + sqlText(q.cashier) + QStringLiteral(" '"));
    }
    return {dayStart(q.from), dayEnd(q.to), all.join(QStringLiteral("  and "))};
}

SalesSelection numberSearch(const QString& text) {
    return {{}, {}, QStringLiteral("销售票号 like '%") + sqlText(text) + QStringLiteral("%'")};
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

QString updateSaleTotals(int saleId, const QString& quantity, const QString& amount,
                         const Payment* payment) {
    QString paid;
    if (payment) {
        paid = QStringLiteral("',实收现金='") + cents::toText(payment->received) +
               QStringLiteral("',找零='") + cents::toText(payment->change);
    }
    return QStringLiteral("update 销售记录 set 数量='") + sqlText(quantity) +
           QStringLiteral("',金额='") + sqlText(amount) + paid + QStringLiteral("' where ID=") +
           QString::number(saleId);
}

}  // namespace tillora::records_sql
