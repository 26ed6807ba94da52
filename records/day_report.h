#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace tillora {

class ODBCDB;

// One cashier's sales of a day paid one way. Money in cents, quantities in pieces, every sum
// an integer added by the database.
struct DayReportRow {
    QString cashier;
    QString method;  // unknownMethod() for sales stored before payments were kept
    qint64 sales = 0;
    qint64 items = 0;          // pieces sold (lines with a positive quantity)
    qint64 amountCents = 0;    // 金额 of the sales, the money taken; returns take it down
    qint64 discountCents = 0;  // line totals less discounted totals
    qint64 returnedItems = 0;  // pieces taken back (lines with a negative quantity)
    qint64 returnedCents = 0;  // the discounted totals of those lines, as a positive sum
    qint64 cashCents = 0;      // what the sales put into the drawer: the amount of cash sales

    void add(const DayReportRow& other);
};

// The close of a day (日结报表): the day's sales per cashier and payment method, their totals,
// the first and last receipt number and the sales of each hour. An ordinary user's report holds
// only their own sales.
struct DayReport {
    struct Hour {
        qint64 sales = 0;
        qint64 amountCents = 0;
    };

    QDate day;
    std::optional<QString> onlyCashier;  // none: every cashier's sales
    std::vector<DayReportRow> rows;      // by cashier, then method
    DayReportRow total;
    QString firstNumber;  // of the day's first stored sale; empty when there was none
    QString lastNumber;
    std::array<Hour, 24> hours{};

    // Reads the report with two aggregate statements over the 销售时间 index (and one read of
    // the two receipt numbers); false when the database refused one of them.
    static bool read(ODBCDB& db, const QDate& day, const std::optional<QString>& onlyCashier,
                     DayReport* report);

    static QString unknownMethod() { return QStringLiteral("未知"); }
    static QString cashMethod() { return QStringLiteral("现金"); }

    // The tables the window lists and the export writes: the rows with the total last, and the
    // hours that had sales.
    static QStringList rowTitles();
    QList<QStringList> rowCells() const;
    static QStringList hourTitles();
    QList<QStringList> hourCells() const;
    // "08:00-09:00".
    static QString hourText(int hour);
    static QString totalCaption() { return QStringLiteral("合计"); }
    static QString everyone() { return QStringLiteral("全部"); }
};

// The statements, in the dialect of the engine the database component reaches.
namespace day_report_sql {
enum class Engine { File, Server };
Engine engineOf(const ODBCDB& db);
// Sales counted and summed by cashier, payment method and hour; with the lowest and highest ID.
QString sales(Engine engine, double dayStart, const std::optional<QString>& onlyCashier,
              bool paymentColumns);
// Pieces, discounts and returns from the lines, by cashier and payment method.
QString lines(Engine engine, double dayStart, const std::optional<QString>& onlyCashier,
              bool paymentColumns);
}  // namespace day_report_sql

}  // namespace tillora
