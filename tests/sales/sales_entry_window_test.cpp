#include "sales/sales_entry_window.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>

#include <gtest/gtest.h>

#include "forms/component.h"
#include "forms/components/list_view.h"
#include "forms/window_frame_metrics.h"
#include "platform/version.h"
#include "sales/receipt_printer.h"
#include "sales/sale_recorder.h"
#include "tests/sales/sales_fixture.h"

namespace tillora::test {
namespace {

class SalesEntryTest : public SalesFixture {
  protected:
    FormWindow* openSales() {
        w = open(FormId::SalesEntry);
        logic = SalesEntryWindow::of(w);
        return w;
    }
    Component* c(const char* name) const { return w->component(QString::fromUtf8(name)); }
    QString t(const char* name) const { return w->text(QString::fromUtf8(name)); }
    void set(const char* name, const QString& value) { w->setText(QString::fromUtf8(name), value); }
    // Types a line into the entry fields and presses 添加.
    void add(const QString& name, const QString& price, const QString& quantity) {
        set("编辑框_名称", name);
        set("编辑框_单价", price);
        set("编辑框_数量", quantity);
        click("按钮_添加商品");
    }
    void click(const char* name) { c(name)->raise(event::kClicked); }
    ListView* list() const { return dynamic_cast<ListView*>(c("超级列表框1")); }
    int count(const QString& sql) { return number(sql); }

