#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "sales/sales_entry_window.h"
#include "tests/settings/settings_fixture.h"
#include "tests/support/keyboard.h"

namespace tillora::test {
namespace {

class PrintPageTest : public SettingsFixture {
  protected:
    // 系统设置 → 软件设置 of the sales window.
    static void openFromMenu(FormWindow* sales) {
        for (QAction* menu : sales->formMenuBar()->actions()) {
            for (QAction* action : menu->menu()->actions()) {
                if (action->text() == QStringLiteral("软件设置")) {
                    action->trigger();
                    return;
                }
            }
        }
        ADD_FAILURE() << "no 软件设置";
    }
};

const QString kNote = QStringLiteral("1.所购商品7日内凭购物小票调换");

TEST_F(PrintPageTest, OpensFilledFromTheSettingsRecord) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(c(w, "高级选择夹1")->currentPage(), 0);
    EXPECT_EQ(get(w, "编辑框_店名"), QStringLiteral("Korvane"));
    EXPECT_TRUE(get(w, "编辑框_备注").startsWith(kNote + QStringLiteral("\r\n")));
    EXPECT_EQ(get(w, "编辑框_边距"), QStringLiteral("0"));
    EXPECT_EQ(get(w, "编辑框_偏差"), QStringLiteral("0"));
    EXPECT_FALSE(c(w, "选择框_显示打印完毕")->isChecked());
    EXPECT_FALSE(c(w, "选择框_提示再次打印")->isChecked());
    EXPECT_TRUE(c(w, "选择框_打印单价")->isChecked());
    // The number the next sale gets, shown only.
    EXPECT_EQ(get(w, "编辑框3"), QStringLiteral("1608180000002"));
    EXPECT_FALSE(c(w, "编辑框3")->isEnabled());
    EXPECT_FALSE(c(w, "按钮2")->widget()->isVisible());
    EXPECT_FALSE(c(w, "选择框_保存销售记录")->widget()->isVisible());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(PrintPageTest, SaveStoresNameNoteMarginAndOffset) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    // Quotes, a name past the 16-character advice, a note on three lines, a blank offset.
    const QString name = QStringLiteral("O'Brien's 小店——欢迎光临本店购物'); --");
    const QString note = QStringLiteral("第一行 'a'\r\n第二行\r\n") + QString(60, u'备');
    set(w, "编辑框_店名", name);
    set(w, "编辑框_备注", note);
    set(w, "编辑框_边距", QStringLiteral("-2"));
    set(w, "编辑框_偏差", QStringLiteral("   "));
    click(w, "按钮_保存");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("基本信息已经保存！")});
    EXPECT_EQ(setting("店名"), name);
    EXPECT_EQ(setting("备注"), note);
    EXPECT_EQ(setting("纸张边距"), QStringLiteral("-2"));
    EXPECT_EQ(setting("打印偏差"), QStringLiteral("0"));
    EXPECT_EQ(number(QStringLiteral("select count(*) from 配置文件")), 1);

    messages.clear();
    set(w, "编辑框_边距", QString());
    set(w, "编辑框_偏差", QStringLiteral("3.5"));
    click(w, "按钮_保存");
    EXPECT_EQ(setting("纸张边距"), QStringLiteral("0"));
    EXPECT_EQ(setting("打印偏差"), QStringLiteral("3.5"));
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("基本信息已经保存！")});
}

