// The three windows as the user sees them: client sizes from their outer sizes, components where
// their templates put them. The PNGs stay in the build folder for a look.
#include <QDir>
#include <QPixmap>

#include "records/records_sql.h"
#include "tests/records/records_fixture.h"

namespace tillora::test {
namespace {

using RecordsScreensTest = RecordsFixture;

void expectPlace(FormWindow* w, const char* name, const QRect& place) {
    Component* c = w->component(QString::fromUtf8(name));
    ASSERT_NE(c, nullptr) << name;
    EXPECT_EQ(c->widget()->geometry(), place) << name;
}

TEST_F(RecordsScreensTest, WindowsStandWhereTheirTemplatesSay) {
    SalesRecordsWindow* w = openRecords();
    w->fill(everySale());
    w->selectSale(yesterday);
    recordsWindow->show();
    EXPECT_EQ(recordsWindow->clientArea()->size(), QSize(587, 674));
    expectPlace(recordsWindow, "超级列表框1", {5, 72, 574, 552});
    expectPlace(recordsWindow, "编辑框_查单号", {8, 14, 136, 24});
    expectPlace(recordsWindow, "标签_总金额", {304, 8, 200, 20});
    EXPECT_TRUE(
        recordsWindow->grab().save(QDir::current().filePath(QStringLiteral("sales_records.png"))));

    click(recordsWindow, "按钮_查询");
    FormWindow* query = window(FormId::SalesQuery);
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(query->clientArea()->size(), QSize(353, 316));
    expectPlace(query, "日期框2", {233, 48, 107, 24});
    expectPlace(query, "按钮2", {117, 256, 79, 40});
    EXPECT_TRUE(query->grab().save(QDir::current().filePath(QStringLiteral("sales_query.png"))));
    manager->close(static_cast<qint32>(FormId::SalesQuery));

    click(recordsWindow, "按钮_查看详情");
    FormWindow* details = window(FormId::SaleDetails);
    ASSERT_NE(details, nullptr);
    listOf(details)->setCurrentIndex(0);
    EXPECT_EQ(details->clientArea()->size(), QSize(588, 482));
    expectPlace(details, "编辑框_单价", {332, 310, 68, 19});
    expectPlace(details, "按钮_关闭", {444, 424, 80, 40});
    EXPECT_TRUE(details->grab().save(QDir::current().filePath(QStringLiteral("sale_details.png"))));
}

}  // namespace
}  // namespace tillora::test
