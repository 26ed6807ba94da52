#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tillora {

struct Payment;
struct ReceiptLine;

// The conditions of the query dialog. The date range always takes part (a query must never
// list every sale ever stored); of the others only the ticked ones do.
struct SalesQuery {
    enum class Mode { Fuzzy, Exact };

    Mode mode = Mode::Fuzzy;
    QDate from;
    QDate to;
    bool byQuantity = false;
    QString quantity;
    bool byAmount = false;
    QString amount;
    bool byCashier = false;
    QString cashier;
};

// The sales one search lists: its conditions, always read newest first (equal times by ID, so
// that a listing read in pieces never repeats or skips a sale), which also lets the database read
// it through the 销售时间 index instead of sorting.
struct SalesSelection {
    // The date range as # literals ("#2016-08-01  00:00:00#"); empty for no range.
    QString from;
    QString to;
    QString conditions;  // the others; empty for none

    // The whole listing: "select * from [销售记录] where ... order by ...".
    QString statement() const;
    // At most `count` rows of `columns` that follow sale `afterId` in the listing's order (from
    // the first row when 0). Sales without a time come last, read by ID alone: `undated` says
    // which of the two parts is read (a listing with a date range has none).
    QString page(const QString& columns, int count, bool undated, int afterId) const;
    // The rows of the given sales, in no particular order.
    static QString rowsOf(const QList<int>& ids);
    bool hasUndated() const { return from.isEmpty(); }
    bool operator==(const SalesSelection&) const = default;

  private:
    // The conditions with the range's end at `to`.
    QStringList where(const QString& upTo) const;
};

// The statements of the sales records and details windows. Every typed value goes through
// sqlText(). A date range always covers its last day whole: sales are stamped to the second, so
// "23:59:59" reaches the last one.
namespace records_sql {

// "2016-08-18": the date form the # literals take.
QString dateText(const QDate& date);

SalesSelection listing(const QDate& from, const QDate& to);
SalesSelection query(const SalesQuery& q);
SalesSelection numberSearch(const QString& text);

QString saleLines(int saleId);
QString insertLine(int saleId, const ReceiptLine& line, const QString& remark);
// Unlike the older form of this statement, the typed unit price is stored as well: a line whose
// price and amount disagree would be printed and exported wrong.
QString changeLine(int lineId, const ReceiptLine& line);
QString deleteLine(int lineId);
QString deleteSale(int saleId);
// The sale's totals as its lines now add up.
// With a payment, 实收现金 and 找零 are written too.
QString updateSaleTotals(int saleId, const QString& quantity, const QString& amount,
                         const Payment* payment = nullptr);

}  // namespace records_sql

}  // namespace tillora
