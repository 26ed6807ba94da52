#include <QDir>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>

#include "forms/components/tab_control.h"
#include "forms/window_frame_metrics.h"
#include "tests/settings/settings_fixture.h"
#include "tests/support/keyboard.h"
#include "tests/support/layout_check.h"

namespace tillora::test {
namespace {

const QString kTabs = QStringLiteral("高级选择夹1");

const std::vector<ExpectedComponent> kPrintPage = {
    {"标签1", {105, 40, 37, 24}, "店名：", 0},
    {"编辑框_店名", {161, 40, 232, 24}, nullptr, 0},
    {"标签2", {177, 64, 208, 24}, "* [请将店名字数控制在16字以内]", 0},
    {"标签3", {106, 96, 40, 16}, "备注：", 0},
    {"编辑框_备注", {161, 96, 240, 120}, nullptr, 0},
    {"标签4", {163, 220, 238, 24}, "* [备注内容可通过 Enter 键使文字换行]", 0},
    {"按钮5", {32, 192, 48, 48}, "设置logo", 16},
    {"标签5", {28, 298, 64, 24}, "销售票号：", 14},
    {"编辑框3", {106, 300, 160, 24}, nullptr, 0},
    {"按钮1", {273, 298, 80, 24}, "格式设置", 0},
    {"选择框_显示打印完毕", {24, 332, 104, 24}, "显示打印完毕", 0},
    {"选择框_提示再次打印", {154, 332, 104, 24}, "提示再次打印", 0},
    {"选择框_打印单价", {274, 332, 88, 24}, "打印单价", 0},
    {"标签6", {48, 368, 64, 24}, "纸张边距：", 0},
    {"编辑框_边距", {112, 368, 40, 24}, nullptr, 0},
    {"标签8", {163, 373, 32, 16}, "毫米", 0},
    {"标签10", {200, 372, 194, 24}, "* [输入正数边距增大，负数缩小]", 0},
    {"标签7", {46, 396, 56, 24}, "打印偏差：", 0},
    {"编辑框_偏差", {112, 400, 40, 24}, nullptr, 0},
    {"标签9", {162, 402, 32, 16}, "毫米", 0},
    {"标签11", {202, 396, 194, 24}, "* [输入正数偏差向右，负数向左]", 0},
    {"按钮_选择打印机", {24, 432, 144, 32}, "选择打印机", 0},
    {"按钮_保存", {224, 432, 144, 32}, "保存设置", 0},
};
const std::vector<ExpectedComponent> kProductsPage = {
    {"超级列表框1", {8, 40, 280, 344}, nullptr, 0},
    {"标签13", {302, 180, 66, 24}, "商品名称：", 0},
    {"编辑框_名称", {294, 212, 104, 24}, nullptr, 0},
    {"标签14", {294, 292, 66, 16}, "商品单价：", 0},
    {"编辑框_单价", {294, 324, 104, 24}, nullptr, 0},
    {"选择框1", {16, 392, 168, 24}, "自动记忆商品信息", 0},
    {"按钮_删除", {16, 440, 75, 24}, "删除", 0},
    {"按钮_修改", {112, 440, 75, 24}, "修改", 0},
    {"按钮_添加", {216, 440, 70, 24}, "添加", 0},
    {"标签_条码", {294, 356, 66, 16}, "商品条码：", 0},
    {"编辑框_条码", {294, 380, 104, 24}, nullptr, 0},
    {"按钮_导入", {300, 440, 48, 24}, "导入", 0},
    {"按钮_导出", {354, 440, 48, 24}, "导出", 0},
};
const std::vector<ExpectedComponent> kUsersPage = {
    {"超级列表框2", {16, 40, 216, 424}, nullptr, 0},
    {"按钮_添加1", {256, 219, 96, 24}, "添加", 14},
    {"按钮_修改1", {256, 285, 96, 24}, "修改", 0},
    {"按钮_删除1", {256, 351, 96, 24}, "删除", 0},
    {"按钮_取消直接登录", {256, 419, 96, 24}, "取消直接登录", 0},
};
const std::vector<ExpectedComponent> kAddDialog = {
    {"标签12", {16, 32, 64, 16}, "用户名：", 14},
    {"编辑框_yhm", {92, 24, 114, 24}, "", 0},
    {"标签15", {16, 72, 48, 16}, "密码：", 14},
    {"编辑框_mm", {92, 64, 114, 24}, "", 0},
    {"标签16", {8, 120, 80, 16}, "确认密码：", 14},
    {"编辑框8", {92, 112, 114, 24}, "", 0},
    {"标签17", {8, 168, 64, 24}, "用户权限：", 14},
    {"组合框_qx", {92, 165, 114, 27}, "", 14},
    {"按钮1", {80, 216, 80, 32}, "添加", 0},
    {"按钮2", {200, 216, 80, 32}, "关闭", 0},
    {"标签1",
     {216, 24, 208, 160},
     "*普通用户和管理员区别：\r\n\r\n1.不可设置店铺信息\r\n\r\n2.没有管理用户的权限\r\n\r\n3."
     "不可更改销售票号、收银员\r\n\r\n4.不可删除销售记录\r\n\r\n5.不可取消“保存销售记录。",
     14},
};
const std::vector<ExpectedComponent> kChangeDialog = {
    {"标签12", {16, 16, 64, 16}, "用户名：", 14},
    {"编辑框_yhm", {92, 8, 114, 24}, nullptr, 0},
    {"标签15", {16, 56, 48, 16}, "密码：", 14},
    {"编辑框_mm", {92, 48, 114, 24}, "", 0},
    {"标签16", {8, 104, 80, 16}, "确认密码：", 14},
    {"编辑框8", {92, 96, 114, 24}, "", 0},
    {"标签17", {8, 152, 64, 24}, "用户权限：", 14},
    {"组合框_qx", {92, 149, 114, 27}, nullptr, 14},
    {"按钮1", {16, 200, 80, 32}, "修改", 0},
    {"按钮2", {128, 200, 80, 32}, "关闭", 0},
    {"标签1",
     {216, 8, 208, 224},
     "\r\n 普通用户不和管理元区别：\r\n\r\n 1.不可设置店铺信息\r\n\r\n "
     "2.没有管理用户的权限\r\n\r\n "
     "3.不可删除收银员\r\n\r\n 4.不可删除销售记录\r\n\r\n 5.不可取消包保存销售记录\r\n.",
     14},
};

class SettingsLayoutTest : public SettingsFixture {
  protected:
    // The components of a tab page (page >= 0) or of a dialog (page -1).
    void checkComponents(FormWindow* w, const std::vector<ExpectedComponent>& expected, int page) {
        expectLayout(w, expected, page >= 0 ? kTabs : QString(), page);
    }
    void checkWindow(FormWindow* w, QSize outer, qsizetype components) {
        const ComponentRecord& own = w->windowTemplate().windowRecord();
        EXPECT_EQ(QSize(own.width, own.height), outer);
        EXPECT_EQ(w->size(), WindowFrameMetrics(2, true).clientSize(outer));
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Tillora"));
        // The window's own record and the components of the layout, nothing else.
        EXPECT_EQ(w->windowTemplate().components.size(), components + 1);
    }
    void showPage(FormWindow* w, int page) {
        dynamic_cast<TabControl*>(w->component(kTabs))->setCurrentPage(page);
    }
};

TEST_F(SettingsLayoutTest, PrintPage) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    checkWindow(
        w, QSize(417, 512),
        1 + 2 +
            static_cast<qsizetype>(kPrintPage.size() + kProductsPage.size() + kUsersPage.size()));
    Component* tabs = w->component(kTabs);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->widget()->geometry(), QRect(0, 0, 412, 480));
    QTabBar* bar = dynamic_cast<TabControl*>(tabs)->tabBar();
    ASSERT_EQ(bar->count(), 3);
    EXPECT_EQ(bar->tabText(0), QStringLiteral("打印设置"));
    EXPECT_EQ(bar->tabText(1), QStringLiteral("设置常用商品名"));
    EXPECT_EQ(bar->tabText(2), QStringLiteral("设置用户（收银员）"));
    EXPECT_EQ(bar->font().pixelSize(), 16);
    EXPECT_TRUE(bar->font().bold());
    checkComponents(w, kPrintPage, 0);
    for (const char* hidden : {"按钮2", "选择框_保存销售记录"}) {
        const ComponentRecord* r = w->windowTemplate().componentByName(QString::fromUtf8(hidden));
        ASSERT_NE(r, nullptr);
        EXPECT_FALSE(r->visible());
        EXPECT_EQ(r->container, 0);
    }
    EXPECT_EQ(c(w, "按钮2")->text(), QStringLiteral("打印字体设置"));
    EXPECT_EQ(c(w, "选择框_保存销售记录")->text(), QStringLiteral("保存销售记录"));
    // The logo button is too narrow for its caption on one line; it shows it on two.
    auto* logo = qobject_cast<QPushButton*>(c(w, "按钮5")->widget());
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->text(), QStringLiteral("设置\nlogo"));
    // White labels on a white page.
    const QImage shot = w->grab().toImage();
    EXPECT_EQ(shot.pixelColor(w->clientArea()->mapTo(w, QPoint(60, 100))), QColor(Qt::white));
    for (const char* blue : {"标签2", "标签4", "标签10", "标签11"}) {
        auto* label = qobject_cast<QLabel*>(c(w, blue)->widget());
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 255)) << blue;
        EXPECT_EQ(label->palette().color(QPalette::Window), QColor(Qt::white)) << blue;
    }
}

