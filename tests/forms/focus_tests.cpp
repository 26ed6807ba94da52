// The focus rule of every window: the first focus on opening and on a tab page, the Tab sequence,
// components that take no focus, and what Enter does.
#include "forms/component.h"
#include "forms/components/button.h"
#include "forms/components/tab_control.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "tests/forms/window_test_templates.h"
#include "tests/support/keyboard.h"
#include "tests/support/program_templates.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

namespace tillora::test {
namespace {

class FocusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = windowTemplate(kTestWindow, QSize(406, 329));
        for (const char* name : {"clicked1", "clicked2", "clickedDefault"}) {
            const QString handler = QString::fromLatin1(name);
            handlers_.add(handler, [this, handler](const EventArgs&) {
                clicks_ << handler;
                return Value();
            });
        }
    }
    ComponentRecord& add(ComponentType type, const char* name, QRect place, int tabOrder,
                         qint32 flags = ComponentVisible | ComponentTabStop) {
        const int serial = static_cast<int>(window_.components.size());
        window_.components << record(serial, type, QString::fromUtf8(name), place, {}, flags);
        window_.components.last().tabOrder = tabOrder;
        return window_.components.last();
    }
    FormWindow* open() {
        set_.windows = {window_};
        manager_ = std::make_unique<FormManager>(set_, handlers_);
        if (!manager_->open(kTestWindow)) {
            ADD_FAILURE() << manager_->lastError().toStdString();
            return nullptr;
        }
        FormWindow* window = manager_->window(kTestWindow);
        EXPECT_TRUE(Keyboard::activate(window));
        return window;
    }

    WindowTemplate window_;
    TemplateSet set_;
    HandlerRegistry handlers_;
    QStringList clicks_;
    std::unique_ptr<FormManager> manager_;
};

