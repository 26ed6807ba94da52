// Text flow, unit mapping and property clamping of the drawing interface, checked on the
// recording surface (fixed metrics, 96 dpi: a 9-point font at unit 1 is 12 device pixels, and a
// line of it measures 32 units high).
#include <gtest/gtest.h>

#include <QBuffer>

#include "print/font_description.h"
#include "print/recording_surface.h"
#include "print/unit_mapping.h"
#include "values/value.h"

namespace tillora {
namespace {

using Kind = RecordedOperation::Kind;

QList<RecordedOperation> textOps(const RecordingSurface& s) {
    QList<RecordedOperation> out;
    for (const RecordedOperation& op : s.operations()) {
        if (op.kind == Kind::Text) {
            out.append(op);
        }
    }
    return out;
}

QByteArray fontOfPoints(int points) {
    FontDescription d;
    d.height = -(points * 96 / 72);
    return d.toBlock().value();
}

TEST(UnitMappingTest, CharacterHeightUsesTheUnitsFontFactor) {
    struct Case {
        int unit;
        int pixelHeight;
        int expected;
    };
    // 9 points: 9 x factor, truncated.
    const Case cases[] = {
        {1, 12, 31},  {2, 12, 317}, {3, 12, 12},
        {4, 12, 124}, {5, 12, 180}, {0, 12, 12},  // pixels on a 96-dpi device
        {1, -16, 42},                             // 12 points, sign ignored
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UnitMapping(c.unit, 96, 96).characterHeight(c.pixelHeight), c.expected)
            << "unit " << c.unit << " height " << c.pixelHeight;
    }
    // Device pixels scale with the printer's resolution.
    EXPECT_EQ(UnitMapping(0, 600, 600).characterHeight(12), 75);
}

TEST(UnitMappingTest, ConvertsBothWaysAndClampsTheUnit) {
    const UnitMapping tenthMm(1, 600, 600);
    EXPECT_EQ(tenthMm.toDeviceX(254), 600);  // one inch
    EXPECT_EQ(tenthMm.toLogicalY(600), 254);
    const UnitMapping twips(5, 300, 300);
    EXPECT_EQ(twips.toDeviceY(1440), 300);
    EXPECT_EQ(UnitMapping(9, 96, 96).unit(), 5);
    EXPECT_EQ(UnitMapping(-3, 96, 96).unit(), 0);
    EXPECT_EQ(UnitMapping(0, 96, 96).toDeviceX(17), 17);
}

TEST(DrawingSurfaceTest, DefaultAndNinePointFontsAreThirtyOneUnitsHigh) {
    RecordingSurface s;
    EXPECT_EQ(s.characterHeight(), 31);
    s.setFontBlock(fontOfPoints(9));
    EXPECT_EQ(s.characterHeight(), 31);
    s.setFontBlock(QByteArray(12, 'x'));  // not a font record: the default font
    EXPECT_TRUE(s.fontBlock().isEmpty());
    EXPECT_EQ(s.characterHeight(), 31);
}

TEST(DrawingSurfaceTest, PropertiesClampIntoTheirRanges) {
    RecordingSurface s;
    struct Case {
        void (DrawingSurface::*set)(int);
        int (DrawingSurface::*get)() const;
        int value;
        int expected;
    };
    const Case cases[] = {
        {&DrawingSurface::setUnit, &DrawingSurface::unit, 6, 5},
        {&DrawingSurface::setUnit, &DrawingSurface::unit, -1, 0},
        {&DrawingSurface::setPenType, &DrawingSurface::penType, 7, 6},
        {&DrawingSurface::setPenType, &DrawingSurface::penType, -2, 0},
        {&DrawingSurface::setDrawMode, &DrawingSurface::drawMode, 16, 15},
        {&DrawingSurface::setPenWidth, &DrawingSurface::penWidth, 40000, 32767},
        {&DrawingSurface::setPenWidth, &DrawingSurface::penWidth, -5, 0},
        {&DrawingSurface::setBrushType, &DrawingSurface::brushType, 56, 55},
        {&DrawingSurface::setBrushType, &DrawingSurface::brushType, 12, 12},
    };
    for (const Case& c : cases) {
        (s.*c.set)(c.value);
        EXPECT_EQ((s.*c.get)(), c.expected) << "value " << c.value;
    }
}

TEST(DrawingSurfaceTest, WriteAtStartsAtTheOriginPlusMarginsAndKeepsThePosition) {
    RecordingSurface s;
    s.setMargins(15, 25, 0, 0);
    s.SetWritePosition(100, 200);
    s.WriteAt(0, 0, QStringList{QStringLiteral("abc")});
    ASSERT_EQ(s.operations().size(), 1);
    EXPECT_EQ(s.operations()[0].at, QPoint(15, 25));
    EXPECT_EQ(s.operations()[0].text, QStringLiteral("abc"));
    EXPECT_EQ(s.writePosition(), QPoint(100, 200));
}

TEST(DrawingSurfaceTest, WriteAtContinuesAfterAValueAndBreaksLinesAtTheValuesX) {
    RecordingSurface s;
    // "ab" is two half-width characters: 12 device pixels = 32 units.
    s.WriteAt(100, 50,
              QStringList{QStringLiteral("ab"), QString(), QStringLiteral("名\n称"),
                          QStringLiteral("x")});
    const auto ops = textOps(s);
    ASSERT_EQ(ops.size(), 4);
    EXPECT_EQ(ops[0].at, QPoint(100, 50));
    EXPECT_EQ(ops[1].at, QPoint(132, 50));  // the empty value wrote nothing and kept x
    EXPECT_EQ(ops[1].text, QStringLiteral("名"));
    EXPECT_EQ(ops[2].at, QPoint(132, 87));  // next line: 32 units + 2 device pixels
    EXPECT_EQ(ops[3].at, QPoint(164, 87));  // after "称" (one full-width character)
}

TEST(DrawingSurfaceTest, OmittedWriteAtCoordinatesComeFromTheWritePosition) {
    RecordingSurface s;
    s.SetWritePosition(40, 70);
    s.WriteAt(std::nullopt, 10, QStringList{QStringLiteral("a")});
    s.WriteAt(5, std::nullopt, QStringList{QStringLiteral("b")});
    const auto ops = textOps(s);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_EQ(ops[0].at, QPoint(40, 10));
    EXPECT_EQ(ops[1].at, QPoint(5, 70));
}

TEST(DrawingSurfaceTest, WriteLinesSplitsAtEveryKindOfLineBreakAndContinuesBelow) {
    RecordingSurface s;
    s.setMargins(10, 20, 0, 0);
    s.SetWritePosition(30, 0);
    s.WriteLines(QStringList{QStringLiteral("a\r\nb")});
    s.WriteLines(QStringList{QStringLiteral("c\rd\ne")});
    const auto ops = textOps(s);
    ASSERT_EQ(ops.size(), 5);
    const int expectedY[] = {0, 37, 74, 111, 148};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ops[i].at, QPoint(40, 20 + expectedY[i])) << "line " << i;
    }
    EXPECT_EQ(s.texts(), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                      QStringLiteral("d"), QStringLiteral("e")}));
    EXPECT_EQ(s.writePosition(), QPoint(30, 185));
}

