#include "sales/receipt_numbering.h"

#include <gtest/gtest.h>

#include "data/settings_record.h"
#include "tests/sales/sales_fixture.h"

namespace tillora::test {
namespace {

TEST(ReceiptNumberTest, NextNumberFromNewest) {
    const QDate aug18(2016, 8, 18);
    const ReceiptNumberFormat date;  // the shipped form
    const ReceiptNumberFormat plain{false, {}};
    const ReceiptNumberFormat till{true, QStringLiteral("07")};
    const ReceiptNumberFormat tillPlain{false, QStringLiteral("07")};
    struct Case {
        ReceiptNumberFormat format;
        QString newest;
        QString expected;
    } cases[] = {
        {date, {}, QStringLiteral("1608180000001")},
        {date, QStringLiteral("1608180000001"), QStringLiteral("1608180000002")},
        {date, QStringLiteral("1608180000041"), QStringLiteral("1608180000042")},
        {date, QStringLiteral("1608170000041"), QStringLiteral("1608180000001")},  // new day
        {date, QStringLiteral("1708180000041"), QStringLiteral("1608180000001")},  // other year
        {date, QStringLiteral("16081800000x1"), QStringLiteral("1608180000001")},
        {date, QStringLiteral("1608189999999"), QStringLiteral("16081810000000")},  // no wrap
        {plain, {}, QStringLiteral("0000000000001")},
        {plain, QStringLiteral("0000000000099"), QStringLiteral("0000000000100")},
        {plain, QStringLiteral("1608180000041"), QStringLiteral("1608180000042")},
        {till, QStringLiteral("071608180000005"), QStringLiteral("071608180000006")},
        {till, QStringLiteral("1608180000005"), QStringLiteral("071608180000001")},
        {tillPlain, QStringLiteral("070000000000009"), QStringLiteral("070000000000010")},
        {tillPlain, QStringLiteral("080000000000009"), QStringLiteral("070000000000001")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nextReceiptNumber(c.format, c.newest, aug18), c.expected)
            << c.newest.toStdString() << " -> " << c.expected.toStdString();
    }
}

TEST(ReceiptNumberTest, FormatSurvivesItsStoredNumber) {
    const ReceiptNumberFormat formats[] = {
        {true, {}},
        {false, {}},
        {true, QStringLiteral("007")},
        {false, QStringLiteral("12345678")},
    };
    for (const ReceiptNumberFormat& f : formats) {
        EXPECT_EQ(ReceiptNumberFormat::fromStored(QString::number(f.stored())), f) << f.stored();
    }
    EXPECT_EQ(ReceiptNumberFormat{}.stored(), 2);  // the shipped value keeps its meaning
    // Unreadable fields fall back to the date form.
    for (const char* field : {"", "0", "9", "abc", "2x", "41234567890"}) {
        EXPECT_EQ(ReceiptNumberFormat::fromStored(QString::fromLatin1(field)),
                  ReceiptNumberFormat{})
            << field;
    }
    EXPECT_TRUE(ReceiptNumberFormat::isValidPrefix(QStringLiteral("01")));
    EXPECT_FALSE(ReceiptNumberFormat::isValidPrefix(QStringLiteral("A1")));
    EXPECT_FALSE(ReceiptNumberFormat::isValidPrefix(QStringLiteral("123456789")));
    EXPECT_FALSE(ReceiptNumberFormat::isValidPrefix({}));
}

class ReceiptNumberingDbTest : public SalesFixture {};

TEST_F(ReceiptNumberingDbTest, ContinuesFromTheHighestNumberOfTheDay) {
    ReceiptNumbering numbering(db);
    EXPECT_EQ(numbering.highestNumber(QStringLiteral("160818")), QStringLiteral("1608180000001"));
    EXPECT_EQ(numbering.next(), QStringLiteral("1608180000002"));

    ASSERT_TRUE(db.ExecuteSql(
        QStringLiteral("insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values "
                       "('1608180000041',now(),'1','1.00','admin',' ')")));
    EXPECT_EQ(numbering.next(), QStringLiteral("1608180000042"));
    now = now.addDays(1);
    EXPECT_EQ(numbering.next(), QStringLiteral("1608190000001"));

    ASSERT_TRUE(numbering.storeFormat({false, QStringLiteral("0042")}));
    EXPECT_EQ(text(QStringLiteral("select 全局单号格式 from 配置文件 where ID=1")),
              QStringLiteral("30042"));
    EXPECT_EQ(numbering.next(), QStringLiteral("00420000000000001"));

    ASSERT_TRUE(db.ExecuteSql(QStringLiteral("delete from 销售记录")));
    ASSERT_TRUE(numbering.storeFormat({}));
    EXPECT_EQ(numbering.next(), QStringLiteral("1608190000001"));
}

}  // namespace
}  // namespace tillora::test
