// "Today" in the records is the program clock's day, the day a sale just made is stored on.
#include "tests/records/records_fixture.h"

namespace tillora::test {
namespace {

using TodaysSalesTest = RecordsFixture;

TEST_F(TodaysSalesTest, ASaleJustMadeIsListedUnderTodayUntilMidnight) {
    now = QDateTime(QDate(2016, 8, 20), QTime(23, 59, 59, 900));
    FormWindow* entry = open(FormId::SalesEntry);
    ASSERT_NE(entry, nullptr);
    entry->setText(QStringLiteral("编辑框_名称"), QStringLiteral("茶叶"));
    entry->setText(QStringLiteral("编辑框_单价"), QStringLiteral("19.99"));
    click(entry, "按钮_添加商品");
    click(entry, "按钮_仅保存小票");
    ASSERT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    const int sold = number_(QStringLiteral("select max(ID) from 销售记录"));

    ASSERT_NE(openRecords(), nullptr);
    EXPECT_EQ(ids(recordsWindow), (QList<int>{sold, late, midnight}));
    EXPECT_EQ(shown(0, 2), QStringLiteral("2016年8月20日23时59分59秒"));
    manager->close(static_cast<qint32>(FormId::SalesRecords));

    now = now.addSecs(1);
    ASSERT_NE(openRecords(), nullptr);
    EXPECT_TRUE(ids(recordsWindow).isEmpty());
}

}  // namespace
}  // namespace tillora::test
