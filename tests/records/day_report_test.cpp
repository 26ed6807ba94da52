// The day report: a day of sales by several cashiers and payment methods, with returns and
// discounts, against totals worked out here; the ordinary user's own report; the window at the
// keyboard; the printed report on 58 mm paper; the server.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <map>
#include <optional>

#include "forms/components/date_box.h"
#include "platform/jet_date.h"
#include "print/printer.h"
#include "records/day_report.h"
#include "records/day_report_layout.h"
#include "records/day_report_window.h"
#include "tests/print/scripted_print_dialog.h"
#include "tests/records/records_fixture.h"
#include "tests/support/keyboard.h"
#include "tests/support/test_server.h"

namespace tillora::test {
namespace {

using namespace Qt::StringLiterals;

struct TestLine {
    int quantity;
    qint64 totalCents;
    qint64 discountedCents;
};
struct TestSale {
    QString cashier;
    std::optional<QString> method;
    int seconds;  // after midnight
    QList<TestLine> lines;
};

QString money(qint64 cents) {
    const qint64 a = cents < 0 ? -cents : cents;
    return QString::asprintf("%s%lld.%02lld", cents < 0 ? "-" : "", a / 100, a % 100);
}

// A busy day: amounts a double can't add exactly, discounts, returns, a sale stored before
// payments were kept, and sales on both edges of the day.
std::vector<TestSale> busyDay() {
    std::vector<TestSale> day;
    for (int i = 0; i < 300; ++i) {
        day.push_back({u"张三"_s, u"现金"_s, 8 * 3600 + i * 97, {{1, 10, 10}}});
    }
    for (int i = 0; i < 120; ++i) {
        day.push_back({u"admin"_s, u"微信"_s, 9 * 3600 + i * 131, {{3, 5997, 5397}, {1, 7, 7}}});
    }
    for (int i = 0; i < 40; ++i) {
        // A return with an exchange: one piece back, two new ones at a discount.
        day.push_back(
            {u"admin"_s, u"现金"_s, 15 * 3600 + i * 61, {{-1, -1999, -1999}, {2, 2000, 1800}}});
    }
    day.push_back({u"张三"_s, std::nullopt, 10 * 3600, {{2, 1999, 1999}}});
    day.push_back({u"张三"_s, u"微信"_s, 0, {{1, 100, 90}}});
    day.push_back({u"张三"_s, u"微信"_s, 86399, {{1, 100, 95}}});
    return day;
}

double dayNumber(const QDate& day) {
    return jetDayFromDateTime(QDateTime(day, QTime(0, 0)));
}

// Stores the sales as the recorder would: 金额 the discounted total, 数量 the pieces.
void store(ODBCDB& db, const std::vector<TestSale>& sales, const QDate& day, int numberFrom) {
    int n = numberFrom;
    ASSERT_TRUE(db.BeginTrans());
    for (const TestSale& s : sales) {
        int quantity = 0;
        qint64 amount = 0;
        for (const TestLine& l : s.lines) {
            quantity += l.quantity;
            amount += l.discountedCents;
        }
        const QString number = day.toString(u"yyMMdd"_s) + QString::asprintf("%07d", n++);
        ASSERT_TRUE(db.ExecuteSql(
            u"insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注,付款方式) values ('"_s +
            number + u"',"_s + QString::number(dayNumber(day) + s.seconds / 86400.0, 'f', 10) +
            u",'"_s + QString::number(quantity) + u"','"_s + money(amount) + u"','"_s + s.cashier +
            u"',' ',"_s + (s.method ? u"'"_s + *s.method + u"'"_s : u"null"_s) + u")"_s));
        const int id = firstNumber(db, u"select max(ID) from 销售记录"_s);
        for (const TestLine& l : s.lines) {
            ASSERT_TRUE(db.ExecuteSql(
                u"insert into 销售详情 (关联,名称,数量,单价,金额,折后,备注) values ("_s +
                QString::number(id) + u",'货','"_s + QString::number(l.quantity) + u"','1.00','"_s +
                money(l.totalCents) + u"','"_s + money(l.discountedCents) + u"',' ')"_s));
        }
    }
    db.CommitTrans();
}

// The report's rows as this test works them out, in the report's order.
QList<QStringList> expectedRows(const std::vector<TestSale>& sales,
                                const std::optional<QString>& only) {
    std::map<std::pair<QString, QString>, std::array<qint64, 7>> rows;
    std::array<qint64, 7> total{};
    for (const TestSale& s : sales) {
        if (only && s.cashier != *only) {
            continue;
        }
        std::array<qint64, 7>
            r{};  // sales, items, amount, discount, returned, returned amount, cash
        r[0] = 1;
        for (const TestLine& l : s.lines) {
            (l.quantity > 0 ? r[1] : r[4]) += l.quantity > 0 ? l.quantity : -l.quantity;
            r[2] += l.discountedCents;
            r[3] += l.totalCents - l.discountedCents;
            r[5] += l.quantity < 0 ? -l.discountedCents : 0;
        }
        r[6] = s.method == u"现金"_s ? r[2] : 0;
        auto& row = rows[{s.cashier, s.method.value_or(u"未知"_s)}];
        for (int i = 0; i < 7; ++i) {
            row[i] += r[i];
            total[i] += r[i];
        }
    }
    const auto cells = [](const QString& cashier, const QString& method,
                          const std::array<qint64, 7>& r) {
        return QStringList{cashier,     method,      QString::number(r[0]), QString::number(r[1]),
                           money(r[2]), money(r[3]), QString::number(r[4]), money(r[5]),
                           money(r[6])};
    };
    QList<QStringList> out;
    for (const auto& [key, r] : rows) {
        out.append(cells(key.first, key.second, r));
    }
    if (!out.isEmpty()) {
        out.append(cells(u"合计"_s, QString(), total));
    }
    return out;
}

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start(QStandardPaths::findExecutable(u"pdftotext"_s), {u"-layout"_s, pdf, u"-"_s});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class DayReportTest : public RecordsFixture {
  protected:
    void SetUp() override {
        RecordsFixture::SetUp();
        // The fixture's two sales of today were stored before payments were kept.
        sales = {{u"admin"_s, std::nullopt, 0, {{2, 2000, 2000}, {1, 1999, 1999}}},
                 {u"张三"_s, std::nullopt, 0, {{1, 600, 600}}}};
        const std::vector<TestSale> more = busyDay();
        store(db, more, now.date(), 100);
        sales.insert(sales.end(), more.begin(), more.end());
        // Just outside the day on either side.
        store(db, {{u"admin"_s, u"现金"_s, 0, {{1, 100, 100}}}}, now.date().addDays(1), 1);
        store(db, {{u"admin"_s, u"现金"_s, 86399, {{1, 100, 100}}}}, QDate(2016, 8, 19), 900);
    }
    DayReportWindow* openReport() {
        reportWindow = open(FormId::DayReport);
        return reportWindow != nullptr ? DayReportWindow::of(reportWindow) : nullptr;
    }
    QList<QStringList> listed(const char* list) {
        auto* l = dynamic_cast<ListView*>(reportWindow->component(QString::fromUtf8(list)));
        QList<QStringList> rows;
        for (int r = 0; r < l->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < l->columnCount(); ++c) {
                cells << l->cell(r, c);
            }
            rows << cells;
        }
        return rows;
    }