TEST_F(SettingsLayoutTest, ProductsPage) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    showPage(w, 1);
    checkComponents(w, kProductsPage, 1);
    EXPECT_FALSE(c(w, "编辑框_店名")->widget()->isVisible());
    ListView* l = list(w, "超级列表框1");
    ASSERT_EQ(l->columnCount(), 4);
    EXPECT_EQ(l->propertyByNumber(35).toStringList(),
              (QStringList{QStringLiteral("ID"), QStringLiteral("名称"), QStringLiteral("单价"),
                           QStringLiteral("条码")}));
}

TEST_F(SettingsLayoutTest, UsersPage) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    showPage(w, 2);
    checkComponents(w, kUsersPage, 2);
    EXPECT_EQ(
        list(w, "超级列表框2")->propertyByNumber(35).toStringList(),
        (QStringList{QStringLiteral("序号"), QStringLiteral("用户"), QStringLiteral("权限")}));
}

TEST_F(SettingsLayoutTest, AddUserDialog) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    click(w, "按钮_添加1");
    FormWindow* d = window(FormId::UserAdd);
    ASSERT_NE(d, nullptr);
    checkWindow(d, QSize(452, 295), static_cast<qsizetype>(kAddDialog.size()));
    checkComponents(d, kAddDialog, -1);
}

