#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "data/user_accounts.h"
#include "tests/settings/settings_fixture.h"
#include "tests/support/keyboard.h"

namespace tillora::test {
namespace {

// admin's row in a fresh database, and the user each test adds first.
constexpr int kAdmin = 11;
constexpr int kZoe = 12;

class UsersPageTest : public SettingsFixture {
  protected:
    FormWindow* openAddDialog(FormWindow* w) {
        click(w, "按钮_添加1");
        return window(FormId::UserAdd);
    }
    FormWindow* openChangeDialog(FormWindow* w, int row) {
        list(w, "超级列表框2")->setCurrentIndex(row);
        click(w, "按钮_修改1");
        return window(FormId::UserChange);
    }
    void addUser(const QString& name, const QString& permission, const QString& password) {
        ASSERT_TRUE(db.ExecuteSql(user_sql::addUser(name, permission, passwordDigest(password))));
    }
    QString user(int id, const char* field) {
        return text(QStringLiteral("select %1 from 用户登录 where ID=%2")
                        .arg(QString::fromUtf8(field))
                        .arg(id));
    }
    int users() { return number(QStringLiteral("select count(*) from 用户登录")); }
};

TEST_F(UsersPageTest, AddDialogChecksInOrderThenAdds) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    ListView* l = list(w, "超级列表框2");
    ASSERT_EQ(l->rowCount(), 1);
    EXPECT_EQ(l->cell(0, 1), QStringLiteral("admin"));
    EXPECT_EQ(l->cell(0, 2), QStringLiteral("管理员"));
    const QString adminId = l->cell(0, 0);

    FormWindow* d = openAddDialog(w);
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(w->isEnabled());
    EXPECT_EQ(c(d, "组合框_qx")->items(),
              (QStringList{QStringLiteral("管理员"), QStringLiteral("普通用户")}));
    EXPECT_EQ(get(d, "组合框_qx"), QString());
    for (const char* box : {"编辑框_mm", "编辑框8"}) {
        auto* edit = qobject_cast<QLineEdit*>(c(d, box)->widget());
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password) << box;
    }

    click(d, "按钮1");
    set(d, "编辑框_yhm", QStringLiteral("O'Hara"));
    click(d, "按钮1");
    set(d, "编辑框_mm", QStringLiteral("p'w"));
    click(d, "按钮1");
    set(d, "编辑框8", QStringLiteral("p'x"));
    click(d, "按钮1");
    c(d, "组合框_qx")->setCurrentIndex(1);
    click(d, "按钮1");
    set(d, "编辑框8", QStringLiteral("p'w"));
    set(d, "编辑框_yhm", QString(60, u'名'));
    click(d, "按钮1");
    EXPECT_EQ(messages.texts(),
              (QStringList{QStringLiteral("用户不能为空！"), QStringLiteral("密码不能为空！"),
                           QStringLiteral("请输入确认密码！"), QStringLiteral("请选择权限！"),
                           QStringLiteral("密码输入不一致，请重新输入！！"),
                           QStringLiteral("用户名不能超过50个字符！")}));
    for (const auto& shown : messages.shown()) {
        EXPECT_EQ(shown.caption, QStringLiteral("提示"));
    }
    EXPECT_EQ(users(), 1);

    messages.clear();
    set(d, "编辑框_yhm", QStringLiteral("O'Hara"));
    click(d, "按钮1");
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(number(QStringLiteral("select count(*) from 用户登录 where 用户名='O''Hara' and "
                                    "权限='普通用户' and 密码='") +
                     passwordDigest(QStringLiteral("p'w")) + QStringLiteral("'")),
              1);
    // The list shows the new user; the dialog has done its work.
    ASSERT_EQ(l->rowCount(), 2);
    EXPECT_EQ(l->cell(1, 1), QStringLiteral("O'Hara"));
    EXPECT_EQ(l->cell(1, 2), QStringLiteral("普通用户"));
    EXPECT_EQ(l->cell(0, 0), adminId);
    settle();
    EXPECT_FALSE(isOpen(FormId::UserAdd));
    EXPECT_TRUE(w->isEnabled());