    std::vector<TestSale> sales;
    FormWindow* reportWindow = nullptr;
};

TEST_F(DayReportTest, SumsEveryCashierAndMethodExactly) {
    DayReport report;
    ASSERT_TRUE(DayReport::read(db, now.date(), std::nullopt, &report));
    EXPECT_EQ(report.rowCells(), expectedRows(sales, std::nullopt));
    EXPECT_EQ(report.firstNumber, u"1608200000002"_s);  // stored first: the fixture's late sale
    EXPECT_EQ(report.lastNumber, u"1608200000562"_s);
    // By hour: the sale at midnight and the one a second before the next day count.
    EXPECT_EQ(report.hours[0].sales, 2);
    EXPECT_EQ(report.hours[23].sales, 2);
    qint64 hourSales = 0;
    for (const DayReport::Hour& h : report.hours) {
        hourSales += h.sales;
    }
    EXPECT_EQ(hourSales, static_cast<qint64>(sales.size()));

    // An ordinary user's report: only their own sales.
    ASSERT_TRUE(DayReport::read(db, now.date(), u"张三"_s, &report));
    EXPECT_EQ(report.rowCells(), expectedRows(sales, u"张三"_s));
    EXPECT_EQ(report.firstNumber, u"1608200000001"_s);

    // A name is one cashier whatever its letter case and trailing blanks, as the database
    // compares names.
    store(db, {{u"ADMIN "_s, u"微信"_s, 60, {{1, 100, 100}}}}, now.date(), 700);
    ASSERT_TRUE(DayReport::read(db, now.date(), std::nullopt, &report));
    EXPECT_EQ(report.rows.size(), expectedRows(sales, std::nullopt).size() - 1);
    EXPECT_EQ(report.rows.front().sales, 121);  // admin 微信
    EXPECT_EQ(report.total.sales, static_cast<qint64>(sales.size()) + 1);

    // A day without sales.
    ASSERT_TRUE(DayReport::read(db, QDate(2016, 7, 1), std::nullopt, &report));
    EXPECT_TRUE(report.rowCells().isEmpty());
    EXPECT_TRUE(report.firstNumber.isEmpty());
}

TEST_F(DayReportTest, OrdinaryUserSeesOnlyTheirOwnSalesInTheWindow) {
    CurrentUser::forget();
    logIn(u"张三"_s, u"普通用户"_s);
    ASSERT_NE(openReport(), nullptr);
    EXPECT_EQ(listed("超级列表框_汇总"), expectedRows(sales, u"张三"_s));
    EXPECT_TRUE(reportWindow->text(u"标签_范围"_s).contains(u"收银员：张三"_s));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(DayReportTest, KeyboardShowsAnotherDayAndClosesWithEscape) {
    // From the sales window's menu, as the cashier opens it.
    FormWindow* entry = open(FormId::SalesEntry);
    ASSERT_NE(entry, nullptr);
    records->openDayReport(entry);
    reportWindow = window(FormId::DayReport);
    ASSERT_NE(reportWindow, nullptr);
    ASSERT_TRUE(Keyboard::activate(reportWindow));
    Keyboard keys(reportWindow);
    EXPECT_EQ(keys.focusedName(), u"日期框_日期"_s);
    EXPECT_EQ(joined(keys.tabRound()), joined(Keyboard::templateTabOrder(reportWindow)));
    EXPECT_EQ(listed("超级列表框_汇总"), expectedRows(sales, std::nullopt));
    EXPECT_FALSE(listed("超级列表框_时段").isEmpty());

    // The preview drawn follows the day as it changes, without 显示.
    DayReportWindow* logic = DayReportWindow::of(reportWindow);
    logic->preview();
    QWidget* panel = reportWindow->component(u"画板1"_s)->widget();
    const QImage today = panel->grab().toImage();
    keys.press(Qt::Key_Down);
    const auto* box = dynamic_cast<DateBox*>(reportWindow->component(u"日期框_日期"_s));
    EXPECT_NE(logic->report().day, now.date());
    EXPECT_EQ(logic->report().day, dateTimeFromJetDay(box->jetDay()).date());
    EXPECT_NE(panel->grab().toImage(), today);
    keys.press(Qt::Key_Return);
    keys.press(Qt::Key_Up);
    EXPECT_EQ(panel->grab().toImage(), today);
    keys.press(Qt::Key_Return);
    EXPECT_EQ(logic->report().day, now.date());
    EXPECT_EQ(listed("超级列表框_汇总"), expectedRows(sales, std::nullopt));

    keys.press(Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window(FormId::DayReport), nullptr);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'|').toStdString();
}

TEST_F(DayReportTest, PrintsOnTheReceiptPrinterAndOnFiftyEightMillimetrePaper) {
    const QString pdf = folder.file(u"day.pdf"_s);
    Printer::setOutputFileOverride(pdf);
    ScriptedPrintDialog dialogs;
    ASSERT_NE(openReport(), nullptr);
    click(reportWindow, "按钮_预览");
    click(reportWindow, "按钮_打印");
    Printer::setOutputFileOverride({});
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'|').toStdString();

