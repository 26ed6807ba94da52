// The sales entry window under bad input and a busy or failing database: nothing is added or
// stored wrongly, nothing freezes, and the cashier is told why.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <thread>

#include "forms/component.h"
#include "forms/components/list_view.h"
#include "sales/sales_entry_window.h"
#include "tests/sales/sales_fixture.h"
#include "tests/support/other_program.h"

namespace tillora::test {
namespace {

using namespace Qt::StringLiterals;

class SalesEntryFaults : public SalesFixture {
  protected:
    void SetUp() override {
        SalesFixture::SetUp();
        w = open(FormId::SalesEntry);
        ASSERT_NE(w, nullptr);
        logic = SalesEntryWindow::of(w);
    }
    void set(const char* name, const QString& value) { w->setText(QString::fromUtf8(name), value); }
    QString t(const char* name) const { return w->text(QString::fromUtf8(name)); }
    void add(const QString& name, const QString& price, const QString& quantity) {
        set("编辑框_名称", name);
        set("编辑框_单价", price);
        set("编辑框_数量", quantity);
        click("按钮_添加商品");
    }
    void click(const char* name) { w->component(QString::fromUtf8(name))->raise(event::kClicked); }
    int rows() const { return dynamic_cast<ListView*>(w->component(u"超级列表框1"_s))->rowCount(); }
    int sales() { return number(u"select count(*) from 销售记录"_s); }
    QStringList numbersStored() {
        QStringList all;
        const int h = db.OpenTable(u"select 销售票号 from 销售记录 order by ID"_s);
        for (; !db.IsEOF(h); db.MoveNext(h)) {
            all.append(db.ReadColByIndex(h, 1).toText());
        }
        db.CloseTable(h);
        return all;
    }

