// The details window and deleting sales: lines added, changed and deleted with the sale's own
// totals following, and deletion reserved to administrators behind a question.
#include "records/records_sql.h"
#include "records/sale_details_window.h"
#include "tests/records/records_fixture.h"
#include "tests/support/keyboard.h"

namespace tillora::test {
namespace {

class SaleDetailsTest : public RecordsFixture {
  protected:
    // Opens the details of `saleId` from the records window, the way a double-click does.
    FormWindow* openDetails(int saleId) {
        SalesRecordsWindow* w = openRecords();
        w->fill(everySale());
        w->selectSale(saleId);
        listOf(recordsWindow)->raise(event::kListDoubleClicked, {Value::fromInt(w->currentRow())});
        details = window(FormId::SaleDetails);
        return details;
    }
    void enter(const char* name, const char* quantity, const char* price) {
        details->setText(QStringLiteral("编辑框_名称"), QString::fromUtf8(name));
        details->setText(QStringLiteral("编辑框_数量"), QString::fromUtf8(quantity));
        details->setText(QStringLiteral("编辑框_单价"), QString::fromUtf8(price));
    }
    QString header(const char* column, int saleId) {
        return text(QStringLiteral("select %1 from 销售记录 where ID=%2")
                        .arg(QString::fromUtf8(column))
                        .arg(saleId));
    }
    // The button pressed from the keyboard: focused, then the space bar.
    void press(const char* button) {
        details->component(QString::fromUtf8(button))->widget()->setFocus();
        Keyboard(details).press(Qt::Key_Space);
    }
    QStringList row(int r) {
        QStringList cells;
        for (int c = 0; c < 6; ++c) {
            cells.append(listOf(details)->cell(r, c));
        }
        return cells;
    }

    FormWindow* details = nullptr;
};

TEST_F(SaleDetailsTest, ShowsTheSaleLinesAndCopiesTheSelectedOne) {
    ASSERT_NE(openDetails(late), nullptr);
    ASSERT_EQ(listOf(details)->rowCount(), 2);
    const QStringList first = row(0);
    EXPECT_EQ(first.mid(1), (QStringList{QStringLiteral("mkf-麦克风"), QStringLiteral("2"),
                                         QStringLiteral("10.00"), QStringLiteral("20.00"),
                                         QStringLiteral("20.00")}));
    listOf(details)->setCurrentIndex(1);
    EXPECT_EQ(details->text(QStringLiteral("编辑框_名称")), QStringLiteral("茶叶"));
    EXPECT_EQ(details->text(QStringLiteral("编辑框_数量")), QStringLiteral("1"));
    EXPECT_EQ(details->text(QStringLiteral("编辑框_单价")), QStringLiteral("19.99"));
    EXPECT_EQ(details->text(QStringLiteral("编辑框_备注")), QStringLiteral("谢谢惠顾"));
    // 查看详情 with nothing selected says so.
    manager->close(static_cast<qint32>(FormId::SaleDetails));
    SalesRecordsWindow::of(recordsWindow)->setCurrentRow(-1);
    click(recordsWindow, "按钮_查看详情");
    EXPECT_EQ(window(FormId::SaleDetails), nullptr);
    EXPECT_EQ(messages.shown().size(), 1u);
}

TEST_F(SaleDetailsTest, AddChangeAndDeleteRecomputeTheSale) {
    ASSERT_NE(openDetails(yesterday), nullptr);
    EXPECT_EQ(header("数量", yesterday), QStringLiteral("2"));
    EXPECT_EQ(header("金额", yesterday), QStringLiteral("20.00"));

    // Add: a line of this sale, at a discount of 9 tenths.
    enter("茶叶", "3", "5");
    details->component(QStringLiteral("选择框_折扣"))->setChecked(true);
    click(details, "选择框_折扣");
    EXPECT_TRUE(details->component(QStringLiteral("编辑框_折扣"))->isEnabled());
    details->setText(QStringLiteral("编辑框_折扣"), QStringLiteral("9"));
    click(details, "按钮_添加");
    ASSERT_EQ(listOf(details)->rowCount(), 2);
    EXPECT_EQ(row(1).mid(1),
              (QStringList{QStringLiteral("茶叶"), QStringLiteral("3"), QStringLiteral("5.00"),
                           QStringLiteral("15.00"), QStringLiteral("13.50")}));
    EXPECT_EQ(number_(QStringLiteral("select 关联 from 销售详情 where ID=") + row(1).at(0)),
              yesterday);
    EXPECT_EQ(header("数量", yesterday), QStringLiteral("5"));
    EXPECT_EQ(header("金额", yesterday), QStringLiteral("33.50"));

    // Change: quantity 2 -> 3 and a new unit price, both stored; full price without the tick.
    details->component(QStringLiteral("选择框_折扣"))->setChecked(false);
    click(details, "选择框_折扣");
    listOf(details)->setCurrentIndex(0);
    details->setText(QStringLiteral("编辑框_数量"), QStringLiteral("3"));
    details->setText(QStringLiteral("编辑框_单价"), QStringLiteral("12.5"));
    click(details, "按钮_修改");
    EXPECT_EQ(row(0).mid(1),
              (QStringList{QStringLiteral("麦克风"), QStringLiteral("3"), QStringLiteral("12.50"),
                           QStringLiteral("37.50"), QStringLiteral("37.50")}));
    EXPECT_EQ(header("数量", yesterday), QStringLiteral("6"));
    EXPECT_EQ(header("金额", yesterday), QStringLiteral("51.00"));

    // Delete the added line, after the question.
    listOf(details)->setCurrentIndex(1);
    click(details, "按钮_删除");
    EXPECT_EQ(listOf(details)->rowCount(), 1);
    EXPECT_EQ(header("数量", yesterday), QStringLiteral("3"));
    EXPECT_EQ(header("金额", yesterday), QStringLiteral("37.50"));
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("确定删除商品 茶叶 吗？")});

