#include <gtest/gtest.h>

#include <QImage>

#include "formset/embedded_template_set.h"
#include "formset/form_ids.h"
#include "templates/property_blocks.h"
#include "templates/template_set_reader.h"
#include "templates/template_set_writer.h"

namespace tillora {
namespace {

TemplateSet embeddedSet() {
    TemplateSet set;
    QString error;
    EXPECT_TRUE(readTemplateSet(embeddedTemplateSet(), embeddedHandlerNames(), set, &error))
        << error.toStdString();
    return set;
}

TEST(EmbeddedTemplateSet, WritesBackByteForByte) {
    const TemplateSet set = embeddedSet();
    ASSERT_FALSE(set.windows.isEmpty());
    QByteArray bytes;
    QString error;
    ASSERT_TRUE(writeTemplateSet(set, bytes, &error)) << error.toStdString();
    EXPECT_EQ(bytes, embeddedTemplateSet().toByteArray());
}

TEST(EmbeddedTemplateSet, EveryPropertyBlockParsesAndWritesBack) {
    int checked = 0;
    for (const WindowTemplate& w : embeddedSet().windows) {
        for (const ComponentRecord& c : w.components) {
            SCOPED_TRACE(c.name.toStdString());
            const auto again = rewritePropertyBlock(c.componentType(), c.propertyData);
            ASSERT_TRUE(again.has_value());
            EXPECT_EQ(*again, c.propertyData);
            ++checked;
        }
    }
    EXPECT_GT(checked, 30);
}

TEST(EmbeddedTemplateSet, IdsFollowTheirGroupsAndTheStartWindowComesFirst) {
    const TemplateSet set = embeddedSet();
    EXPECT_EQ(set.windows.front().id, static_cast<qint32>(FormId::Login));
    for (const WindowTemplate& w : set.windows) {
        EXPECT_TRUE(template_ids::isWindow(w.id));
        EXPECT_TRUE(template_ids::isProgramClass(w.classId));
        EXPECT_TRUE(template_ids::isWindowRecord(w.windowRecord().id));
        for (qsizetype i = 1; i < w.components.size(); ++i) {
            EXPECT_TRUE(template_ids::isComponent(w.components[i].id));
            EXPECT_FALSE(template_ids::isMenuItem(w.components[i].id));
        }
    }
    EXPECT_NE(set.window(static_cast<qint32>(FormId::Holder)), nullptr);
    EXPECT_NE(set.window(static_cast<qint32>(FormId::Preview)), nullptr);
    EXPECT_EQ(set.window(0x52FFFFFF), nullptr);
}

TEST(EmbeddedTemplateSet, LoginWindowAsLaidOut) {
    const TemplateSet set = embeddedSet();
    const WindowTemplate* login = set.window(static_cast<qint32>(FormId::Login));
    ASSERT_NE(login, nullptr);
    const ComponentRecord& record = login->windowRecord();
    EXPECT_EQ(record.width, 341);
    EXPECT_EQ(record.height, 283);
    EXPECT_FALSE(record.visible());
    WindowBlock window;
    ASSERT_TRUE(parse(record.propertyData, window));
    EXPECT_EQ(window.title, QStringLiteral("登录"));
    EXPECT_EQ(window.border, 2);
    EXPECT_EQ(window.startPosition, 1);
    EXPECT_EQ(window.maxButton, 0);

    const ComponentRecord* banner = login->componentByName(QStringLiteral("图片框1"));
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->top, -8);
    PictureBoxBlock picture;
    ASSERT_TRUE(parse(banner->propertyData, picture));
    const QImage image = QImage::fromData(picture.picture, "PNG");
    EXPECT_EQ(image.size(), QSize(787, 137));
    EXPECT_FALSE(image.hasAlphaChannel());

    const ComponentRecord* user = login->componentByName(QStringLiteral("组合框_用户名"));
    ASSERT_NE(user, nullptr);
    EXPECT_TRUE(user->tabStop());
    ComboBoxBlock combo;
    ASSERT_TRUE(parse(user->propertyData, combo));
    EXPECT_EQ(combo.items, QStringList{QStringLiteral("admin")});
    EXPECT_EQ(combo.currentItem, 0);
    ASSERT_TRUE(combo.font.has_value());
    EXPECT_EQ(combo.font->faceName, QStringLiteral("宋体"));
    EXPECT_EQ(combo.font->height, -16);

    const ComponentRecord* hint = login->componentByName(QStringLiteral("标签1"));
    ASSERT_NE(hint, nullptr);
    LabelBlock label;
    ASSERT_TRUE(parse(hint->propertyData, label));
    EXPECT_EQ(label.textColour, rgbColour(0, 0, 255));
    EXPECT_EQ(label.caption, QStringLiteral("[用户名“admin”初始密码为空]"));

