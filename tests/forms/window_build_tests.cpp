#include "forms/component.h"
#include "forms/components/combo_box.h"
#include "forms/components/edit_box.h"
#include "forms/components/tab_control.h"
#include "forms/event_dispatcher.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/window_frame_metrics.h"
#include "tests/forms/window_test_templates.h"
#include "tests/support/program_templates.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QtEndian>

namespace tillora::test {
namespace {

class WindowBuildTest : public ::testing::Test {
  protected:
    FormWindow* open(const WindowTemplate& w, bool modal = false) {
        set_.windows = {w};
        if (other_.id != 0) {
            set_.windows.append(other_);
        }
        manager_ = std::make_unique<FormManager>(set_, handlers_);
        if (!manager_->open(w.id, modal)) {
            return nullptr;
        }
        return manager_->window(w.id);
    }

    TemplateSet set_;
    WindowTemplate other_;
    HandlerRegistry handlers_;
    std::unique_ptr<FormManager> manager_;
};

TEST(WindowFrameMetricsTest, OuterSizeToClientSize) {
    struct Case {
        int border;
        bool title;
        QSize client;
    } cases[] = {
        {2, true, QSize(394, 271)},                               // fixed single with title bar
        {1, true, QSize(394, 271)}, {4, true, QSize(394, 277)},   // narrow tool-window title
        {3, true, QSize(394, 277)}, {2, false, QSize(394, 294)},  // border without a title bar
        {0, true, QSize(400, 300)},                               // no frame at all
    };
    for (const Case& c : cases) {
        const WindowFrameMetrics m(c.border, c.title);
        EXPECT_EQ(m.clientSize(QSize(400, 300)), c.client) << c.border << c.title;
        EXPECT_EQ(m.outerSize(c.client), QSize(400, 300)) << c.border;
    }
    EXPECT_EQ(WindowFrameMetrics(2, true).clientSize(QSize(2, 2)), QSize(0, 0));
}

TEST_F(WindowBuildTest, EmptyPropertyDataGivesDefaults) {
    WindowTemplate w = windowTemplate(kTestWindow, QSize(300, 200));
    w.components.append(
        record(1, ComponentType::ComboBox, QStringLiteral("组合框1"), {10, 10, 120, 24}));
    w.components.append(
        record(2, ComponentType::EditBox, QStringLiteral("编辑框1"), {10, 40, 120, 24}));
    FormWindow* window = open(w);
    ASSERT_NE(window, nullptr) << manager_->lastError().toStdString();

    auto* combo = window->widgetAs<QComboBox>(QStringLiteral("组合框1"));
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(combo->count(), 0);
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->palette().color(QPalette::Base), QColor(Qt::white));