    FormWindow* w = nullptr;
    SalesEntryWindow* logic = nullptr;
};

const QString kPrice = u"价格只能是数字（最多两位小数，不超过 99999999.99），例如 12.50！"_s;
const QString kQuantity = u"数量只能是整数，例如 3（退货写 -1）！"_s;
const QString kCash = u"实收只能是数字（最多两位小数，不超过 99999999.99），例如 100！"_s;

TEST_F(SalesEntryFaults, MoneyThatIsNotAPlainNumberIsRefused) {
    const QString nul = QString(QChar(0));
    const struct {
        QString price, quantity, message;
    } cases[] = {
        {u"1,000.50"_s, u"1"_s, kPrice},
        {u"0x10"_s, u"1"_s, kPrice},
        {u"1e3"_s, u"1"_s, kPrice},
        {u"1e400"_s, u"1"_s, kPrice},
        {u"inf"_s, u"1"_s, kPrice},
        {u"nan"_s, u"1"_s, kPrice},
        {u"12.345"_s, u"1"_s, kPrice},
        {u"12 50"_s, u"1"_s, kPrice},
        {u"12元"_s, u"1"_s, kPrice},
        {u"-5"_s, u"1"_s, kPrice},
        {u"100000000"_s, u"1"_s, kPrice},
        {u"12"_s + nul, u"1"_s, kPrice},
        {u"10"_s, u"1e3"_s, kQuantity},
        {u"10"_s, u"1.5"_s, kQuantity},
        {u"10"_s, u"0x10"_s, kQuantity},
        {u"10"_s, u"123456789"_s, kQuantity},
        {u"10"_s, u"2"_s + QChar(1), kQuantity},
        {u"99999999.99"_s, u"2"_s, u"金额不能超过 99999999.99！"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.price.toStdString() + " x " + c.quantity.toStdString());
        messages.clear();
        add(u"茶叶"_s, c.price, c.quantity);
        EXPECT_EQ(messages.texts(), QStringList{c.message});
        EXPECT_EQ(rows(), 0);
    }
    messages.clear();
    add(u"茶"_s + nul + u"叶"_s, u"10"_s, u"1"_s);
    EXPECT_EQ(messages.texts(), QStringList{u"商品名称含有不能保存的控制字符！"_s});
    EXPECT_EQ(messages.shown().front().caption, u"提示"_s);

    // Plain numbers still go in, blanks around them and a return's minus sign included.
    messages.clear();
    add(u"退货"_s, u" 12.5 "_s, u"-1"_s);
    add(u"茶叶"_s, u"99999999.99"_s, u"1"_s);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(t("标签_打折后"), u"99999987.49"_s);

    // Cash: no change is shown for junk, and nothing is stored with it.
    const int before = sales();
    for (const QString& cash : {u"1,000"_s, u"1e9"_s, u"-5"_s, u"5"_s + nul}) {
        messages.clear();
        set("编辑框_实收", cash);
        EXPECT_EQ(t("编辑框_找零"), QString());
        click("按钮_仅保存小票");
        EXPECT_EQ(messages.texts(), QStringList{kCash});
        EXPECT_EQ(sales(), before);
        EXPECT_EQ(rows(), 2);
    }
    set("编辑框_实收", u"99999999.99"_s);
    EXPECT_EQ(t("编辑框_找零"), u"12.50"_s);
}

// The products were read when the window opened: a lock held by another program doesn't stop
// the narrowing (bench_lookup measures that it doesn't slow it either).
TEST_F(SalesEntryFaults, LookupsUnderALockStillNarrow) {
    ASSERT_FALSE(w->component(u"组合框_名称"_s)->items().isEmpty());
    OtherProgram other(path);
    ASSERT_TRUE(other.run("BEGIN EXCLUSIVE; UPDATE 配置文件 SET 店名='x'"));
    for (const char* typed : {"m", "mk", "mkf"}) {
        logic->fillProducts(QString::fromLatin1(typed));
    }
    EXPECT_EQ(w->component(u"组合框_名称"_s)->items().size(), 1);
    EXPECT_TRUE(messages.shown().empty());
    other.run("ROLLBACK");
    logic->fillProducts(u"mkf"_s);
    EXPECT_EQ(w->component(u"组合框_名称"_s)->items().size(), 1);
}

TEST_F(SalesEntryFaults, SaveWaitsForALockWithoutFreezingThenNamesIt) {
    add(u"茶叶"_s, u"10"_s, u"1"_s);
    const int before = sales();
    auto other = std::make_unique<OtherProgram>(path);
    ASSERT_TRUE(other->run("BEGIN IMMEDIATE"));

    // Held throughout: the save gives up after a few seconds and keeps the receipt.
    messages.clear();
    click("按钮_仅保存小票");
    EXPECT_EQ(messages.texts(), QStringList{u"数据库正被占用，请稍后再试"_s});
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(sales(), before);

    // Let go while the save waits: the sale is stored. A timer due meanwhile waits for the save
    // to end, so that no handler runs in the middle of it.
    messages.clear();
    bool fired = false;
    bool firedDuringSave = false;
    bool saving = true;
    QTimer::singleShot(100, [&] {
        fired = true;
        firedDuringSave = saving;
    });
    std::thread letGo([&] {
        QThread::msleep(400);
        other->run("ROLLBACK");
    });
    click("按钮_仅保存小票");
    saving = false;
    letGo.join();
    QElapsedTimer waited;
    waited.start();
    while (!fired && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    EXPECT_TRUE(fired);
    EXPECT_FALSE(firedDuringSave);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(sales(), before + 1);
    EXPECT_EQ(rows(), 0);
}

TEST_F(SalesEntryFaults, NumbersFollowTheHighestOfTheDayWhenTheClockMoves) {
    auto sell = [&] {
        add(u"茶叶"_s, u"10"_s, u"1"_s);
        click("按钮_仅保存小票");
        EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|').toStdString();
    };
    sell();
    sell();
    now = now.addDays(-1);  // the clock went back a day
    sell();
    now = now.addDays(1);  // and was put right, with the window still showing the old day
    EXPECT_EQ(t("编辑框_单号"), u"1608170000002"_s);
    sell();
    now = now.addDays(1);
    sell();
    EXPECT_EQ(numbersStored(),
              (QStringList{u"1608180000001"_s, u"1608180000002"_s, u"1608180000003"_s,
                           u"1608170000001"_s, u"1608180000004"_s, u"1608190000001"_s}));
}

TEST_F(SalesEntryFaults, ANumberTypedTwiceIsRefusedByName) {
    add(u"茶叶"_s, u"10"_s, u"1"_s);
    set("编辑框_单号", u"1608180000001"_s);  // an administrator may type one; it is taken
    messages.clear();
    click("按钮_仅保存小票");
    EXPECT_EQ(messages.texts(), QStringList{u"添加失败！\r\n单号已经存在：1608180000001"_s});
    EXPECT_EQ(rows(), 1);
    set("编辑框_单号", u"1608180000100"_s);
    messages.clear();
    click("按钮_仅保存小票");
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(numbersStored().last(), u"1608180000100"_s);
    EXPECT_EQ(t("编辑框_单号"), u"1608180000101"_s);
}

TEST_F(SalesEntryFaults, ClosingWithAnUnsavedReceiptAsksFirst) {
    QPointer<FormWindow> window(w);
    add(u"茶叶"_s, u"10"_s, u"1"_s);
    messages.clear();
    messages.answer(MessageResult::No);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(window.isNull());
    EXPECT_FALSE(window->isDestroying());
    EXPECT_EQ(messages.texts(), QStringList{u"当前小票尚未保存，确定退出吗？"_s});
    EXPECT_EQ(messages.shown().front().flags & MessageFlags::ButtonMask, MessageFlags::YesNo);

    messages.answer(MessageResult::Yes);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull() || window->isDestroying());
}

TEST_F(SalesEntryFaults, ClosingAnEmptyReceiptAsksNothing) {
    QPointer<FormWindow> window(w);
    messages.clear();
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_TRUE(window.isNull() || window->isDestroying());
}

}  // namespace
}  // namespace tillora::test
