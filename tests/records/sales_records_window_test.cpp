// The sales records window and the query dialog against a database with sales on several days.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeView>

#include <sqlite3.h>

#include "forms/components/date_box.h"
#include "platform/jet_date.h"
#include "records/records_sql.h"
#include "records/sales_query_dialog.h"
#include "tests/records/records_fixture.h"

namespace tillora::test {
namespace {

using RecordsWindowTest = RecordsFixture;

void mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, const QPoint& at) {
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void key(QWidget* w, int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, k, modifiers);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, k, modifiers);
    QApplication::sendEvent(w, &release);
}

TEST_F(RecordsWindowTest, OpensWithTodayNewestFirstAndItsTotals) {
    SalesRecordsWindow* w = openRecords();
    ASSERT_NE(w, nullptr);
    // The sale at 23:59 belongs to today, as does the one at midnight.
    EXPECT_EQ(ids(recordsWindow), (QList<int>{late, midnight}));
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_销售数量")), QStringLiteral("4"));
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_总金额")), QStringLiteral("45.99"));
    EXPECT_EQ(shown(0, 1), QStringLiteral("1608200000002"));
    EXPECT_EQ(shown(0, 2), QStringLiteral("2016年8月20日23时59分"));
    EXPECT_EQ(shown(0, 3), QStringLiteral("3"));
    EXPECT_EQ(shown(0, 4), QStringLiteral("39.99"));
    EXPECT_EQ(shown(0, 5), QStringLiteral("admin"));
    // The remark as stored, trailing blank included.
    EXPECT_EQ(shown(0, 6), QStringLiteral("谢谢惠顾 "));
    EXPECT_TRUE(messages.shown().empty());

    const SpreadsheetTable shown = w->shownList();
    EXPECT_EQ(shown.titles,
              QStringLiteral("序号 销售票号 销售时间 数量 金额 收银员 备注").split(u' '));
    ASSERT_EQ(shown.rows.size(), 2);
    EXPECT_EQ(shown.rows.at(1).at(1), QStringLiteral("1608200000001"));
}

TEST_F(RecordsWindowTest, OpensFromTheSalesEntryMenu) {
    FormWindow* entry = open(FormId::SalesEntry);
    ASSERT_NE(entry, nullptr);
    module->statisticsOpener()(entry);
    EXPECT_NE(window(FormId::SalesRecords), nullptr);
}

TEST_F(RecordsWindowTest, NumberSearch) {
    openRecords();
    click(recordsWindow, "按钮_搜索");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("内容不能为空！")});
    EXPECT_EQ(ids(recordsWindow), (QList<int>{late, midnight}));  // unchanged

    recordsWindow->setText(QStringLiteral("编辑框_查单号"), QStringLiteral("0818"));
    click(recordsWindow, "按钮_搜索");
    EXPECT_EQ(ids(recordsWindow), QList<int>{kTemplateSale});
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_总金额")), QStringLiteral("10.00"));

    // Enter in the box searches too.
    recordsWindow->setText(QStringLiteral("编辑框_查单号"), QStringLiteral("16080"));
    key(recordsWindow->component(QStringLiteral("编辑框_查单号"))->widget(), Qt::Key_Return);
    EXPECT_EQ(ids(recordsWindow), QList<int>{early});

    recordsWindow->setText(QStringLiteral("编辑框_查单号"), QStringLiteral("99"));
    click(recordsWindow, "按钮_搜索");
    EXPECT_TRUE(ids(recordsWindow).isEmpty());
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_销售数量")), QStringLiteral("0"));
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_总金额")), QStringLiteral("0.00"));
}

TEST_F(RecordsWindowTest, TotalsCountTextThatIsNoNumberAsZero) {
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral("update 销售记录 set 金额='abc', 数量='' where ID=") +
                              QString::number(midnight)));
    openRecords();
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_销售数量")), QStringLiteral("3"));
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_总金额")), QStringLiteral("39.99"));
}

struct QueryCase {
    const char* name;
    SalesQuery query;
    QList<int> (*expected)(const RecordsFixture&);
};

