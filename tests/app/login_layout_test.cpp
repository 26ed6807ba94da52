#include "app/program_holder.h"
#include "app/shell.h"
#include "forms/components/picture_box.h"
#include "forms/window_frame_metrics.h"
#include "tests/app/login_fixture.h"
#include "tests/support/layout_check.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>

namespace tillora::test {
namespace {

class LoginLayoutTest : public LoginFixture {};

// The window as the shop sees it: every component where the login window's layout puts it, with
// its caption, font and colours, both in the compiled template and in the built window.
TEST_F(LoginLayoutTest, EveryComponentHasItsPlaceCaptionAndFont) {
    const ExpectedComponent expected[] = {
        {"图片框1", {0, -8, 336, 72}, nullptr, 0},
        {"标签_用户名", {40, 74, 48, 24}, "用户名：", 14},
        {"组合框_用户名", {112, 74, 184, 24}, "admin", 16},
        {"标签_密码", {40, 112, 56, 24}, "密 码：", 14},
        {"编辑框_密码", {112, 112, 176, 24}, "", 0},
        {"选择框1", {112, 144, 120, 16}, "下次直接登录", 0},
        {"按钮_登录", {61, 173, 80, 32}, "登录", 0},
        {"按钮_退出", {197, 173, 80, 32}, "退出", 0},
        {"标签1", {60, 208, 192, 24}, "[用户名“admin”初始密码为空]", 0},
    };
    const qint32 id = static_cast<qint32>(FormId::Login);
    const WindowTemplate* tpl = set.window(id);
    ASSERT_NE(tpl, nullptr);
    EXPECT_EQ(set.windows.front().id, id) << "the login window is the start window";
    EXPECT_FALSE(tpl->windowRecord().visible());
    EXPECT_EQ(tpl->windowRecord().width, 341);
    EXPECT_EQ(tpl->windowRecord().height, 283);

    // Building the window shows nothing; start-up shows it.
    ASSERT_TRUE(forms->open(id));
    FormWindow* window = loginWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
    ASSERT_TRUE(LoginWindow::open(*forms));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("登录"));
    EXPECT_EQ(window->size(), WindowFrameMetrics(2, true).clientSize(QSize(341, 283)));
    // Nine visible components and the window's invisible database.
    ASSERT_EQ(tpl->components.size(), 11);
    ASSERT_NE(tpl->componentByName(QStringLiteral("外部数据库1")), nullptr);

    ASSERT_NO_FATAL_FAILURE(expectLayout(window, expected));
    EXPECT_FALSE(window->component(QStringLiteral("选择框1"))->isChecked());
    auto* combo = window->widgetAs<QComboBox>(QStringLiteral("组合框_用户名"));
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(combo->palette().color(QPalette::Base), QColor(Qt::white));
    auto* hint = window->widgetAs<QLabel>(QStringLiteral("标签1"));
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->palette().color(QPalette::WindowText), QColor(0, 0, 255));
}

// Tab goes user, password, tick, 登录, 退出; the banner and the labels take no focus.
TEST_F(LoginLayoutTest, TabOrderFollowsTheForm) {
    ASSERT_TRUE(LoginWindow::open(*forms));
    FormWindow* window = loginWindow();
    const QStringList order{QStringLiteral("组合框_用户名"), QStringLiteral("编辑框_密码"),
                            QStringLiteral("选择框1"), QStringLiteral("按钮_登录"),
                            QStringLiteral("按钮_退出")};
    QList<QWidget*> stops;
    for (const QString& name : order) {
        stops << window->component(name)->widget();
    }
    for (const char* name : {"图片框1", "标签_用户名", "标签_密码", "标签1"}) {
        EXPECT_EQ(
            window->component(QString::fromUtf8(name))->widget()->focusPolicy() & Qt::TabFocus, 0)
            << name;
    }
    // Walk the focus chain from the user box once round and note the stops in the order met.
    QStringList met;
    QWidget* w = stops.front();
    for (int guard = 0; guard < 200; ++guard) {
        w = w->nextInFocusChain();
        if (w == stops.front()) {
            break;
        }
        const qsizetype at = stops.indexOf(w);
        if (at >= 0 && (w->focusPolicy() & Qt::TabFocus) != 0) {
            met << order.at(at);
        }
    }
    EXPECT_EQ(met, order.mid(1));
}