    FormWindow* w = nullptr;
    SalesEntryWindow* logic = nullptr;
};

TEST_F(SalesEntryTest, StartFillsTheWindowFromTheDatabase) {
    ASSERT_NE(openSales(), nullptr);
    ASSERT_NE(logic, nullptr);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(w->windowTitle(),
              QStringLiteral("Tillorav" TILLORA_VERSION "          收银员：admin"));
    EXPECT_EQ(t("编辑框_店名"), QStringLiteral("Korvane"));
    EXPECT_TRUE(logic->currentReceipt().remark.startsWith(
        QStringLiteral("1.所购商品7日内凭购物小票调换\r\n2.所调换商品不能影响二次销售\r\n")));
    EXPECT_EQ(t("编辑框_单号"), QStringLiteral("1608180000002"));
    EXPECT_EQ(t("编辑框_时间"), QStringLiteral("2016-08-18  21:05:09"));
    EXPECT_EQ(t("编辑框_收银员"), QStringLiteral("admin"));
    EXPECT_EQ(t("编辑框_找零"), QStringLiteral("0.00"));
    EXPECT_EQ(t("编辑框_付款方式"), QStringLiteral("现金"));
    EXPECT_TRUE(c("选择框_付款方式")->isChecked());
    EXPECT_FALSE(c("选择框_客户")->isChecked());
    EXPECT_EQ(c("组合框_付款方式")->items().size(), 6);
    EXPECT_EQ(c("组合框_名称")->items().size(), 4);
    EXPECT_EQ(c("组合框_收银员")->items(), QStringList{QStringLiteral("admin")});
    EXPECT_EQ(c("组合框_客户")->items().size(), 3);
    EXPECT_EQ(c("组合框_折扣")->items().first(), QStringLiteral("10"));
    EXPECT_FALSE(c("组合框_折扣")->isEnabled());

    // Typing narrows the products to those whose name (or letter code) begins with the text.
    set("编辑框_名称", QStringLiteral("DY"));
    c("编辑框_名称")->raise(event::kKeyUp, {Value::fromInt('Y')});
    EXPECT_EQ(c("组合框_名称")->items(),
              (QStringList{QStringLiteral("dyj-打印机"), QStringLiteral("dyx-电源线")}));

    now = now.addSecs(61);
    c("时钟1")->raise(event::kTimerTick);
    EXPECT_EQ(t("编辑框_时间"), QStringLiteral("2016-08-18  21:06:10"));
}

TEST_F(SalesEntryTest, ThreeLinesWithADiscountAreRecordedAsOneSale) {
    ASSERT_NE(openSales(), nullptr);
    c("组合框_名称")->raise(event::kComboItemChosen, {Value::fromInt(2)});  // mkf-麦克风
    EXPECT_EQ(t("编辑框_名称"), QStringLiteral("mkf-麦克风"));
    EXPECT_EQ(t("编辑框_单价"), QStringLiteral("10.00"));
    set("编辑框_数量", QStringLiteral("2"));
    click("按钮_添加商品");

    c("选择框_折扣")->setChecked(true);
    click("选择框_折扣");
    EXPECT_TRUE(c("组合框_折扣")->isEnabled());
    c("组合框_折扣")->setCurrentIndex(5);  // 9.5
    add(QStringLiteral("茶叶"), QStringLiteral("19.99"), QStringLiteral("3"));
    c("组合框_折扣")->setCurrentIndex(0);  // 10: full price
    add(QStringLiteral("dyx-电源线"), QStringLiteral("6"), QStringLiteral("1"));
    c("选择框_折扣")->setChecked(false);
    click("选择框_折扣");

    ASSERT_EQ(list()->rowCount(), 3);
    const QStringList second{QStringLiteral("2"),     QStringLiteral("茶叶"),
                             QStringLiteral("3"),     QStringLiteral("19.99"),
                             QStringLiteral("59.97"), QStringLiteral("56.97")};
    for (int col = 0; col < 6; ++col) {
        EXPECT_EQ(list()->cell(1, col), second.at(col)) << col;
    }
    EXPECT_EQ(list()->cell(2, 4), QStringLiteral("6.00"));
    EXPECT_EQ(list()->cell(2, 5), QStringLiteral("6.00"));
    EXPECT_EQ(t("标签_总量"), QStringLiteral("6"));
    EXPECT_EQ(t("标签_总金额"), QStringLiteral("85.97"));
    EXPECT_EQ(t("标签_打折后"), QStringLiteral("82.97"));

    c("组合框_实收")->raise(event::kComboItemChosen, {Value::fromInt(3)});  // 100
    EXPECT_EQ(t("编辑框_实收"), QStringLiteral("100"));
    EXPECT_EQ(t("编辑框_找零"), QStringLiteral("17.03"));
    set("编辑框_实收", QStringLiteral("50"));
    EXPECT_EQ(t("编辑框_找零"), QStringLiteral("-32.97"));  // not enough given: negative
    set("编辑框_实收", QStringLiteral("90"));

    const Receipt r = logic->currentReceipt();
    EXPECT_EQ(r.paymentMethod, QStringLiteral("现金"));
    EXPECT_EQ(r.cashReceived, QStringLiteral("90.00"));
    EXPECT_EQ(r.cashier, QStringLiteral("admin"));

    click("按钮_仅保存小票");
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    // Only the new product is remembered; the two picked or already known are not stored again.
    EXPECT_EQ(count(QStringLiteral("select count(*) from 商品名称")), 5);
    EXPECT_EQ(
        count(QStringLiteral("select count(*) from 商品名称 where 名称='茶叶' and 单价='19.99'")),
        1);
    const int id = SaleRecorder::newestSaleId(db);
    EXPECT_EQ(count(QStringLiteral("select count(*) from 销售详情 where 关联=%1").arg(id)), 3);
    EXPECT_EQ(text(QStringLiteral("select 数量 from 销售记录 where ID=%1").arg(id)),
              QStringLiteral("6"));
    EXPECT_EQ(text(QStringLiteral("select 销售票号 from 销售记录 where ID=%1").arg(id)),
              QStringLiteral("1608180000002"));
    // A fresh receipt follows.
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_EQ(t("标签_打折后"), QStringLiteral("0.00"));
    EXPECT_EQ(t("编辑框_找零"), QStringLiteral("0.00"));
    EXPECT_EQ(t("编辑框_单号"), QStringLiteral("1608180000003"));
}

TEST_F(SalesEntryTest, EntryChecksAndEmptyListMessages) {
    ASSERT_NE(openSales(), nullptr);
    struct Case {
        QString name, price, quantity;
        const char* message;
    } cases[] = {
        {{}, QStringLiteral("1"), QStringLiteral("1"), "商品名称不能为空！"},
        {QStringLiteral("笔"), QStringLiteral("1"), {}, "数量不能为空！"},
        {QStringLiteral("笔"), {}, QStringLiteral("1"), "价格不能为空！"},
        {QString(51, QLatin1Char('n')), QStringLiteral("1"), QStringLiteral("1"),
         "商品名称不能超过50个字符！"},
    };
    for (const Case& k : cases) {
        messages.clear();
        add(k.name, k.price, k.quantity);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].text, QString::fromUtf8(k.message));
        EXPECT_EQ(messages.shown()[0].caption, QStringLiteral("提示"));
    }
    EXPECT_EQ(list()->rowCount(), 0);