    // A second user of the same name is allowed.
    d = openAddDialog(w);
    ASSERT_NE(d, nullptr);
    set(d, "编辑框_yhm", QStringLiteral("O'Hara"));
    set(d, "编辑框_mm", QStringLiteral("x"));
    set(d, "编辑框8", QStringLiteral("x"));
    set(d, "组合框_qx", QStringLiteral("管理员"));
    click(d, "按钮1");
    EXPECT_EQ(number(QStringLiteral("select count(*) from 用户登录 where 用户名='O''Hara'")), 2);
    EXPECT_EQ(l->rowCount(), 3);
    settle();

    // 关闭 closes without adding.
    d = openAddDialog(w);
    ASSERT_NE(d, nullptr);
    set(d, "编辑框_yhm", QStringLiteral("nobody"));
    click(d, "按钮2");
    settle();
    EXPECT_FALSE(isOpen(FormId::UserAdd));
    EXPECT_EQ(users(), 3);
}

// The keyboard alone: Tab from box to box in the dialog, Enter on 添加.
TEST_F(UsersPageTest, KeyboardAloneAddsAUser) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    FormWindow* d = openAddDialog(w);
    ASSERT_NE(d, nullptr);
    c(d, "编辑框_yhm")->widget()->setFocus();
    const auto key = [d](int code, const QString& text = {}) {
        QWidget* target = d->focusWidget();
        ASSERT_NE(target, nullptr);
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(target, &release);
    };
    const auto type = [&](const QString& text) {
        for (const QChar ch : text) {
            key(0, QString(ch));
        }
    };
    type(QStringLiteral("kb"));
    key(Qt::Key_Tab);
    type(QStringLiteral("k1"));
    key(Qt::Key_Tab);
    type(QStringLiteral("k1"));
    key(Qt::Key_Tab);
    type(QStringLiteral("普通用户"));
    key(Qt::Key_Tab);
    EXPECT_EQ(d->focusWidget(), c(d, "按钮1")->widget());
    key(Qt::Key_Return);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(number(QStringLiteral("select count(*) from 用户登录 where 用户名='kb' and "
                                    "权限='普通用户' and 密码='") +
                     passwordDigest(QStringLiteral("k1")) + QStringLiteral("'")),
              1);
}

// Enter in a box of either user dialog presses its 添加 or 修改; Esc closes a dialog, then the
// settings window, as their close boxes do.
TEST_F(UsersPageTest, UserDialogsTakeEnterAndEsc) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    FormWindow* d = openAddDialog(w);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(Keyboard::activate(d));
    Keyboard keys(d);
    set(d, "编辑框_yhm", QStringLiteral("kb"));
    set(d, "编辑框_mm", QStringLiteral("k1"));
    set(d, "编辑框8", QStringLiteral("k1"));
    c(d, "组合框_qx")->widget()->setFocus();
    keys.type(QStringLiteral("普通用户"));
    keys.press(Qt::Key_Return);
    EXPECT_EQ(number(QStringLiteral("select count(*) from 用户登录 where 用户名='kb'")), 1);
    keys.press(Qt::Key_Escape);
    settle();
    EXPECT_FALSE(isOpen(FormId::UserAdd));

    d = openChangeDialog(w, 1);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(Keyboard::activate(d));
    Keyboard(d).press(Qt::Key_Escape);
    settle();
    EXPECT_FALSE(isOpen(FormId::UserChange));
    messages.clear();
    d = openChangeDialog(w, 1);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(Keyboard::activate(d));
    c(d, "编辑框_mm")->widget()->setFocus();
    Keyboard(d).press(Qt::Key_Return);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("修改成功！下次登录生效！")});

    ASSERT_TRUE(Keyboard::activate(w));
    Keyboard(w).press(Qt::Key_Escape);
    settle();
    EXPECT_FALSE(isOpen(FormId::Settings));
}

