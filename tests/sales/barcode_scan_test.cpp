// A barcode scanner is a keyboard that types fast and ends with Enter, Tab or a line feed: its
// codes sell their product wherever the focus is, and leave no trace in the boxes.
#include "sales/sales_entry_window.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "forms/component.h"
#include "forms/components/list_view.h"
#include "sales/barcode_scanner.h"
#include "tests/sales/sales_fixture.h"
#include "tests/support/keyboard.h"

namespace tillora::test {
namespace {

const QString kCode = QStringLiteral("6901234567892");  // dyj-打印机, 80.00

struct Ending {
    Qt::Key key;
    const char* text;
};
const Ending kEnter{Qt::Key_Return, "\r"};
const Ending kTab{Qt::Key_Tab, "\t"};
const Ending kLineFeed{Qt::Key_J, "\n"};  // Ctrl+J, as a scanner set to send LF types it

class BarcodeScanTest : public SalesFixture {
  protected:
    void SetUp() override {
        SalesFixture::SetUp();
        ASSERT_TRUE(db.ExecuteSql(QStringLiteral("update 商品名称 set 条码='") + kCode +
                                  QStringLiteral("' where ID=23")));
        w = open(FormId::SalesEntry);
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(Keyboard::activate(w));
        logic = SalesEntryWindow::of(w);
    }
    void send(QEvent::Type type, int key, const QString& text, quint64 at) {
        QKeyEvent event(type, key, key == Qt::Key_J ? Qt::ControlModifier : Qt::NoModifier, text);
        event.setTimestamp(at);
        QApplication::sendEvent(QApplication::focusWidget(), &event);
    }
    // Types `code` with `gap` ms between keys, as the key events' own time stamps say.
    void scan(const QString& code, quint64 gap, Ending end = kEnter) {
        for (const QChar c : code) {
            send(QEvent::KeyPress, c.toUpper().unicode(), QString(c), clock += gap);
            send(QEvent::KeyRelease, c.toUpper().unicode(), QString(c), clock + 2);
        }
        send(QEvent::KeyPress, end.key, QString::fromLatin1(end.text), clock += gap);
    }
    void focus(const char* name) {
        w->component(QString::fromUtf8(name))->widget()->setFocus(Qt::OtherFocusReason);
    }
    QString box(const char* name) const { return w->text(QString::fromUtf8(name)); }
    // The receipt's lines as "name x quantity".
    QStringList lines() const {
        QStringList out;
        for (const SaleLine& l : logic->model().lines()) {
            out << l.name + QStringLiteral(" x") + QString::number(l.quantity);
        }
        return out;
    }

