// Receipt printer commands: the dots survive the trip through GS v 0 bands exactly, blank paper
// is fed rather than sent, and the bands stay within what small printers take.
#include <QPainter>

#include <gtest/gtest.h>

#include "print/escpos_raster.h"
#include "tests/print/escpos_decoder.h"

namespace tillora::test {
namespace {

// Bands no taller than the limit, no wider than the ink: read straight from the bytes.
void expectBandsWithin(const QByteArray& data, int maxWidthBytes) {
    for (qsizetype i = data.indexOf("\x1dv0"); i >= 0; i = data.indexOf("\x1dv0", i + 1)) {
        const int widthBytes = uchar(data.at(i + 4)) | (uchar(data.at(i + 5)) << 8);
        const int rows = uchar(data.at(i + 6)) | (uchar(data.at(i + 7)) << 8);
        EXPECT_LE(rows, EscPosRaster::kBandRows);
        EXPECT_LE(widthBytes, maxWidthBytes);
        i += 8 + qsizetype(widthBytes) * rows - 1;
    }
}

TEST(EscPosRaster, DotsComeBackExactlyWithBlankPaperFed) {
    EXPECT_EQ(EscPosRaster::paperDots(58), 384);
    EXPECT_EQ(EscPosRaster::paperDots(80), 576);
    QImage sheet = EscPosRaster::blankSheet(384);
    {
        QPainter p(&sheet);
        QFont font(QStringLiteral("Sans"));
        font.setPixelSize(12);
        p.setFont(font);
        p.drawText(QPoint(3, 40), QStringLiteral("单号：2026"));
        p.fillRect(QRect(0, 60, 1, 1), Qt::black);  // a lone dot in the first column
        p.fillRect(QRect(5, 65, 200, 300), QColor(100, 100, 100));  // taller than a band
        p.fillRect(QRect(10, 366, 50, 2), Qt::black);   // after one blank row: kept in the band
        p.fillRect(QRect(198, 1000, 3, 3), Qt::black);  // after a gap over 255 rows
        p.fillRect(QRect(0, 1003, 2, 1), QColor(140, 140, 140));  // light grey: no dots
    }
    const int rows = EscPosRaster::inkedRows(sheet);
    EXPECT_EQ(rows, 1003);
    const QByteArray data = EscPosRaster::raster(sheet);
    const DecodedJob job = decodeEscPos(data, 384);
    ASSERT_TRUE(job.error.isEmpty()) << job.error.toStdString();
    EXPECT_EQ(job.dots.height(), rows);
    EXPECT_EQ(differingDots(job.dots, printedDots(sheet, rows)), 0);
    EXPECT_FALSE(job.actions.contains(u'C'));
    EXPECT_TRUE(job.actions.contains(QStringLiteral("RFFFR"))) << job.actions.toStdString();
    // The ink ends at column 205: bands of 26 bytes, not the paper's 48.
    expectBandsWithin(data, 26);
    EXPECT_LT(data.size(), 26 * 400 + 200);

    EXPECT_TRUE(EscPosRaster::raster(EscPosRaster::blankSheet(576)).isEmpty());
    const DecodedJob ends = decodeEscPos(
        EscPosRaster::initialise() + EscPosRaster::feedAndCut() + EscPosRaster::drawerPulse(), 576);
    EXPECT_TRUE(ends.error.isEmpty());
    EXPECT_EQ(ends.actions, QStringLiteral("ICD"));
}

}  // namespace
}  // namespace tillora::test