TEST_F(SettingsLayoutTest, ChangeUserDialog) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    list(w, "超级列表框2")->setCurrentIndex(0);
    click(w, "按钮_修改1");
    FormWindow* d = window(FormId::UserChange);
    ASSERT_NE(d, nullptr);
    checkWindow(d, QSize(452, 280), static_cast<qsizetype>(kChangeDialog.size()));
    checkComponents(d, kChangeDialog, -1);
}

// Tab order as the templates store it: the stops of the page shown (visible, enabled, taking
// the focus with Tab) sorted by their stored tab order, and the focus chain meets them so.
class SettingsFocusTest : public SettingsLayoutTest {
  protected:
    static bool isStop(const Component* c) {
        const QWidget* w = c->widget();
        return w != nullptr && w->isVisible() && w->isEnabled() &&
               (w->focusPolicy() & Qt::TabFocus) != 0;
    }
    static QStringList storedOrder(FormWindow* w) {
        std::vector<std::pair<qint32, QString>> stops;
        for (const ComponentRecord& r : w->windowTemplate().components.mid(1)) {
            if (r.tabStop() && isStop(w->component(r.name))) {
                stops.emplace_back(r.tabOrder, r.name);
            }
        }
        std::sort(stops.begin(), stops.end());
        QStringList names;
        for (const auto& [order, name] : stops) {
            names << name;
        }
        return names;
    }
    // The stops met walking the focus chain once round from the first of them.
    static QStringList chainFrom(FormWindow* w, const QString& first) {
        QHash<QWidget*, QString> stops;
        for (const auto& c : w->components()) {
            if (isStop(c.get())) {
                stops.insert(c->widget(), c->name());
            }
        }
        QStringList met{first};
        QWidget* start = w->component(first)->widget();
        QWidget* at = start;
        for (int guard = 0; guard < 500; ++guard) {
            at = at->nextInFocusChain();
            if (at == start) {
                break;
            }
            if (stops.contains(at)) {
                met << stops.value(at);
            }
        }
        return met;
    }
    static QStringList names(std::initializer_list<const char*> list) {
        QStringList out;
        for (const char* n : list) {
            out << QString::fromUtf8(n);
        }
        return out;
    }
    void expectOrder(FormWindow* w, const QStringList& expected) {
        EXPECT_EQ(storedOrder(w), expected);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(chainFrom(w, expected.front()), expected);
    }
};

TEST_F(SettingsFocusTest, SettingsPagesAsAdministratorAndOrdinaryUser) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    expectOrder(w, names({"编辑框_店名", "编辑框_备注", "按钮5", "按钮1", "选择框_显示打印完毕",
                          "选择框_提示再次打印", "选择框_打印单价", "编辑框_边距", "编辑框_偏差",
                          "按钮_选择打印机", "按钮_保存"}));
    const QStringList products =
        names({"超级列表框1", "编辑框_名称", "编辑框_单价", "编辑框_条码", "按钮_添加", "按钮_修改",
               "按钮_删除", "选择框1", "按钮_导入", "按钮_导出"});
    showPage(w, 1);
    expectOrder(w, products);
    EXPECT_EQ(w->focusWidget(), c(w, "超级列表框1")->widget());
    showPage(w, 2);
    expectOrder(
        w, names({"超级列表框2", "按钮_添加1", "按钮_修改1", "按钮_删除1", "按钮_取消直接登录"}));
    EXPECT_EQ(w->focusWidget(), c(w, "超级列表框2")->widget());
    showPage(w, 0);
    EXPECT_EQ(w->focusWidget(), c(w, "编辑框_店名")->widget());
    manager->close(static_cast<qint32>(FormId::Settings));

    logInAsOrdinaryUser();
    w = openSettings();
    ASSERT_NE(w, nullptr);
    expectOrder(w, names({"按钮5", "选择框_显示打印完毕", "选择框_提示再次打印", "选择框_打印单价",
                          "编辑框_边距", "编辑框_偏差", "按钮_选择打印机", "按钮_保存"}));
    showPage(w, 1);
    expectOrder(w, products);
}

