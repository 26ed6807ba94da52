// The query dialog and the details window at the keyboard alone, and the records windows closing
// with the sales entry window.
#include <QApplication>
#include <QLineEdit>
#include <QTreeWidget>

#include "records/sales_query_dialog.h"
#include "sales/sales_entry_window.h"
#include "tests/records/records_fixture.h"
#include "tests/support/keyboard.h"

namespace tillora::test {
namespace {

class RecordsKeyboardTest : public RecordsFixture {
  protected:
    FormWindow* openActive(FormId id) {
        FormWindow* w = open(id);
        if (w != nullptr) {
            EXPECT_TRUE(Keyboard::activate(w));
        }
        return w;
    }
    FormWindow* openQuery() {
        click(recordsWindow, "按钮_查询");
        FormWindow* d = window(FormId::SalesQuery);
        if (d != nullptr) {
            EXPECT_TRUE(Keyboard::activate(d));
        }
        return d;
    }
    FormWindow* openDetails(int saleId) {
        records->openDetails(recordsWindow, saleId);
        FormWindow* d = window(FormId::SaleDetails);
        if (d != nullptr) {
            EXPECT_TRUE(Keyboard::activate(d));
        }
        return d;
    }
    QString line(const char* column, int lineId) {
        return text(QStringLiteral("select %1 from 销售详情 where ID=%2")
                        .arg(QString::fromUtf8(column))
                        .arg(lineId));
    }
    void focus(FormWindow* w, const char* name) {
        w->component(QString::fromUtf8(name))->widget()->setFocus();
    }
};

// Enter on a tick box or in a box runs 查询 with what is shown; Esc closes the dialog as 关闭 does.
TEST_F(RecordsKeyboardTest, QueryDialogRunsOnEnterAndClosesOnEsc) {
    openRecords();
    FormWindow* d = openQuery();
    ASSERT_NE(d, nullptr);
    Keyboard keys(d);
    focus(d, "选择框_数量");
    keys.press(Qt::Key_Space);
    keys.press(Qt::Key_Tab);
    ASSERT_EQ(keys.focusedName(), QStringLiteral("编辑框_数量1"));
    keys.type(QStringLiteral("3"));
    keys.press(Qt::Key_Return);
    EXPECT_EQ(window(FormId::SalesQuery), nullptr);
    ASSERT_TRUE(records->lastQuery().has_value());
    EXPECT_TRUE(records->lastQuery()->byQuantity);
    EXPECT_EQ(records->lastQuery()->quantity, QStringLiteral("3"));
    EXPECT_EQ(ids(recordsWindow), (QList<int>{late}));  // early is before the dialog's dates

    d = openQuery();
    ASSERT_NE(d, nullptr);
    focus(d, "选择框_时间");
    Keyboard(d).press(Qt::Key_Space);
    Keyboard(d).press(Qt::Key_Return);
    EXPECT_EQ(window(FormId::SalesQuery), nullptr);
    EXPECT_TRUE(records->lastQuery().has_value());

    d = openQuery();
    ASSERT_NE(d, nullptr);
    focus(d, "编辑框_数量1");
    Keyboard(d).type(QStringLiteral("9"));
    Keyboard(d).press(Qt::Key_Escape);
    EXPECT_EQ(window(FormId::SalesQuery), nullptr);
    EXPECT_EQ(records->lastQuery()->quantity, QStringLiteral("3"));
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
}

// Enter in an edit box stores the line as 修改 does; Delete in the list deletes the selected line
// behind the question, and only for an administrator.
TEST_F(RecordsKeyboardTest, DetailsChangeOnEnterAndDeleteOnDelete) {
    openRecords();
    FormWindow* d = openDetails(late);
    ASSERT_NE(d, nullptr);
    Keyboard keys(d);
    const QList<int> lines = ids(d);
    ASSERT_EQ(lines.size(), 2);
    listOf(d)->setCurrentIndex(0);
    focus(d, "编辑框_数量");
    keys.press(Qt::Key_A, Qt::ControlModifier);
    keys.type(QStringLiteral("5"));
    keys.press(Qt::Key_Return);
    EXPECT_EQ(line("数量", lines[0]), QStringLiteral("5"));
    EXPECT_EQ(line("金额", lines[0]), QStringLiteral("50.00"));

    // Enter in the remark box is a new line there, not a change.
    focus(d, "编辑框_备注");
    keys.press(Qt::Key_Return);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();

    listOf(d)->tree()->setFocus();
    listOf(d)->setCurrentIndex(1);
    messages.answer(MessageResult::No);
    keys.press(Qt::Key_Delete);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("确定删除商品 茶叶 吗？")});
    EXPECT_EQ(ids(d), lines);
    messages.clear();
    messages.answer(MessageResult::Yes);
    keys.press(Qt::Key_Delete);
    EXPECT_EQ(ids(d), QList<int>{lines[0]});

    logIn(QStringLiteral("张三"), QStringLiteral("普通用户"));
    messages.clear();
    keys.press(Qt::Key_Delete);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("只有管理员才有删除权限！")});
    EXPECT_EQ(ids(d), QList<int>{lines[0]});

    keys.press(Qt::Key_Escape);
    EXPECT_EQ(window(FormId::SaleDetails), nullptr);
}

// Closing the sales entry window takes the records window and the windows opened from it along;
// Esc never closes the sales entry window itself.
TEST_F(RecordsKeyboardTest, ClosingTheSalesEntryWindowClosesTheRecordsWindows) {
    FormWindow* sales = openActive(FormId::SalesEntry);
    ASSERT_NE(sales, nullptr);
    Keyboard(sales).press(Qt::Key_Escape);
    EXPECT_NE(window(FormId::SalesEntry), nullptr);

    ASSERT_NE(openRecords(), nullptr);
    ASSERT_NE(openDetails(late), nullptr);
    QList<qint32> closed;
    QObject::connect(manager.get(), &FormManager::windowClosed,
                     [&](qint32 id) { closed.append(id); });
    bool ended = false;
    QObject::connect(manager.get(), &FormManager::mainWindowClosed, [&] { ended = true; });
    EXPECT_TRUE(sales->close());
    EXPECT_EQ(closed, (QList<qint32>{static_cast<qint32>(FormId::SaleDetails),
                                     static_cast<qint32>(FormId::SalesRecords),
                                     static_cast<qint32>(FormId::SalesEntry)}));
    EXPECT_TRUE(ended);
    EXPECT_TRUE(manager->openWindows().isEmpty());
    recordsWindow = nullptr;
}

}  // namespace
}  // namespace tillora::test