// A value the receipt could not use is refused before anything is written.
TEST_F(PrintPageTest, RefusedValuesStoreNothing) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(Keyboard::activate(w));
    Keyboard keys(w);
    set(w, "编辑框_店名", QStringLiteral("新店名"));
    const QString margin =
        QStringLiteral("纸张边距只能是-24至24之间的数字（毫米，最多一位小数）！");
    const QString offset =
        QStringLiteral("打印偏差只能是-20至20之间的数字（毫米，最多一位小数）！");
    const struct {
        const char* box;
        QString value;
        QString message;
    } cases[] = {
        {"编辑框_边距", QStringLiteral("abc"), margin},
        {"编辑框_边距", QStringLiteral("2mm"), margin},
        {"编辑框_边距", QStringLiteral("1e3"), margin},
        {"编辑框_边距", QStringLiteral("24.1"), margin},
        {"编辑框_边距", QStringLiteral("-1000"), margin},
        {"编辑框_边距", QStringLiteral("1.25"), margin},
        {"编辑框_偏差", QStringLiteral("'; delete from 销售记录; --"), offset},
        {"编辑框_偏差", QStringLiteral("0x10"), offset},
        {"编辑框_偏差", QStringLiteral("-20.5"), offset},
        {"编辑框_偏差", QStringLiteral("1") + QString(59, u'0'), offset},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.value.toStdString());
        messages.clear();
        set(w, "编辑框_边距", QStringLiteral("1"));
        set(w, "编辑框_偏差", QStringLiteral("1"));
        // Typed key by key, so that the box holds exactly what the user typed.
        set(w, k.box, QString());
        c(w, k.box)->widget()->setFocus();
        keys.type(k.value);
        EXPECT_EQ(get(w, k.box), k.value);
        click(w, "按钮_保存");
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].text, k.message);
        EXPECT_EQ(messages.shown()[0].caption, QStringLiteral("提示"));
        EXPECT_EQ(setting("店名"), QStringLiteral("Korvane"));
        EXPECT_EQ(setting("纸张边距"), QStringLiteral("0"));
        EXPECT_EQ(setting("打印偏差"), QStringLiteral("0"));
    }

    messages.clear();
    set(w, "编辑框_边距", QStringLiteral("1"));
    set(w, "编辑框_店名", QString(60, u'店'));
    click(w, "按钮_保存");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("店名不能超过50个字符！")});
    EXPECT_EQ(setting("店名"), QStringLiteral("Korvane"));
    EXPECT_EQ(setting("纸张边距"), QStringLiteral("0"));
    EXPECT_EQ(number(QStringLiteral("select count(*) from 销售记录")), 1);
}

TEST_F(PrintPageTest, TickBoxesWriteAtOnce) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    click(w, "选择框_打印单价");
    EXPECT_EQ(setting("打印单价"), QStringLiteral("假"));
    click(w, "选择框_打印单价");
    EXPECT_EQ(setting("打印单价"), QStringLiteral("真"));
    click(w, "选择框_显示打印完毕");
    EXPECT_EQ(setting("显示打印完毕"), QStringLiteral("真"));
    EXPECT_EQ(setting("提示再次打印"), QStringLiteral("假"));
    click(w, "选择框_提示再次打印");
    EXPECT_EQ(setting("提示再次打印"), QStringLiteral("真"));
    EXPECT_TRUE(messages.shown().empty());
}

// With the database gone every write fails: each says so, a tick goes back to what is stored,
// and a save never claims success.
TEST_F(PrintPageTest, FailedWritesAreReported) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    db.CloseDatabase();
    click(w, "选择框_打印单价");
    EXPECT_TRUE(c(w, "选择框_打印单价")->isChecked());
    click(w, "按钮_保存");
    EXPECT_EQ(messages.texts(),
              (QStringList{QStringLiteral("数据添加失败"), QStringLiteral("数据添加失败!")}));
}

TEST_F(PrintPageTest, LogoAndPrinterWindowsOpenOverTheSettings) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    click(w, "按钮5");
    ASSERT_TRUE(isOpen(FormId::Logo));
    EXPECT_FALSE(w->isEnabled());  // modal over the settings window
    manager->close(static_cast<qint32>(FormId::Logo));
    settle();
    EXPECT_TRUE(w->isEnabled());

    click(w, "按钮_选择打印机");
    ASSERT_TRUE(isOpen(FormId::PrinterChoice));
    EXPECT_FALSE(w->isEnabled());
    manager->close(static_cast<qint32>(FormId::PrinterChoice));
    settle();
    // Neither says it is missing; the printer window may only report a missing scheduler.
    EXPECT_FALSE(messages.texts().contains(QStringLiteral("该功能尚未开放！")));
}

TEST_F(PrintPageTest, FormatWindowChangesTheNumberShown) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    click(w, "按钮1");
    FormWindow* format = window(FormId::ReceiptNumberFormat);
    ASSERT_NE(format, nullptr);
    EXPECT_FALSE(w->isEnabled());  // the format window is modal over the settings window
    c(format, "选择框1")->setChecked(true);
    set(format, "编辑框1", QStringLiteral("07"));
    click(format, "按钮1");
    settle();
    EXPECT_FALSE(isOpen(FormId::ReceiptNumberFormat));
    EXPECT_TRUE(w->isEnabled());
    EXPECT_EQ(get(w, "编辑框3"), QStringLiteral("071608180000001"));
}

