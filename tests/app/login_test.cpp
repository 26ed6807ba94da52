#include "app/direct_login.h"
#include "app/first_window.h"
#include "app/login_check.h"
#include "data/till_login.h"
#include "tests/app/login_fixture.h"
#include "tests/support/temp_program_folder.h"
#include "tests/support/test_server.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>

namespace tillora::test {
namespace {

const QString kAdminDigestOfEmpty = QStringLiteral("d41d8cd98f00b204e9800998ecf8427e");

TEST(LoginRules, PasswordDigestIsLowercaseHexMd5) {
    EXPECT_EQ(passwordDigest(QString()), kAdminDigestOfEmpty);
    EXPECT_EQ(passwordDigest(QStringLiteral("abc")),
              QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));
    // Non-ASCII passwords are digested as their UTF-8 bytes.
    EXPECT_EQ(passwordDigest(QStringLiteral("密码")),
              QStringLiteral("a8105204604a0b11e916f3879aae3b0b"));
}

TEST(LoginRules, InjectionTextIsRefusedButOrdinaryPasswordsPass) {
    const char* refused[] = {
        "' or '1'='1",
        "'OR 1=1",
        "x'Or(1=1)",
        "abc' and 1=1",
        "admin'--",
        "x'; drop table t",
        "pw' ;delete from 用户登录",
        "'/* comment",
        "x' ;drop table t",
        "a; DROP TABLE 用户登录",
        ";select 1",
        "1 union select 密码 from 用户登录",
        "x UNION ALL SELECT 1",
    };
    for (const char* text : refused) {
        EXPECT_TRUE(containsInjectionText(QString::fromUtf8(text))) << text;
    }
    const char* ordinary[] = {
        "",         "secret",  "p@ss'word", "O'Brien2024",   "rock'n'roll", "don't;stop",
        "abc--def", "a;b",     "or",        "password or 1", "1=1",         "select",
        "sand'and", "x'order", "我的密码'", "union-select",  "';'",         "it's;",
        "x';y",
    };
    for (const char* text : ordinary) {
        EXPECT_FALSE(containsInjectionText(QString::fromUtf8(text))) << text;
    }
}

class LoginWindowTest : public LoginFixture {};

// Every refusal shows its one message, keeps the window and lets nobody in; a name never changes
// a statement's meaning.
TEST_F(LoginWindowTest, RefusalsKeepTheWindowAndLetNobodyIn) {
    struct Case {
        const char* name;
        const char* password;
        QString message;
    };
    const Case cases[] = {
        {"", "", login_text::emptyName()},
        {"", "' or '1'='1", login_text::emptyName()},
        {"admin", "' or '1'='1", login_text::injection()},
        {"admin", "wrong", login_text::wrongPassword()},
        {"nobody", "", login_text::wrongPassword()},
        {"o'brien", "", login_text::wrongPassword()},
        {"admin' --", "", login_text::wrongPassword()},
        {"' or '1'='1", "", login_text::wrongPassword()},
        {"x' or 用户名 like '%", "", login_text::wrongPassword()},
    };
    ASSERT_NE(openLogin(), nullptr);
    for (const Case& c : cases) {
        boxes.clear();
        type(QString::fromUtf8(c.name), QString::fromUtf8(c.password));
        clickLogin();
        SCOPED_TRACE(c.name);
        EXPECT_EQ(boxes.texts(), QStringList{c.message});
        EXPECT_EQ(boxes.shown().front().caption, QStringLiteral("信息："));
        EXPECT_EQ(CurrentUser::get(), nullptr);
        EXPECT_FALSE(mainOpenedFor.has_value());
        EXPECT_TRUE(loginWindowOpen());
        // The input is kept for another try.
        EXPECT_EQ(loginWindow()->text(QStringLiteral("组合框_用户名")), QString::fromUtf8(c.name));
    }
    EXPECT_EQ(settings().lastUser, QStringLiteral("admin"));
    EXPECT_EQ(number(QStringLiteral("select count(*) from 用户登录")), 1);
}

TEST_F(LoginWindowTest, AdminWithTheEmptyPasswordLogsInAsAdministrator) {
    ASSERT_NE(openLogin(), nullptr);
    EXPECT_TRUE(loginWindow()->isVisible());
    EXPECT_EQ(loginWindow()->text(QStringLiteral("组合框_用户名")), QStringLiteral("admin"));
    clickLogin();
    EXPECT_TRUE(boxes.texts().isEmpty());
    ASSERT_NE(CurrentUser::get(), nullptr);
    EXPECT_EQ(CurrentUser::get()->userName(), QStringLiteral("admin"));
    EXPECT_EQ(CurrentUser::get()->permission(), QStringLiteral("管理员"));
    EXPECT_TRUE(CurrentUser::get()->isAdministrator());
    EXPECT_EQ(mainOpenedFor, QStringLiteral("admin"));
    EXPECT_FALSE(loginWindowOpen());
    EXPECT_EQ(settings().lastUser, QStringLiteral("admin"));
    EXPECT_EQ(settings().directLogin, QStringLiteral("0"));
}

// The name compares as the database compares text: letter case and trailing blanks don't count,
// leading blanks do. The user is the stored name, whatever was typed.
TEST_F(LoginWindowTest, UserNameMatchesAsTheDatabaseComparesIt) {
    struct Case {
        const char* typed;
        bool accepted;
    };
    for (const Case c :
         {Case{"Admin ", true}, Case{"ADMIN", true}, Case{" admin", false}, Case{"admi", false}}) {
        SCOPED_TRACE(c.typed);
        const LoginCheck check = checkLogin(db, QString::fromUtf8(c.typed), QString());
        EXPECT_EQ(check.accepted(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(check.user.userName, QStringLiteral("admin"));
        }
    }
}

// A quote in the name is only ever text: the user is found, remembered, and nothing else of the
// settings row changes. Passwords with quotes that are no injection are accepted.
TEST_F(LoginWindowTest, UserWithAQuoteInTheNameLogsIn) {
    addUser(QStringLiteral("o'brien"), QStringLiteral("普通用户"),
            passwordDigest(QStringLiteral("p@ss'word")));
    const SettingsRecord before = settings();
    ASSERT_NE(openLogin(), nullptr);
    type(QStringLiteral("o'brien"), QStringLiteral("p@ss'word"));
    clickLogin();
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
    ASSERT_NE(CurrentUser::get(), nullptr);
    EXPECT_EQ(CurrentUser::get()->userName(), QStringLiteral("o'brien"));
    EXPECT_FALSE(CurrentUser::get()->isAdministrator());
    SettingsRecord after = settings();
    EXPECT_EQ(after.lastUser, QStringLiteral("o'brien"));
    after.lastUser = before.lastUser;
    EXPECT_EQ(after.shopName, before.shopName);
    EXPECT_EQ(after.note, before.note);
    EXPECT_EQ(after.directLogin, before.directLogin);
}

TEST_F(LoginWindowTest, UserBoxListsEveryUserWithAdminSelectedAndPasswordMasked) {
    addUser(QStringLiteral("收银员1"), QStringLiteral("普通用户"), kAdminDigestOfEmpty);
    addUser(QStringLiteral("收银员1"), QStringLiteral("普通用户"), kAdminDigestOfEmpty);
    addUser(QStringLiteral("zoe"), QStringLiteral("管理员"), kAdminDigestOfEmpty);
    ASSERT_NE(openLogin(), nullptr);
    auto* box = loginWindow()->widgetAs<QComboBox>(QStringLiteral("组合框_用户名"));
    ASSERT_NE(box, nullptr);
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    EXPECT_EQ(items, (QStringList{QStringLiteral("admin"), QStringLiteral("收银员1"),
                                  QStringLiteral("zoe")}));
    EXPECT_EQ(box->currentText(), QStringLiteral("admin"));
    auto* password = loginWindow()->widgetAs<QLineEdit>(QStringLiteral("编辑框_密码"));
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
}

// A failed update of the remembered name is reported and the login still goes on; the direct
// login switch is then left alone, or the next start would let in the previously remembered user.
TEST_F(LoginWindowTest, FailedRememberingIsReportedAndNeverSwitchesDirectLoginOn) {
    ASSERT_TRUE(db.ExecuteSql(
        QStringLiteral("create trigger refuse_last_user before update of 用户登录 on 配置文件 "
                       "begin select raise(abort, 'refused'); end")));
    ASSERT_NE(openLogin(), nullptr);
    tickDirectLogin();
    clickLogin();
    EXPECT_EQ(boxes.texts(), QStringList{login_text::storeFailed()});
    ASSERT_NE(CurrentUser::get(), nullptr);
    EXPECT_EQ(mainOpenedFor, QStringLiteral("admin"));
    EXPECT_EQ(settings().directLogin, QStringLiteral("0"));
}

TEST_F(LoginWindowTest, ExitEndsTheProgramWithZeroAndLeavesDirectLoginOff) {
    ASSERT_NE(openLogin(), nullptr);
    tickDirectLogin();
    click(QStringLiteral("按钮_退出"));
    EXPECT_EQ(endedWith, 0);
    EXPECT_EQ(CurrentUser::get(), nullptr);
    EXPECT_EQ(settings().directLogin, QStringLiteral("0"));
}

// Ticking 下次直接登录 and logging in makes the next start skip the window as the same user.
TEST_F(LoginWindowTest, DirectLoginOnTheNextStart) {
    addUser(QStringLiteral("zoe"), QStringLiteral("普通用户"), passwordDigest(QStringLiteral("z")));
    ASSERT_NE(openLogin(), nullptr);
    type(QStringLiteral("ZOE"), QStringLiteral("z"));
    tickDirectLogin();
    clickLogin();
    ASSERT_NE(CurrentUser::get(), nullptr);
    EXPECT_EQ(settings().directLogin, QStringLiteral("1"));
    EXPECT_EQ(settings().lastUser, QStringLiteral("zoe"));

    // The next run.
    TearDown();
    CurrentUser::forget();
    mainOpenedFor.reset();
    forms = std::make_unique<FormManager>(set, handlers);
    ASSERT_TRUE(showFirstWindow(*forms, db, [this](const CurrentUser& user) {
        mainOpenedFor = user.userName();
        return true;
    }));
    EXPECT_EQ(mainOpenedFor, QStringLiteral("zoe"));
    EXPECT_EQ(loginWindow(), nullptr);
    ASSERT_NE(CurrentUser::get(), nullptr);
    EXPECT_EQ(CurrentUser::get()->permission(), QStringLiteral("普通用户"));
    EXPECT_TRUE(boxes.texts().isEmpty());
}

// Nobody is let in under a name without an account: the window is shown instead.
TEST_F(LoginWindowTest, DirectLoginFallsBackToTheWindow) {
    struct Case {
        const char* direct;
        const char* lastUser;
        bool direct_login;
    };
    const Case cases[] = {
        {"0", "admin", false}, {"1", "ghost", false}, {"1", "", false},
        {"1", "   ", false},   {"1", "ADMIN", true},  {"yes", "admin", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.direct) + " / " + c.lastUser);
        ASSERT_TRUE(db.ExecuteSql(QStringLiteral("update 配置文件 set 直接登录='%1', 用户登录='%2'")
                                      .arg(sqlText(QString::fromUtf8(c.direct)),
                                           sqlText(QString::fromUtf8(c.lastUser)))));
        const std::optional<CurrentUser> user = directLoginUser(db);
        EXPECT_EQ(user.has_value(), c.direct_login);
        if (user) {
            EXPECT_EQ(user->userName(), QStringLiteral("admin"));
            EXPECT_TRUE(user->isAdministrator());
        }
    }

    // A deleted user at start-up: the login window opens, nobody is logged in.
    ASSERT_TRUE(db.ExecuteSql(settings_sql::updateDirectLogin(true)));
    ASSERT_TRUE(db.ExecuteSql(settings_sql::updateLastUser(QStringLiteral("zoe"))));
    ASSERT_TRUE(showFirstWindow(*forms, db, [this](const CurrentUser& user) {
        mainOpenedFor = user.userName();
        return true;
    }));
    EXPECT_FALSE(mainOpenedFor.has_value());
    EXPECT_EQ(CurrentUser::get(), nullptr);
    ASSERT_TRUE(loginWindowOpen());
    EXPECT_TRUE(loginWindow()->isVisible());
}

// Tills on one server share the settings row: ticking 下次直接登录 on one till must not let
// anybody in without a password at another.
TEST_F(LoginWindowTest, OnAServerDirectLoginBelongsToTheTillThatTickedIt) {
    TILLORA_NEED_TEST_SERVER();
    TestServerSchema schema;
    ASSERT_TRUE(schema.isValid()) << schema.error().toStdString();
    db.CloseDatabase();
    ASSERT_TRUE(db.NewOpenDatabase(schema.url(), false, true));
    addUser(QStringLiteral("zoe"), QStringLiteral("普通用户"), passwordDigest(QStringLiteral("z")));

    TempProgramFolder tillA, tillB;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(tillA.path()));
    ASSERT_NE(openLogin(), nullptr);
    type(QStringLiteral("zoe"), QStringLiteral("z"));
    tickDirectLogin();
    clickLogin();
    ASSERT_NE(CurrentUser::get(), nullptr);
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(settings().directLogin, QStringLiteral("0"));  // the shared row is not touched
    EXPECT_EQ(QFile::permissions(tillLoginPath()),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                  QFileDevice::WriteUser);
    std::optional<CurrentUser> user = directLoginUser(db);
    ASSERT_TRUE(user.has_value());
    EXPECT_EQ(user->userName(), QStringLiteral("zoe"));