    // Closing shows the sale's new totals in the list.
    click(details, "按钮_关闭");
    EXPECT_EQ(window(FormId::SaleDetails), nullptr);
    const int r = static_cast<int>(ids(recordsWindow).indexOf(yesterday));
    EXPECT_EQ(shown(r, 4), QStringLiteral("37.50"));
    EXPECT_EQ(SalesRecordsWindow::of(recordsWindow)->selectedSaleId(), yesterday);
}

TEST_F(SaleDetailsTest, ChangeAndDeleteNeedALineAndAPrice) {
    ASSERT_NE(openDetails(late), nullptr);
    listOf(details)->setCurrentIndex(-1);
    click(details, "按钮_修改");
    click(details, "按钮_删除");
    listOf(details)->setCurrentIndex(0);
    details->setText(QStringLiteral("编辑框_单价"), QString());
    click(details, "按钮_修改");
    click(details, "按钮_添加");
    EXPECT_EQ(
        messages.texts(),
        (QStringList{QStringLiteral("请选择要修改的行！"), QStringLiteral("请选择要删除的行！"),
                     QStringLiteral("单价不能为空！"), QStringLiteral("单价不能为空！")}));
    EXPECT_EQ(number_(QStringLiteral("select count(*) from 销售详情 where 关联=") +
                      QString::number(late)),
              2);
    EXPECT_EQ(header("金额", late), QStringLiteral("39.99"));
}

// The line and the sale's totals are one change: when the totals cannot be stored, the line
// keeps its old values too.
TEST_F(SaleDetailsTest, AFailedChangeLeavesLineAndSaleAsTheyWere) {
    ASSERT_NE(openDetails(late), nullptr);
    listOf(details)->setCurrentIndex(0);
    details->setText(QStringLiteral("编辑框_数量"), QStringLiteral("9"));
    ASSERT_TRUE(
        db.ExecuteSql(QStringLiteral("create trigger refuse before update of 金额 on 销售记录 "
                                     "begin select raise(abort, 'refused'); end")));
    click(details, "按钮_修改");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("数据修改失败")});
    EXPECT_EQ(row(0).at(2), QStringLiteral("2"));
    EXPECT_EQ(header("数量", late), QStringLiteral("3"));
}