// The page keys of every tabbed dialog, from a multi-line box and from the pages' lists.
TEST_F(SettingsFocusTest, ControlTabAndControlPageKeysTurnThePages) {
    FormWindow* w = openSettings();
    ASSERT_TRUE(w != nullptr && Keyboard::activate(w));
    c(w, "编辑框_备注")->widget()->setFocus();
    const QString note = c(w, "编辑框_备注")->text();
    const std::pair<QKeyCombination, int> presses[] = {
        {Qt::CTRL | Qt::Key_Tab, 1},    {Qt::CTRL | Qt::Key_PageDown, 2},
        {Qt::CTRL | Qt::Key_Tab, 0},    {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, 2},
        {Qt::CTRL | Qt::Key_PageUp, 1}, {Qt::CTRL | Qt::Key_PageUp, 0}};
    for (const auto& [keys, page] : presses) {
        Keyboard(w).press(keys.key(), keys.keyboardModifiers());
        EXPECT_EQ(dynamic_cast<TabControl*>(w->component(kTabs))->currentPage(), page);
    }
    EXPECT_EQ(c(w, "编辑框_备注")->text(), note);  // no tab typed into the note
}

TEST_F(SettingsFocusTest, UserDialogs) {
    FormWindow* w = openSettings();
    ASSERT_NE(w, nullptr);
    click(w, "按钮_添加1");
    FormWindow* d = window(FormId::UserAdd);
    ASSERT_NE(d, nullptr);
    expectOrder(d, names({"编辑框_yhm", "编辑框_mm", "编辑框8", "组合框_qx", "按钮1", "按钮2"}));
    manager->close(static_cast<qint32>(FormId::UserAdd));

    list(w, "超级列表框2")->setCurrentIndex(0);
    click(w, "按钮_修改1");
    d = window(FormId::UserChange);
    ASSERT_NE(d, nullptr);
    // The name can't be changed here; the password comes first.
    expectOrder(d, names({"编辑框_mm", "编辑框8", "组合框_qx", "按钮1", "按钮2"}));
}

// Pictures to look at: every page and both dialogs, as an administrator and as an ordinary user,
// written beside the test as settings_*.png.
TEST_F(SettingsLayoutTest, GrabsOfEveryPageAndDialog) {
    const auto grab = [](QWidget* w, const QString& name) {
        const QString file = QDir::current().filePath(QStringLiteral("settings_%1.png").arg(name));
        EXPECT_TRUE(w->grab().save(file));
        std::printf("grabbed %s\n", qPrintable(file));
    };
    ASSERT_TRUE(db.ExecuteSql(user_sql::addUser(QStringLiteral("zoe"), QStringLiteral("普通用户"),
                                                passwordDigest(QStringLiteral("z")))));
    for (const bool admin : {true, false}) {
        if (!admin) {
            logInAsOrdinaryUser();
        }
        const QString who = admin ? QStringLiteral("admin") : QStringLiteral("ordinary");
        FormWindow* w = openSettings();
        ASSERT_NE(w, nullptr);
        for (int page = 0; page < 3; ++page) {
            showPage(w, page);
            grab(w, QStringLiteral("page%1_%2").arg(page).arg(who));
        }
        if (admin) {
            click(w, "按钮_添加1");
            ASSERT_NE(window(FormId::UserAdd), nullptr);
            grab(window(FormId::UserAdd), QStringLiteral("add_user"));
            manager->close(static_cast<qint32>(FormId::UserAdd));
            list(w, "超级列表框2")->setCurrentIndex(1);
            click(w, "按钮_修改1");
            ASSERT_NE(window(FormId::UserChange), nullptr);
            grab(window(FormId::UserChange), QStringLiteral("change_user"));
            manager->close(static_cast<qint32>(FormId::UserChange));
        } else {
            click(w, "按钮_添加1");
            EXPECT_FALSE(isOpen(FormId::UserAdd));
        }
        manager->close(static_cast<qint32>(FormId::Settings));
    }
}

}  // namespace
}  // namespace tillora::test