// A password the login would always refuse is refused here, or its user could never log in.
TEST_F(UsersPageTest, PasswordTheLoginRefusesIsNotStored) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    const QString adminDigest = user(kAdmin, "密码");
    const QString refused = QStringLiteral("x' or '1'='1");

    FormWindow* d = openAddDialog(w);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(Keyboard::activate(d));
    Keyboard keys(d);
    c(d, "编辑框_yhm")->widget()->setFocus();
    keys.type(QStringLiteral("eve"));
    keys.press(Qt::Key_Tab);
    keys.type(refused);
    keys.press(Qt::Key_Tab);
    keys.type(refused);
    keys.press(Qt::Key_Tab);
    keys.type(QStringLiteral("普通用户"));
    keys.press(Qt::Key_Tab);
    keys.press(Qt::Key_Return);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, QStringLiteral("密码里存在注入语句!"));
    EXPECT_EQ(messages.shown()[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(users(), 1);
    EXPECT_TRUE(isOpen(FormId::UserAdd));
    manager->close(static_cast<qint32>(FormId::UserAdd));
    settle();

    messages.clear();
    d = openChangeDialog(w, 0);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(Keyboard::activate(d));
    Keyboard change(d);
    c(d, "编辑框_mm")->widget()->setFocus();
    change.type(QStringLiteral("a'--"));
    change.press(Qt::Key_Tab);
    change.type(QStringLiteral("a'--"));
    click(d, "按钮1");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("密码里存在注入语句!")});
    EXPECT_EQ(user(kAdmin, "密码"), adminDigest);
}

TEST_F(UsersPageTest, ChangeKeepsThePasswordWhenBothBoxesAreEmpty) {
    addUser(QStringLiteral("zoe"), QStringLiteral("普通用户"), QStringLiteral("z'1"));
    const QString zoeDigest = passwordDigest(QStringLiteral("z'1"));
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    click(w, "按钮_修改1");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("请选择要修改的行！")});
    EXPECT_FALSE(isOpen(FormId::UserChange));
    messages.clear();

    FormWindow* d = openChangeDialog(w, 1);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(get(d, "编辑框_yhm"), QStringLiteral("zoe"));
    auto* name = qobject_cast<QLineEdit*>(c(d, "编辑框_yhm")->widget());
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->isReadOnly());
    EXPECT_EQ(get(d, "组合框_qx"), QStringLiteral("普通用户"));
    EXPECT_EQ(c(d, "组合框_qx")->items(),
              (QStringList{QStringLiteral("管理员"), QStringLiteral("普通用户"), QString()}));
    for (const char* box : {"编辑框_mm", "编辑框8"}) {
        auto* edit = qobject_cast<QLineEdit*>(c(d, box)->widget());
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password) << box;
    }

    // Only the permission changes: the stored digest is written back as it was.
    c(d, "组合框_qx")->setCurrentIndex(0);
    click(d, "按钮1");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("修改成功！下次登录生效！")});
    EXPECT_EQ(user(kZoe, "权限"), QStringLiteral("管理员"));
    EXPECT_EQ(user(kZoe, "密码"), zoeDigest);
    EXPECT_EQ(user(kZoe, "用户名"), QStringLiteral("zoe"));
    EXPECT_EQ(list(w, "超级列表框2")->cell(1, 2), QStringLiteral("管理员"));
    settle();
    EXPECT_FALSE(isOpen(FormId::UserChange));

    messages.clear();
    d = openChangeDialog(w, 1);
    ASSERT_NE(d, nullptr);
    set(d, "编辑框_mm", QStringLiteral("new'one"));
    click(d, "按钮1");
    set(d, "编辑框8", QStringLiteral("new'onf"));
    click(d, "按钮1");
    c(d, "组合框_qx")->setCurrentIndex(2);
    set(d, "编辑框8", QStringLiteral("new'one"));
    click(d, "按钮1");
    set(d, "组合框_qx", QString(60, u'权'));
    click(d, "按钮1");
    EXPECT_EQ(messages.texts(), (QStringList{QStringLiteral("密码输入不一致，请重新输入！！"),
                                             QStringLiteral("密码输入不一致，请重新输入！！"),
                                             QStringLiteral("请选择权限！"),
                                             QStringLiteral("用户权限不能超过50个字符！")}));
    EXPECT_EQ(user(kZoe, "密码"), zoeDigest);

    messages.clear();
    c(d, "组合框_qx")->setCurrentIndex(1);
    click(d, "按钮1");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("修改成功！下次登录生效！")});
    EXPECT_EQ(user(kZoe, "密码"), passwordDigest(QStringLiteral("new'one")));
    EXPECT_EQ(user(kZoe, "权限"), QStringLiteral("普通用户"));
    EXPECT_EQ(user(kAdmin, "密码"), passwordDigest(QString()));
    EXPECT_EQ(user(kAdmin, "权限"), QStringLiteral("管理员"));
}

