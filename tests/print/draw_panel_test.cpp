// The draw panel: its memory bitmap, Clear, and the cut at its edges.
#include <gtest/gtest.h>

#include <QApplication>

#include "print/draw_panel.h"

namespace tillora {
namespace {

int darkPixels(const QImage& image, const QRect& area) {
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            n += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    return n;
}

// The preview's panel: white, 0.1 mm, dotted pen, drawing kept.
std::unique_ptr<DrawPanel> previewPanel(int autoRedraw) {
    auto panel = std::make_unique<DrawPanel>();
    DrawPanelBlock b;
    b.backColour = 0xFFFFFF;
    b.autoRedraw = autoRedraw;
    b.drawing.unit = 1;
    b.drawing.penType = 3;
    panel->applyBlock(b);
    panel->resize(192, 610);
    panel->show();
    QApplication::processEvents();
    return panel;
}

TEST(DrawPanelTest, UnitOneMapsThePanelsPixelsToTenthsOfAMillimetre) {
    auto panel = previewPanel(1);
    EXPECT_EQ(panel->drawWidth(), 508);
    EXPECT_EQ(panel->propertyByNumber(DrawPanel::DrawHeightProperty).toInt(), 1614);
    EXPECT_EQ(panel->characterHeight(), 31);
    EXPECT_FALSE(panel->setPropertyByNumber(DrawPanel::DrawWidthProperty, 3));
}

TEST(DrawPanelTest, AutoRedrawKeepsTheDrawingWhenHiddenAndShown) {
    for (int autoRedraw : {1, 0}) {
        auto panel = previewPanel(autoRedraw);
        panel->WriteAt(0, 0, QStringList{QStringLiteral("单号：12345")});
        panel->DrawLine(0, 155, 440, 155);
        EXPECT_GT(darkPixels(panel->grab().toImage(), QRect(0, 0, 192, 70)), 20);
        panel->hide();
        QApplication::processEvents();
        panel->show();
        QApplication::processEvents();
        const int after = darkPixels(panel->grab().toImage(), QRect(0, 0, 192, 70));
        if (autoRedraw == 1) {
            EXPECT_GT(after, 20);
        } else {
            EXPECT_EQ(after, 0);
        }
    }
}

TEST(DrawPanelTest, ClearFillsTheRectangleAndMovesTheWritePosition) {
    auto panel = previewPanel(1);
    panel->WriteAt(0, 0, QStringList{QStringLiteral("左上角")});
    panel->WriteAt(0, 300, QStringList{QStringLiteral("下面")});
    const QImage before = panel->canvas();
    ASSERT_GT(darkPixels(before, QRect(0, 0, 192, 20)), 0);
    ASSERT_GT(darkPixels(before, QRect(0, 110, 192, 20)), 0);

    panel->Clear(0, 0, 192, 50);
    EXPECT_EQ(darkPixels(panel->canvas(), QRect(0, 0, 192, 50)), 0);
    EXPECT_GT(darkPixels(panel->canvas(), QRect(0, 110, 192, 20)), 0);

    panel->Clear(10, 20);
    EXPECT_EQ(panel->writePosition(), QPoint(26, 53));  // 10 and 20 pixels in 0.1 mm
    panel->Clear();
    EXPECT_EQ(darkPixels(panel->canvas(), panel->canvas().rect()), 0);
    EXPECT_EQ(panel->writePosition(), QPoint(0, 0));
}

TEST(DrawPanelTest, WritingPastTheBottomIsCutNotBroken) {
    auto panel = previewPanel(1);
    // 1600 units is 605 pixels: the line is half inside.
    panel->SetWritePosition(0, 1600);
    panel->WriteLines(QStringList{QStringLiteral("最后一行"), QStringLiteral("看不见")});
    EXPECT_GT(darkPixels(panel->canvas(), QRect(0, 600, 192, 10)), 0);
    EXPECT_GT(panel->writePosition().y(), 1614);
    // No page break: the text did not start over at the top.
    EXPECT_EQ(darkPixels(panel->canvas(), QRect(0, 0, 192, 100)), 0);
}

TEST(DrawPanelTest, BlockRoundTripsThroughTheWidget) {
    DrawPanel panel;
    DrawPanelBlock b;
    b.border = 5;
    b.backColour = 0x00FF00;
    b.autoRedraw = 1;
    b.drawing.unit = 1;
    b.drawing.penType = 3;
    b.drawing.textColour = 0x0000FF;
    ASSERT_TRUE(panel.loadBlock(b.write()));
    EXPECT_EQ(panel.writeBlock(), b.write());
    QByteArray newer = b.write();
    newer[0] = 2;
    EXPECT_FALSE(panel.loadBlock(newer));
    EXPECT_EQ(panel.border(), 5);
}

}  // namespace
}  // namespace tillora