class RecordsQueryTest : public RecordsFixture {
  protected:
    // Sets the dialog as a user would and presses 查询.
    void runQuery(const SalesQuery& q) {
        FormWindow* records = window(FormId::SalesRecords);
        ASSERT_NE(records, nullptr);
        click(records, "按钮_查询");
        FormWindow* d = window(FormId::SalesQuery);
        ASSERT_NE(d, nullptr);
        auto setDate = [&](const char* name, const QDate& date) {
            dynamic_cast<DateBox*>(d->component(QString::fromUtf8(name)))
                ->setJetDay(jetDayFromDateTime(QDateTime(date, QTime(0, 0))));
        };
        setDate("日期框1", q.from);
        setDate("日期框2", q.to);
        d->component(QStringLiteral("选择框_数量"))->setChecked(q.byQuantity);
        d->setText(QStringLiteral("编辑框_数量1"), q.quantity);
        d->component(QStringLiteral("选择框_金额"))->setChecked(q.byAmount);
        d->setText(QStringLiteral("编辑框_销售金额1"), q.amount);
        d->component(QStringLiteral("选择框_收银员"))->setChecked(q.byCashier);
        d->setText(QStringLiteral("组合框_收银员"), q.cashier);
        d->component(
             QString::fromUtf8(q.mode == SalesQuery::Mode::Exact ? "单选框_精确" : "单选框_模糊"))
            ->setChecked(true);
        click(d, "按钮1");
    }
};

// The whole of August up to "today".
SalesQuery fuzzy() {
    SalesQuery q;
    q.from = QDate(2016, 8, 1);
    q.to = QDate(2016, 8, 20);
    return q;
}
SalesQuery exact() {
    SalesQuery q = fuzzy();
    q.mode = SalesQuery::Mode::Exact;
    return q;
}
template <typename F>
SalesQuery with(SalesQuery q, F change) {
    change(q);
    return q;
}