    auto* edit = window->widgetAs<QLineEdit>(QStringLiteral("编辑框1"));
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_FALSE(edit->hasSelectedText());
    // Written back at the latest version, the defaults read again as the defaults.
    ComboBoxBlock back;
    ASSERT_TRUE(parse(window->component(QStringLiteral("组合框1"))->writeBlock(), back));
    EXPECT_EQ(back, ComboBoxBlock{});
}

TEST_F(WindowBuildTest, PlacesComponentsOnTheClientAreaAndInContainers) {
    WindowTemplate w = windowTemplate(kTestWindow, QSize(406, 329));
    ComponentRecord group =
        record(1, ComponentType::GroupBox, QStringLiteral("分组框1"), {20, 30, 200, 150});
    ComponentRecord inside =
        record(2, ComponentType::Label, QStringLiteral("标签1"), {8, 20, 100, 20});
    inside.container = group.id;
    group.children = {inside.id};
    ComponentRecord banner =
        record(3, ComponentType::PictureBox, QStringLiteral("图片框1"), {0, -8, 400, 60});
    w.components << group << inside << banner;
    FormWindow* window = open(w);
    ASSERT_NE(window, nullptr) << manager_->lastError().toStdString();

    EXPECT_EQ(window->size(), QSize(400, 300));
    auto* label = window->widgetAs<QLabel>(QStringLiteral("标签1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->parentWidget()->objectName(), QStringLiteral("分组框1"));
    EXPECT_EQ(label->geometry(), QRect(8, 20, 100, 20));
    // A negative top is placed partly outside without complaint.
    EXPECT_EQ(window->component(QStringLiteral("图片框1"))->widget()->geometry(),
              QRect(0, -8, 400, 60));
    // Control ids count from 100 in steps of 10, from the last record backwards.
    EXPECT_EQ(window->component(QStringLiteral("图片框1"))->controlId(), 100);
    EXPECT_EQ(window->component(QStringLiteral("分组框1"))->controlId(), 120);
}

TEST_F(WindowBuildTest, HiddenContainersAndOtherTabPagesKeepTheirComponentsHidden) {
    WindowTemplate w = windowTemplate(kTestWindow, QSize(406, 329));
    TabControlBlock tabs;
    tabs.pages = {TabPage{QStringLiteral("打印设置")}, TabPage{QStringLiteral("商品")}};
    ComponentRecord tab = record(1, ComponentType::TabControl, QStringLiteral("选择夹1"),
                                 {0, 0, 390, 280}, write(tabs));
    ComponentRecord first =
        record(2, ComponentType::EditBox, QStringLiteral("编辑框_店名"), {10, 40, 100, 24});
    ComponentRecord second =
        record(3, ComponentType::Button, QStringLiteral("按钮_添加"), {10, 40, 80, 24});
    ComponentRecord third =
        record(4, ComponentType::EditBox, QStringLiteral("编辑框_商品"), {10, 80, 100, 24});
    third.tabOrder = 1;
    first.container = second.container = third.container = tab.id;
    tab.children = {first.id, 0, second.id, third.id, 0};
    ComponentRecord group =
        record(5, ComponentType::GroupBox, QStringLiteral("分组框1"), {0, 0, 50, 50}, {}, 0);
    ComponentRecord inGroup =
        record(6, ComponentType::Label, QStringLiteral("标签1"), {0, 0, 20, 20});
    inGroup.container = group.id;
    group.children = {inGroup.id};
    w.components << tab << first << second << third << group << inGroup;
    FormWindow* window = open(w);
    ASSERT_NE(window, nullptr) << manager_->lastError().toStdString();

    auto visible = [&](const char* name) {
        return window->component(QString::fromUtf8(name))->widget()->isVisible();
    };
    EXPECT_TRUE(visible("编辑框_店名"));
    EXPECT_FALSE(visible("按钮_添加"));
    EXPECT_FALSE(visible("编辑框_商品"));
    EXPECT_FALSE(visible("标签1"));

    window->activateWindow();
    static_cast<TabControl*>(window->component(QStringLiteral("选择夹1")))->setCurrentPage(1);
    EXPECT_FALSE(visible("编辑框_店名"));
    EXPECT_TRUE(visible("按钮_添加"));
    EXPECT_TRUE(visible("编辑框_商品"));
    // The lowest tab order of the new page gets the focus.
    EXPECT_TRUE(window->component(QStringLiteral("编辑框_商品"))->widget()->hasFocus() ||
                QApplication::focusWidget() == nullptr);
}

TEST_F(WindowBuildTest, TooHighVersionOrUnknownTypeFailsTheOpen) {
    QByteArray newer = write(EditBoxBlock{});
    qToLittleEndian<qint32>(EditBoxBlock::kVersion + 1, newer.data());
    QByteArray newerPrinter(8, '\0');
    qToLittleEndian<qint32>(2, newerPrinter.data());
    const struct {
        ComponentType type;
        QByteArray data;
    } cases[] = {{ComponentType::EditBox, newer},
                 {ComponentType::EditBox, QByteArray("\x02\x00", 2)},
                 {ComponentType::Printer, newerPrinter},
                 {static_cast<ComponentType>(0x90009), {}}};
    for (const auto& c : cases) {
        WindowTemplate w = windowTemplate(kTestWindow, QSize(300, 200));
        w.components.append(record(1, c.type, QStringLiteral("x"), {0, 0, 10, 10}, c.data));
        EXPECT_EQ(open(w), nullptr);
        EXPECT_FALSE(manager_->isOpen(kTestWindow));
        EXPECT_FALSE(manager_->lastError().isEmpty());
        EXPECT_FALSE(EventDispatcher::suspended());
    }
}

TEST_F(WindowBuildTest, MenuBarTakesItsHeightFromTheClientArea) {
    WindowTemplate w = windowTemplate(kTestWindow, QSize(406, 329));
    auto item = [](int serial, int level, const QString& caption, qint32 flags = 0) {
        MenuItemRecord m;
        m.id = template_ids::menuItem(serial);
        m.level = level;
        m.caption = caption;
        m.flags = flags;
        return m;
    };
    w.menuItems = {item(1, 0, QStringLiteral("文件")),
                   item(2, 1, QStringLiteral("计算器")),
                   item(3, 1, QStringLiteral("-")),
                   item(4, 1, QStringLiteral("退出"), MenuItemDisabled),
                   item(5, 1, QStringLiteral("隐藏"), MenuItemHidden),
                   item(6, 0, QStringLiteral("帮助"))};
    FormWindow* window = open(w);
    ASSERT_NE(window, nullptr);
    QMenuBar* bar = window->formMenuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 2);
    QMenu* file = bar->actions().at(0)->menu();
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->actions().size(), 3);
    EXPECT_TRUE(file->actions().at(1)->isSeparator());
    EXPECT_FALSE(file->actions().at(2)->isEnabled());
    EXPECT_EQ(window->clientArea()->geometry(), QRect(0, bar->height(), 400, 300 - bar->height()));
}

TEST_F(WindowBuildTest, ModalWindowDisablesOthersWithoutBlocking) {
    other_ = windowTemplate(kOtherWindow, QSize(200, 100));
    WindowTemplate main = windowTemplate(kTestWindow, QSize(300, 200));
    FormWindow* first = open(main);
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(manager_->open(kOtherWindow, true));  // returns at once
    FormWindow* modal = manager_->window(kOtherWindow);
    EXPECT_FALSE(first->isEnabled());
    EXPECT_TRUE(modal->isEnabled());
    // Opening an open window again only brings it forward.
    ASSERT_TRUE(manager_->open(kOtherWindow, true));
    EXPECT_EQ(manager_->window(kOtherWindow), modal);

    manager_->close(kOtherWindow);
    EXPECT_TRUE(first->isEnabled());
    EXPECT_FALSE(manager_->isOpen(kOtherWindow));
}

TEST_F(WindowBuildTest, WindowWithoutVisibleFlagStaysHidden) {
    FormWindow* window =
        open(windowTemplate(kTestWindow, QSize(300, 200), QStringLiteral("登录"), false));
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("登录"));
}

}  // namespace
}  // namespace tillora::test

namespace tillora::test {
namespace {

// Every window of the program's own set builds, and every component stands where its record says.
TEST(EmbeddedWindowsTest, EveryWindowBuildsWithItsComponentsInPlace) {
    TemplateSet set;
    ASSERT_TRUE(readProgramTemplates(set));
    HandlerRegistry handlers;
    addDoNothingHandlers(handlers);
    FormManager manager(set, handlers);
    EXPECT_TRUE(manager.missingHandlers().isEmpty());
    for (const WindowTemplate& w : set.windows) {
        ASSERT_TRUE(manager.open(w.id)) << manager.lastError().toStdString();
        FormWindow* window = manager.window(w.id);
        for (const ComponentRecord& r : w.components.mid(1)) {
            const Component* c = window->componentById(r.id);
            ASSERT_NE(c, nullptr) << r.name.toStdString();
            if (c->widget() != nullptr) {
                EXPECT_EQ(c->widget()->geometry(), QRect(r.left, r.top, r.width, r.height))
                    << r.name.toStdString();
            }
        }
        manager.close(w.id);
    }
}

}  // namespace
}  // namespace tillora::test