// Changing a stored sale is for administrators: an ordinary user pressing the buttons at the
// keyboard is refused each time and nothing is written.
TEST_F(SaleDetailsTest, OnlyAdministratorsChangeLines) {
    logIn(QStringLiteral("张三"), QStringLiteral("普通用户"));
    ASSERT_NE(openDetails(late), nullptr);
    ASSERT_TRUE(Keyboard::activate(details));
    const QStringList before = stored();
    listOf(details)->setCurrentIndex(0);
    details->setText(QStringLiteral("编辑框_数量"), QStringLiteral("5"));
    for (const char* button : {"按钮_修改", "按钮_添加", "按钮_删除"}) {
        press(button);
    }
    EXPECT_EQ(messages.texts(), (QStringList{QStringLiteral("只有管理员才有修改权限！"),
                                             QStringLiteral("只有管理员才有修改权限！"),
                                             QStringLiteral("只有管理员才有删除权限！")}));
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(ids(details).size(), 2);

    // An administrator is asked before a line goes; the default answer keeps it.
    logIn(QStringLiteral("admin"), QStringLiteral("管理员"));
    messages.clear();
    messages.answer(MessageResult::No);
    press("按钮_删除");
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().text, QStringLiteral("确定删除商品 mkf-麦克风 吗？"));
    EXPECT_EQ(messages.shown().front().flags & MessageFlags::DefaultButtonMask,
              MessageFlags::DefaultButton2);
    EXPECT_EQ(stored(), before);
    messages.answer(MessageResult::Yes);
    press("按钮_删除");
    EXPECT_EQ(ids(details).size(), 1);
    EXPECT_EQ(header("金额", late), QStringLiteral("19.99"));
}

// The edit row shows the discount the line was sold at, so that changing its quantity keeps it.
TEST_F(SaleDetailsTest, EditingADiscountedLineKeepsItsDiscount) {
    ASSERT_TRUE(
        db.ExecuteSql(QStringLiteral("update 销售详情 set 折后='264.00' where 名称='xsq-显示器'")));
    ASSERT_NE(openDetails(early), nullptr);
    listOf(details)->setCurrentIndex(0);
    EXPECT_TRUE(details->component(QStringLiteral("选择框_折扣"))->isChecked());
    EXPECT_TRUE(details->component(QStringLiteral("编辑框_折扣"))->isEnabled());
    EXPECT_EQ(details->text(QStringLiteral("编辑框_折扣")), QStringLiteral("8.8"));
    details->setText(QStringLiteral("编辑框_数量"), QStringLiteral("2"));
    click(details, "按钮_修改");
    EXPECT_EQ(row(0).mid(2), (QStringList{QStringLiteral("2"), QStringLiteral("300.00"),
                                          QStringLiteral("600.00"), QStringLiteral("528.00")}));

    // A line at full price leaves the box unticked, and so does one that sold for nothing.
    listOf(details)->setCurrentIndex(1);
    EXPECT_FALSE(details->component(QStringLiteral("选择框_折扣"))->isChecked());
    EXPECT_FALSE(details->component(QStringLiteral("编辑框_折扣"))->isEnabled());
    EXPECT_FALSE(SaleDetailsWindow::storedDiscount(
        {0, {}, {}, {}, QStringLiteral("0.00"), QStringLiteral("0.00"), {}}));
    EXPECT_EQ(SaleDetailsWindow::storedDiscount(
                  {0, {}, {}, {}, QStringLiteral("-10.00"), QStringLiteral("-9.50"), {}}),
              9.5);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
}

// Nothing the sales entry window would refuse gets into a stored sale through the details.
TEST_F(SaleDetailsTest, RefusesWhatTheEntryWindowRefuses) {
    ASSERT_NE(openDetails(late), nullptr);
    listOf(details)->setCurrentIndex(0);
    const QStringList before = stored();
    const QString quantityNotPlain = QStringLiteral("数量只能是整数，例如 3（退货写 -1）！");
    const QString discountNotListed =
        QStringLiteral("折扣只能是 1.0 到 10 之间的数字（最多一位小数），例如 8.8！");
    struct Typed {
        const char* name;
        const char* quantity;
        const char* discount;  // ticked when given
        QString message;
    };
    const QList<Typed> refused{
        {"", "2", nullptr, QStringLiteral("商品名称不能为空！")},
        {"茶叶", "", nullptr, QStringLiteral("数量不能为空！")},
        {"茶叶", "9999999999999", nullptr, quantityNotPlain},
        {"茶叶", "2", "-50", discountNotListed},
        {"茶叶", "2", "1e3", discountNotListed},
        {"茶叶", "2", "0.5", discountNotListed},
        {"茶叶", "2", "10.5", discountNotListed},
    };
    for (const Typed& t : refused) {
        enter(t.name, t.quantity, "10.00");
        details->component(QStringLiteral("选择框_折扣"))->setChecked(t.discount != nullptr);
        click(details, "选择框_折扣");
        details->setText(QStringLiteral("编辑框_折扣"), QString::fromUtf8(t.discount));
        for (const char* button : {"按钮_修改", "按钮_添加"}) {
            messages.clear();
            click(details, button);
            EXPECT_EQ(messages.texts(), QStringList{t.message}) << t.quantity << " " << button;
        }
    }
    EXPECT_EQ(stored(), before);
}