TEST_F(RecordsQueryTest, EveryModeWithTickedAndUntickedConditions) {
    openRecords();
    const QDate d1(2016, 8, 1), d18(2016, 8, 18), d19(2016, 8, 19), d20(2016, 8, 20);
    const int t = kTemplateSale;
    struct Case {
        const char* name;
        SalesQuery query;
        QList<int> expected;
    };
    const Case cases[] = {
        {"fuzzy, nothing ticked: the month, newest first",
         fuzzy(),
         {late, midnight, yesterday, t, early}},
        {"fuzzy, nothing ticked: still only the dates",
         with(fuzzy(), [&](SalesQuery& q) { q.from = q.to = d20; }),
         {late, midnight}},
        {"fuzzy, dates 19 to 20 cover all of the 20th",
         with(fuzzy(),
              [&](SalesQuery& q) {
                  q.from = d19;
                  q.to = d20;
              }),
         {late, midnight, yesterday}},
        {"fuzzy, one day", with(fuzzy(), [&](SalesQuery& q) { q.from = q.to = d18; }), {t}},
        {"fuzzy, reversed dates",
         with(fuzzy(),
              [&](SalesQuery& q) {
                  q.from = d20;
                  q.to = d19;
              }),
         {}},
        {"fuzzy, cashier",
         with(fuzzy(),
              [](SalesQuery& q) {
                  q.byCashier = true;
                  q.cashier = QStringLiteral("张三");
              }),
         {midnight, yesterday}},
        {"fuzzy, a cashier's sales on other days are left out",
         with(fuzzy(),
              [&](SalesQuery& q) {
                  q.from = q.to = d20;
                  q.byCashier = true;
                  q.cashier = QStringLiteral("张三");
              }),
         {midnight}},
        {"fuzzy, amount pattern matches stored amounts",
         with(fuzzy(),
              [](SalesQuery& q) {
                  q.byAmount = true;
                  q.amount = QStringLiteral("10.0");
              }),
         {t}},
        {"fuzzy, amount or cashier",
         with(fuzzy(),
              [](SalesQuery& q) {
                  q.byAmount = true;
                  q.amount = QStringLiteral("386");
                  q.byCashier = true;
                  q.cashier = QStringLiteral("张");
              }),
         {midnight, yesterday, early}},
        {"fuzzy, an unticked box does not take part",
         with(fuzzy(),
              [&](SalesQuery& q) {
                  q.from = d1;
                  q.to = d18;
                  q.quantity = QStringLiteral("999");
              }),
         {t, early}},
        {"fuzzy, empty ticked quantity matches all of the range",
         with(fuzzy(),
              [&](SalesQuery& q) {
                  q.from = d19;
                  q.to = d20;
                  q.byQuantity = true;
              }),
         {late, midnight, yesterday}},
        {"exact, all ticked",
         with(exact(),
              [&](SalesQuery& q) {
                  q.from = d1;
                  q.to = d20;
                  q.byQuantity = true;
                  q.quantity = QStringLiteral("2");
                  q.byAmount = true;
                  q.amount = QStringLiteral("20.00");
                  q.byCashier = true;
                  q.cashier = QStringLiteral("张三");
              }),
         {yesterday}},
        {"exact, cashier only (letter case ignored), the dates apply",
         with(exact(),
              [](SalesQuery& q) {
                  q.byCashier = true;
                  q.cashier = QStringLiteral("ADMIN");
              }),
         {late, t, early}},
        {"exact, dates and quantity",
         with(exact(),
              [&](SalesQuery& q) {
                  q.from = d1;
                  q.to = d19;
                  q.byQuantity = true;
                  q.quantity = QStringLiteral("1");
              }),
         {t}},
        {"exact, amount that is only part of one",
         with(exact(),
              [](SalesQuery& q) {
                  q.byAmount = true;
                  q.amount = QStringLiteral("39");
              }),
         {}},
        {"a quote in a value finds nothing and breaks nothing",
         with(fuzzy(),
              [](SalesQuery& q) {
                  q.byCashier = true;
                  q.cashier = QStringLiteral("a' or 'x'='x");
              }),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runQuery(c.query);
        EXPECT_EQ(ids(recordsWindow), c.expected);
        // The dialog closes after its query.
        EXPECT_EQ(window(FormId::SalesQuery), nullptr);
    }
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(number_(QStringLiteral("select count(*) from 销售记录")), 5);
}

TEST_F(RecordsQueryTest, DialogStartsWithTodayTheUsersAndDisabledBoxes) {
    openRecords();
    click(recordsWindow, "按钮_查询");
    FormWindow* d = window(FormId::SalesQuery);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("查询"));
    EXPECT_EQ(d->component(QStringLiteral("组合框_收银员"))->items(),
              (QStringList{QStringLiteral("admin"), QStringLiteral("张三")}));
    const double today = jetDayFromDateTime(QDateTime(now.date(), QTime(0, 0)));
    EXPECT_EQ(dynamic_cast<DateBox*>(d->component(QStringLiteral("日期框1")))->jetDay(), today);
    EXPECT_EQ(dynamic_cast<DateBox*>(d->component(QStringLiteral("日期框2")))->jetDay(), today);
    EXPECT_TRUE(d->component(QStringLiteral("单选框_模糊"))->isChecked());
    // The dates always apply, and say so.
    EXPECT_TRUE(d->component(QStringLiteral("选择框_时间"))->isChecked());
    d->component(QStringLiteral("选择框_时间"))->setChecked(false);
    d->component(QStringLiteral("选择框_时间"))->raise(event::kClicked);
    EXPECT_TRUE(d->component(QStringLiteral("日期框1"))->isEnabled());
    EXPECT_TRUE(d->component(QStringLiteral("日期框2"))->isEnabled());
    for (const char* box : {"编辑框_数量1", "编辑框_销售金额1", "组合框_收银员"}) {
        EXPECT_FALSE(d->component(QString::fromUtf8(box))->isEnabled()) << box;
    }
    d->component(QStringLiteral("选择框_数量"))->setChecked(true);
    d->component(QStringLiteral("选择框_数量"))->raise(event::kClicked);
    EXPECT_TRUE(d->component(QStringLiteral("编辑框_数量1"))->isEnabled());
    EXPECT_FALSE(d->component(QStringLiteral("编辑框_销售金额1"))->isEnabled());
    // 关闭 leaves the list as it was.
    click(d, "按钮2");
    EXPECT_EQ(window(FormId::SalesQuery), nullptr);
    EXPECT_EQ(ids(recordsWindow), (QList<int>{late, midnight}));
}

TEST_F(RecordsQueryTest, ReopenedDialogOffersTheLastConditions) {
    openRecords();
    SalesQuery q = exact();
    q.byCashier = true;
    q.cashier = QStringLiteral("张三");
    runQuery(q);
    click(recordsWindow, "按钮_查询");
    FormWindow* d = window(FormId::SalesQuery);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->component(QStringLiteral("单选框_精确"))->isChecked());
    EXPECT_TRUE(d->component(QStringLiteral("选择框_收银员"))->isChecked());
    EXPECT_EQ(d->text(QStringLiteral("组合框_收银员")), QStringLiteral("张三"));
}