    messages.clear();
    click("按钮_打印预览");
    click("按钮_打印小票");
    click("按钮_仅保存小票");
    EXPECT_EQ(messages.texts(), (QStringList{QStringLiteral("没有可以预览的数据！"),
                                             QStringLiteral("没有可以打印的数据！"),
                                             QStringLiteral("没有可以保存的数据！")}));
    for (const auto& shown : messages.shown()) {
        EXPECT_EQ(shown.caption, QStringLiteral("提示")) << shown.text.toStdString();
    }
    EXPECT_EQ(count(QStringLiteral("select count(*) from 销售记录")), 1);
}

TEST_F(SalesEntryTest, ChangeAndDeleteTheSelectedLine) {
    ASSERT_NE(openSales(), nullptr);
    add(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("1"));
    add(QStringLiteral("b"), QStringLiteral("2"), QStringLiteral("1"));
    add(QStringLiteral("c"), QStringLiteral("3"), QStringLiteral("1"));
    EXPECT_EQ(list()->currentIndex(), 2);  // the line just added
    list()->setCurrentIndex(-1);
    click("按钮_修改");
    click("按钮_删除");
    EXPECT_EQ(messages.texts(), (QStringList{QStringLiteral("请选择要修改的行！"),
                                             QStringLiteral("请选择要删除的行！")}));

    list()->setCurrentIndex(1);  // copies the row into the entry fields
    EXPECT_EQ(t("编辑框_名称"), QStringLiteral("b"));
    set("编辑框_数量", QStringLiteral("5"));
    click("按钮_修改");
    EXPECT_EQ(list()->cell(1, 4), QStringLiteral("10.00"));
    EXPECT_EQ(t("标签_总金额"), QStringLiteral("14.00"));

    list()->setCurrentIndex(0);
    click("按钮_删除");
    ASSERT_EQ(list()->rowCount(), 2);
    EXPECT_EQ(list()->cell(0, 0), QStringLiteral("1"));
    EXPECT_EQ(list()->cell(0, 1), QStringLiteral("b"));
    EXPECT_EQ(t("标签_总量"), QStringLiteral("6"));
    EXPECT_EQ(t("标签_总金额"), QStringLiteral("13.00"));
}

TEST_F(SalesEntryTest, AFailedRecordingKeepsTheReceipt) {
    ASSERT_NE(openSales(), nullptr);
    ASSERT_TRUE(db.ExecuteSql(
        QStringLiteral("create trigger only_one_line before insert on 销售详情 "
                       "when (select count(*) from 销售详情 where 关联 = new.关联) >= 1 "
                       "begin select raise(abort, 'second line refused'); end")));
    add(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("1"));
    add(QStringLiteral("b"), QStringLiteral("2"), QStringLiteral("1"));
    const Receipt before = logic->currentReceipt();
    click("按钮_打印小票");  // no printer hooked up: records straight away
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("添加失败！")});
    EXPECT_EQ(count(QStringLiteral("select count(*) from 销售记录")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from 销售详情")), 1);
    EXPECT_EQ(logic->currentReceipt(), before);

    // Once the obstacle is gone the same receipt goes in whole.
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral("drop trigger only_one_line")));
    messages.clear();
    click("按钮_仅保存小票");
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(count(QStringLiteral("select count(*) from 销售详情")), 3);
}