// Invisible, disabled, parked and non-tab-stop components are left out; the rest go by tab order,
// not by record order.
TEST_F(FocusTest, OpeningFocusesTheLowestTabOrderThatCanTakeIt) {
    add(ComponentType::EditBox, "编辑框_后", {10, 10, 100, 24}, 5);
    add(ComponentType::Button, "按钮_禁用", {10, 40, 80, 24}, 2,
        ComponentVisible | ComponentTabStop | ComponentDisabled);
    add(ComponentType::EditBox, "编辑框_隐藏", {10, 70, 100, 24}, 1, ComponentTabStop);
    add(ComponentType::EditBox, "编辑框_窗外", {700, 10, 100, 24}, 0);
    add(ComponentType::CheckBox, "选择框_先", {10, 100, 100, 24}, 4);
    add(ComponentType::Button, "按钮_非停靠", {10, 130, 80, 24}, 3, ComponentVisible);
    // A shape box parked outside the window takes its components with it.
    ComponentRecord& frame = add(ComponentType::ShapeBox, "外形框_窗外", {500, 0, 100, 100}, 6);
    const qint32 frameId = frame.id;
    ComponentRecord& inFrame = add(ComponentType::EditBox, "编辑框_框内", {5, 5, 80, 24}, 0);
    inFrame.container = frameId;
    window_.components[window_.components.size() - 2].children = {inFrame.id};
    add(ComponentType::EditBox, "编辑框_最后", {10, 160, 100, 24}, 7);

    FormWindow* window = open();
    ASSERT_NE(window, nullptr);
    Keyboard keys(window);
    EXPECT_EQ(keys.focusedName(), QStringLiteral("选择框_先"));
    const QStringList expected{QStringLiteral("选择框_先"), QStringLiteral("编辑框_后"),
                               QStringLiteral("编辑框_最后")};
    EXPECT_EQ(joined(keys.tabRound()), joined(expected));
    EXPECT_EQ(joined(Keyboard::templateTabOrder(window)), joined(expected));
    for (const char* parked : {"编辑框_窗外", "编辑框_框内"}) {
        const Component* c = window->component(QString::fromUtf8(parked));
        EXPECT_TRUE(c->isParked()) << parked;
        EXPECT_EQ(c->widget()->focusPolicy(), Qt::NoFocus) << parked;
    }

    // Brought into sight, a parked box is a tab stop again (and the lowest here); sent away again,
    // it loses the focus it had.
    Component* outside = window->component(QStringLiteral("编辑框_窗外"));
    outside->setPlace({200, 10, 100, 24});
    EXPECT_FALSE(outside->isParked());
    outside->widget()->setFocus();
    EXPECT_EQ(keys.tabRound().first(), QStringLiteral("编辑框_窗外"));
    EXPECT_EQ(keys.tabRound().size(), 4);
    outside->setPlace({900, 10, 100, 24});
    EXPECT_EQ(outside->widget()->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(outside->widget()->hasFocus());
}

// A window built hidden gets its first focus when the program shows it.
TEST_F(FocusTest, HiddenWindowFocusesWhenShown) {
    window_.components[0].flags = 0;
    add(ComponentType::Button, "按钮1", {10, 10, 80, 24}, 2);
    add(ComponentType::EditBox, "编辑框1", {10, 40, 100, 24}, 1);
    set_.windows = {window_};
    manager_ = std::make_unique<FormManager>(set_, handlers_);
    ASSERT_TRUE(manager_->open(kTestWindow));
    FormWindow* window = manager_->window(kTestWindow);
    EXPECT_FALSE(window->isVisible());
    ASSERT_TRUE(Keyboard::activate(window));
    EXPECT_EQ(Keyboard(window).focusedName(), QStringLiteral("编辑框1"));
}

TEST_F(FocusTest, TabPageSwitchFocusesTheLowestTabOrderOfThePage) {
    TabControlBlock tabs;
    tabs.pages = {TabPage{QStringLiteral("一")}, TabPage{QStringLiteral("二")}};
    const int serial = static_cast<int>(window_.components.size());
    window_.components << record(serial, ComponentType::TabControl, QStringLiteral("选择夹1"),
                                 {0, 0, 390, 280}, write(tabs));
    window_.components.last().tabOrder = 9;
    const qint32 tabId = window_.components.last().id;
    const auto onPage = [&](const char* name, QRect place, int order) {
        ComponentRecord& r = add(ComponentType::EditBox, name, place, order);
        r.container = tabId;
        return r.id;
    };
    const qint32 a = onPage("编辑框_一", {10, 40, 100, 24}, 2);
    const qint32 b = onPage("编辑框_二后", {10, 40, 100, 24}, 4);
    const qint32 c = onPage("编辑框_二先", {10, 80, 100, 24}, 3);
    window_.components[serial].children = {a, 0, b, c, 0};
    add(ComponentType::Button, "按钮1", {10, 290, 80, 24}, 1);

    FormWindow* window = open();
    ASSERT_NE(window, nullptr);
    Keyboard keys(window);
    EXPECT_EQ(keys.focusedName(), QStringLiteral("按钮1"));
    auto* tab = static_cast<TabControl*>(window->component(QStringLiteral("选择夹1")));
    tab->tabBar()->setCurrentIndex(1);
    EXPECT_EQ(keys.focusedName(), QStringLiteral("编辑框_二先"));
    tab->tabBar()->setCurrentIndex(0);
    EXPECT_EQ(keys.focusedName(), QStringLiteral("编辑框_一"));
}

// Enter in a control with no use for it presses the default button; a button pressed by Enter
// presses itself; one that isn't leaves Enter to the default button; a multi-line box keeps it.
TEST_F(FocusTest, EnterGoesToTheDefaultButtonUnlessTheControlUsesIt) {
    add(ComponentType::EditBox, "编辑框1", {10, 10, 100, 24}, 1);
    addEvent(add(ComponentType::Button, "按钮_默认", {10, 40, 80, 24}, 2), event::kClicked,
             QStringLiteral("clickedDefault"));
    addEvent(add(ComponentType::Button, "按钮1", {10, 70, 80, 24}, 3), event::kClicked,
             QStringLiteral("clicked1"));
    addEvent(add(ComponentType::Button, "按钮2", {10, 100, 80, 24}, 4), event::kClicked,
             QStringLiteral("clicked2"));
    FormWindow* window = open();
    ASSERT_NE(window, nullptr);
    Keyboard keys(window);

    // No default button: Enter in the box does nothing.
    keys.press(Qt::Key_Return);
    EXPECT_TRUE(clicks_.isEmpty());

    window->setDefaultButton(window->component(QStringLiteral("按钮_默认")));
    dynamic_cast<Button*>(window->component(QStringLiteral("按钮2")))->setPressedByEnter(false);
    keys.press(Qt::Key_Return);
    keys.press(Qt::Key_Enter);
    EXPECT_EQ(clicks_,
              (QStringList{QStringLiteral("clickedDefault"), QStringLiteral("clickedDefault")}));
    clicks_.clear();
    window->component(QStringLiteral("按钮1"))->widget()->setFocus();
    keys.press(Qt::Key_Return);
    window->component(QStringLiteral("按钮2"))->widget()->setFocus();
    keys.press(Qt::Key_Return);
    keys.press(Qt::Key_Space);
    EXPECT_EQ(clicks_, (QStringList{QStringLiteral("clicked1"), QStringLiteral("clickedDefault"),
                                    QStringLiteral("clicked2")}));

    // A disabled default button is not pressed.
    clicks_.clear();
    window->component(QStringLiteral("按钮_默认"))->setEnabled(false);
    window->component(QStringLiteral("编辑框1"))->widget()->setFocus();
    keys.press(Qt::Key_Return);
    EXPECT_TRUE(clicks_.isEmpty());
}

// Esc that no control uses closes a window as its close box does, so the close question can keep
// it open; whichever control has the focus. A control that uses Esc itself keeps it, and the
// program's main window never closes by Esc.
TEST_F(FocusTest, EscClosesASecondaryWindowAsItsCloseBoxDoes) {
    add(ComponentType::EditBox, "编辑框1", {10, 10, 100, 24}, 1);
    add(ComponentType::CheckBox, "选择框1", {10, 40, 100, 24}, 2);
    add(ComponentType::ListView, "超级列表框1", {10, 70, 200, 80}, 3);
    add(ComponentType::DateBox, "日期框1", {10, 160, 107, 24}, 4);
    add(ComponentType::ComboBox, "组合框1", {10, 190, 100, 24}, 5);
    addEvent(add(ComponentType::Button, "按钮1", {10, 220, 80, 24}, 6), event::kKeyDown,
             QStringLiteral("buttonKey"));
    addEvent(window_.components[0], event::kWindowCloseRequest, QStringLiteral("closeRequest"));
    bool mayClose = false;
    int asked = 0;
    handlers_.add(QStringLiteral("closeRequest"), [&](const EventArgs&) {
        ++asked;
        return Value::fromBool(mayClose);
    });
    // The button's own logic takes Esc.
    handlers_.add(QStringLiteral("buttonKey"), [](const EventArgs& a) {
        return intArgument(a, 0) == 0x1B ? Value::fromBool(false) : Value();
    });

    for (const char* name : {"编辑框1", "选择框1", "超级列表框1", "日期框1", "组合框1"}) {
        SCOPED_TRACE(name);
        FormWindow* window = open();
        ASSERT_NE(window, nullptr);
        window->component(QString::fromUtf8(name))->widget()->setFocus();
        Keyboard keys(window);
        asked = 0;
        mayClose = false;
        keys.press(Qt::Key_Escape);
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(manager_->isOpen(kTestWindow));
        mayClose = true;
        keys.press(Qt::Key_Escape);
        EXPECT_EQ(asked, 2);
        EXPECT_FALSE(manager_->isOpen(kTestWindow));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    mayClose = true;
    asked = 0;
    FormWindow* window = open();
    ASSERT_NE(window, nullptr);
    Keyboard keys(window);
    window->component(QStringLiteral("按钮1"))->widget()->setFocus();
    keys.press(Qt::Key_Escape);
    manager_->setMainWindow(window);
    window->component(QStringLiteral("编辑框1"))->widget()->setFocus();
    keys.press(Qt::Key_Escape);
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(manager_->isOpen(kTestWindow));
}

// Typed digits go into the date part under the caret however it got there: Tab, Shift+Tab, a
// click, the arrow keys. Digits typed in a row fill one part after another.
TEST_F(FocusTest, DateBoxTakesDigitsInThePartUnderTheCaret) {
    add(ComponentType::EditBox, "编辑框1", {10, 10, 100, 24}, 1);
    add(ComponentType::DateBox, "日期框1", {10, 40, 107, 24}, 2);
    add(ComponentType::EditBox, "编辑框2", {10, 70, 100, 24}, 3);
    FormWindow* window = open();
    ASSERT_NE(window, nullptr);
    Keyboard keys(window);
    auto* box =
        qobject_cast<QDateTimeEdit*>(window->component(QStringLiteral("日期框1"))->widget());
    ASSERT_NE(box, nullptr);
    auto* line = box->findChild<QLineEdit*>();
    ASSERT_NE(line, nullptr);
    const auto restart = [&](const char* from) {
        box->setDate(QDate(2016, 8, 20));
        window->component(QString::fromUtf8(from))->widget()->setFocus();
    };

    restart("编辑框1");
    keys.press(Qt::Key_Tab);
    keys.type(QStringLiteral("20150309"));
    EXPECT_EQ(box->date(), QDate(2015, 3, 9));

    restart("编辑框2");
    keys.press(Qt::Key_Backtab);
    keys.type(QStringLiteral("15"));
    EXPECT_EQ(box->date(), QDate(2016, 8, 15));

    // A click between the month's digits, then the caret moved back into the year.
    restart("编辑框1");
    const int x = line->fontMetrics().horizontalAdvance(QStringLiteral("2016-0"));
    QTest::mouseClick(line, Qt::LeftButton, Qt::NoModifier, QPoint(x + 2, line->height() / 2));
    ASSERT_FALSE(line->hasSelectedText());
    keys.type(QStringLiteral("11"));
    EXPECT_EQ(box->date(), QDate(2016, 11, 20));
    QTest::mouseClick(line, Qt::LeftButton, Qt::NoModifier, QPoint(x + 2, line->height() / 2));
    for (int i = 0; i < 4; ++i) {
        keys.press(Qt::Key_Left);
    }
    keys.type(QStringLiteral("2014"));
    EXPECT_EQ(box->date(), QDate(2014, 11, 20));
}

// Every window of the program's own set, built without its program logic, opens on the first of
// its template's tab stops and Tab goes round them in the template's order.
TEST(EmbeddedWindowsFocusTest, EveryWindowFollowsItsTemplateTabOrder) {
    TemplateSet set;
    ASSERT_TRUE(readProgramTemplates(set));
    HandlerRegistry handlers;
    addDoNothingHandlers(handlers);
    FormManager manager(set, handlers);
    for (const WindowTemplate& w : set.windows) {
        ASSERT_TRUE(manager.open(w.id)) << manager.lastError().toStdString();
        FormWindow* window = manager.window(w.id);
        SCOPED_TRACE(window->objectName().toStdString() + " " + std::to_string(w.id));
        ASSERT_TRUE(Keyboard::activate(window));
        const QStringList order = Keyboard::templateTabOrder(window);
        Keyboard keys(window);
        if (order.isEmpty()) {
            EXPECT_EQ(keys.focused(), nullptr);
        } else {
            EXPECT_EQ(keys.focusedName(), order.first());
            EXPECT_EQ(joined(keys.tabRound()), joined(order));
        }
        manager.close(w.id);
    }
}

}  // namespace
}  // namespace tillora::test