// 软件设置 opens the window over the sales entry window, which shows what was saved once the
// settings window closes, and prints with it.
TEST_F(PrintPageTest, SalesWindowShowsTheSavedShopAtOnce) {
    FormWindow* sales = open(FormId::SalesEntry);
    ASSERT_NE(sales, nullptr);
    QAction* item = nullptr;
    for (QAction* menu : sales->formMenuBar()->actions()) {
        for (QAction* action : menu->menu()->actions()) {
            if (action->text() == QStringLiteral("软件设置")) {
                item = action;
            }
        }
    }
    ASSERT_NE(item, nullptr);
    item->trigger();
    FormWindow* w = window(FormId::Settings);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(sales->isEnabled());

    set(w, "编辑框_店名", QStringLiteral("新开张"));
    set(w, "编辑框_备注", QStringLiteral("谢谢惠顾\r\n欢迎再来"));
    set(w, "编辑框_边距", QStringLiteral("4"));
    click(w, "选择框_打印单价");
    click(w, "按钮_保存");
    EXPECT_EQ(get(sales, "编辑框_店名"), QStringLiteral("Korvane"));  // nothing until it closes
    manager->close(static_cast<qint32>(FormId::Settings));
    EXPECT_TRUE(sales->isEnabled());
    EXPECT_EQ(get(sales, "编辑框_店名"), QStringLiteral("新开张"));
    EXPECT_EQ(get(sales, "编辑框_备注"), QStringLiteral("谢谢惠顾\r\n欢迎再来"));
    const SalesEntryWindow* entry = SalesEntryWindow::of(sales);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->settings().paperMargin, QStringLiteral("4"));
    EXPECT_EQ(entry->settings().printUnitPrice, QStringLiteral("假"));
}

// The receipt being composed is the cashier's: closing the settings window, saved or not,
// brings the new shop name and leaves the lines and a note typed for this receipt alone.
TEST_F(PrintPageTest, ClosingSettingsKeepsTheReceiptBeingComposed) {
    FormWindow* sales = open(FormId::SalesEntry);
    ASSERT_NE(sales, nullptr);
    ASSERT_TRUE(Keyboard::activate(sales));
    set(sales, "编辑框_名称", QStringLiteral("茶叶"));
    set(sales, "编辑框_单价", QStringLiteral("8.00"));
    set(sales, "编辑框_数量", QStringLiteral("2"));
    click(sales, "按钮_添加商品");
    ASSERT_EQ(list(sales, "超级列表框1")->rowCount(), 1);
    Keyboard keys(sales);
    c(sales, "编辑框_备注")->widget()->setFocus();
    keys.press(Qt::Key_End, Qt::ControlModifier);
    keys.type(QStringLiteral("送货上门"));
    const QString typed = get(sales, "编辑框_备注");
    ASSERT_TRUE(typed.endsWith(QStringLiteral("送货上门")));

    openFromMenu(sales);
    ASSERT_NE(window(FormId::Settings), nullptr);
    manager->close(static_cast<qint32>(FormId::Settings));
    EXPECT_EQ(get(sales, "编辑框_备注"), typed);

    openFromMenu(sales);
    FormWindow* w = window(FormId::Settings);
    ASSERT_NE(w, nullptr);
    set(w, "编辑框_店名", QStringLiteral("新开张"));
    set(w, "编辑框_备注", QStringLiteral("存起来的备注"));
    click(w, "按钮_保存");
    manager->close(static_cast<qint32>(FormId::Settings));
    EXPECT_EQ(get(sales, "编辑框_店名"), QStringLiteral("新开张"));
    EXPECT_EQ(get(sales, "编辑框_备注"), typed);
    EXPECT_EQ(list(sales, "超级列表框1")->rowCount(), 1);
    EXPECT_EQ(setting("备注"), QStringLiteral("存起来的备注"));
}

}  // namespace
}  // namespace tillora::test
