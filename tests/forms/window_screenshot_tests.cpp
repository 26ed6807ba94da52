#include "forms/component.h"
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "tests/forms/window_test_templates.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>

namespace tillora::test {
namespace {

// A sample window with one of each visible type, grabbed on the offscreen platform; every widget
// must stand where its record puts it (the PNG is kept in the build folder for a look).
TEST(WindowScreenshotTest, SampleWindowShowsComponentsAtTheirPlaces) {
    WindowTemplate w = windowTemplate(kTestWindow, QSize(406, 329));
    LabelBlock hint;
    hint.caption = QStringLiteral("* [请将店名字数控制在16字以内]");
    hint.textColour = rgbColour(0, 0, 255);
    EditBoxBlock shop;
    shop.content = QStringLiteral("小店");
    shop.font = makeFont(QStringLiteral("新宋体"), 14);
    ButtonBlock ok;
    ok.caption = QStringLiteral("确定");
    CheckBoxBlock check;
    check.caption = QStringLiteral("打印单价");
    check.checked = 1;
    ComboBoxBlock combo;
    combo.items = {QStringLiteral("现金"), QStringLiteral("刷卡")};
    combo.currentItem = 0;
    ListViewBlock list;
    list.columns = {ListViewColumn{0, -1, 0, 120, QStringLiteral("        商品名称")},
                    ListViewColumn{0, -1, 2, 60, QStringLiteral("数量")}};
    GroupBoxBlock group;
    group.caption = QStringLiteral("设置");

    ComponentRecord groupRecord = record(7, ComponentType::GroupBox, QStringLiteral("分组框1"),
                                         {200, 10, 180, 100}, write(group));
    ComponentRecord inGroup = record(8, ComponentType::CheckBox, QStringLiteral("选择框_单价"),
                                     {10, 30, 120, 20}, write(check));
    inGroup.container = groupRecord.id;
    groupRecord.children = {inGroup.id};
    w.components << record(1, ComponentType::Label, QStringLiteral("标签_提示"), {10, 10, 180, 20},
                           write(hint))
                 << record(2, ComponentType::EditBox, QStringLiteral("编辑框_店名"),
                           {10, 40, 180, 24}, write(shop))
                 << record(3, ComponentType::Button, QStringLiteral("按钮_确定"), {10, 74, 80, 28},
                           write(ok))
                 << record(4, ComponentType::ComboBox, QStringLiteral("组合框_付款"),
                           {100, 76, 90, 24}, write(combo))
                 << record(5, ComponentType::ListView, QStringLiteral("超级列表框1"),
                           {10, 120, 370, 150}, write(list))
                 << record(6, ComponentType::Timer, QStringLiteral("时钟1"), {0, 0, 0, 0})
                 << groupRecord << inGroup;
    TemplateSet set;
    set.windows = {w};
    HandlerRegistry handlers;
    FormManager manager(set, handlers);
    ASSERT_TRUE(manager.open(kTestWindow)) << manager.lastError().toStdString();
    FormWindow* window = manager.window(kTestWindow);

    const QPixmap shot = window->grab();
    const QString path = QDir::current().filePath(QStringLiteral("window_screenshot.png"));
    EXPECT_TRUE(shot.save(path));
    EXPECT_EQ(shot.size(), QSize(400, 300));

    for (const ComponentRecord& r : w.components.mid(1)) {
        Component* c = window->component(r.name);
        ASSERT_NE(c, nullptr) << r.name.toStdString();
        if (c->widget() == nullptr) {
            EXPECT_EQ(r.type, static_cast<qint32>(ComponentType::Timer));
            continue;
        }
        EXPECT_EQ(c->widget()->geometry(), QRect(r.left, r.top, r.width, r.height))
            << r.name.toStdString();
        EXPECT_TRUE(c->widget()->isVisible()) << r.name.toStdString();
        EXPECT_EQ(c->widget()->objectName(), r.name);
    }
}

}  // namespace
}  // namespace tillora::test
