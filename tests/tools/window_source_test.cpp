// The window compiler's reading of component fields: each name a source may write lands in its
// block field, fields kept only in the block can't be written, and nested lists (columns, pages)
// report faults with their place.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "templates/draw_panel_block.h"
#include "templates/printer_block.h"
#include "templates/property_blocks.h"
#include "tools/formc/source_error.h"
#include "tools/formc/window_source.h"

namespace tillora::formc {
namespace {

class WindowSourceTest : public ::testing::Test {
  protected:
    // Compiles a window holding the given components (a JSON list body).
    CompiledWindow compile(const QByteArray& components) {
        const QString path = dir_.filePath(QStringLiteral("w.json"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(R"({"key": "W", "size": [100, 100], "picture": "p.bin", "components": [)" +
                components + "]}");
        f.close();
        return compileWindowSource(path, dir_.path());
    }

    QString errorFor(const QByteArray& components) {
        try {
            compile(components);
        } catch (const SourceError& e) {
            return e.message;
        }
        return QString();
    }

    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QFile f(dir_.filePath(QStringLiteral("p.bin")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("PIC");
    }

    QTemporaryDir dir_;
};

TEST_F(WindowSourceTest, ListsAndFlagsLandInTheirFields) {
    const CompiledWindow w = compile(R"(
        {"name": "tabs", "type": "tabControl", "currentPage": 1, "tabHeight": 20,
         "font": {"face": "宋体", "height": 14},
         "pages": [{"title": "一", "textColour": "#102030"},
                   {"title": "二", "visible": false, "disabled": true}]},
        {"name": "list", "type": "listView", "view": 1, "sortOrder": 2,
         "columns": [{"title": "  名称", "width": 80, "alignment": 2, "image": 3}]},
        {"name": "combo", "type": "comboBox", "items": ["a", "b"], "itemValues": [7],
         "currentItem": 1, "backColour": "transparent"},
        {"name": "edit", "type": "editBox", "passwordChar": "#", "inputMode": 2,
         "content": "x"})");
    const QList<ComponentRecord>& c = w.window.components;
    ASSERT_EQ(c.size(), 5);

    WindowBlock window;
    ASSERT_TRUE(parse(c[0].propertyData, window));
    EXPECT_EQ(window.picture, QByteArray("PIC"));

    TabControlBlock tabs;
    ASSERT_TRUE(parse(c[1].propertyData, tabs));
    EXPECT_EQ(tabs.currentPage, 1);
    EXPECT_EQ(tabs.tabHeight, 20);
    ASSERT_TRUE(tabs.font);
    EXPECT_EQ(tabs.font->height, -14);
    ASSERT_EQ(tabs.pages.size(), 2);
    EXPECT_EQ(tabs.pages[0].title, QStringLiteral("一"));
    EXPECT_EQ(tabs.pages[0].textColour, rgbColour(0x10, 0x20, 0x30));
    EXPECT_EQ(tabs.pages[0].flags, 1);  // visible by default
    EXPECT_EQ(tabs.pages[1].flags, 2);  // hidden, disabled
    EXPECT_EQ(c[1].children, (QList<qint32>{0, 0}));

    ListViewBlock list;
    ASSERT_TRUE(parse(c[2].propertyData, list));
    EXPECT_EQ(list.view, 1);
    EXPECT_EQ(list.sortOrder, 2);
    ASSERT_EQ(list.columns.size(), 1);
    EXPECT_EQ(list.columns[0].title, QStringLiteral("  名称"));
    EXPECT_EQ(list.columns[0].width, 80);
    EXPECT_EQ(list.columns[0].alignment, 2);
    EXPECT_EQ(list.columns[0].image, 3);

    ComboBoxBlock combo;
    ASSERT_TRUE(parse(c[3].propertyData, combo));
    EXPECT_EQ(combo.items, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(combo.itemValues, QList<qint32>{7});
    EXPECT_EQ(combo.currentItem, 1);
    EXPECT_EQ(combo.backColour, kDefaultColour);

    EditBoxBlock edit;
    ASSERT_TRUE(parse(c[4].propertyData, edit));
    EXPECT_EQ(edit.passwordChar, u'#');
    EXPECT_EQ(edit.inputMode, 2);
    EXPECT_EQ(edit.content, QStringLiteral("x"));
}

TEST_F(WindowSourceTest, PrintComponentsTakeTheirDrawingFields) {
    const CompiledWindow w = compile(R"(
        {"name": "printer", "type": "printer", "unit": 0, "penWidth": 3, "brushColour": "#000000",
         "leftMargin": 5, "printRange": 2, "documentName": "小票",
         "font": {"face": "新宋体", "height": 9, "weight": 700}},
        {"name": "panel", "type": "drawPanel", "backColour": "#FFFFFF", "autoRedraw": 1,
         "unit": 1, "textBackColour": "#010203", "backPicture": "p.bin"})");
    const auto printer = PrinterBlock::parse(w.window.components[1].propertyData);
    ASSERT_TRUE(printer);
    EXPECT_EQ(printer->drawing.unit, 0);
    EXPECT_EQ(printer->drawing.penWidth, 3);
    EXPECT_EQ(printer->drawing.brushColour, 0u);
    EXPECT_EQ(printer->leftMargin, 5);
    EXPECT_EQ(printer->printRange, 2);
    EXPECT_EQ(printer->documentName, QStringLiteral("小票"));
    LogFont font;
    ASSERT_TRUE(parseLogFont(printer->drawing.font, font));
    EXPECT_EQ(font.faceName, QStringLiteral("新宋体"));
    EXPECT_EQ(font.weight, 700);

    const auto panel = DrawPanelBlock::parse(w.window.components[2].propertyData);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->backColour, 0xFFFFFFu);
    EXPECT_EQ(panel->autoRedraw, 1);
    EXPECT_EQ(panel->drawing.unit, 1);
    EXPECT_EQ(panel->drawing.textBackColour, rgbColour(1, 2, 3));
    EXPECT_TRUE(panel->drawing.font.isEmpty());  // no font given: the default
    EXPECT_EQ(panel->backPicture, QByteArray("PIC"));
}

TEST_F(WindowSourceTest, FaultsNameTheirField) {
    // Fields kept only in the block are not source fields.
    EXPECT_TRUE(errorFor(R"({"name": "e", "type": "editBox", "text1": "x"})")
                    .endsWith(QStringLiteral("text1: unknown field")));
    EXPECT_TRUE(errorFor(R"({"name": "l", "type": "listView", "columns": [{"reserved": 1}]})")
                    .contains(QStringLiteral("columns[0].reserved: unknown field")));
    EXPECT_TRUE(errorFor(R"({"name": "t", "type": "tabControl", "pages": [3]})")
                    .contains(QStringLiteral("pages[0]")));
    EXPECT_TRUE(errorFor(R"({"name": "t", "type": "tabControl", "pages": [{"visible": 1}]})")
                    .contains(QStringLiteral("pages[0].visible")));
    EXPECT_TRUE(
        errorFor(R"({"name": "c", "type": "comboBox", "items": ["a"], "itemValues": [1, 2]})")
            .contains(QStringLiteral("more values than items")));
    EXPECT_TRUE(errorFor(R"({"name": "p", "type": "printer", "copies": "two"})")
                    .contains(QStringLiteral("copies: expected a whole number")));
    // The font record holds its face in GBK: an emoji would be stored as question marks.
    EXPECT_TRUE(
        errorFor(R"({"name": "b", "type": "label", "font": {"face": "宋体😀", "height": 12}})")
            .contains(QStringLiteral("font: the face has no GBK form")));
}

}  // namespace
}  // namespace tillora::formc
