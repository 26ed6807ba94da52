#include "print/escpos_raster.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace tillora {

namespace {

constexpr char kEsc = 0x1B;
constexpr char kGs = 0x1D;
// A single blank row stays inside its band: feeding it would cost a band header more.
constexpr int kMinFeedRows = 2;
// Long enough for several hundred item rows at 203 dpi; the printer stops at the last ink.
constexpr int kSheetRows = 16000;

bool inked(const uchar* row, int x) {
    return row[x] < 128;
}

bool blankRow(const QImage& sheet, int y) {
    static const std::vector<uchar> white(4096, 255);
    const uchar* row = sheet.constScanLine(y);
    const auto width = static_cast<size_t>(sheet.width());
    // Untouched paper is pure white, and most of the sheet is untouched: compare it fast.
    if (width <= white.size() && std::memcmp(row, white.data(), width) == 0) {
        return true;
    }
    return std::all_of(row, row + width, [](uchar g) { return g >= 128; });
}

QByteArray bytes(std::initializer_list<char> list) {
    return QByteArray(list.begin(), static_cast<qsizetype>(list.size()));
}

void appendWord(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

}  // namespace

int EscPosRaster::paperDots(int paperWidthMm) {
    return paperWidthMm >= 80 ? 576 : 384;
}

QImage EscPosRaster::blankSheet(int dots) {
    QImage sheet(dots, kSheetRows, QImage::Format_Grayscale8);
    sheet.fill(Qt::white);
    const int dotsPerMetre = qRound(kDotsPerInch / 0.0254);
    sheet.setDotsPerMeterX(dotsPerMetre);
    sheet.setDotsPerMeterY(dotsPerMetre);
    return sheet;
}

int EscPosRaster::inkedRows(const QImage& sheet) {
    for (int y = sheet.height() - 1; y >= 0; --y) {
        if (!blankRow(sheet, y)) {
            return y + 1;
        }
    }
    return 0;
}

QByteArray EscPosRaster::initialise() {
    return bytes({kEsc, '@'});
}

QByteArray EscPosRaster::raster(const QImage& drawn) {
    const QImage sheet = drawn.format() == QImage::Format_Grayscale8
                             ? drawn
                             : drawn.convertToFormat(QImage::Format_Grayscale8);
    const int rows = inkedRows(sheet);
    // Each row's ink reaches this many dots from the left; 0 for a blank row.
    std::vector<int> reach(static_cast<size_t>(rows), 0);
    for (int y = 0; y < rows; ++y) {
        const uchar* row = sheet.constScanLine(y);
        for (int x = sheet.width() - 1; x >= 0; --x) {
            if (inked(row, x)) {
                reach[static_cast<size_t>(y)] = x + 1;
                break;
            }
        }
    }
    const auto blank = [&reach](int y) { return reach[static_cast<size_t>(y)] == 0; };
    QByteArray out;
    int y = 0;
    while (y < rows) {
        int blankRows = 0;
        while (y + blankRows < rows && blank(y + blankRows)) {
            ++blankRows;
        }
        if (blankRows >= kMinFeedRows) {
            for (int left = blankRows; left > 0; left -= 255) {
                out.append(kEsc).append('J').append(static_cast<char>(std::min(left, 255)));
            }
            y += blankRows;
            continue;
        }
        // A band runs to its row limit or to the next blank run worth feeding.
        int end = y;
        int blankRun = 0;
        int inkWidth = 0;
        while (end < rows && end - y < kBandRows) {
            blankRun = blank(end) ? blankRun + 1 : 0;
            inkWidth = std::max(inkWidth, reach[static_cast<size_t>(end)]);
            ++end;
            if (blankRun >= kMinFeedRows) {
                end -= blankRun;
                break;
            }
        }
        // Only as wide as its own ink: most bands hold a line of text that stops short.
        const int rowBytes = (inkWidth + 7) / 8;
        out.append(kGs).append('v').append('0').append('\0');
        appendWord(out, rowBytes);
        appendWord(out, end - y);
        for (int r = y; r < end; ++r) {
            const uchar* row = sheet.constScanLine(r);
            for (int b = 0; b < rowBytes; ++b) {
                uchar bits = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    const int x = b * 8 + bit;
                    if (x < inkWidth && inked(row, x)) {
                        bits |= static_cast<uchar>(0x80 >> bit);
                    }
                }
                out.append(static_cast<char>(bits));
            }
        }
        y = end;
    }
    return out;
}

QByteArray EscPosRaster::feedAndCut() {
    return bytes({kGs, 'V', 'B', '\0'});
}

QByteArray EscPosRaster::drawerPulse() {
    // Pin 2, 50 ms on, 500 ms off: what drawers wired to these printers expect.
    return bytes({kEsc, 'p', '\0', 25, static_cast<char>(250)});
}

}  // namespace tillora