TEST(DrawingSurfaceTest, EmptyLinesTakeTheHeightOfW) {
    RecordingSurface s;
    s.WriteLines(QStringList{QString(), QStringLiteral("a\n\nb")});
    const auto ops = textOps(s);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_EQ(ops[0].at.y(), 37);
    EXPECT_EQ(ops[1].at.y(), 111);
}

TEST(DrawingSurfaceTest, ValuesAreWrittenWithTheProgramsTextRule) {
    RecordingSurface s;
    s.WriteAt(0, 0,
              QList<Value>{Value::fromDouble(12.5), Value::fromBool(true), Value::fromInt(-3)});
    EXPECT_EQ(s.texts(),
              (QStringList{QStringLiteral("12.5"), QStringLiteral("真"), QStringLiteral("-3")}));
    s.clearOperations();
    s.WriteLines(QList<Value>{Value(), Value::fromText(QStringLiteral("x"))});
    ASSERT_EQ(s.operations().size(), 1);
    EXPECT_EQ(s.operations()[0].at.y(), 37);  // the omitted value was an empty line
}

TEST(DrawingSurfaceTest, WriteLinesBreaksThePageWhenALineNoLongerFits) {
    RecordingSurface s;
    s.setPageHeight(100);
    s.SetWritePosition(0, 60);
    s.WriteLines(QStringList{QStringLiteral("fits")});  // 60 + 32 <= 100
    s.WriteLines(QStringList{QStringLiteral("next")});  // 97 + 32 > 100
    const auto ops = textOps(s);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_EQ(ops[0].page, 1);
    EXPECT_EQ(ops[0].at.y(), 60);
    EXPECT_EQ(ops[1].page, 2);
    EXPECT_EQ(ops[1].at.y(), 0);
    EXPECT_EQ(s.writePosition().y(), 37);
}

TEST(DrawingSurfaceTest, ALineTallerThanThePageAtTheTopDoesNotBreak) {
    RecordingSurface s;
    s.setPageHeight(20);
    s.WriteLines(QStringList{QStringLiteral("tall")});
    EXPECT_EQ(s.currentPage(), 1);
    // WriteAt never breaks pages.
    s.WriteAt(0, 500, QStringList{QStringLiteral("low")});
    EXPECT_EQ(s.currentPage(), 1);
}

TEST(DrawingSurfaceTest, LinesAndPicturesGetMarginsAndNaturalSize) {
    RecordingSurface s;
    s.setMargins(5, 7, 0, 0);
    s.DrawLine(0, 155, 440, 155);
    QImage image(96, 48, QImage::Format_RGB32);
    image.fill(Qt::black);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    s.DrawPicture(png, 10, 20);
    s.DrawPicture(png, 10, 20, 340, 340, 9);
    s.DrawPicture(QByteArray("not a picture"), 0, 0);
    const auto& ops = s.operations();
    ASSERT_EQ(ops.size(), 3);
    EXPECT_EQ(ops[0].at, QPoint(5, 162));
    EXPECT_EQ(ops[0].to, QPoint(445, 162));
    EXPECT_EQ(ops[1].at, QPoint(15, 27));
    EXPECT_EQ(ops[1].size, QSize(254, 127));  // one inch by half an inch at 96 dpi
    EXPECT_EQ(ops[2].size, QSize(340, 340));
    EXPECT_EQ(ops[2].copyMode, 1);
}

}  // namespace
}  // namespace tillora