// The banner is decoded and drawn: a grab of the window (kept as login_window.png beside the
// test for a look) shows its blue at the top and the hint below.
TEST_F(LoginLayoutTest, GrabShowsTheBanner) {
    ASSERT_TRUE(LoginWindow::open(*forms));
    FormWindow* window = loginWindow();
    auto* banner = qobject_cast<PictureBox*>(window->component(QStringLiteral("图片框1")));
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->image().size(), QSize(787, 137));

    const QImage shot = window->grab().toImage();
    const QString file = QDir::current().filePath(QStringLiteral("login_window.png"));
    EXPECT_TRUE(shot.save(file));
    std::printf("login window grabbed to %s\n", qPrintable(file));
    // Banner area: blue, whatever the letters do at the sides.
    for (const QPoint p : {QPoint(8, 4), QPoint(320, 50), QPoint(20, 60)}) {
        const QColor c = shot.pixelColor(window->clientArea()->mapTo(window, p));
        EXPECT_GT(c.blue(), 120) << p.x() << "," << p.y();
        EXPECT_LT(c.red(), 100) << p.x() << "," << p.y();
    }
    // Somewhere in the middle of the banner the yellow letters show.
    bool yellow = false;
    for (int x = 100; x < 240 && !yellow; ++x) {
        for (int y = 10; y < 50 && !yellow; ++y) {
            const QColor c = shot.pixelColor(window->clientArea()->mapTo(window, QPoint(x, y)));
            yellow = c.red() > 200 && c.green() > 180 && c.blue() < 100;
        }
    }
    EXPECT_TRUE(yellow);
}

// Ending is watched from outside: these run in a child copy of the test program with the real
// shell, database and templates.
class LoginExitTest : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }

    // The program as start-up leaves it, the login window open; in the child alone.
    struct StartedLogin {
        // Opens the login window as start-up does; the child ends with 5 when it can't.
        StartedLogin() {
            const QString path = databasePath(folder.path());
            if (!writeTemplateDatabase(path) || !shell.holder().database().OpenMdbDatabase(path) ||
                !readProgramTemplates(set)) {
                std::_Exit(5);
            }
            LoginWindow::registerHandlers(
                handlers, LoginWindow::shellServices([](const CurrentUser&) { return false; }));
            forms = std::make_unique<FormManager>(set, handlers);
            if (!LoginWindow::open(*forms)) {
                std::_Exit(5);
            }
            // Should the end never come, the child says so with its own code.
            QTimer::singleShot(10000, [] { std::_Exit(7); });
            window = forms->window(static_cast<qint32>(FormId::Login));
            if (window == nullptr) {
                std::_Exit(5);
            }
        }

        ScriptedMessageService boxes;
        TempProgramFolder folder;
        Shell shell{*static_cast<QApplication*>(QCoreApplication::instance())};
        TemplateSet set;
        HandlerRegistry handlers;
        std::unique_ptr<FormManager> forms;
        FormWindow* window = nullptr;
    };
};

TEST_F(LoginExitTest, ExitButtonEndsTheProgramWithZero) {
    auto run = [] {
        StartedLogin login;
        FormWindow* window = login.window;
        QTimer::singleShot(0, window, [window] {
            window->widgetAs<QPushButton>(QStringLiteral("按钮_退出"))->click();
        });
        std::_Exit(login.shell.run() == 0 ? 6 : 8);  // the button ends the program itself
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
}

TEST_F(LoginExitTest, ClosingTheWindowEndsTheProgramWithZero) {
    auto run = [] {
        StartedLogin login;
        FormWindow* window = login.window;
        QTimer::singleShot(0, window, [window] { window->close(); });
        const int code = login.shell.run();
        std::_Exit(code == 0 && CurrentUser::get() == nullptr ? 0 : 9);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tillora::test
