#include <QCoreApplication>

#include <gtest/gtest.h>

#include "forms/component.h"
#include "forms/components/list_view.h"
#include "sales/sales_entry_window.h"
#include "sales/sales_texts.h"
#include "tests/sales/sales_fixture.h"

namespace tillora::test {
namespace {

class MasterDataWindowsTest : public SalesFixture {
  protected:
    Component* c(FormWindow* w, const char* name) const {
        return w->component(QString::fromUtf8(name));
    }
    ListView* list(FormWindow* w) const { return dynamic_cast<ListView*>(c(w, "超级列表框1")); }
    void click(FormWindow* w, const char* name) { c(w, name)->raise(event::kClicked); }
    int count(const QString& sql) { return number(sql); }
};

TEST_F(MasterDataWindowsTest, PaymentMethodsAddChangeDelete) {
    FormWindow* w = open(FormId::PaymentMethods);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(list(w)->rowCount(), 6);
    EXPECT_EQ(list(w)->cell(1, 0), QStringLiteral("3"));
    EXPECT_EQ(list(w)->cell(1, 1), QStringLiteral("微信"));

    click(w, "按钮_添加");
    w->setText(QStringLiteral("编辑框1"), QString(51, QLatin1Char('m')));
    click(w, "按钮_添加");
    click(w, "按钮_修改");
    click(w, "按钮_删除");
    EXPECT_EQ(
        messages.texts(),
        (QStringList{QStringLiteral("不能为空"), QStringLiteral("付款方式不能超过50个字符！"),
                     QStringLiteral("请选择要修改的行！"), QStringLiteral("请选择要删除的行！")}));
    EXPECT_EQ(count(QStringLiteral("select count(*) from 付款方式")), 6);
    // Input checks, all under the same title.
    for (const auto& shown : messages.shown()) {
        EXPECT_EQ(shown.caption, QStringLiteral("提示")) << shown.text.toStdString();
    }

    messages.clear();
    w->setText(QStringLiteral("编辑框1"), QStringLiteral("店员's 挂账"));
    click(w, "按钮_添加");
    ASSERT_EQ(list(w)->rowCount(), 7);
    EXPECT_EQ(list(w)->cell(6, 1), QStringLiteral("店员's 挂账"));

    list(w)->setCurrentIndex(1);
    EXPECT_EQ(w->text(QStringLiteral("编辑框1")), QStringLiteral("微信"));
    w->setText(QStringLiteral("编辑框1"), QStringLiteral("微信支付"));
    click(w, "按钮_修改");
    EXPECT_EQ(text(QStringLiteral("select 方式 from 付款方式 where ID=3")),
              QStringLiteral("微信支付"));
    EXPECT_EQ(text(QStringLiteral("select 方式 from 付款方式 where ID=1")), QStringLiteral("现金"));

    list(w)->setCurrentIndex(6);
    click(w, "按钮_删除");
    EXPECT_EQ(list(w)->rowCount(), 6);
    ASSERT_EQ(messages.shown().size(), 1U);
    EXPECT_TRUE(messages.shown()[0].flags & MessageFlags::DefaultButton2);

    // 现金 is neither deleted nor renamed, whoever asks; nothing is asked first.
    messages.clear();
    list(w)->setCurrentIndex(0);
    click(w, "按钮_删除");
    w->setText(QStringLiteral("编辑框1"), QStringLiteral("现钞"));
    click(w, "按钮_修改");
    EXPECT_EQ(text(QStringLiteral("select 方式 from 付款方式 where ID=1")), QStringLiteral("现金"));
    EXPECT_EQ(messages.texts(), QStringList(2, sales_text::cashIsKept()));
    EXPECT_EQ(count(QStringLiteral("select count(*) from 操作记录 where 操作 like '%付款方式'")),
              3);
}

TEST_F(MasterDataWindowsTest, CustomersSearchFuzzyAndExact) {
    FormWindow* w = open(FormId::Customers);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(list(w)->rowCount(), 3);
    w->setText(QStringLiteral("编辑框_客户"), QStringLiteral("张三丰"));
    w->setText(QStringLiteral("编辑框_电话"), QStringLiteral("13900000036"));
    click(w, "按钮_添加");
    ASSERT_EQ(list(w)->rowCount(), 4);

    w->setText(QStringLiteral("编辑框3"), QStringLiteral("6"));
    click(w, "按钮__查询");  // exact: nobody is called "6"
    EXPECT_EQ(list(w)->rowCount(), 0);
    c(w, "选择框1")->setChecked(true);
    click(w, "按钮__查询");
    ASSERT_EQ(list(w)->rowCount(), 1);
    EXPECT_EQ(list(w)->cell(0, 1), QStringLiteral("369"));

    w->setText(QStringLiteral("编辑框3"), QString());
    w->setText(QStringLiteral("编辑框4"), QStringLiteral("36"));
    click(w, "按钮__查询");
    ASSERT_EQ(list(w)->rowCount(), 1);
    EXPECT_EQ(list(w)->cell(0, 1), QStringLiteral("张三丰"));
    c(w, "选择框1")->setChecked(false);
    w->setText(QStringLiteral("编辑框4"), QStringLiteral("456"));
    click(w, "按钮__查询");
    ASSERT_EQ(list(w)->rowCount(), 1);
    EXPECT_EQ(list(w)->cell(0, 1), QStringLiteral("369"));

    list(w)->setCurrentIndex(0);
    w->setText(QStringLiteral("编辑框_电话"), QString(101, QLatin1Char('1')));
    click(w, "按钮_修改");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("电话不能超过100个字符！")});
    EXPECT_EQ(text(QStringLiteral("select 电话 from 客户资料 where ID=4")), QStringLiteral("456"));
    list(w)->setCurrentIndex(0);
    w->setText(QStringLiteral("编辑框_客户"), QStringLiteral("3'69"));
    w->setText(QStringLiteral("编辑框_电话"), QStringLiteral("789"));
    click(w, "按钮_修改");
    EXPECT_EQ(text(QStringLiteral("select 姓名 from 客户资料 where ID=4")), QStringLiteral("3'69"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from 客户资料 where 电话='789'")), 1);
}

TEST_F(MasterDataWindowsTest, SalesDropDownsFollowTheMasterWindows) {
    FormWindow* sales = open(FormId::SalesEntry);
    ASSERT_NE(sales, nullptr);
    c(sales, "按钮_付款方式")->raise(event::kClicked);
    FormWindow* methods = manager->window(static_cast<qint32>(FormId::PaymentMethods));
    ASSERT_NE(methods, nullptr);
    methods->setText(QStringLiteral("编辑框1"), QStringLiteral("赊账"));
    click(methods, "按钮_添加");
    manager->close(static_cast<qint32>(FormId::PaymentMethods));
    EXPECT_TRUE(c(sales, "组合框_付款方式")->items().contains(QStringLiteral("赊账")));

    c(sales, "按钮_设置客户")->raise(event::kClicked);
    FormWindow* customers = manager->window(static_cast<qint32>(FormId::Customers));
    ASSERT_NE(customers, nullptr);
    customers->setText(QStringLiteral("编辑框_客户"), QStringLiteral("李四"));
    click(customers, "按钮_添加");
    manager->close(static_cast<qint32>(FormId::Customers));
    EXPECT_TRUE(c(sales, "组合框_客户")->items().contains(QStringLiteral("李四")));
}

TEST_F(MasterDataWindowsTest, ReceiptNumberFormatWindowStoresTheFormat) {
    FormWindow* sales = open(FormId::SalesEntry);
    ASSERT_NE(sales, nullptr);
    FormWindow* w = open(FormId::ReceiptNumberFormat);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(c(w, "选择框1")->isChecked());
    EXPECT_TRUE(c(w, "选择框2")->isChecked());
    EXPECT_EQ(w->text(QStringLiteral("编辑框2")), QStringLiteral("1608180000002"));

    c(w, "选择框1")->setChecked(true);
    w->setText(QStringLiteral("编辑框1"), QStringLiteral("A1"));
    click(w, "按钮1");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("自定义前缀只能是1至8位数字！")});
    EXPECT_EQ(text(QStringLiteral("select 全局单号格式 from 配置文件")), QStringLiteral("2"));

    w->setText(QStringLiteral("编辑框1"), QStringLiteral("07"));
    EXPECT_EQ(w->text(QStringLiteral("编辑框2")), QStringLiteral("071608180000001"));
    c(w, "选择框2")->setChecked(false);
    click(w, "选择框2");
    EXPECT_EQ(w->text(QStringLiteral("编辑框2")), QStringLiteral("070000000000001"));
    click(w, "按钮1");
    EXPECT_EQ(text(QStringLiteral("select 全局单号格式 from 配置文件")), QStringLiteral("307"));
    // The window closes once its handler has returned; the sales window shows the new form.
    QCoreApplication::processEvents();
    EXPECT_FALSE(manager->isOpen(static_cast<qint32>(FormId::ReceiptNumberFormat)));
    EXPECT_EQ(sales->text(QStringLiteral("编辑框_单号")), QStringLiteral("070000000000001"));
}

}  // namespace
}  // namespace tillora::test
