// The trail of a stored sale's changes and of data initialisation.
#include "data/operation_trail.h"
#include "records/data_initialiser.h"
#include "records/sale_editor.h"
#include "sales/receipt.h"
#include "tests/records/records_fixture.h"

#include <functional>

namespace tillora::test {
namespace {

class SaleTrailTest : public RecordsFixture {
  protected:
    int rows() { return number_(QStringLiteral("select count(*) from 操作记录")); }
    QString last(const char* column) {
        return firstText(db, QStringLiteral("select ") + QString::fromUtf8(column) +
                                 QStringLiteral(" from 操作记录 order by ID desc"));
    }
    int lineOf(int sale) {
        return number_(QStringLiteral("select min(ID) from 销售详情 where 关联=") +
                       QString::number(sale));
    }
};

TEST_F(SaleTrailTest, EachChangeOfAStoredSaleWritesItsRow) {
    const ReceiptLine tea{{},
                          QStringLiteral("红茶"),
                          QStringLiteral("3"),
                          QStringLiteral("5.00"),
                          QStringLiteral("15.00"),
                          QStringLiteral("15.00")};
    const int line = lineOf(late);
    struct Case {
        const char* action;
        std::function<bool()> change;
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"修改销售明细", [&] { return SaleEditor(db, late).changeLine(line, tea); }, "mkf-麦克风",
         "红茶 3×5.00=15.00"},
        {"增加销售明细", [&] { return SaleEditor(db, late).addLine(tea, {}); }, "", "红茶"},
        {"删除销售明细", [&] { return SaleEditor(db, late).deleteLine(line); }, "红茶", ""},
        {"删除销售记录", [&] { return SaleEditor(db, early).deleteSale(); },
         "金额 386.00，收银员 admin", ""},
    };
    for (const Case& c : cases) {
        const int before = rows();
        ASSERT_TRUE(c.change()) << c.action;
        EXPECT_EQ(rows(), before + 1) << c.action;
        EXPECT_EQ(last("操作"), QString::fromUtf8(c.action));
        EXPECT_EQ(last("用户"), QStringLiteral("admin"));
        EXPECT_TRUE(last("对象").startsWith(QStringLiteral("销售票号 1608"))) << c.action;
        EXPECT_TRUE(last("之前").contains(QString::fromUtf8(c.before))) << c.action;
        EXPECT_TRUE(last("之后").contains(QString::fromUtf8(c.after))) << c.action;
    }
    EXPECT_TRUE(last("之前").contains(QStringLiteral("xsq-显示器")));
}

TEST_F(SaleTrailTest, AChangeThatFailsLeavesNoRow) {
    ASSERT_TRUE(
        db.ExecuteSql(QStringLiteral("create trigger no_total before update on 销售记录 "
                                     "begin select raise(abort, 'full'); end")));
    const int before = rows();
    EXPECT_FALSE(SaleEditor(db, late).deleteLine(lineOf(late)));
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(number_(QStringLiteral("select count(*) from 销售详情 where 关联=") +
                      QString::number(late)),
              2);
}

TEST_F(SaleTrailTest, InitialisationKeepsTheTrailAndSaysItHappened) {
    ASSERT_TRUE(SaleEditor(db, early).deleteSale());
    ASSERT_EQ(DataInitialiser::run(db, path, folder.file(QStringLiteral("backup.mdb"))),
              DataInitialiser::Outcome::Done);
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(last("操作"), QStringLiteral("数据初始化"));
    EXPECT_EQ(last("之后"), QStringLiteral("backup.mdb"));
    EXPECT_EQ(number_(QStringLiteral("select count(*) from 操作记录 where 操作='删除销售记录'")),
              1);
}

}  // namespace
}  // namespace tillora::test
