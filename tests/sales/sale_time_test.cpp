// The time the sales window shows, the 销售时间 stored with the sale and the day its number
// counts from all come from the program's clock.
#include <gtest/gtest.h>

#include "forms/component.h"
#include "platform/jet_date.h"
#include "sales/sales_entry_window.h"
#include "tests/sales/sales_fixture.h"

namespace tillora::test {
namespace {

class SaleTimeTest : public SalesFixture {
  protected:
    void SetUp() override {
        SalesFixture::SetUp();
        w = open(FormId::SalesEntry);
        ASSERT_NE(w, nullptr);
    }
    QString t(const char* name) const { return w->text(QString::fromUtf8(name)); }
    void sellOne() {
        w->setText(QStringLiteral("编辑框_名称"), QStringLiteral("茶叶"));
        w->setText(QStringLiteral("编辑框_单价"), QStringLiteral("10"));
        w->setText(QStringLiteral("编辑框_数量"), QStringLiteral("1"));
        w->component(QStringLiteral("按钮_添加商品"))->raise(event::kClicked);
        w->component(QStringLiteral("按钮_仅保存小票"))->raise(event::kClicked);
        EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    }
    QDateTime shownTime() const {
        return QDateTime::fromString(t("编辑框_时间"), QStringLiteral("yyyy-MM-dd  HH:mm:ss"));
    }
    QDateTime storedTime() {
        const int h = db.OpenTable(QStringLiteral("select top 1 * from 销售记录 order by ID desc"));
        const double day = db.ReadColByName(h, QStringLiteral("销售时间")).toDouble();
        db.CloseTable(h);
        return dateTimeFromJetDay(day);
    }

    FormWindow* w = nullptr;
};

TEST_F(SaleTimeTest, TheStoredSaleTimeIsTheTimeShown) {
    // A fraction of a second before midnight: shown and stored alike as 23:59:59 of this day,
    // never rounded up into the next one.
    now = QDateTime(QDate(2016, 8, 18), QTime(23, 59, 59, 800));
    w->component(QStringLiteral("时钟1"))->raise(event::kTimerTick);
    EXPECT_EQ(t("编辑框_时间"), QStringLiteral("2016-08-18  23:59:59"));
    sellOne();
    EXPECT_EQ(storedTime(), shownTime());
    EXPECT_EQ(text(QStringLiteral("select top 1 销售票号 from 销售记录 order by ID desc")),
              QStringLiteral("1608180000002"));
    // The next receipt, after midnight, is numbered and stored on the new day.
    now = QDateTime(QDate(2016, 8, 19), QTime(0, 0, 1));
    w->component(QStringLiteral("时钟1"))->raise(event::kTimerTick);
    EXPECT_EQ(t("编辑框_时间"), QStringLiteral("2016-08-19  00:00:01"));
    sellOne();
    EXPECT_EQ(storedTime(), shownTime());
    EXPECT_EQ(text(QStringLiteral("select top 1 销售票号 from 销售记录 order by ID desc")),
              QStringLiteral("1608190000001"));
}

}  // namespace
}  // namespace tillora::test
