#include "forms/component.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/input_mode.h"
#include "tests/forms/window_test_templates.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

namespace tillora::test {
namespace {

void key(QWidget* w, int code, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

void typeText(QWidget* w, const QString& text) {
    for (QChar ch : text) {
        key(w, ch.toUpper().unicode(), QString(ch));
    }
}

void click(Component* c) {
    qobject_cast<QAbstractButton*>(c->widget())->click();
}

class EventTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = windowTemplate(kTestWindow, QSize(406, 329));
        addEvent(window_.components[0], event::kWindowCreated, QStringLiteral("created"));
        addEvent(window_.components[0], event::kWindowAfterCreated1, QStringLiteral("after3"));
        addEvent(window_.components[0], event::kWindowAfterCreated2, QStringLiteral("after4"));
        addEvent(window_.components[0], event::kWindowCloseRequest, QStringLiteral("closeRequest"));
        addEvent(window_.components[0], event::kWindowMayClose, QStringLiteral("mayClose"));
        for (const char* name : {"created", "after3", "after4", "closeRequest", "mayClose",
                                 "clicked", "keyDown", "charTyped"}) {
            const QString handler = QString::fromLatin1(name);
            handlers_.add(handler, [this, handler](const EventArgs& args) {
                calls_ << handler + QLatin1Char(':') +
                              (args.component ? args.component->name() : QString());
                return answers_.value(handler);
            });
        }
    }

    FormWindow* open() {
        set_.windows = {window_};
        manager_ = std::make_unique<FormManager>(set_, handlers_);
        if (!manager_->open(kTestWindow)) {
            return nullptr;
        }
        return manager_->window(kTestWindow);
    }

