#include "sales/sale_recorder.h"
#include "sales/receipt_numbering.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "sales/amount_text.h"
#include "sales/receipt_model.h"
#include "tests/sales/sales_fixture.h"

namespace tillora::test {
namespace {

TEST(AmountTextTest, TwoDecimalsWithoutNoise) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {{10, "10.00"},     {9.5, "9.50"},   {0.1 + 0.2, "0.30"},      {-0.001, "0.00"},
                 {-3.256, "-3.26"}, {2.675, "2.68"}, {1e9 / 3, "333333333.33"}};
    for (const Case& c : cases) {
        EXPECT_EQ(amounts::toText(c.value), QString::fromLatin1(c.text)) << c.value;
    }
    EXPECT_EQ(amounts::normalized({}), QStringLiteral("0.00"));
    EXPECT_EQ(amounts::normalized(QStringLiteral("10")), QStringLiteral("10.00"));
    const auto line = [](const char* quantity, const char* price, const char* discount) {
        return ReceiptModel::check({QStringLiteral("a"), QString::fromLatin1(quantity),
                                    QString::fromLatin1(price), QString::fromLatin1(discount)})
            .line.value_or(SaleLine{});
    };
    EXPECT_EQ(line("3", "0.1", "10").total, 30);
    EXPECT_EQ(cents::toText(line("3", "19.99", "9.5").discounted), QStringLiteral("56.97"));

