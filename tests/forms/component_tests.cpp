#include "forms/component.h"
#include "forms/components/combo_box.h"
#include "forms/components/common_dialog.h"
#include "forms/components/list_view.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "forms/services/file_dialog_service.h"
#include "tests/forms/one_window_fixture.h"
#include "tests/support/scripted_file_dialog.h"

#include <gtest/gtest.h>

#include <QTreeWidget>

namespace tillora::test {
namespace {

TEST(FileDialogFilterTest, TemplateFiltersBecomeQtNameFilters) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"*.xls|*.xls", "*.xls (*.xls)"},
        {"表格|*.xls|全部|*.*", "表格 (*.xls);;全部 (*.*)"},
        {"图片|*.jpg;*.png", "图片 (*.jpg *.png)"},
        {"dangling", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qtNameFilters(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
    }
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/tmp/a"), QStringLiteral(".xls")),
              QStringLiteral("/tmp/a.xls"));
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/tmp/a"), QStringLiteral("xls")),
              QStringLiteral("/tmp/a.xls"));
    EXPECT_EQ(withDefaultExtension(QStringLiteral("/tmp/a.txt"), QStringLiteral(".xls")),
              QStringLiteral("/tmp/a.txt"));
}

class ComponentTest : public OneWindowTest {};

TEST_F(ComponentTest, CommonDialogAsksTheServiceAndKeepsTheChoice) {
    CommonDialogBlock block;
    block.kind = 1;
    block.filter = QStringLiteral("*.xls|*.xls");
    block.defaultExtension = QStringLiteral(".xls");
    FormWindow* window = open(
        {record(1, ComponentType::CommonDialog, QStringLiteral("通用对话框1"), {}, write(block))});
    ASSERT_NE(window, nullptr);
    auto* dialog = static_cast<CommonDialog*>(window->component(QStringLiteral("通用对话框1")));
    ScriptedFileDialog script;
    script.answer(QStringLiteral("/tmp/销售"));
    script.answer(QString());
    ASSERT_TRUE(dialog->open());
    EXPECT_EQ(dialog->fileName(), QStringLiteral("/tmp/销售.xls"));
    ASSERT_EQ(script.requests().size(), 1);
    EXPECT_EQ(script.requests().at(0).kind, FileDialogRequest::Kind::Save);
    EXPECT_FALSE(dialog->open());  // cancelled: the last choice stays
    EXPECT_EQ(dialog->fileName(), QStringLiteral("/tmp/销售.xls"));
}

TEST_F(ComponentTest, ComboAndListKeepItemsValuesAndWriteThemBack) {
    ComboBoxBlock combo;
    combo.style = 2;
    combo.items = {QStringLiteral("现金"), QStringLiteral("刷卡"), QStringLiteral("微信")};
    combo.itemValues = {7, 8};  // shorter than the list
    combo.currentItem = 1;
    ListViewBlock list;
    list.columns = {ListViewColumn{0, -1, 0, 120, QStringLiteral("        商品名称")},
                    ListViewColumn{0, -1, 2, 60, QStringLiteral("数量")}};
    FormWindow* window = open({record(1, ComponentType::ComboBox, QStringLiteral("组合框1"),
                                      {0, 0, 100, 24}, write(combo)),
                               record(2, ComponentType::ListView, QStringLiteral("超级列表框1"),
                                      {0, 30, 200, 100}, write(list))});
    ASSERT_NE(window, nullptr);
    auto* c = static_cast<ComboBox*>(window->component(QStringLiteral("组合框1")));
    EXPECT_EQ(c->text(), QStringLiteral("刷卡"));
    EXPECT_EQ(c->itemValue(0), 7);
    EXPECT_EQ(c->itemValue(2), 0);
    c->setCurrentIndex(2);
    EXPECT_EQ(c->propertyByNumber(Component::kFirstOwnProperty + 8).toInt(), 2);
    ComboBoxBlock back;
    ASSERT_TRUE(parse(c->writeBlock(), back));
    EXPECT_EQ(back.currentItem, 2);
    EXPECT_EQ(back.items, combo.items);

    auto* l = static_cast<ListView*>(window->component(QStringLiteral("超级列表框1")));
    EXPECT_EQ(l->tree()->headerItem()->text(0), QStringLiteral("        商品名称"));
    EXPECT_EQ(l->tree()->columnWidth(0), 120);
    EXPECT_EQ(l->addRow({QStringLiteral("可乐"), QStringLiteral("2"), QStringLiteral("ignored")}),
              0);
    EXPECT_EQ(l->addRow({QStringLiteral("面包")}), 1);
    EXPECT_EQ(l->cell(0, 1), QStringLiteral("2"));
    EXPECT_EQ(l->cell(1, 1), QString());
    EXPECT_EQ(l->tree()->topLevelItem(0)->textAlignment(1) & Qt::AlignRight, Qt::AlignRight);
    l->setCurrentIndex(1);
    EXPECT_EQ(l->currentIndex(), 1);
    l->removeRow(0);
    EXPECT_EQ(l->rowCount(), 1);
    EXPECT_EQ(l->cell(0, 0), QStringLiteral("面包"));
}

TEST_F(ComponentTest, CommonPropertiesByNumberMoveShowAndDisable) {
    FormWindow* window =
        open({record(1, ComponentType::Button, QStringLiteral("按钮1"), {10, 10, 80, 24})});
    ASSERT_NE(window, nullptr);
    Component* b = window->component(QStringLiteral("按钮1"));
    EXPECT_TRUE(b->setPropertyByNumber(Component::Left, 30));
    EXPECT_TRUE(b->setPropertyByNumber(Component::Height, 40));
    EXPECT_EQ(b->widget()->geometry(), QRect(30, 10, 80, 40));
    b->setPropertyByNumber(Component::Disabled, true);
    EXPECT_FALSE(b->widget()->isEnabled());
    b->setPropertyByNumber(Component::Visible, false);
    EXPECT_FALSE(b->widget()->isVisible());
    EXPECT_EQ(b->propertyByNumber(Component::Visible).toBool(), false);
    EXPECT_FALSE(b->setPropertyByNumber(99, 1));
}

}  // namespace
}  // namespace tillora::test
