// The sales windows at the keyboard alone: where the focus starts, where Tab takes it, and a
// whole receipt keyed in and recorded without the mouse.
#include "sales/sales_entry_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QHash>
#include <QKeySequence>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "forms/component.h"
#include "forms/components/list_view.h"
#include "sales/product_lookup.h"
#include "sales/sale_recorder.h"
#include "tests/sales/sales_fixture.h"
#include "tests/support/keyboard.h"

namespace tillora::test {
namespace {

QStringList names(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* n : list) {
        out << QString::fromUtf8(n);
    }
    return out;
}

class SalesKeyboardTest : public SalesFixture {
  protected:
    void TearDown() override {
        SalesFixture::TearDown();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    FormWindow* openActive(FormId id) {
        FormWindow* w = open(id);
        if (w != nullptr) {
            EXPECT_TRUE(Keyboard::activate(w));
        }
        return w;
    }
    void openSales() {
        w = openActive(FormId::SalesEntry);
        ASSERT_NE(w, nullptr);
        logic = SalesEntryWindow::of(w);
        keys = std::make_unique<Keyboard>(w);
    }
    QString t(const char* name) const { return w->text(QString::fromUtf8(name)); }
    ListView* list() const {
        return dynamic_cast<ListView*>(w->component(QStringLiteral("超级列表框1")));
    }
    // Tab until the named box has the focus.
    void tabTo(const char* name) {
        for (int i = 0; i < 40 && keys->focusedName() != QString::fromUtf8(name); ++i) {
            keys->press(Qt::Key_Tab);
        }
        ASSERT_EQ(keys->focusedName(), QString::fromUtf8(name));
    }
    // Name, Enter, price, Enter, quantity, Enter: the line goes in.
    void keyLine(const QString& name, const QString& price, const QString& quantity) {
        keys->type(name);
        keys->press(Qt::Key_Return);
        ASSERT_EQ(keys->focusedName(), QStringLiteral("编辑框_单价"));
        if (!price.isEmpty()) {
            keys->type(price);
        }
        keys->press(Qt::Key_Return);
        ASSERT_EQ(keys->focusedName(), QStringLiteral("编辑框_数量"));
        if (!quantity.isEmpty()) {
            keys->type(quantity);
        }
        keys->press(Qt::Key_Return);
    }

    FormWindow* w = nullptr;
    SalesEntryWindow* logic = nullptr;
    std::unique_ptr<Keyboard> keys;
};

TEST_F(SalesKeyboardTest, SalesEntryStartsAtTheProductNameAndTabsInTemplateOrder) {
    const QStringList entry = names(
        {"编辑框_名称", "编辑框_单价", "编辑框_数量", "选择框_折扣", "按钮_添加商品", "按钮_修改",
         "按钮_删除", "超级列表框1", "编辑框_实收", "选择框_付款方式", "编辑框_付款方式",
         "按钮_付款方式", "编辑框_备注", "按钮_打印预览", "按钮_打印小票", "按钮_仅保存小票"});
    // An administrator may change the cashier: the box comes last. The customer group, 按钮_设置
    // and the other parked controls are never reached.
    openSales();
    EXPECT_EQ(keys->focusedName(), QStringLiteral("编辑框_名称"));
    const QStringList admin = entry + names({"编辑框_收银员"});
    EXPECT_EQ(joined(keys->tabRound()), joined(admin));
    EXPECT_EQ(joined(Keyboard::templateTabOrder(w)), joined(admin));

    // An ordinary user: no cashier box; the discount drop-down joins once the tick is on.
    manager->closeAll();
    logIn(QStringLiteral("小王"), QStringLiteral("普通用户"));
    openSales();
    EXPECT_EQ(keys->focusedName(), QStringLiteral("编辑框_名称"));
    EXPECT_EQ(joined(keys->tabRound()), joined(entry));
    tabTo("选择框_折扣");
    keys->press(Qt::Key_Space);
    EXPECT_TRUE(w->component(QStringLiteral("选择框_折扣"))->isChecked());
    w->widgetAs<QLineEdit>(QStringLiteral("编辑框_名称"))->setFocus();
    QStringList withDiscount = entry;
    withDiscount.insert(4, QStringLiteral("组合框_折扣"));
    EXPECT_EQ(joined(keys->tabRound()), joined(withDiscount));
    EXPECT_EQ(joined(Keyboard::templateTabOrder(w)), joined(withDiscount));
}

// The small windows the sales entry window opens.
TEST_F(SalesKeyboardTest, MasterDataWindowsStartAtTheirFirstTabStop) {
    struct Case {
        FormId id;
        QStringList order;
    };
    const Case cases[] = {
        {FormId::PaymentMethods,
         names({"超级列表框1", "编辑框1", "按钮_添加", "按钮_修改", "按钮_删除"})},
        {FormId::Customers,
         names({"超级列表框1", "编辑框_客户", "编辑框_电话", "按钮_添加", "按钮_修改", "按钮_删除",
                "编辑框3", "编辑框4", "按钮__查询", "选择框1"})},
        {FormId::ReceiptNumberFormat, names({"选择框1", "编辑框1", "选择框2", "按钮1", "按钮2"})},
    };
    for (const Case& c : cases) {
        FormWindow* window = openActive(c.id);
        ASSERT_NE(window, nullptr);
        SCOPED_TRACE(c.order.join(u' ').toStdString());
        Keyboard k(window);
        EXPECT_EQ(k.focusedName(), c.order.first());
        EXPECT_EQ(joined(k.tabRound()), joined(c.order));
        EXPECT_EQ(joined(Keyboard::templateTabOrder(window)), joined(c.order));
        manager->close(static_cast<qint32>(c.id));
    }
    // The preview holds nothing to type into: its two parked controls take no focus.
    FormWindow* preview = openActive(FormId::Preview);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(Keyboard(preview).focused(), nullptr);
    EXPECT_TRUE(Keyboard::templateTabOrder(preview).isEmpty());
}

// Three lines, one picked from the product drop-down, cash, print: recorded as keyed.
TEST_F(SalesKeyboardTest, AReceiptKeyedWithoutTheMouseIsRecorded) {
    openSales();
    ProductLookup* lookup = logic->productLookup();
    ASSERT_NE(lookup, nullptr);

    // Typing drops the matching products down; the focus stays in the name box.
    keys->type(QStringLiteral("mk"));
    EXPECT_TRUE(lookup->isOpen());
    EXPECT_EQ(keys->focusedName(), QStringLiteral("编辑框_名称"));
    EXPECT_EQ(lookup->view()->model()->rowCount(), 1);
    EXPECT_EQ(lookup->chosen(), -1);
    keys->press(Qt::Key_Down);
    EXPECT_EQ(lookup->chosen(), 0);
    Keyboard::keepScreenshot(w, QStringLiteral("sales_entry_lookup"));
    keys->press(Qt::Key_Return);  // takes the product and its price
    EXPECT_FALSE(lookup->isOpen());
    EXPECT_EQ(t("编辑框_名称"), QStringLiteral("mkf-麦克风"));
    EXPECT_EQ(t("编辑框_单价"), QStringLiteral("10.00"));
    EXPECT_EQ(keys->focusedName(), QStringLiteral("编辑框_名称"));
    keyLine({}, {}, QStringLiteral("2"));  // the price stays, the quantity "1" is typed over
    ASSERT_EQ(list()->rowCount(), 1);

    // After a line: the name selected for the next, price and quantity fresh, the line selected.
    EXPECT_EQ(keys->focusedName(), QStringLiteral("编辑框_名称"));
    EXPECT_EQ(w->widgetAs<QLineEdit>(QStringLiteral("编辑框_名称"))->selectedText(),
              QStringLiteral("mkf-麦克风"));
    EXPECT_EQ(t("编辑框_单价"), QStringLiteral("0.00"));
    EXPECT_EQ(t("编辑框_数量"), QStringLiteral("1"));
    EXPECT_EQ(list()->currentIndex(), 0);

    keyLine(QStringLiteral("茶叶"), QStringLiteral("19.99"), QStringLiteral("3"));
    keyLine(QStringLiteral("笔"), QStringLiteral("6"), {});
    ASSERT_EQ(list()->rowCount(), 3);
    EXPECT_EQ(list()->currentIndex(), 2);
    EXPECT_EQ(t("标签_打折后"), QStringLiteral("85.97"));

    tabTo("编辑框_实收");
    EXPECT_FALSE(lookup->isOpen());
    keys->type(QStringLiteral("100"));
    EXPECT_EQ(t("编辑框_找零"), QStringLiteral("14.03"));
    keys->press(Qt::Key_Return);
    EXPECT_EQ(keys->focusedName(), QStringLiteral("按钮_打印小票"));
    Keyboard::keepScreenshot(w, QStringLiteral("sales_entry_keyed"));
    keys->press(Qt::Key_Return);  // no printer in this build: recorded straight away
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(list()->rowCount(), 0);

    const int id = SaleRecorder::newestSaleId(db);
    EXPECT_EQ(text(QStringLiteral("select 数量 from 销售记录 where ID=%1").arg(id)),
              QStringLiteral("6"));
    const int h = db.OpenTable(
        QStringLiteral("select 名称, 数量, 单价, 金额 from 销售详情 where 关联=%1 order by ID")
            .arg(id));
    ASSERT_NE(h, 0);
    QStringList rows;
    for (; !db.IsEOF(h); db.MoveNext(h)) {
        QStringList cells;
        for (int col = 1; col <= 4; ++col) {
            cells << db.ReadColByIndex(h, col).toText();
        }
        rows << cells.join(u' ');
    }
    db.CloseTable(h);
    EXPECT_EQ(rows, (QStringList{QStringLiteral("mkf-麦克风 2 10.00 20.00"),
                                 QStringLiteral("茶叶 3 19.99 59.97"),
                                 QStringLiteral("笔 1 6.00 6.00")}));
}

TEST_F(SalesKeyboardTest, DropDownKeysEscapeAndTheMouse) {
    openSales();
    ProductLookup* lookup = logic->productLookup();
    keys->type(QStringLiteral("d"));  // dyj-打印机, dyx-电源线
    ASSERT_TRUE(lookup->isOpen());
    EXPECT_EQ(lookup->view()->model()->rowCount(), 2);
    keys->press(Qt::Key_Down);
    keys->press(Qt::Key_Down);
    keys->press(Qt::Key_Down);  // stays on the last
    EXPECT_EQ(lookup->chosen(), 1);
    keys->press(Qt::Key_Up);
    EXPECT_EQ(lookup->chosen(), 0);
    // Esc closes the list first, then empties the box.
    keys->press(Qt::Key_Escape);
    EXPECT_FALSE(lookup->isOpen());
    EXPECT_EQ(t("编辑框_名称"), QStringLiteral("d"));
    keys->press(Qt::Key_Escape);
    EXPECT_EQ(t("编辑框_名称"), QString());
    // Nothing typed: Down opens the whole list.
    keys->press(Qt::Key_Down);
    EXPECT_TRUE(lookup->isOpen());
    EXPECT_EQ(lookup->view()->model()->rowCount(), 4);
    // Enter with nothing chosen keeps the typed name and goes on to the price.
    keys->press(Qt::Key_Escape);
    keys->type(QStringLiteral("dy"));
    keys->press(Qt::Key_Return);
    EXPECT_FALSE(lookup->isOpen());
    EXPECT_EQ(t("编辑框_名称"), QStringLiteral("dy"));
    EXPECT_EQ(keys->focusedName(), QStringLiteral("编辑框_单价"));
    keys->press(Qt::Key_Escape);
    EXPECT_EQ(t("编辑框_单价"), QString());

    // A click on a row takes it; the name box keeps the focus. Leaving the box closes the list.
    w->widgetAs<QLineEdit>(QStringLiteral("编辑框_名称"))->setFocus();
    keys->press(Qt::Key_Backspace);
    ASSERT_TRUE(lookup->isOpen());
    QListView* view = lookup->view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(1, 0)).center());
    EXPECT_FALSE(lookup->isOpen());
    EXPECT_EQ(t("编辑框_名称"), QStringLiteral("dyx-电源线"));
    EXPECT_EQ(keys->focusedName(), QStringLiteral("编辑框_名称"));
    keys->press(Qt::Key_End);  // the name taken is selected; keep all but its last character
    keys->press(Qt::Key_Backspace);
    ASSERT_TRUE(lookup->isOpen());
    keys->press(Qt::Key_Tab);
    EXPECT_FALSE(lookup->isOpen());
}