    const QList<QStringList> rows = expectedRows(sales, std::nullopt);
    const QStringList& total = rows.last();
    const auto expectReport = [&](const QString& text) {
        qsizetype from = 0;
        for (const QString& part : {u"日结报表"_s,
                                    u"日期：2016-08-20"_s,
                                    u"收银员：全部"_s,
                                    u"首单：1608200000002"_s,
                                    u"末单：1608200000562"_s,
                                    u"admin"_s,
                                    u"微信"_s,
                                    u"张三"_s,
                                    u"未知"_s,
                                    u"合计"_s,
                                    u"笔数:"_s + total[2],
                                    u"件数:"_s + total[3],
                                    u"金额:"_s + total[4],
                                    u"折扣:"_s + total[5],
                                    u"退货:"_s + total[6] + u"件"_s,
                                    total[7],
                                    u"应收现金:"_s + total[8],
                                    u"时段"_s,
                                    u"00:00"_s,
                                    u"23:00"_s,
                                    u"打印时间："_s}) {
            const qsizetype at = text.indexOf(part, from);
            EXPECT_GE(at, 0) << part.toStdString() << "\n" << text.toStdString();
            from = at < 0 ? from : at;
        }
    };
    expectReport(pdfText(pdf));

    // The same report on a roll of 58 mm: every text on the paper.
    const QString roll = folder.file(u"roll.pdf"_s);
    Printer::setOutputFileOverride(roll);
    Printer printer;
    printer.setPenType(3);
    ASSERT_TRUE(printer.StartPrint(false, false, Printer::Paper(-1), std::nullopt, 580, 4000));
    const int bottom = DayReportLayout::draw(printer, DayReportWindow::of(reportWindow)->report(),
                                             ReceiptPrintSettings{}, now);
    printer.EndPrint();
    Printer::setOutputFileOverride({});
    EXPECT_LT(bottom, 4000);
    expectReport(pdfText(roll));
    QProcess info;
    info.start(QStandardPaths::findExecutable(u"pdfinfo"_s), {roll});
    info.waitForFinished(30000);
    // 58 mm is 164 points.
    const QString pages = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(pages.contains(QRegularExpression(u"Page size:\\s+164"_s))) << pages.toStdString();
}