    // Another till, even with the shared row's switch on as an older version left it.
    ASSERT_TRUE(db.ExecuteSql(settings_sql::updateDirectLogin(true)));
    ASSERT_TRUE(QDir::setCurrent(tillB.path()));
    EXPECT_FALSE(directLoginUser(db).has_value());

    // Cancelled at the till that ticked it.
    ASSERT_TRUE(QDir::setCurrent(tillA.path()));
    ASSERT_TRUE(writeTillLogin({false, readTillLogin().user}));
    EXPECT_FALSE(directLoginUser(db).has_value());
    EXPECT_EQ(readTillLogin().user, QStringLiteral("zoe"));
    QDir::setCurrent(before);
}

// A folder where the till's login file belongs is named, never taken for "no direct login".
TEST(TillLoginFile, AFolderInItsPlaceIsNamed) {
    TempProgramFolder till;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(till.path()));
    EXPECT_TRUE(tillLoginProblem().isEmpty());
    ASSERT_TRUE(QDir().mkdir(tillLoginPath()));
    EXPECT_TRUE(tillLoginProblem().contains(QStringLiteral("tillora-login.conf")));
    EXPECT_TRUE(tillLoginProblem().contains(QStringLiteral("文件夹")));
    QDir::setCurrent(before);
}

TEST(CurrentUserRules, OnlyTheExactAdministratorTextIsAnAdministratorAndTheUserIsMadeOnce) {
    EXPECT_TRUE(CurrentUser(QStringLiteral("a"), QStringLiteral("管理员")).isAdministrator());
    for (const char* other : {"普通用户", "管理员 ", " 管理员", "", "admin", "管理"}) {
        EXPECT_FALSE(CurrentUser(QStringLiteral("a"), QString::fromUtf8(other)).isAdministrator())
            << other;
    }
    CurrentUser::forget();
    EXPECT_TRUE(CurrentUser::create(QStringLiteral("first"), QStringLiteral("普通用户")));
    EXPECT_FALSE(CurrentUser::create(QStringLiteral("second"), QStringLiteral("管理员")));
    EXPECT_EQ(CurrentUser::get()->userName(), QStringLiteral("first"));
    EXPECT_FALSE(CurrentUser::get()->isAdministrator());
    CurrentUser::forget();
}

}  // namespace
}  // namespace tillora::test
