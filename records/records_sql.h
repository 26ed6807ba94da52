#pragma once

#include <QDate>
#include <QString>

namespace tillora {

struct ReceiptLine;

// The conditions of the query dialog. Only ticked conditions take part in a statement.
struct SalesQuery {
    enum class Mode { Fuzzy, Exact };

    Mode mode = Mode::Fuzzy;
    bool byDate = false;
    QDate from;
    QDate to;
    bool byQuantity = false;
    QString quantity;
    bool byAmount = false;
    QString amount;
    bool byCashier = false;
    QString cashier;
};

// The statements of the sales records and details windows. Every typed value goes through
// sqlText(). A date range always covers its last day whole: sales are stamped to the second, so
// "23:59:59" reaches the last one. Every listing comes newest first, which also lets the database
// read it through the 销售时间 index instead of sorting.
namespace records_sql {

// "2016-08-18": the date form the # literals take.
QString dateText(const QDate& date);

QString listing(const QDate& from, const QDate& to);
QString query(const SalesQuery& q);
QString numberSearch(const QString& text);

QString saleLines(int saleId);
QString insertLine(int saleId, const ReceiptLine& line, const QString& remark);
// Unlike the older form of this statement, the typed unit price is stored as well: a line whose
// price and amount disagree would be printed and exported wrong.
QString changeLine(int lineId, const ReceiptLine& line);
QString deleteLine(int lineId);
QString deleteSale(int saleId);
// The sale's totals as its lines now add up.
QString updateSaleTotals(int saleId, const QString& quantity, const QString& amount);

}  // namespace records_sql

}  // namespace tillora