    WindowTemplate window_;
    TemplateSet set_;
    HandlerRegistry handlers_;
    QStringList calls_;
    QHash<QString, Value> answers_;
    std::unique_ptr<FormManager> manager_;
};

TEST_F(EventTest, CreationRaisesZeroThenThreeAndFourAndNothingWhileBuilding) {
    ComponentRecord button =
        record(1, ComponentType::Button, QStringLiteral("按钮1"), {10, 10, 80, 24});
    addEvent(button, event::kClicked, QStringLiteral("clicked"));
    window_.components << button;
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(calls_, (QStringList{QStringLiteral("created:"), QStringLiteral("after3:"),
                                   QStringLiteral("after4:")}));
}

TEST_F(EventTest, HandlersRunOnlyWhereTheRecordListsThemFollowingTheSourceChain) {
    ComponentRecord owner =
        record(1, ComponentType::Button, QStringLiteral("按钮1"), {10, 10, 80, 24});
    addEvent(owner, event::kClicked, QStringLiteral("clicked"));
    ComponentRecord sharer =
        record(2, ComponentType::Button, QStringLiteral("按钮2"), {10, 40, 80, 24});
    sharer.handlerSource = owner.id;
    // A source of another type is not followed.
    ComponentRecord wrongType =
        record(3, ComponentType::CheckBox, QStringLiteral("选择框1"), {10, 70, 80, 24});
    wrongType.handlerSource = owner.id;
    ComponentRecord silent =
        record(4, ComponentType::Button, QStringLiteral("按钮3"), {10, 100, 80, 24});
    window_.components << owner << sharer << wrongType << silent;
    FormWindow* window = open();
    ASSERT_NE(window, nullptr);
    calls_.clear();
    click(window->component(QStringLiteral("按钮2")));
    click(window->component(QStringLiteral("选择框1")));
    click(window->component(QStringLiteral("按钮3")));
    EXPECT_EQ(calls_, QStringList{QStringLiteral("clicked:按钮2")});
    // No entry: no handler and no result for the raiser.
    EXPECT_FALSE(window->component(QStringLiteral("按钮3"))->raise(event::kClicked).has_value());
}

TEST_F(EventTest, MissingHandlerFailsTheOpenAndIsReported) {
    ComponentRecord button =
        record(1, ComponentType::Button, QStringLiteral("按钮1"), {10, 10, 80, 24});
    addEvent(button, event::kClicked, QStringLiteral("notProvided"));
    window_.components << button;
    EXPECT_EQ(open(), nullptr);
    EXPECT_TRUE(manager_->lastError().contains(QStringLiteral("notProvided")));
    EXPECT_EQ(manager_->missingHandlers(), QStringList{QStringLiteral("notProvided")});
}

TEST_F(EventTest, FalseFromCloseRequestOrMayCloseKeepsTheWindowOpen) {
    FormWindow* window = open();
    ASSERT_NE(window, nullptr);
    for (const char* refusing : {"closeRequest", "mayClose"}) {
        answers_.clear();
        answers_.insert(QString::fromLatin1(refusing), Value::fromBool(false));
        EXPECT_FALSE(window->close());
        EXPECT_TRUE(manager_->isOpen(kTestWindow)) << refusing;
    }
    answers_.clear();
    calls_.clear();
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(manager_->isOpen(kTestWindow));
    EXPECT_EQ(calls_, (QStringList{QStringLiteral("closeRequest:"), QStringLiteral("mayClose:")}));
}

TEST_F(EventTest, AClosedWindowWaitingForItsDeleteRaisesNoComponentEvents) {
    ComponentRecord button =
        record(1, ComponentType::Button, QStringLiteral("按钮1"), {10, 10, 80, 24});
    addEvent(button, event::kClicked, QStringLiteral("clicked"));
    window_.components << button;
    FormWindow* window = open();
    ASSERT_NE(window, nullptr);
    QPointer<QWidget> widget = window->component(QStringLiteral("按钮1"))->widget();
    window->destroyWindow();
    ASSERT_FALSE(widget.isNull());  // the delete is deferred to the event loop
    calls_.clear();
    qobject_cast<QAbstractButton*>(widget.data())->click();
    EXPECT_TRUE(calls_.isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(EventTest, KeyDownFalseSwallowsAndCharacterResultReplacesOrSwallows) {
    ComponentRecord edit =
        record(1, ComponentType::EditBox, QStringLiteral("编辑框1"), {10, 10, 120, 24});
    addEvent(edit, event::kKeyDown, QStringLiteral("keyDown"));
    addEvent(edit, event::kCharTyped, QStringLiteral("charTyped"));
    window_.components << edit;
    FormWindow* window = open();
    ASSERT_NE(window, nullptr);
    auto* line = window->widgetAs<QLineEdit>(QStringLiteral("编辑框1"));

    answers_.insert(QStringLiteral("keyDown"), Value::fromBool(false));
    typeText(line, QStringLiteral("ab"));
    EXPECT_EQ(line->text(), QString());

    answers_.clear();
    answers_.insert(QStringLiteral("charTyped"), Value::fromInt('X'));
    typeText(line, QStringLiteral("ab"));
    EXPECT_EQ(line->text(), QStringLiteral("XX"));

    answers_.insert(QStringLiteral("charTyped"), Value::fromInt(0));
    typeText(line, QStringLiteral("cd"));
    EXPECT_EQ(line->text(), QStringLiteral("XX"));

    answers_.clear();  // an empty result lets the character through
    typeText(line, QStringLiteral("e"));
    EXPECT_EQ(line->text(), QStringLiteral("XXe"));
}

// No key is swallowed: "1e3" must not become 13, nor "0x10" 10. A plain number is reformatted
// on leaving the box; other text stays as typed for the window to refuse.
TEST_F(EventTest, NumericEditModesKeepEveryKeyAndReformatOnFocusOut) {
    struct Case {
        InputMode mode;
        QString typed;
        QString shown;
    } cases[] = {
        {InputMode::Double, QStringLiteral("12.50"), QStringLiteral("12.5")},
        {InputMode::Double, QStringLiteral("0.00"), QString()},
        {InputMode::Integer, QStringLiteral("1a2.5"), QStringLiteral("1a2.5")},
        {InputMode::Byte, QStringLiteral("300"), QStringLiteral("255")},
        {InputMode::IntegerText, QStringLiteral("0x10"), QStringLiteral("0x10")},
        {InputMode::DecimalText, QStringLiteral("1e3"), QStringLiteral("1e3")},
    };
    int serial = 1;
    for (const Case& c : cases) {
        EditBoxBlock block;
        block.inputMode = static_cast<qint32>(c.mode);
        window_.components << record(serial, ComponentType::EditBox,
                                     QStringLiteral("编辑框%1").arg(serial),
                                     {10, 30 * serial, 120, 24}, write(block));
        ++serial;
    }
    FormWindow* window = open();
    ASSERT_NE(window, nullptr);
    window->activateWindow();
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        Component* component = window->component(QStringLiteral("编辑框%1").arg(i + 1));
        auto* line = qobject_cast<QLineEdit*>(component->widget());
        line->setFocus();
        typeText(line, cases[i].typed);
        // Leaving the box reformats it.
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(line, &out);
        EXPECT_EQ(line->text(), cases[i].shown) << cases[i].typed.toStdString();
    }
}

TEST_F(EventTest, EnterInMultiLineEditMakesANewLine) {
    EditBoxBlock multi;
    multi.multiLine = 1;
    window_.components << record(1, ComponentType::EditBox, QStringLiteral("编辑框1"),
                                 {10, 10, 200, 80}, write(multi));
    FormWindow* window = open();
    ASSERT_NE(window, nullptr);
    Component* component = window->component(QStringLiteral("编辑框1"));
    EXPECT_TRUE(component->handlesEnter());
    auto* plain = qobject_cast<QPlainTextEdit*>(component->widget());
    ASSERT_NE(plain, nullptr);
    typeText(plain, QStringLiteral("a"));
    key(plain, Qt::Key_Return, QStringLiteral("\r"));
    typeText(plain, QStringLiteral("b"));
    // The lines come back joined by CR LF, as the stored notes keep them.
    EXPECT_EQ(component->text(), QStringLiteral("a\r\nb"));
}

}  // namespace
}  // namespace tillora::test
