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

TEST_F(ReceiptNumberingDbTest, LongestAllDigitTailWinsAndOtherEndingsAreIgnored) {
    const auto store = [this](const char* number) {
        ASSERT_TRUE(db.ExecuteSql(
            QStringLiteral("insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) "
                           "values ('%1',now(),'1','1.00','admin',' ')")
                .arg(QLatin1String(number))));
    };
    // Typed numbers above the day's highest in text order but not all digits after the prefix,
    // the prefix alone, a shorter number and another day's.
    for (const char* typed : {"1608180000041", "16081800000x9", "160818000009a", "160818",
                              "1608190000001", "16081", "160818a"}) {
        store(typed);
    }
    ReceiptNumbering numbering(db);
    bool ok = false;
    EXPECT_EQ(numbering.highestNumber(QStringLiteral("160818"), &ok),
              QStringLiteral("1608180000041"));
    EXPECT_TRUE(ok);
    EXPECT_EQ(numbering.next(), QStringLiteral("1608180000042"));
    // A longer number typed by hand wins, and the day continues in its width instead of
    // proposing the number after it again and again.
    store("16081800000420");
    EXPECT_EQ(numbering.next(), QStringLiteral("16081800000421"));
    store("16081800000421");
    EXPECT_EQ(numbering.next(), QStringLiteral("16081800000422"));
    // A prefix holding a quote reads nothing rather than failing.
    EXPECT_TRUE(numbering.highestNumber(QStringLiteral("1'6"), &ok).isEmpty());
    EXPECT_TRUE(ok);
}

// The number is read inside every save's write lock: it must be a seek in the index on
// 销售票号 (unique, or the plain one a file with old duplicates keeps), never a scan of all sales.
TEST_F(ReceiptNumberingDbTest, HighestNumberIsASeekInTheNumberIndex) {
    const auto plan = [this] {
        const int h = db.OpenTable(QStringLiteral("explain query plan ") +
                                   ReceiptNumbering::highestStatement(QStringLiteral("160818")));
        QStringList steps;
        for (; h != 0 && !db.IsEOF(h); db.MoveNext(h)) {
            steps << db.ReadColByName(h, QStringLiteral("detail")).toText();
        }
        db.CloseTable(h);
        return steps.join(u'\n');
    };
    const QString unique = plan();
    EXPECT_TRUE(
        unique.contains(QStringLiteral("SEARCH 销售记录 USING COVERING INDEX 销售记录_销售票号 (")))
        << unique.toStdString();
    EXPECT_FALSE(unique.contains(QStringLiteral("SCAN"))) << unique.toStdString();
    EXPECT_FALSE(unique.contains(QStringLiteral("TEMP B-TREE"))) << unique.toStdString();

    ASSERT_TRUE(db.ExecuteSql(QStringLiteral("drop index 销售记录_销售票号")));
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral(
        "create index 销售记录_销售票号_重复 on [销售记录] (销售票号 collate binary)")));
    const QString plain = plan();
    EXPECT_TRUE(plain.contains(QStringLiteral("USING COVERING INDEX 销售记录_销售票号_重复 (")))
        << plain.toStdString();
    EXPECT_FALSE(plain.contains(QStringLiteral("SCAN"))) << plain.toStdString();
    EXPECT_FALSE(plain.contains(QStringLiteral("TEMP B-TREE"))) << plain.toStdString();
}

}  // namespace
}  // namespace tillora::test