TEST_F(SalesEntryTest, TheSaleIsStoredBeforeItsReceiptIsPrinted) {
    int printed = 0;
    bool choosePrinter = false;  // no printer chosen: the job never starts
    bool answer = false;
    bool chosen = false;  // a job was opened when the printer was chosen
    ReceiptPrinting printing;
    printing.choosePrinter = [&](SalesEntryWindow&) {
        ++printed;
        chosen = choosePrinter;
        return choosePrinter;
    };
    printing.abandon = [&](SalesEntryWindow&) { chosen = false; };
    printing.print = [&](SalesEntryWindow&, const Receipt& r, const SalePrint& sale) {
        EXPECT_EQ(r.lines.size(), 1);
        if (!chosen) {
            ++printed;  // not recorded: nothing was chosen first
            EXPECT_FALSE(sale.options.openDrawer);
            return answer;
        }
        chosen = false;
        EXPECT_TRUE(sale.options.openDrawer);
        EXPECT_EQ(count(QStringLiteral("select count(*) from 销售记录 where 销售票号='") +
                        r.number + QLatin1Char('\'')),
                  1);
        return answer;
    };
    module->setPrinting(printing);
    ASSERT_NE(openSales(), nullptr);
    add(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("1"));
    click("按钮_打印小票");  // no printer chosen: nothing stored, nothing said, receipt kept
    EXPECT_EQ(list()->rowCount(), 1);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(count(QStringLiteral("select count(*) from 销售记录")), 1);

    // Stored, then the print failed: the sale stays, the cashier is told, a new receipt begins.
    choosePrinter = true;
    click("按钮_打印小票");
    EXPECT_EQ(
        messages.texts(),
        QStringList{QStringLiteral("已保存，但小票没有打印！可在统计销售中用打印记录重印。")});
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from 销售记录")), 2);

    messages.clear();
    answer = true;
    add(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("1"));
    click("按钮_打印小票");
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(printed, 3);
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from 销售记录")), 3);

    // With 保存销售记录 off a printed receipt is not stored.
    manager->closeAll();
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral("update 配置文件 set 保存销售记录='假'")));
    ASSERT_NE(openSales(), nullptr);
    add(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("1"));
    click("按钮_打印小票");
    EXPECT_EQ(printed, 4);
    EXPECT_EQ(count(QStringLiteral("select count(*) from 销售记录")), 3);
}

TEST_F(SalesEntryTest, QuotesAndLongTextsStayInTheirPlace) {
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral(
        "insert into 用户登录 (用户名,权限,密码) values ('O''Neil','普通用户','')")));
    ASSERT_NE(openSales(), nullptr);
    const QString quoted = QStringLiteral("x','1');delete from 商品名称;--");
    set("编辑框_名称", QStringLiteral("d'"));
    w->component(QStringLiteral("编辑框_名称"))->raise(event::kKeyUp, {Value::fromInt(0)});
    EXPECT_TRUE(c("组合框_名称")->items().isEmpty());
    add(quoted, QStringLiteral("1"), QStringLiteral("1"));
    set("编辑框_收银员", QStringLiteral("O'Neil"));
    set("编辑框_备注", QStringLiteral("it's ' fine"));
    click("按钮_仅保存小票");
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(count(QStringLiteral("select count(*) from 商品名称")), 5);
    EXPECT_EQ(text(QStringLiteral("select 收银员 from 销售记录 order by ID desc")),
              QStringLiteral("O'Neil"));
    EXPECT_EQ(text(QStringLiteral("select 名称 from 销售详情 order by ID desc")), quoted);

    add(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("1"));
    set("编辑框_收银员", QString(60, QLatin1Char('c')));
    click("按钮_仅保存小票");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("收银员 ") + QString(60, u'c') +
                                            QStringLiteral(" 不是本店用户，请从列表中选择！")});
    EXPECT_EQ(t("编辑框_收银员"), QStringLiteral("admin"));
    EXPECT_EQ(list()->rowCount(), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from 销售记录")), 2);
}