    FormWindow* w = nullptr;
    SalesEntryWindow* logic = nullptr;
    quint64 clock = 100000;
};

TEST_F(BarcodeScanTest, ScansFromAnyBoxAtScannerSpeedsAndEndings) {
    const char* starts[] = {"编辑框_名称", "编辑框_实收", "编辑框_备注", "按钮_打印小票"};
    int scans = 0;
    for (const char* start : starts) {
        focus(start);
        w->setText(QString::fromUtf8(start), QStringLiteral("12"));
        for (const quint64 gap : {5, 15, 30}) {
            for (const Ending& end : {kEnter, kTab, kLineFeed}) {
                scan(kCode, gap, end);
                ++scans;
                const QString where = QStringLiteral("%1 %2ms %3")
                                          .arg(QString::fromUtf8(start))
                                          .arg(gap)
                                          .arg(end.key);
                // The same product again: one more on its line.
                EXPECT_EQ(lines(), QStringList{QStringLiteral("dyj-打印机 x%1").arg(scans)})
                    << where.toStdString();
                EXPECT_EQ(w->text(QString::fromUtf8(start)), QStringLiteral("12"))
                    << where.toStdString();
                EXPECT_EQ(QApplication::focusWidget(),
                          w->component(QString::fromUtf8(start))->widget())
                    << where.toStdString();
            }
        }
    }
    EXPECT_EQ(box("标签_总金额"), QStringLiteral("2880.00"));
    EXPECT_TRUE(messages.texts().isEmpty()) << joined(messages.texts());
}

TEST_F(BarcodeScanTest, APersonTypingIsNeverAScan) {
    focus("编辑框_实收");
    scan(kCode, 80);
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_EQ(box("编辑框_实收"), kCode);
    // Three keys are too few for a code, however fast.
    focus("编辑框_备注");
    scan(QStringLiteral("690"), 5, kTab);
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_TRUE(messages.texts().isEmpty()) << joined(messages.texts());
}

TEST_F(BarcodeScanTest, TheDiscountTickAppliesAsToATypedLine) {
    w->component(QStringLiteral("选择框_折扣"))->setChecked(true);
    w->component(QStringLiteral("组合框_折扣"))->setCurrentIndex(5);  // 9.5
    focus("编辑框_名称");
    scan(kCode, 5);
    scan(kCode, 5);
    ASSERT_EQ(lines(), QStringList{QStringLiteral("dyj-打印机 x2")});
    EXPECT_EQ(logic->model().lines().front().discounted, 15200);
}

TEST_F(BarcodeScanTest, UnknownAndOverlongCodesAddNothing) {
    logIn(QStringLiteral("zoe"), QStringLiteral("普通用户"));
    focus("编辑框_实收");
    scan(QStringLiteral("4006381333931"), 5);
    const QString overlong(51, u'7');
    scan(overlong, 5);
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_EQ(box("编辑框_实收"), QString());
    EXPECT_EQ(messages.texts(),
              (QStringList{QStringLiteral("条码 4006381333931 没有登记"),
                           QStringLiteral("条码 ") + overlong + QStringLiteral(" 没有登记")}));
}

TEST_F(BarcodeScanTest, AnAdministratorRegistersAnUnknownCodeOnTheSpot) {
    std::optional<NewProductInput> typed =
        NewProductInput{QStringLiteral("茶杯"), QStringLiteral("12.5")};
    module->setNewProductPrompt([&typed](const QString&, FormWindow*) { return typed; });
    focus("编辑框_名称");
    messages.answer(MessageResult::No);
    scan(QStringLiteral("4006381333931"), 5);
    EXPECT_TRUE(lines().isEmpty());
    scan(QStringLiteral("4006381333931"), 5);  // Yes, first button
    EXPECT_EQ(lines(), QStringList{QStringLiteral("茶杯 x1")});
    EXPECT_EQ(text(QStringLiteral("select 单价 from 商品名称 where 条码='4006381333931'")),
              QStringLiteral("12.50"));
    // A wrong check digit can't be registered.
    scan(QStringLiteral("4006381333932"), 5);
    EXPECT_EQ(messages.texts().last(),
              QStringLiteral("条码 4006381333932 的校验位不对，请核对后重新输入！"));
    EXPECT_EQ(lines(), QStringList{QStringLiteral("茶杯 x1")});
}

TEST_F(BarcodeScanTest, ACodeTypedIntoTheNameBoxSellsItsProduct) {
    focus("编辑框_名称");
    Keyboard keys(w);
    keys.type(kCode);
    keys.press(Qt::Key_Return);
    EXPECT_EQ(lines(), QStringList{QStringLiteral("dyj-打印机 x1")});
    EXPECT_EQ(box("编辑框_名称"), QString());
    // A name goes on to the price as before.
    keys.type(QStringLiteral("茶叶"));
    keys.press(Qt::Key_Return);
    EXPECT_EQ(keys.focusedName(), QStringLiteral("编辑框_单价"));
}

// With an input method on, the digits come as committed text without a time stamp while Enter
// still comes as a key: both are put on one time base.
TEST(BarcodeScanner, DigitsFromAnInputMethodStillMakeAScan) {
    QWidget window;
    auto* box = new QLineEdit(QStringLiteral("12"), &window);
    window.show();
    box->setFocus();
    qint64 now = 1000;  // the scanner's own clock; the window system's stamps run 500000 ahead
    QStringList codes;
    BarcodeScanner scanner(
        &window, [&codes](const QString& code) { codes << code; }, ScanDetector::kMaxGapMs,
        [&now] { return now; });
    const auto key = [&](int k, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
        press.setTimestamp(static_cast<quint64>(now + 500000));
        QApplication::sendEvent(box, &press);
    };
    key(Qt::Key_Shift, {});
    for (const QChar c : kCode) {
        now += 8;
        QInputMethodEvent commit;
        commit.setCommitString(QString(c));
        QApplication::sendEvent(box, &commit);
    }
    now += 8;
    key(Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(codes, QStringList{kCode});
    EXPECT_EQ(box->text(), QStringLiteral("12"));
}

}  // namespace
}  // namespace tillora::test
