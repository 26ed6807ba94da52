#include "tests/settings/settings_fixture.h"
#include "tests/support/keyboard.h"

namespace tillora::test {
namespace {

class ProductsPageTest : public SettingsFixture {
  protected:
    QStringList row(FormWindow* w, int r) {
        ListView* l = list(w, "超级列表框1");
        return {l->cell(r, 0), l->cell(r, 1), l->cell(r, 2)};
    }
    int products() { return number(QStringLiteral("select count(*) from 商品名称")); }
};

TEST_F(ProductsPageTest, AddChangeDeleteWithTheirChecks) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    ListView* l = list(w, "超级列表框1");
    ASSERT_EQ(l->rowCount(), 4);
    EXPECT_EQ(row(w, 1), (QStringList{QStringLiteral("24"), QStringLiteral("xsq-显示器"),
                                      QStringLiteral("300.00")}));

    click(w, "按钮_添加");
    set(w, "编辑框_名称", QStringLiteral("  "));
    click(w, "按钮_添加");
    set(w, "编辑框_名称", QStringLiteral("茶叶"));
    click(w, "按钮_添加");
    set(w, "编辑框_单价", QStringLiteral("8.00"));
    set(w, "编辑框_名称", QString(60, u'茶'));
    click(w, "按钮_添加");
    set(w, "编辑框_名称", QStringLiteral("茶叶"));
    set(w, "编辑框_单价", QString(60, u'8'));
    click(w, "按钮_添加");
    click(w, "按钮_修改");
    click(w, "按钮_删除");
    EXPECT_EQ(
        messages.texts(),
        (QStringList{
            QStringLiteral("商品名称不能为空！"), QStringLiteral("商品名称不能为空！"),
            QStringLiteral("商品价格不能为空！"), QStringLiteral("商品名称不能超过50个字符！"),
            QStringLiteral("商品价格只能是数字（最多两位小数，不超过 99999999.99），例如 12.50！"),
            QStringLiteral("请选择要修改的行！"), QStringLiteral("请选择要删除的行！")}));
    EXPECT_EQ(products(), 4);

    messages.clear();
    const QString quoted = QStringLiteral("O'Neil 牌 ') ; delete from 商品名称; --");
    set(w, "编辑框_名称", quoted);
    set(w, "编辑框_单价", QStringLiteral("12.50"));
    click(w, "按钮_添加");
    ASSERT_EQ(l->rowCount(), 5);
    EXPECT_EQ(row(w, 4), (QStringList{QStringLiteral("27"), quoted, QStringLiteral("12.50")}));
    EXPECT_EQ(text(QStringLiteral("select 名称 from 商品名称 where ID=27")), quoted);

    // Selecting a line copies it into the boxes; 修改 writes them back into that row only.
    l->setCurrentIndex(1);
    EXPECT_EQ(get(w, "编辑框_名称"), QStringLiteral("xsq-显示器"));
    EXPECT_EQ(get(w, "编辑框_单价"), QStringLiteral("300.00"));
    set(w, "编辑框_单价", QString());
    click(w, "按钮_修改");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("商品价格不能为空！")});
    messages.clear();
    const QString fifty = QStringLiteral("'") + QString(49, u'显');
    set(w, "编辑框_名称", fifty);
    set(w, "编辑框_单价", QStringLiteral("299.00"));
    click(w, "按钮_修改");
    EXPECT_EQ(text(QStringLiteral("select 名称 from 商品名称 where ID=24")), fifty);
    EXPECT_EQ(text(QStringLiteral("select 单价 from 商品名称 where ID=24")),
              QStringLiteral("299.00"));
    EXPECT_EQ(text(QStringLiteral("select 名称 from 商品名称 where ID=23")),
              QStringLiteral("dyj-打印机"));
    EXPECT_EQ(row(w, 1)[1], fifty);

    // Asked first, 否 the default: 否 keeps it, 是 deletes it.
    l->setCurrentIndex(4);
    messages.answer(MessageResult::No);
    click(w, "按钮_删除");
    EXPECT_EQ(products(), 5);
    click(w, "按钮_删除");
    EXPECT_EQ(products(), 4);
    EXPECT_EQ(number(QStringLiteral("select count(*) from 商品名称 where ID=27")), 0);
    EXPECT_EQ(l->rowCount(), 4);
    ASSERT_EQ(messages.shown().size(), 2U);
    EXPECT_TRUE(messages.shown()[0].flags & MessageFlags::DefaultButton2);
}