    const ComponentRecord* button = login->componentByName(QStringLiteral("按钮_登录"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->handlerFor(0), QStringLiteral("login.loginClicked"));
    EXPECT_TRUE(button->handlerFor(1).isEmpty());
    EXPECT_NE(login->componentByName(QStringLiteral("外部数据库1")), nullptr);
}

TEST(EmbeddedTemplateSet, PreviewPanelSitsInsideItsFrame) {
    const TemplateSet set = embeddedSet();
    const WindowTemplate* preview = set.window(static_cast<qint32>(FormId::Preview));
    ASSERT_NE(preview, nullptr);
    const ComponentRecord* frame = preview->componentByName(QStringLiteral("外形框1"));
    const ComponentRecord* panel = preview->componentByName(QStringLiteral("画板1"));
    ASSERT_TRUE(frame != nullptr && panel != nullptr);
    EXPECT_EQ(panel->container, frame->id);
    EXPECT_EQ(frame->children, QList<qint32>{panel->id});
    WindowBlock window;
    ASSERT_TRUE(parse(preview->windowRecord().propertyData, window));
    EXPECT_EQ(window.border, 4);
    EXPECT_EQ(window.backColour, kWhite);
}

// A small hand-made window for the reader's reference checks.
TemplateSet smallSet() {
    TemplateSet set;
    set.handlerNames = {QStringLiteral("a.clicked")};
    WindowTemplate w;
    w.id = template_ids::window(1);
    w.classId = template_ids::programClass(1);
    ComponentRecord window;
    window.id = template_ids::windowRecord(1);
    window.type = static_cast<qint32>(ComponentType::Window);
    ComponentRecord tab;
    tab.id = template_ids::component(1);
    tab.type = static_cast<qint32>(ComponentType::TabControl);
    tab.name = QStringLiteral("高级选择夹1");
    tab.children = {template_ids::component(2), 0, 0};
    ComponentRecord button;
    button.id = template_ids::component(2);
    button.type = static_cast<qint32>(ComponentType::Button);
    button.name = QStringLiteral("按钮1");
    button.container = tab.id;
    button.events = {{0, 0, QStringLiteral("a.clicked")}};
    MenuItemRecord item;
    item.id = template_ids::menuItem(1);
    item.caption = QStringLiteral("文件");
    w.components = {window, tab, button};
    w.menuItems = {item};
    set.windows = {w};
    return set;
}

TEST(TemplateSetReader, RoundTripsMenusTabPagesAndRecordOrder) {
    TemplateSet set = smallSet();
    // The menu item stands between the components.
    set.windows[0].recordOrder = {template_ids::windowRecord(1), template_ids::menuItem(1),
                                  template_ids::component(1), template_ids::component(2)};
    QByteArray bytes;
    ASSERT_TRUE(writeTemplateSet(set, bytes));
    TemplateSet back;
    QString error;
    ASSERT_TRUE(readTemplateSet(bytes, set.handlerNames, back, &error)) << error.toStdString();
    EXPECT_EQ(back, set);
    const QList<QList<qint32>> pages = back.windows[0].components[1].childPages();
    EXPECT_EQ(pages, (QList<QList<qint32>>{{template_ids::component(2)}, {}}));
}

TEST(TemplateSetReader, RefusesBrokenReferences) {
    struct Case {
        const char* what;
        void (*damage)(TemplateSet&);
    };
    const Case cases[] = {
        {"unknown container",
         [](TemplateSet& s) { s.windows[0].components[2].container = 0x16000099; }},
        {"container loop",
         [](TemplateSet& s) { s.windows[0].components[1].container = template_ids::component(2); }},
        {"unknown child",
         [](TemplateSet& s) { s.windows[0].components[1].children = {0x16000099}; }},
        {"handler source of another type",
         [](TemplateSet& s) {
             s.windows[0].components[2].handlerSource = template_ids::component(1);
         }},
        {"handler source loop",
         [](TemplateSet& s) {
             s.windows[0].components[2].handlerSource = template_ids::component(2);
         }},
        {"unknown type", [](TemplateSet& s) { s.windows[0].components[2].type = 0x10063; }},
        {"second window record type",
         [](TemplateSet& s) { s.windows[0].components[2].type = int(ComponentType::Window); }},
        {"record 0 not the window",
         [](TemplateSet& s) { s.windows[0].components[0].id = 0x16000050; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TemplateSet set = smallSet();
        c.damage(set);
        QByteArray bytes;
        ASSERT_TRUE(writeTemplateSet(set, bytes));
        TemplateSet out;
        QString error;
        EXPECT_FALSE(readTemplateSet(bytes, set.handlerNames, out, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(TemplateSetReader, HandlerReferencesMustBeInTheTable) {
    const TemplateSet set = smallSet();
    QByteArray bytes;
    ASSERT_TRUE(writeTemplateSet(set, bytes));
    TemplateSet out;
    EXPECT_FALSE(readTemplateSet(bytes, {}, out));
    ASSERT_TRUE(readTemplateSet(bytes, {QStringLiteral("other.name")}, out));
    EXPECT_EQ(out.windows[0].components[2].handlerFor(0), QStringLiteral("other.name"));
}

TEST(TemplateSetWriter, RefusesWhatCannotBeReadBack) {
    struct Case {
        const char* what;
        void (*damage)(TemplateSet&);
    };
    const Case cases[] = {
        {"name without GBK form",
         [](TemplateSet& s) {
             s.windows[0].components[2].name = QString::fromUtf8("\xF0\x9F\x98\x80");
         }},
        {"handler index not matching its name",
         [](TemplateSet& s) {
             s.windows[0].components[2].events[0].handler = QStringLiteral("x");
         }},
        {"handler name without index",
         [](TemplateSet& s) { s.windows[0].components[2].events[0].handlerIndex = -1; }},
        {"descending window ids",
         [](TemplateSet& s) {
             s.windows.append(s.windows[0]);
             s.windows[1].id = template_ids::window(0);
         }},
        {"record order missing a record",
         [](TemplateSet& s) { s.windows[0].recordOrder = {template_ids::windowRecord(1)}; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TemplateSet set = smallSet();
        c.damage(set);
        QByteArray bytes;
        QString error;
        EXPECT_FALSE(writeTemplateSet(set, bytes, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

}  // namespace
}  // namespace tillora