    const QStringList discounts = amounts::discountChoices();
    ASSERT_EQ(discounts.size(), 91);
    EXPECT_EQ(discounts.first(), QStringLiteral("10"));
    EXPECT_EQ(discounts.at(1), QStringLiteral("9.9"));
    EXPECT_EQ(discounts.at(10), QStringLiteral("9.0"));
    EXPECT_EQ(discounts.last(), QStringLiteral("1.0"));
}

class SaleRecorderTest : public SalesFixture {
  protected:
    Receipt receipt() {
        Receipt r;
        r.number = QStringLiteral("1608180000002");
        r.lines = {{QStringLiteral("1"), QStringLiteral("麦克风"), QStringLiteral("2"),
                    QStringLiteral("10.00"), QStringLiteral("20.00"), QStringLiteral("20.00")},
                   {QStringLiteral("2"), QStringLiteral("O'Brien's \"cable\""), QStringLiteral("1"),
                    QStringLiteral("6.00"), QStringLiteral("6.00"), QStringLiteral("5.40")},
                   {QStringLiteral("3"), QStringLiteral("显示器"), QStringLiteral("1"),
                    QStringLiteral("300.00"), QStringLiteral("300.00"), QStringLiteral("300.00")}};
        r.totalQuantity = QStringLiteral("4");
        r.totalAmount = QStringLiteral("326.00");
        r.discountedTotal = QStringLiteral("325.40");
        r.cashier = QStringLiteral("admin");
        r.remark = QStringLiteral("1.所购商品7日内凭购物小票调换\r\n2.'引号'");
        return r;
    }
    int sales() { return number(QStringLiteral("select count(*) from 销售记录")); }
    int lines() { return number(QStringLiteral("select count(*) from 销售详情")); }
};

TEST_F(SaleRecorderTest, StoresHeaderAndLinesTogether) {
    SaleRecorder recorder(db);
    const RecordOutcome outcome = recorder.record(receipt());
    ASSERT_TRUE(outcome.stored) << outcome.message.toStdString();
    EXPECT_EQ(outcome.failure, RecordFailure::None);
    EXPECT_GT(outcome.saleId, 401);
    const QString id = QString::number(outcome.saleId);
    EXPECT_EQ(number(QStringLiteral("select count(*) from 销售详情 where 关联=") + id), 3);
    EXPECT_EQ(text(QStringLiteral("select 金额 from 销售记录 where ID=") + id),
              QStringLiteral("325.40"));
    EXPECT_EQ(text(QStringLiteral("select 销售票号 from 销售记录 where ID=") + id),
              QStringLiteral("1608180000002"));
    // The header's time is the database clock's, a date-time value.
    EXPECT_GT(number(QStringLiteral("select 销售时间 from 销售记录 where ID=") + id), 42000);
    // Quotes arrive as typed, and the remark carries its blanks as the statements place them.
    EXPECT_EQ(text(QStringLiteral("select 名称 from 销售详情 where 折后='5.40'")),
              QStringLiteral("O'Brien's \"cable\""));
    EXPECT_EQ(text(QStringLiteral("select 备注 from 销售记录 where ID=") + id),
              receipt().remark + QStringLiteral(" "));
    EXPECT_EQ(text(QStringLiteral("select 备注 from 销售详情 where 折后='5.40'")),
              QStringLiteral(" ") + receipt().remark);
    EXPECT_EQ(sales(), 2);  // the template's sample and this one
}

TEST_F(SaleRecorderTest, KeepsHowTheSaleWasPaidWhereTheFileHasTheColumns) {
    Receipt r = receipt();
    r.paymentMethod = QStringLiteral("O'现金");
    r.cashReceived = QStringLiteral("400.00");
    r.change = QStringLiteral("74.60");
    RecordOutcome outcome = SaleRecorder(db).record(r);
    ASSERT_TRUE(outcome.stored) << outcome.message.toStdString();
    const QString sale =
        QStringLiteral(" from 销售记录 where ID=") + QString::number(outcome.saleId);
    EXPECT_EQ(text(QStringLiteral("select 付款方式") + sale), r.paymentMethod);
    EXPECT_EQ(text(QStringLiteral("select 实收现金") + sale), QStringLiteral("400.00"));
    EXPECT_EQ(text(QStringLiteral("select 找零") + sale), QStringLiteral("74.60"));
    EXPECT_EQ(text(QStringLiteral("select 备注") + sale), r.remark + QStringLiteral(" "));

    // A method too long for its column is the cashier's to mend, before anything is written.
    r.paymentMethod = QString(51, u'卡');
    outcome = SaleRecorder(db).record(r);
    EXPECT_FALSE(outcome.stored);
    EXPECT_EQ(outcome.failure, RecordFailure::Value);

    // A file that could not be upgraded still takes the sale, without them.
    db.CloseDatabase();
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    for (const char* drop :
         {"alter table 销售记录 drop column 付款方式", "alter table 销售记录 drop column 实收现金",
          "alter table 销售记录 drop column 找零"}) {
        EXPECT_EQ(sqlite3_exec(raw, drop, nullptr, nullptr, nullptr), SQLITE_OK);
    }
    sqlite3_close(raw);
    ASSERT_TRUE(db.OpenMdbDatabase(path));
    r = receipt();
    r.number = QStringLiteral("1608180000003");
    r.paymentMethod = QStringLiteral("现金");
    outcome = SaleRecorder(db).record(r);
    EXPECT_TRUE(outcome.stored) << outcome.message.toStdString();
}

TEST_F(SaleRecorderTest, NumberedSaveHandsTheWindowItsNextNumber) {
    ReceiptNumbering numbering(db);
    SaleRecorder recorder(db);
    recorder.setNumbering(&numbering);
    Receipt r = receipt();
    r.number = QStringLiteral("1608189999999");  // only what the window proposed
    RecordOutcome outcome = recorder.record(r);
    ASSERT_TRUE(outcome.stored) << outcome.message.toStdString();
    EXPECT_EQ(outcome.number, QStringLiteral("1608180000002"));
    EXPECT_EQ(outcome.nextNumber, QStringLiteral("1608180000003"));
    // A number stored as typed says nothing about the next one.
    SaleRecorder typed(db);
    r.number = QStringLiteral("A1");
    outcome = typed.record(r);
    ASSERT_TRUE(outcome.stored) << outcome.message.toStdString();
    EXPECT_TRUE(outcome.nextNumber.isEmpty());
}

TEST_F(SaleRecorderTest, FailureOnTheSecondLineStoresNothing) {
    ASSERT_TRUE(db.ExecuteSql(
        QStringLiteral("create trigger only_one_line before insert on 销售详情 "
                       "when (select count(*) from 销售详情 where 关联 = new.关联) >= 1 "
                       "begin select raise(abort, 'second line refused'); end")));
    SaleRecorder recorder(db);
    const RecordOutcome outcome = recorder.record(receipt());
    EXPECT_FALSE(outcome.stored);
    EXPECT_EQ(outcome.message, QStringLiteral("添加失败！"));
    EXPECT_EQ(outcome.failure, RecordFailure::Database);
    EXPECT_EQ(sales(), 1);
    EXPECT_EQ(lines(), 1);
    EXPECT_FALSE(db.inTransaction());
}

TEST_F(SaleRecorderTest, TooLongValuesAreNamedBeforeAnythingIsStored) {
    struct Case {
        void (*change)(Receipt&);
        const char* message;
    } cases[] = {
        {[](Receipt& r) { r.lines[1].name = QString(51, QChar(0x54C1)); },
         "商品名称不能超过50个字符！"},
        {[](Receipt& r) { r.cashier = QString(51, QLatin1Char('x')); }, "收银员不能超过50个字符！"},
        {[](Receipt& r) { r.number = QString(51, QLatin1Char('1')); }, "单号不能超过50个字符！"},
    };
    SaleRecorder recorder(db);
    for (const Case& c : cases) {
        Receipt r = receipt();
        c.change(r);
        const RecordOutcome outcome = recorder.record(r);
        EXPECT_FALSE(outcome.stored);
        EXPECT_EQ(outcome.message, QString::fromUtf8(c.message));
        // The cashier's to mend, whatever the message says.
        EXPECT_EQ(outcome.failure, RecordFailure::Value);
    }
    Receipt fits = receipt();
    fits.lines[0].name = QString(50, QChar(0x54C1));
    EXPECT_TRUE(recorder.record(fits).stored);
    EXPECT_EQ(sales(), 2);
    EXPECT_EQ(lines(), 4);
}

}  // namespace
}  // namespace tillora::test
