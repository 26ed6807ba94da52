// Stored forms of the printer and the draw panel.
#include <gtest/gtest.h>

#include "forms/template_byte_writer.h"
#include "print/draw_panel_block.h"
#include "print/font_description.h"
#include "print/printer_block.h"

namespace tillora {
namespace {

TEST(PrinterBlockTest, EmptyBlockGivesTheDefaults) {
    const auto b = PrinterBlock::parse({});
    ASSERT_TRUE(b);
    EXPECT_EQ(b->drawing.unit, 1);
    EXPECT_EQ(b->drawing.penType, 1);
    EXPECT_EQ(b->drawing.drawMode, 12);
    EXPECT_EQ(b->drawing.brushColour, 0xFFFFFFu);
    EXPECT_EQ(b->drawing.textBackColour, kDefaultDrawingColour);
    EXPECT_EQ(b->copies, 1);
    EXPECT_EQ(b->minPage, -1);
    EXPECT_EQ(b->maxPage, -1);
    EXPECT_EQ(b->fromPage, 1);
    EXPECT_EQ(b->toPage, -1);
    EXPECT_EQ(b->printRange, -1);
}

TEST(PrinterBlockTest, RoundTripsEveryField) {
    PrinterBlock b;
    b.drawing.unit = 1;
    b.drawing.penType = 3;
    b.drawing.penWidth = 4;
    b.drawing.penColour = 0x123456;
    b.drawing.textBackColour = 0x00FF00;
    b.drawing.font = FontDescription().toBlock().value();
    b.leftMargin = 11;
    b.topMargin = 12;
    b.rightMargin = 13;
    b.bottomMargin = 14;
    b.copies = -1;
    b.collate = 1;
    b.minPage = 2;
    b.maxPage = 9;
    b.fromPage = 3;
    b.toPage = 4;
    b.printRange = 0;
    b.documentName = QStringLiteral("小票 'x'");
    const QByteArray data = b.write();
    // version + 20 ints, the name in GBK (2 bytes a Chinese character), the 60-byte font
    EXPECT_EQ(data.size(), 21 * 4 + 4 + 8 + 4 + 60);
    const auto back = PrinterBlock::parse(data);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, b);
}

TEST(PrinterBlockTest, RefusesNewerVersionsAndCutBlocks) {
    QByteArray data = PrinterBlock().write();
    QByteArray newer = data;
    newer[0] = 2;
    EXPECT_FALSE(PrinterBlock::parse(newer));
    EXPECT_FALSE(PrinterBlock::parse(data.left(data.size() - 1)));
    EXPECT_FALSE(PrinterBlock::parse(data.left(10)));
    // A name length running past the end.
    TemplateByteWriter w;
    w.writeInt32(1);
    for (int i = 0; i < 20; ++i) {
        w.writeInt32(0);
    }
    w.writeInt32(1000);
    EXPECT_FALSE(PrinterBlock::parse(w.data()));
}

TEST(DrawPanelBlockTest, DefaultsRoundTripAndRefusal) {
    const auto defaults = DrawPanelBlock::parse({});
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->drawing.unit, 0);
    EXPECT_EQ(defaults->pictureMode, 1);
    EXPECT_EQ(defaults->autoRedraw, 0);
    EXPECT_EQ(defaults->backColour, kDefaultDrawingColour);

    DrawPanelBlock b;
    b.border = 3;
    b.backColour = 0xFFFFFF;
    b.autoRedraw = 1;
    b.drawing.unit = 1;
    b.drawing.penType = 3;
    b.backPicture = QByteArray("\x89PNG....", 8);
    const QByteArray data = b.write();
    EXPECT_EQ(data.size(), 14 * 4 + 4 + 4 + 8);
    const auto back = DrawPanelBlock::parse(data);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, b);

    QByteArray newer = data;
    newer[0] = 2;
    EXPECT_FALSE(DrawPanelBlock::parse(newer));
    EXPECT_FALSE(DrawPanelBlock::parse(data.left(data.size() - 3)));
}

TEST(FontDescriptionTest, RecordRoundTripsWithAChineseFaceName) {
    FontDescription d;
    d.height = -16;
    d.weight = 700;
    d.italic = true;
    d.faceName = QStringLiteral("新宋体");
    const QByteArray block = d.toBlock().value();
    ASSERT_EQ(block.size(), 60);
    const FontDescription back = FontDescription::fromBlock(block);
    EXPECT_EQ(back.height, -16);
    EXPECT_EQ(back.weight, 700);
    EXPECT_TRUE(back.italic);
    EXPECT_EQ(back.faceName, QStringLiteral("新宋体"));
    EXPECT_EQ(FontDescription::fromBlock({}).height, -12);
}

TEST(FontDescriptionTest, FaceWithoutGbkFormIsRefusedAndDamagedBytesShowAsReplacements) {
    FontDescription d;
    d.faceName = QString::fromUtf8("宋体\xF0\x9F\x98\x80");  // an emoji has no GBK form
    EXPECT_FALSE(d.toBlock().has_value());

    d.faceName = QStringLiteral("黑体");
    QByteArray block = d.toBlock().value();
    block[28] = static_cast<char>(0xB1);  // a lead byte followed by a blank: not GBK
    block[29] = ' ';
    const QString face = FontDescription::fromBlock(block).faceName;
    EXPECT_TRUE(face.contains(QChar(0xFFFD))) << qPrintable(face);
    EXPECT_TRUE(face.endsWith(QStringLiteral("体")));
}

}  // namespace
}  // namespace tillora