// Every listing reads through the 销售时间 index: a range as a range search, the others in its
// order instead of sorting the whole table; so does every piece of a listing read in pieces.
TEST_F(RecordsWindowTest, ListingsReadThroughTheSaleTimeIndex) {
    SalesQuery ranged = fuzzy();
    ranged.byCashier = true;
    ranged.cashier = QStringLiteral("a");
    SalesQuery exactRanged = ranged;
    exactRanged.mode = SalesQuery::Mode::Exact;
    QStringList statements;
    for (const SalesSelection& s :
         {records_sql::listing(QDate(2016, 8, 1), QDate(2016, 8, 31)), records_sql::query(ranged),
          records_sql::query(exactRanged), records_sql::query(fuzzy()),
          records_sql::numberSearch(QStringLiteral("0818"))}) {
        statements << s.statement() << s.page(QStringLiteral("[ID]"), 10, false, 0)
                   << s.page(QStringLiteral("[ID]"), 10, false, late)
                   << s.page(QStringLiteral("[ID]"), 10, true, late);
    }
    for (const QString& sql : statements) {
        SCOPED_TRACE(sql.toStdString());
        const int h = db.OpenTable(QStringLiteral("explain query plan ") + sql);
        ASSERT_NE(h, 0);
        QStringList plan;
        for (; !db.IsEOF(h); db.MoveNext(h)) {
            plan.append(db.ReadColByName(h, QStringLiteral("detail")).toText());
        }
        db.CloseTable(h);
        const QString all = plan.join(u'|');
        EXPECT_TRUE(all.contains(QStringLiteral("INDEX 销售记录_销售时间"))) << all.toStdString();
        EXPECT_FALSE(all.contains(QStringLiteral("TEMP B-TREE"))) << all.toStdString();
    }
}

TEST_F(RecordsWindowTest, RightClickShowsTheMenuBesideTheMouse) {
    openRecords();
    recordsWindow->show();
    QTreeView* view = SalesRecordsWindow::of(recordsWindow)->view();
    QWidget* rows = view->viewport();
    const QPoint at = view->visualRect(view->model()->index(1, 0)).center();
    mouse(rows, QEvent::MouseButtonPress, Qt::RightButton, at);
    mouse(rows, QEvent::MouseButtonRelease, Qt::RightButton, at);
    auto* menu = recordsWindow->findChild<QMenu*>(QStringLiteral("菜单"));
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), rows->mapToGlobal(at) + QPoint(3, 3));
    QStringList captions;
    for (QAction* a : menu->actions()) {
        captions.append(a->text());
    }
    EXPECT_EQ(captions, (QStringList{QStringLiteral("查看详情"), QStringLiteral("删除记录"),
                                     QStringLiteral("打印记录")}));
    // The right-click chose the row the menu works on.
    EXPECT_EQ(SalesRecordsWindow::of(recordsWindow)->selectedSaleId(), midnight);
    menu->hide();
    menu->actions().at(0)->trigger();
    FormWindow* details = window(FormId::SaleDetails);
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(ids(details).size(), 1);
}

TEST_F(RecordsWindowTest, KeyboardAloneOpensDetailsAndDeletes) {
    openRecords();
    recordsWindow->show();
    recordsWindow->activateWindow();
    SalesRecordsWindow* w = SalesRecordsWindow::of(recordsWindow);
    w->view()->setFocus();
    w->setCurrentRow(0);
    key(w->view(), Qt::Key_Return);
    ASSERT_NE(window(FormId::SaleDetails), nullptr);
    EXPECT_EQ(ids(window(FormId::SaleDetails)).size(), 2);
    manager->close(static_cast<qint32>(FormId::SaleDetails));

    messages.answer(MessageResult::Yes);
    key(w->view(), Qt::Key_Delete);
    EXPECT_EQ(ids(recordsWindow), QList<int>{midnight});
    EXPECT_EQ(SalesRecordsWindow::of(recordsWindow)->selectedSaleId(), midnight);
}