TEST_F(UsersPageTest, DeleteAsksAndRefusesTheCurrentUser) {
    addUser(QStringLiteral("zoe"), QStringLiteral("普通用户"), QStringLiteral("z"));
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    ListView* l = list(w, "超级列表框2");
    click(w, "按钮_删除1");
    l->setCurrentIndex(0);
    click(w, "按钮_删除1");
    EXPECT_EQ(messages.texts(),
              (QStringList{QStringLiteral("请选择要删除的行！"),
                           QStringLiteral("当前用户(admin)正在使用，无法删除！")}));
    messages.clear();

    l->setCurrentIndex(1);
    messages.answer(MessageResult::No);
    click(w, "按钮_删除1");
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, QStringLiteral("真的要删除用户 zoe 吗？"));
    EXPECT_EQ(messages.shown()[0].caption, QStringLiteral("注意"));
    EXPECT_EQ(messages.shown()[0].flags & MessageFlags::ButtonMask, MessageFlags::YesNo);
    EXPECT_EQ(users(), 2);

    l->setCurrentIndex(1);
    messages.answer(MessageResult::Yes);
    click(w, "按钮_删除1");
    EXPECT_EQ(users(), 1);
    EXPECT_EQ(l->rowCount(), 1);
    EXPECT_EQ(messages.shown().size(), 2u);
}

// Whoever is logged in, the last 管理员 can be neither deleted nor demoted.
TEST_F(UsersPageTest, LastAdministratorIsKept) {
    addUser(QStringLiteral("zoe"), QStringLiteral("普通用户"), QStringLiteral("z"));
    // Logged in as an administrator whose row has since been changed elsewhere.
    logInAs(QStringLiteral("boss"), QStringLiteral("管理员"));
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    list(w, "超级列表框2")->setCurrentIndex(0);
    click(w, "按钮_删除1");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("至少要保留一个管理员，无法删除！")});
    EXPECT_EQ(users(), 2);

    messages.clear();
    FormWindow* d = openChangeDialog(w, 0);
    ASSERT_NE(d, nullptr);
    c(d, "组合框_qx")->setCurrentIndex(1);
    click(d, "按钮1");
    set(d, "组合框_qx", QStringLiteral("管理员 "));
    click(d, "按钮1");
    EXPECT_EQ(messages.texts(),
              (QStringList{QStringLiteral("至少要保留一个管理员，无法改为普通用户！"),
                           QStringLiteral("至少要保留一个管理员，无法改为普通用户！")}));
    EXPECT_EQ(user(kAdmin, "权限"), QStringLiteral("管理员"));
    click(d, "按钮2");
    settle();

    // With a second administrator either may go.
    ASSERT_TRUE(db.ExecuteSql(user_sql::changeUser(kZoe, QStringLiteral("zoe"),
                                                   passwordDigest(QStringLiteral("z")),
                                                   QStringLiteral("管理员"))));
    messages.clear();
    d = openChangeDialog(w, 0);
    ASSERT_NE(d, nullptr);
    c(d, "组合框_qx")->setCurrentIndex(1);
    click(d, "按钮1");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("修改成功！下次登录生效！")});
    EXPECT_EQ(user(kAdmin, "权限"), QStringLiteral("普通用户"));
    settle();
    list(w, "超级列表框2")->setCurrentIndex(0);
    click(w, "按钮_删除1");
    EXPECT_EQ(users(), 1);
    EXPECT_EQ(user(kZoe, "权限"), QStringLiteral("管理员"));
}