// The sales window reads a price as money: anything else would sell at 0.00 or at a number
// nobody typed, so it is refused whole and nothing is stored.
TEST_F(ProductsPageTest, PriceThatIsNoPlainAmountIsRefused) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(Keyboard::activate(w));
    c(w, "高级选择夹1")->setCurrentIndex(1);
    Keyboard keys(w);
    ListView* l = list(w, "超级列表框1");
    const QString before = text(QStringLiteral("select 单价 from 商品名称 where ID=24"));
    for (const char* price : {"abc", "-3", "1e3", "0x10", "12.345", "1,000", "100000000"}) {
        SCOPED_TRACE(price);
        messages.clear();
        set(w, "编辑框_名称", QStringLiteral("茶叶"));
        set(w, "编辑框_单价", QString());
        c(w, "编辑框_单价")->widget()->setFocus();
        keys.type(QString::fromLatin1(price));
        EXPECT_EQ(get(w, "编辑框_单价"), QString::fromLatin1(price));
        click(w, "按钮_添加");
        l->setCurrentIndex(1);
        set(w, "编辑框_单价", QString::fromLatin1(price));
        click(w, "按钮_修改");
        const QString message =
            QStringLiteral("商品价格只能是数字（最多两位小数，不超过 99999999.99），例如 12.50！");
        EXPECT_EQ(messages.texts(), (QStringList{message, message}));
        EXPECT_EQ(messages.shown()[0].caption, QStringLiteral("提示"));
        EXPECT_EQ(products(), 4);
        EXPECT_EQ(text(QStringLiteral("select 单价 from 商品名称 where ID=24")), before);
    }
    messages.clear();
    set(w, "编辑框_单价", QStringLiteral("0.5"));
    click(w, "按钮_修改");
    EXPECT_TRUE(messages.shown().empty());
}

// The tick holds for the run: unticked, the sales window stops remembering what it sells; a
// new settings window shows the switch as it stands.
TEST_F(ProductsPageTest, RememberSwitchDecidesWhatTheSalesWindowStores) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(c(w, "选择框1")->isChecked());
    click(w, "选择框1");
    EXPECT_FALSE(module->remembersProducts());
    manager->close(static_cast<qint32>(FormId::Settings));

    FormWindow* sales = open(FormId::SalesEntry);
    ASSERT_NE(sales, nullptr);
    const auto sell = [&](const QString& name) {
        set(sales, "编辑框_名称", name);
        set(sales, "编辑框_单价", QStringLiteral("5.00"));
        set(sales, "编辑框_数量", QStringLiteral("1"));
        click(sales, "按钮_添加商品");
        click(sales, "按钮_仅保存小票");
    };
    sell(QStringLiteral("一次性杯子"));
    EXPECT_EQ(number(QStringLiteral("select count(*) from 商品名称 where 名称='一次性杯子'")), 0);

    w = openSettings();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(c(w, "选择框1")->isChecked());
    click(w, "选择框1");
    manager->close(static_cast<qint32>(FormId::Settings));
    EXPECT_TRUE(module->remembersProducts());
    sell(QStringLiteral("纸巾"));
    EXPECT_EQ(number(QStringLiteral("select count(*) from 商品名称 where 名称='纸巾'")), 1);
}

}  // namespace
}  // namespace tillora::test