// Another program writing the file: a search finds it locked and must not pass for a day without
// sales. The list and totals stay as shown, the cashier is told, and the search works once the
// lock is gone.
TEST_F(RecordsWindowTest, ALockedFileKeepsTheListAndSaysTheDatabaseIsBusy) {
    openRecords();
    db.setLockWait(50);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &other), SQLITE_OK);
    // Only a writer that has reached its exclusive lock keeps readers out of the file.
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; UPDATE 配置文件 SET 店名='x'", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    QWidget* number = recordsWindow->component(QStringLiteral("编辑框_查单号"))->widget();
    recordsWindow->setText(QStringLiteral("编辑框_查单号"), QStringLiteral("0819"));
    key(number, Qt::Key_Return);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("数据库正忙，请稍后再试！")});
    EXPECT_EQ(ids(recordsWindow), (QList<int>{late, midnight}));
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_销售数量")), QStringLiteral("4"));
    EXPECT_EQ(recordsWindow->text(QStringLiteral("标签_总金额")), QStringLiteral("45.99"));

    // The details keep their lines too, and a change is refused as busy, not as a failure.
    SalesRecordsWindow::of(recordsWindow)->setCurrentRow(0);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    click(recordsWindow, "按钮_查看详情");
    FormWindow* details = window(FormId::SaleDetails);
    ASSERT_NE(details, nullptr);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; UPDATE 配置文件 SET 店名='x'", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    messages.clear();
    listOf(details)->setCurrentIndex(0);
    details->setText(QStringLiteral("编辑框_数量"), QStringLiteral("5"));
    click(details, "按钮_修改");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("数据库正忙，请稍后再试！")});
    EXPECT_EQ(ids(details).size(), 2);
    EXPECT_EQ(listOf(details)->cell(0, 2), QStringLiteral("2"));
    manager->close(static_cast<qint32>(FormId::SaleDetails));

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    messages.clear();
    key(number, Qt::Key_Return);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(ids(recordsWindow), QList<int>{yesterday});
}

// The focus chain of a window from `first`, the widgets Tab can reach, by name.
std::string focusChain(FormWindow* w, const char* first, int count) {
    QStringList order;
    QWidget* start = w->component(QString::fromUtf8(first))->widget();
    QWidget* at = start;
    for (int i = 0; i < count; ++i) {
        order.append(at->objectName());
        do {
            at = at->nextInFocusChain();
        } while (at != start &&
                 ((at->focusPolicy() & Qt::TabFocus) == 0 || at->objectName().isEmpty() ||
                  at->objectName().startsWith(QStringLiteral("qt_"))));
    }
    return order.join(u' ').toStdString();
}

TEST_F(RecordsWindowTest, TabOrdersFollowTheTemplates) {
    openRecords();
    EXPECT_EQ(focusChain(recordsWindow, "按钮_查询", 8),
              QStringLiteral("按钮_查询 按钮_查看详情 按钮_导出表 按钮_管理数据 编辑框_查单号 "
                             "按钮_搜索 超级列表框1 按钮_查询")
                  .toStdString());
    click(recordsWindow, "按钮_查询");
    EXPECT_EQ(focusChain(window(FormId::SalesQuery), "选择框_时间", 13),
              QStringLiteral("选择框_时间 日期框1 日期框2 选择框_数量 编辑框_数量1 选择框_金额 "
                             "编辑框_销售金额1 选择框_收银员 组合框_收银员 单选框_模糊 单选框_精确 "
                             "按钮1 按钮2")
                  .toStdString());
    manager->close(static_cast<qint32>(FormId::SalesQuery));
    SalesRecordsWindow::of(recordsWindow)->setCurrentRow(0);
    click(recordsWindow, "按钮_查看详情");
    EXPECT_EQ(
        focusChain(window(FormId::SaleDetails), "超级列表框1", 13),
        QStringLiteral("超级列表框1 编辑框_名称 编辑框_数量 编辑框_单价 选择框_折扣 编辑框_折扣 "
                       "编辑框_备注 按钮_添加 按钮_修改 按钮_删除 按钮_导出 按钮_关闭 超级列表框1")
            .toStdString());
}

TEST_F(RecordsWindowTest, ExportWritesTheShownList) {
    openRecords();
    TempProgramFolder target;
    const QString path = target.file(QStringLiteral("记录.xls"));
    files.answer(path);
    click(recordsWindow, "按钮_导出表");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("保存成功！\r\n保存在：") +
                                            QDir::toNativeSeparators(path)});
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(8), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"));
}

}  // namespace
}  // namespace tillora::test