TEST_F(DayReportTest, ExportsThroughTheExportFlow) {
    ASSERT_NE(openReport(), nullptr);
    const QString file = folder.file(u"日结.xlsx"_s);
    files.answer(file);
    click(reportWindow, "按钮_导出");
    EXPECT_EQ(messages.texts(),
              QStringList{u"保存成功！\r\n保存在："_s + QDir::toNativeSeparators(file)});
    EXPECT_GT(QFileInfo(file).size(), 0);

    // A day without sales has nothing to export.
    messages.clear();
    auto* box = dynamic_cast<DateBox*>(reportWindow->component(u"日期框_日期"_s));
    box->setJetDay(dayNumber(QDate(2016, 7, 1)));
    click(reportWindow, "按钮_导出");
    EXPECT_EQ(messages.texts(), QStringList{u"没有数据可以导出！"_s});
    EXPECT_EQ(DayReportWindow::of(reportWindow)->report().day, QDate(2016, 7, 1));
}

TEST(DayReportServer, SumsTheSameOnTheServer) {
    TILLORA_NEED_TEST_SERVER();
    TestServerSchema schema;
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    ODBCDB server;
    ASSERT_TRUE(server.NewOpenDatabase(schema.url(), false, true));
    const QDate day(2026, 12, 7);
    const std::vector<TestSale> sales = busyDay();
    store(server, sales, day, 1);
    store(server, {{u"admin"_s, u"现金"_s, 0, {{1, 100, 100}}}}, day.addDays(1), 1);
    // Text that is no amount counts as nothing, as on the file.
    ASSERT_TRUE(
        server.ExecuteSql(u"update 销售详情 set 折后='abc' where ID=(select min(ID) from "
                          u"销售详情 where 名称='货')"_s));
    DayReport report;
    ASSERT_TRUE(DayReport::read(server, day, std::nullopt, &report));
    std::vector<TestSale> expected = sales;
    expected.front().lines.front().discountedCents = 0;
    QList<QStringList> rows = expectedRows(expected, std::nullopt);
    // The header's 金额 was stored before the line was spoilt.
    for (QStringList& row : rows) {
        if ((row[0] == u"张三"_s && row[1] == u"现金"_s) || row[0] == u"合计"_s) {
            row[4] = money(QString(row[4]).remove(u'.').toLongLong() + 10);
            row[8] = money(QString(row[8]).remove(u'.').toLongLong() + 10);
        }
    }
    EXPECT_EQ(report.rowCells(), rows);
    ASSERT_TRUE(DayReport::read(server, day, u"张三"_s, &report));
    EXPECT_EQ(report.total.sales, 303);
}

}  // namespace
}  // namespace tillora::test