TEST_F(SalesEntryTest, OrdinaryUserCannotChangeCashierOrNumber) {
    logIn(QStringLiteral("小王"), QStringLiteral("普通用户"));
    ASSERT_NE(openSales(), nullptr);
    EXPECT_EQ(t("编辑框_收银员"), QStringLiteral("小王"));
    EXPECT_FALSE(c("组合框_收银员")->isEnabled());
    EXPECT_TRUE(w->widgetAs<QLineEdit>(QStringLiteral("编辑框_收银员"))->isReadOnly());
    EXPECT_TRUE(w->widgetAs<QLineEdit>(QStringLiteral("编辑框_单号"))->isReadOnly());
    c("组合框_收银员")->raise(event::kComboItemChosen, {Value::fromInt(0)});
    EXPECT_EQ(t("编辑框_收银员"), QStringLiteral("小王"));

    manager->closeAll();
    logIn(QStringLiteral("admin"), QStringLiteral("管理员"));
    ASSERT_NE(openSales(), nullptr);
    EXPECT_TRUE(c("组合框_收银员")->isEnabled());
    EXPECT_FALSE(w->widgetAs<QLineEdit>(QStringLiteral("编辑框_收银员"))->isReadOnly());
}

TEST_F(SalesEntryTest, TickStatesSurviveAReopen) {
    ASSERT_NE(openSales(), nullptr);
    c("选择框_付款方式")->setChecked(false);
    click("选择框_付款方式");
    EXPECT_FALSE(c("组合框_付款方式")->isEnabled());
    EXPECT_EQ(t("编辑框_付款方式"), QStringLiteral("现金"));
    c("选择框_客户")->setChecked(true);
    click("选择框_客户");
    c("选择框_电话")->setChecked(true);
    click("选择框_电话");
    EXPECT_TRUE(messages.shown().empty());

    manager->closeAll();
    db.CloseDatabase();
    ASSERT_TRUE(db.OpenMdbDatabase(path));
    ASSERT_NE(openSales(), nullptr);
    EXPECT_FALSE(c("选择框_付款方式")->isChecked());
    EXPECT_TRUE(c("选择框_客户")->isChecked());
    EXPECT_TRUE(c("选择框_电话")->isChecked());
    EXPECT_EQ(logic->currentReceipt().paymentMethod, QStringLiteral("现金"));

    // A tick that can't be stored goes back and says so.
    db.CloseDatabase();
    c("选择框_客户")->setChecked(false);
    click("选择框_客户");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("数据修改失败")});
    EXPECT_TRUE(c("选择框_客户")->isChecked());
}

TEST_F(SalesEntryTest, UnreadableSettingsAreReported) {
    db.CloseDatabase();
    ASSERT_NE(openSales(), nullptr);
    EXPECT_TRUE(messages.texts().contains(QStringLiteral("查询失败！")));
}

TEST_F(SalesEntryTest, CustomerPickFillsItsPhone) {
    ASSERT_NE(openSales(), nullptr);
    const int last = static_cast<int>(c("组合框_客户")->items().size()) - 1;
    c("组合框_客户")->raise(event::kComboItemChosen, {Value::fromInt(last)});
    EXPECT_EQ(t("编辑框_客户"), QStringLiteral("369"));
    EXPECT_EQ(t("编辑框_电话"), QStringLiteral("456"));
}

TEST_F(SalesEntryTest, EveryHandlerOfTheSalesWindowsIsProvided) {
    QStringList ours;
    for (const QString& name : manager->missingHandlers()) {
        for (const char* prefix :
             {"salesEntry.", "paymentMethods.", "customers.", "receiptNumberFormat."}) {
            if (name.startsWith(QLatin1String(prefix))) {
                ours << name;
            }
        }
    }
    EXPECT_TRUE(ours.isEmpty()) << ours.join(u',').toStdString();
}