TEST_F(SalesKeyboardTest, FunctionKeysChecksAndLinesKeptInSight) {
    openSales();
    // The finishing buttons answer F5, F9, F10 and say so.
    const struct {
        const char* button;
        const char* key;
    } tips[] = {{"按钮_打印预览", "F5"}, {"按钮_打印小票", "F9"}, {"按钮_仅保存小票", "F10"}};
    for (const auto& tip : tips) {
        EXPECT_TRUE(w->widgetAs<QAbstractButton>(QString::fromUtf8(tip.button))
                        ->toolTip()
                        .contains(QString::fromLatin1(tip.key)))
            << tip.button;
    }
    keys->press(Qt::Key_F5);
    keys->press(Qt::Key_F9);
    keys->press(Qt::Key_F10);
    EXPECT_EQ(messages.texts(), (QStringList{QStringLiteral("没有可以预览的数据！"),
                                             QStringLiteral("没有可以打印的数据！"),
                                             QStringLiteral("没有可以保存的数据！")}));

    // Enter in 数量 checks as 添加 does.
    messages.clear();
    keys->press(Qt::Key_Return);
    keys->press(Qt::Key_Return);
    keys->press(Qt::Key_Return);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, QStringLiteral("商品名称不能为空！"));
    EXPECT_EQ(messages.shown()[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(list()->rowCount(), 0);

    // More lines than the list shows: each new one is scrolled into view.
    w->widgetAs<QLineEdit>(QStringLiteral("编辑框_名称"))->setFocus();
    for (int i = 1; i <= 15; ++i) {
        keyLine(QStringLiteral("货%1").arg(i), QStringLiteral("1"), {});
    }
    ASSERT_EQ(list()->rowCount(), 15);
    QTreeWidget* tree = list()->tree();
    const QRect last = tree->visualItemRect(tree->topLevelItem(14));
    EXPECT_TRUE(tree->viewport()->rect().contains(last)) << last.y();

    // F10 saves the receipt keyed in.
    messages.clear();
    keys->press(Qt::Key_F10);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_EQ(number(QStringLiteral("select count(*) from 销售记录")), 2);
}

TEST_F(SalesKeyboardTest, CustomerWindowOpensFromTheMenuAfterSoftwareSettings) {
    openSales();
    QMenu* system = nullptr;
    for (QAction* a : w->formMenuBar()->actions()) {
        if (a->text() == QStringLiteral("系统设置")) {
            system = a->menu();
        }
    }
    ASSERT_NE(system, nullptr);
    QStringList items;
    for (QAction* a : system->actions()) {
        items << a->text();
    }
    EXPECT_EQ(items, names({"软件设置", "客户信息"}));
    system->actions().at(1)->trigger();
    FormWindow* customers = manager->window(static_cast<qint32>(FormId::Customers));
    ASSERT_NE(customers, nullptr);
    EXPECT_FALSE(w->isEnabled());  // modal over the sales entry window
    // The customer group stays parked in the sales entry window.
    EXPECT_TRUE(w->component(QStringLiteral("按钮_设置客户"))->isParked());
}

// The frequent menu items show their keys and answer them from the entry boxes, where the keys
// type nothing; Alt then the arrows still reach the items.
TEST_F(SalesKeyboardTest, MenuItemsAnswerTheKeysTheyShow) {
    QStringList opened;
    module->setSettingsOpener([&](FormWindow*) { opened << QStringLiteral("设置"); });
    module->setStatisticsOpener([&](FormWindow*) { opened << QStringLiteral("统计"); });
    openSales();
    QHash<QString, QString> shown;
    for (QAction* bar : w->formMenuBar()->actions()) {
        for (QAction* item : bar->menu()->actions()) {
            if (!item->shortcut().isEmpty()) {
                shown.insert(item->text(), item->shortcut().toString(QKeySequence::PortableText));
            }
        }
    }
    EXPECT_EQ(shown,
              (QHash<QString, QString>{{QStringLiteral("软件设置"), QStringLiteral("Ctrl+S")},
                                       {QStringLiteral("客户信息"), QStringLiteral("Ctrl+G")},
                                       {QStringLiteral("统计销售"), QStringLiteral("Ctrl+F")}}));

    ASSERT_EQ(keys->focusedName(), QStringLiteral("编辑框_名称"));
    keys->press(Qt::Key_F, Qt::ControlModifier);
    w->component(QStringLiteral("编辑框_备注"))->widget()->setFocus();
    keys->press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(opened, names({"统计", "设置"}));
    EXPECT_EQ(t("编辑框_名称"), QString());
    keys->press(Qt::Key_G, Qt::ControlModifier);
    FormWindow* customers = manager->window(static_cast<qint32>(FormId::Customers));
    ASSERT_NE(customers, nullptr);
    EXPECT_TRUE(Keyboard::activate(customers));
    Keyboard(customers).press(Qt::Key_Escape);
    EXPECT_FALSE(manager->isOpen(static_cast<qint32>(FormId::Customers)));

    // Alt pressed and released opens the bar; Down opens 系统设置, Down and Enter take 客户信息.
    opened.clear();
    EXPECT_TRUE(Keyboard::activate(w));
    QTest::keyClick(w, Qt::Key_Alt);
    QTest::keyClick(w->formMenuBar(), Qt::Key_Down);
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_TRUE(manager->isOpen(static_cast<qint32>(FormId::Customers)));
}

TEST_F(SalesKeyboardTest, SixteenCharacterShopNameFitsItsBox) {
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral(
        "update 配置文件  set  店名='一二三四五六七八九十一二三四五六' where ID=1")));
    openSales();
    auto* box = w->widgetAs<QLineEdit>(QStringLiteral("编辑框_店名"));
    ASSERT_NE(box, nullptr);
    EXPECT_LT(box->font().pixelSize(), 24);
    EXPECT_LE(box->fontMetrics().horizontalAdvance(box->text()), box->width() - 8);
}

}  // namespace
}  // namespace tillora::test
