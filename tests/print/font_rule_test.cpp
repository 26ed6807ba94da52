// Screens and paper make their fonts through one rule: the stored height's sign tells a character
// height from a cell height, and a Windows CJK face falls back to an installed CJK font.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>

#include <limits>

#include "forms/component_font.h"
#include "print/recording_surface.h"
#include "templates/property_blocks.h"

namespace tillora {
namespace {

TEST(FontRule, CellHeightsLoseTheirLeadingCharacterHeightsAreKept) {
    const struct {
        qint32 stored;
        int pixels;
    } cases[] = {
        {-12, 12}, {-16, 16}, {16, 14}, {24, 21}, {12, 11}, {8, 7}, {1, 1}, {0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(characterPixelHeight(c.stored), c.pixels) << c.stored;
    }
    // The most negative height must not overflow on the way to a size.
    EXPECT_GT(characterPixelHeight(std::numeric_limits<qint32>::min()), 0);
}

TEST(FontRule, ScreenAndPaperGiveAStoredHeightTheSameCharacterHeight) {
    for (const qint32 stored : {-12, -16, 16, 24, 0}) {
        LogFont font = makeFont(QStringLiteral("宋体"), 12);
        font.height = stored;
        const QFont base = [] {
            QFont f;
            f.setPixelSize(13);
            return f;
        }();
        const QFont screen = toQFont(font, base);
        // Unit 0 is device pixels; at 96 dpi they are the template's pixels.
        RecordingSurface paper;
        paper.setUnit(0);
        paper.setFontBlock(writeLogFont(font));
        const int expected = stored == 0 ? 13 : characterPixelHeight(stored);
        EXPECT_EQ(screen.pixelSize(), expected) << stored;
        // No height: the screen keeps its widget's size, paper the default GUI font's 12.
        EXPECT_EQ(paper.characterHeight(), stored == 0 ? 12 : expected) << stored;
    }
}

TEST(FontRule, WindowsFacesFallBackToAnInstalledCjkFont) {
    const QStringList song = fontFamilies(QStringLiteral("宋体"));
    ASSERT_GT(song.size(), 1);
    EXPECT_EQ(song.front(), QStringLiteral("宋体"));  // a machine that has it uses it
    EXPECT_EQ(fontFamilies(QStringLiteral("Arial")), QStringList{QStringLiteral("Arial")});

    Font font = makeFont(QStringLiteral("新宋体"), 16, 700);
    const QFont f = toQFont(font, QFont());
    EXPECT_EQ(f.family(), QStringLiteral("新宋体"));
    EXPECT_EQ(f.weight(), QFont::Bold);
    // What is drawn is a font that exists here, and it has Chinese glyphs whenever the machine
    // has any CJK font of the list.
    const QFontInfo info(f);
    if (song.mid(1).contains(info.family())) {
        EXPECT_TRUE(QFontMetrics(f).inFont(QChar(0x5B8B)));
    }
    // No template font: the base is left as it was.
    QFont base;
    base.setPixelSize(9);
    EXPECT_EQ(toQFont(std::nullopt, base), base);
}

}  // namespace
}  // namespace tillora