class DeleteSaleTest : public SaleDetailsTest {};

TEST_F(DeleteSaleTest, AdministratorDeletesAfterTheQuestion) {
    openRecords();
    SalesRecordsWindow* w = SalesRecordsWindow::of(recordsWindow);
    w->selectSale(late);
    messages.answer(MessageResult::No);
    w->deleteSelected();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("确定删除销售记录 1608200000002 吗？")});
    EXPECT_EQ(ids(recordsWindow), (QList<int>{late, midnight}));

    messages.clear();
    messages.answer(MessageResult::Yes);
    w->deleteSelected();
    EXPECT_EQ(ids(recordsWindow), QList<int>{midnight});
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_总金额")), QStringLiteral("6.00"));
    // The lines went with it.
    EXPECT_EQ(number_(QStringLiteral("select count(*) from 销售详情 where 关联=") +
                      QString::number(late)),
              0);

    SalesRecordsWindow::of(recordsWindow)->setCurrentRow(-1);
    messages.clear();
    w->deleteSelected();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("请选择要删除的行！")});
}

TEST_F(DeleteSaleTest, OrdinaryUserCanLookButNotDelete) {
    logIn(QStringLiteral("张三"), QStringLiteral("普通用户"));
    ASSERT_NE(openDetails(midnight), nullptr);
    manager->close(static_cast<qint32>(FormId::SaleDetails));
    SalesRecordsWindow::of(recordsWindow)->deleteSelected();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("只有管理员才有删除权限！")});
    EXPECT_EQ(number_(QStringLiteral("select count(*) from 销售记录 where ID=") +
                      QString::number(midnight)),
              1);
}

// A changed line keeps the sale whole: the cash taken stays, the change follows it; a shortfall
// is asked about and shown in red; a sale stored without its payment stays without.
TEST_F(SaleDetailsTest, ALineChangeWorksTheChangeOutAgainFromTheCashTaken) {
    const struct {
        const char* paid;      // 付款方式, 实收现金, 找零 as stored
        const char* quantity;  // of the line at 10.00 (2 at first), changed to
        int answer;            // to the question about a shortfall; 0: none asked
        const char* after;     // 实收现金 找零 stored then
    } cases[] = {
        {"'现金','50.00','30.00'", "3", 0, "50.00 20.00"},
        {"'现金','50.00','30.00'", "6", MessageResult::No, "50.00 30.00"},
        {"'现金','50.00','30.00'", "6", MessageResult::Yes, "50.00 -10.00"},
        {"'微信','20.00','0.00'", "3", 0, "30.00 0.00"},
        {"'现金','0.00','20.00'", "-3", 0, "0.00 30.00"},
        {"null,null,null", "3", 0, " "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paid);
        const QStringList paid = QString::fromUtf8(c.paid).split(u',');
        ASSERT_TRUE(db.ExecuteSql(
            QStringLiteral("update 销售记录 set 付款方式=%1,实收现金=%2,找零=%3 where ID=%4")
                .arg(paid[0], paid[1], paid[2])
                .arg(yesterday)));
        ASSERT_NE(openDetails(yesterday), nullptr);
        listOf(details)->setCurrentIndex(0);
        details->setText(QStringLiteral("编辑框_数量"), QString::fromUtf8(c.quantity));
        messages.clear();
        if (c.answer != 0) {
            messages.answer(c.answer);
        }
        click(details, "按钮_修改");
        EXPECT_EQ(messages.shown().size(), c.answer != 0 ? 1u : 0u);
        const QString after = QString::fromUtf8(c.after);
        EXPECT_EQ(header("实收现金", yesterday) + u' ' + header("找零", yesterday), after);
        QWidget* shown = details->component(QStringLiteral("标签_付款"))->widget();
        EXPECT_EQ(details->text(QStringLiteral("标签_付款")).isEmpty(), paid[0] == u"null");
        EXPECT_EQ(shown->palette().color(QPalette::WindowText) == Qt::red, after.contains(u'-'));
        Keyboard::keepScreenshot(details, QStringLiteral("sale_details_paid%1").arg(c.answer));
        manager->close(static_cast<qint32>(FormId::SaleDetails));
    }
}

}  // namespace
}  // namespace tillora::test
