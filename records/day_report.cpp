#include "records/day_report.h"

#include "data/database_setup.h"
#include "data/odbcdb.h"
#include "data/postgres_driver.h"
#include "data/sql_text.h"
#include "platform/jet_date.h"
#include "records/sale_listing.h"

#include <QDateTime>
#include <QHash>

#include <algorithm>
#include <map>

namespace tillora {

void DayReportRow::add(const DayReportRow& o) {
    sales += o.sales;
    items += o.items;
    amountCents += o.amountCents;
    discountCents += o.discountCents;
    returnedItems += o.returnedItems;
    returnedCents += o.returnedCents;
    cashCents += o.cashCents;
}

namespace day_report_sql {

namespace {

// A stored amount text in cents. The file rounds each value to its cents before adding, so the
// sums are whole numbers whatever a double makes of "0.10"; the server reads it as a decimal.
// Text that is no number counts as 0 on both.
QString cents(Engine engine, const QString& column) {
    if (engine == Engine::File) {
        return QStringLiteral("cast(round(") + column + QStringLiteral(" * 100) as integer)");
    }
    return QStringLiteral("(case when (") + column +
           QStringLiteral(
               " collate ucs_basic) ~ '^ *[-+]?[0-9]+([.][0-9]*)? *$' then "
               "cast(round(cast(") +
           column + QStringLiteral(" as numeric) * 100) as bigint) else 0 end)");
}

QString wholeNumber(Engine engine, const QString& column) {
    if (engine == Engine::File) {
        return QStringLiteral("cast(") + column + QStringLiteral(" as integer)");
    }
    return QStringLiteral("(case when (") + column +
           QStringLiteral(" collate ucs_basic) ~ '^ *[-+]?[0-9]+ *$' then cast(") + column +
           QStringLiteral(" as bigint) else 0 end)");
}

// The day as a range of day numbers, so that the 销售时间 index finds it on either engine.
QString dayRange(const QString& prefix, double dayStart,
                 const std::optional<QString>& onlyCashier) {
    const QString start = QString::number(dayStart, 'f', 0);
    const QString end = QString::number(dayStart + 1, 'f', 0);
    QString where = QStringLiteral(" where ") + prefix + QStringLiteral("销售时间 >= ") + start +
                    QStringLiteral(" and ") + prefix + QStringLiteral("销售时间 < ") + end;
    if (onlyCashier) {
        where += QStringLiteral(" and ") + prefix + QStringLiteral("收银员='") +
                 sqlText(*onlyCashier) + QLatin1Char('\'');
    }
    return where;
}

// The file groups names byte for byte, which is several times quicker than its case-blind rule;
// read() puts together what that rule would have grouped.
QString grouped(Engine engine, const QString& column) {
    return engine == Engine::File ? column + QStringLiteral(" collate binary") : column;
}

// Sums go out as text: the component reads whole numbers in 32 bits, a busy year's cents not.
QString sumText(const QString& expression, const QString& name) {
    return QStringLiteral("cast(sum(") + expression + QStringLiteral(") as text) as ") + name;
}

}  // namespace

Engine engineOf(const ODBCDB& db) {
    return PostgresDriver::isServerUrl(db.connectString().mid(5)) ? Engine::Server : Engine::File;
}

QString sales(Engine engine, double dayStart, const std::optional<QString>& onlyCashier,
              bool paymentColumns) {
    // The hour from the seconds since midnight, so that 10:00:00 never reads as 9 o'clock.
    const QString hour = QStringLiteral("cast(round((销售时间 - ") +
                         QString::number(dayStart, 'f', 0) +
                         QStringLiteral(") * 86400) as integer) / 3600");
    return QStringLiteral("select 收银员, ") +
           (paymentColumns ? QStringLiteral("付款方式") : QStringLiteral("null as 付款方式")) +
           QStringLiteral(", ") + hour + QStringLiteral(" as 时段, count(*) as 笔数, ") +
           sumText(cents(engine, QStringLiteral("金额")), QStringLiteral("金额分")) +
           QStringLiteral(", min(ID) as 首, max(ID) as 末 from 销售记录") +
           dayRange({}, dayStart, onlyCashier) + QStringLiteral(" group by ") +
           grouped(engine, QStringLiteral("收银员")) + QStringLiteral(", ") +
           (paymentColumns ? grouped(engine, QStringLiteral("付款方式")) + QStringLiteral(", ")
                           : QString()) +
           QStringLiteral("时段");
}

QString lines(Engine engine, double dayStart, const std::optional<QString>& onlyCashier,
              bool paymentColumns) {
    const QString quantity = wholeNumber(engine, QStringLiteral("l.数量"));
    const QString discounted = cents(engine, QStringLiteral("l.折后"));
    return QStringLiteral("select h.收银员, ") +
           (paymentColumns ? QStringLiteral("h.付款方式") : QStringLiteral("null as 付款方式")) +
           QStringLiteral(", ") +
           sumText(QStringLiteral("case when ") + quantity + QStringLiteral(" > 0 then ") +
                       quantity + QStringLiteral(" else 0 end"),
                   QStringLiteral("件数")) +
           QStringLiteral(", ") +
           sumText(QStringLiteral("case when ") + quantity + QStringLiteral(" < 0 then -") +
                       quantity + QStringLiteral(" else 0 end"),
                   QStringLiteral("退货件数")) +
           QStringLiteral(", ") +
           sumText(QStringLiteral("case when ") + quantity + QStringLiteral(" < 0 then -") +
                       discounted + QStringLiteral(" else 0 end"),
                   QStringLiteral("退货金额")) +
           QStringLiteral(", ") +
           sumText(cents(engine, QStringLiteral("l.金额")) + QStringLiteral(" - ") + discounted,
                   QStringLiteral("折扣")) +
           QStringLiteral(" from 销售记录 h inner join 销售详情 l on l.关联 = h.ID") +
           dayRange(QStringLiteral("h."), dayStart, onlyCashier) + QStringLiteral(" group by ") +
           grouped(engine, QStringLiteral("h.收银员")) +
           (paymentColumns ? QStringLiteral(", ") + grouped(engine, QStringLiteral("h.付款方式"))
                           : QString());
}

}  // namespace day_report_sql

namespace {

qint64 sumOf(ODBCDB& db, int h, int column) {
    return db.ReadColByIndex(h, column).toText().trimmed().toLongLong();
}

QString methodOf(const QString& stored) {
    const QString method = stored.trimmed();
    return method.isEmpty() ? DayReport::unknownMethod() : method;
}

// Names count as one whatever their letter case and trailing blanks, as the database compares
// them; the statements' rows are put together here.
QString keyOf(const QString& cashier, const QString& method) {
    return cashier.trimmed().toCaseFolded() + u'\n' + method.toCaseFolded();
}

}  // namespace

bool DayReport::read(ODBCDB& db, const QDate& day, const std::optional<QString>& onlyCashier,
                     DayReport* report) {
    *report = DayReport();
    report->day = day;
    report->onlyCashier = onlyCashier;
    const double dayStart = jetDayFromDateTime(QDateTime(day, QTime(0, 0)));
    const day_report_sql::Engine engine = day_report_sql::engineOf(db);
    const bool paid = hasPaymentColumns(db);

    std::map<QString, DayReportRow> rows;
    int firstId = 0;
    int lastId = 0;
    const int s = db.OpenTable(day_report_sql::sales(engine, dayStart, onlyCashier, paid));
    if (s == 0) {
        return false;
    }
    for (; !db.IsEOF(s); db.MoveNext(s)) {
        const QString cashier = db.ReadColByIndex(s, 1).toText().trimmed();
        const QString method = methodOf(db.ReadColByIndex(s, 2).toText());
        DayReportRow& row = rows[keyOf(cashier, method)];
        row.cashier = cashier;
        row.method = method;
        const qint64 count = db.ReadColByIndex(s, 4).toInt();
        const qint64 amount = sumOf(db, s, 5);
        row.sales += count;
        row.amountCents += amount;
        if (method == cashMethod()) {
            row.cashCents += amount;
        }
        Hour& hour = report->hours[std::clamp(db.ReadColByIndex(s, 3).toInt(), 0, 23)];
        hour.sales += count;
        hour.amountCents += amount;
        const int first = db.ReadColByIndex(s, 6).toInt();
        const int last = db.ReadColByIndex(s, 7).toInt();
        firstId = firstId == 0 ? first : std::min(firstId, first);
        lastId = std::max(lastId, last);
    }
    db.CloseTable(s);

    const int l = db.OpenTable(day_report_sql::lines(engine, dayStart, onlyCashier, paid));
    if (l == 0) {
        return false;
    }
    for (; !db.IsEOF(l); db.MoveNext(l)) {
        const QString cashier = db.ReadColByIndex(l, 1).toText().trimmed();
        const QString method = methodOf(db.ReadColByIndex(l, 2).toText());
        DayReportRow& row = rows[keyOf(cashier, method)];
        if (row.cashier.isEmpty() && row.method.isEmpty()) {
            row.cashier = cashier;
            row.method = method;
        }
        row.items += sumOf(db, l, 3);
        row.returnedItems += sumOf(db, l, 4);
        row.returnedCents += sumOf(db, l, 5);
        row.discountCents += sumOf(db, l, 6);
    }
    db.CloseTable(l);

    if (firstId != 0) {
        const int n = db.OpenTable(QStringLiteral("select ID, 销售票号 from 销售记录 where ID=") +
                                   QString::number(firstId) + QStringLiteral(" or ID=") +
                                   QString::number(lastId));
        if (n == 0) {
            return false;
        }
        for (; !db.IsEOF(n); db.MoveNext(n)) {
            const int id = db.ReadColByIndex(n, 1).toInt();
            const QString number = db.ReadColByIndex(n, 2).toText().trimmed();
            if (id == firstId) {
                report->firstNumber = number;
            }
            if (id == lastId) {
                report->lastNumber = number;
            }
        }
        db.CloseTable(n);
    }

    for (auto& [key, row] : rows) {
        report->total.add(row);
        report->rows.push_back(row);
    }
    std::sort(report->rows.begin(), report->rows.end(),
              [](const DayReportRow& a, const DayReportRow& b) {
                  return a.cashier != b.cashier ? a.cashier < b.cashier : a.method < b.method;
              });
    report->total.cashier = totalCaption();
    return true;
}

QStringList DayReport::rowTitles() {
    return QString::fromUtf16(u"收银员,付款方式,笔数,件数,金额,折扣,退货件数,退货金额,应收现金")
        .split(u',');
}

namespace {

QStringList cellsOf(const DayReportRow& r) {
    return {r.cashier,
            r.method,
            QString::number(r.sales),
            QString::number(r.items),
            centsText(r.amountCents),
            centsText(r.discountCents),
            QString::number(r.returnedItems),
            centsText(r.returnedCents),
            centsText(r.cashCents)};
}

}  // namespace

QList<QStringList> DayReport::rowCells() const {
    QList<QStringList> cells;
    for (const DayReportRow& row : rows) {
        cells.append(cellsOf(row));
    }
    if (!rows.empty()) {
        cells.append(cellsOf(total));
    }
    return cells;
}

QStringList DayReport::hourTitles() {
    return QString::fromUtf16(u"时段,笔数,金额").split(u',');
}

QString DayReport::hourText(int hour) {
    return QStringLiteral("%1:00-%2:00")
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(hour + 1, 2, 10, QLatin1Char('0'));
}

QList<QStringList> DayReport::hourCells() const {
    QList<QStringList> cells;
    for (int h = 0; h < 24; ++h) {
        if (hours[h].sales != 0) {
            cells.append(
                {hourText(h), QString::number(hours[h].sales), centsText(hours[h].amountCents)});
        }
    }
    return cells;
}

}  // namespace tillora