TEST_F(SalesEntryTest, HelpMenuShowsOurOwnTexts) {
    ASSERT_NE(openSales(), nullptr);
    const auto trigger = [&](const QString& caption) {
        for (QAction* menu : w->formMenuBar()->actions()) {
            for (QAction* item : menu->menu()->actions()) {
                if (item->text() == caption) {
                    item->trigger();
                    return;
                }
            }
        }
        ADD_FAILURE() << caption.toStdString();
    };
    trigger(QStringLiteral("检测版本"));
    trigger(QStringLiteral("软件设置"));
    trigger(QStringLiteral("关于"));
    ASSERT_EQ(messages.shown().size(), 3u);
    EXPECT_EQ(messages.shown()[0].text, QStringLiteral(" 网站建设中......\r\n 可先咨询客服索取。"));
    EXPECT_EQ(messages.shown()[0].caption, QStringLiteral("提示："));
    EXPECT_EQ(messages.shown()[1].text, QStringLiteral("该功能尚未开放！"));
    EXPECT_TRUE(messages.shown()[2].text.contains(QStringLiteral("Tillora v" TILLORA_VERSION)));

    int opened = 0;
    module->setSettingsOpener([&](FormWindow* owner) {
        EXPECT_EQ(owner, w);
        ++opened;
    });
    trigger(QStringLiteral("软件设置"));
    EXPECT_EQ(opened, 1);
}

// The window as built must match its template: every component where the template puts it,
// the client area sized by the frame metrics, and a picture to look at.
TEST_F(SalesEntryTest, GeometryMatchesTheTemplate) {
    ASSERT_NE(openSales(), nullptr);
    const WindowTemplate& tpl = w->windowTemplate();
    const QSize client = WindowFrameMetrics(2, true).clientSize(QSize(665, 712));
    EXPECT_EQ(w->size(), client);
    const int menuHeight = w->formMenuBar()->height();
    EXPECT_EQ(w->clientArea()->height(), client.height() - menuHeight);
    for (const ComponentRecord& r : tpl.components.mid(1)) {
        Component* comp = w->component(r.name);
        ASSERT_NE(comp, nullptr) << r.name.toStdString();
        if (comp->widget() == nullptr) {
            continue;
        }
        EXPECT_EQ(comp->widget()->geometry(), QRect(r.left, r.top, r.width, r.height))
            << r.name.toStdString();
        // Whatever is visible lies inside the client area.
        if (r.visible() && r.left < 665 && r.container == 0) {
            EXPECT_LE(r.left + r.width, client.width()) << r.name.toStdString();
            EXPECT_LE(r.top + r.height, w->clientArea()->height()) << r.name.toStdString();
        }
    }
    // Edit boxes lie exactly over their drop-downs, on top of them.
    for (const char* pair : {"名称", "收银员", "实收", "付款方式", "客户", "电话"}) {
        const QString suffix = QString::fromUtf8(pair);
        QWidget* edit = w->component(QStringLiteral("编辑框_") + suffix)->widget();
        QWidget* combo = w->component(QStringLiteral("组合框_") + suffix)->widget();
        EXPECT_EQ(edit->pos(), combo->pos()) << pair;
        EXPECT_EQ(edit->height(), combo->height()) << pair;
        EXPECT_GE(combo->width() - edit->width(), 14) << pair;
        EXPECT_LE(combo->width() - edit->width(), 18) << pair;
        EXPECT_GT(edit->parentWidget()->children().indexOf(edit),
                  combo->parentWidget()->children().indexOf(combo))
            << pair;
    }
    w->show();
    const QPixmap shot = w->grab();
    EXPECT_EQ(shot.size(), client);
    const QString out = QDir::temp().filePath(QStringLiteral("tillora_sales_entry.png"));
    EXPECT_TRUE(shot.save(out));
}

}  // namespace
}  // namespace tillora::test