TEST_F(UsersPageTest, CancelDirectLoginStoresZero) {
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral("update 配置文件  set   直接登录='1' where ID=1")));
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    click(w, "按钮_取消直接登录");
    EXPECT_EQ(setting("直接登录"), QStringLiteral("0"));
    click(w, "按钮_取消直接登录");
    EXPECT_EQ(setting("直接登录"), QStringLiteral("0"));
    EXPECT_EQ(messages.texts(),
              (QStringList{QStringLiteral("设置成功！"), QStringLiteral("设置成功！")}));
}

// An ordinary user keeps the print options, products and direct login, but neither the shop
// information, the receipt number's format nor the users.
TEST_F(UsersPageTest, OrdinaryUserRestrictions) {
    addUser(QStringLiteral("zoe"), QStringLiteral("普通用户"), QStringLiteral("z"));
    ASSERT_TRUE(db.ExecuteSql(QStringLiteral("update 配置文件  set   直接登录='1' where ID=1")));
    logInAsOrdinaryUser();
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    for (const char* closed : {"编辑框_店名", "编辑框_备注", "按钮1"}) {
        EXPECT_FALSE(c(w, closed)->widget()->isEnabled()) << closed;
    }
    // and they look closed: the shop name greys out.
    const QPalette shop = c(w, "编辑框_店名")->widget()->palette();
    EXPECT_NE(shop.color(QPalette::Disabled, QPalette::Text),
              shop.color(QPalette::Active, QPalette::Text));
    for (const char* open :
         {"编辑框_边距", "编辑框_偏差", "选择框_显示打印完毕", "选择框_提示再次打印",
          "选择框_打印单价", "按钮5", "按钮_选择打印机", "按钮_保存", "超级列表框1", "编辑框_名称",
          "编辑框_单价", "选择框1", "按钮_添加", "按钮_修改", "按钮_删除", "按钮_取消直接登录"}) {
        EXPECT_TRUE(c(w, open)->widget()->isEnabled()) << open;
    }

    // Their save stores the margins only, even if the shop boxes were changed behind their back.
    set(w, "编辑框_店名", QStringLiteral("改名"));
    set(w, "编辑框_边距", QStringLiteral("3"));
    click(w, "按钮_保存");
    click(w, "按钮1");  // disabled: nothing happens
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("基本信息已经保存！")});
    EXPECT_EQ(setting("店名"), QStringLiteral("Korvane"));
    EXPECT_EQ(setting("纸张边距"), QStringLiteral("3"));
    EXPECT_FALSE(isOpen(FormId::ReceiptNumberFormat));

    messages.clear();
    click(w, "选择框_打印单价");
    EXPECT_EQ(setting("打印单价"), QStringLiteral("假"));
    set(w, "编辑框_名称", QStringLiteral("茶叶"));
    set(w, "编辑框_单价", QStringLiteral("8.00"));
    click(w, "按钮_添加");
    EXPECT_EQ(number(QStringLiteral("select count(*) from 商品名称")), 5);

    list(w, "超级列表框2")->setCurrentIndex(0);
    click(w, "按钮_添加1");
    click(w, "按钮_修改1");
    click(w, "按钮_删除1");
    click(w, "按钮_取消直接登录");
    EXPECT_EQ(messages.texts(), (QStringList{QStringLiteral("只有管理员才有管理用户的权限！"),
                                             QStringLiteral("只有管理员才有管理用户的权限！"),
                                             QStringLiteral("只有管理员才有管理用户的权限！"),
                                             QStringLiteral("设置成功！")}));
    EXPECT_FALSE(isOpen(FormId::UserAdd));
    EXPECT_FALSE(isOpen(FormId::UserChange));
    EXPECT_EQ(users(), 2);
    EXPECT_EQ(setting("直接登录"), QStringLiteral("0"));
}

}  // namespace
}  // namespace tillora::test
