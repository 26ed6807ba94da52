// The login window at the keyboard: it opens in the user box, Tab follows the form, Enter logs
// in, and only 退出's own click or Space ends the program.
#include "app/login_check.h"
#include "tests/app/login_fixture.h"
#include "tests/support/first_cell.h"
#include "tests/support/keyboard.h"

#include <gtest/gtest.h>

namespace tillora::test {
namespace {

class LoginKeyboardTest : public LoginFixture {
  protected:
    void SetUp() override {
        LoginFixture::SetUp();
        window = openLogin();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(Keyboard::activate(window));
        keys = std::make_unique<Keyboard>(window);
    }
    FormWindow* window = nullptr;
    std::unique_ptr<Keyboard> keys;
};

TEST_F(LoginKeyboardTest, OpensInTheUserBoxAndTabsInFormOrder) {
    EXPECT_EQ(keys->focusedName(), QStringLiteral("组合框_用户名"));
    Keyboard::keepScreenshot(window, QStringLiteral("login_focus"));
    const QStringList order{QStringLiteral("组合框_用户名"), QStringLiteral("编辑框_密码"),
                            QStringLiteral("选择框1"), QStringLiteral("按钮_登录"),
                            QStringLiteral("按钮_退出")};
    EXPECT_EQ(joined(keys->tabRound()), joined(order));
    EXPECT_EQ(joined(Keyboard::templateTabOrder(window)), joined(order));
}

// admin with the empty password: Enter at once logs in.
TEST_F(LoginKeyboardTest, EnterInTheUserBoxLogsIn) {
    keys->press(Qt::Key_Return);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(mainOpenedFor, QStringLiteral("admin"));
    EXPECT_FALSE(endedWith.has_value());
    EXPECT_FALSE(loginWindowOpen());
}

TEST_F(LoginKeyboardTest, EnterInThePasswordBoxOrOnExitNeverEndsTheProgram) {
    addUser(QStringLiteral("zoe"), QStringLiteral("普通用户"),
            passwordDigest(QStringLiteral("z9")));
    // A wrong password: the message, the window stays.
    keys->press(Qt::Key_Tab);
    ASSERT_EQ(keys->focusedName(), QStringLiteral("编辑框_密码"));
    keys->type(QStringLiteral("x"));
    keys->press(Qt::Key_Enter);
    EXPECT_EQ(boxes.texts(), QStringList{login_text::wrongPassword()});
    EXPECT_TRUE(loginWindowOpen());

    // Enter on 退出 is a login attempt too, not the end of the program.
    boxes.clear();
    while (keys->focusedName() != QStringLiteral("按钮_退出")) {
        keys->press(Qt::Key_Tab);
    }
    keys->press(Qt::Key_Return);
    EXPECT_EQ(boxes.texts(), QStringList{login_text::wrongPassword()});
    EXPECT_FALSE(endedWith.has_value());

    // Another user, typed in: Enter in the password box logs in.
    keys->press(Qt::Key_Tab);
    ASSERT_EQ(keys->focusedName(), QStringLiteral("组合框_用户名"));
    window->setText(QStringLiteral("组合框_用户名"), QString());
    keys->type(QStringLiteral("zoe"));
    keys->press(Qt::Key_Tab);
    window->setText(QStringLiteral("编辑框_密码"), QString());
    keys->type(QStringLiteral("z9"));
    keys->press(Qt::Key_Return);
    EXPECT_EQ(mainOpenedFor, QStringLiteral("zoe"));
    EXPECT_FALSE(endedWith.has_value());
    // The trail: both failures under the name shown, then the login; never a password.
    const auto rows = [this](const char* where) {
        return firstNumber(
            db, QStringLiteral("select count(*) from 操作记录 where ") + QString::fromUtf8(where));
    };
    EXPECT_EQ(rows("用户='admin' and 操作='登录失败'"), 2);
    EXPECT_EQ(rows("用户='zoe' and 操作='登录'"), 1);
    EXPECT_EQ(rows("之前 like '%z9%' or 之后 like '%z9%'"), 0);
}

TEST_F(LoginKeyboardTest, SpaceOnExitEndsTheProgram) {
    while (keys->focusedName() != QStringLiteral("按钮_退出")) {
        keys->press(Qt::Key_Tab);
    }
    keys->press(Qt::Key_Space);
    EXPECT_EQ(endedWith, 0);
    EXPECT_FALSE(mainOpenedFor.has_value());
}

}  // namespace
}  // namespace tillora::test
