#pragma once

// Reads printer commands back into what a receipt printer would do with them: the dots it
// prints, and when it cuts and pulses the drawer. Knows exactly the commands the program sends;
// anything else is an error, so that a stray byte never passes unnoticed.
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <vector>

#include "print/escpos_raster.h"
#include "print/painter_surface.h"

namespace tillora::test {

struct DecodedJob {
    QImage dots;      // white paper, black dots; as wide as the paper
    QString actions;  // in order: I initialise, R raster band, F feed, C cut, D drawer pulse
    QString error;    // empty when every byte was understood
};

inline DecodedJob decodeEscPos(const QByteArray& data, int paperDots) {
    DecodedJob job;
    std::vector<QByteArray> rows;
    const auto at = [&data](qsizetype i) { return static_cast<uchar>(data.at(i)); };
    qsizetype i = 0;
    const auto need = [&](qsizetype n) {
        if (i + n > data.size()) {
            job.error = QStringLiteral("command cut short at byte %1").arg(i);
            return false;
        }
        return true;
    };
    while (i < data.size() && job.error.isEmpty()) {
        if (!need(2)) {
            break;
        }
        const uchar a = at(i);
        const uchar b = at(i + 1);
        if (a == 0x1B && b == '@') {
            job.actions += u'I';
            i += 2;
        } else if (a == 0x1B && b == 'J' && need(3)) {
            rows.insert(rows.end(), at(i + 2), QByteArray());
            job.actions += u'F';
            i += 3;
        } else if (a == 0x1B && b == 'p' && need(5)) {
            job.actions += u'D';
            i += 5;
        } else if (a == 0x1D && b == 'V' && need(3)) {
            const uchar m = at(i + 2);
            i += (m == 65 || m == 66) ? 4 : 3;
            job.actions += u'C';
        } else if (a == 0x1D && b == 'v' && need(8) && at(i + 2) == '0') {
            const int widthBytes = at(i + 4) | (at(i + 5) << 8);
            const int height = at(i + 6) | (at(i + 7) << 8);
            i += 8;
            if (!need(qsizetype(widthBytes) * height)) {
                break;
            }
            if (widthBytes * 8 > paperDots) {
                job.error = QStringLiteral("band wider than the paper");
                break;
            }
            for (int r = 0; r < height; ++r) {
                rows.push_back(data.mid(i, widthBytes));
                i += widthBytes;
            }
            job.actions += u'R';
        } else {
            job.error = QStringLiteral("unknown command at byte %1").arg(i);
        }
    }
    job.dots = QImage(paperDots, static_cast<int>(rows.size()), QImage::Format_Grayscale8);
    job.dots.fill(Qt::white);
    for (int y = 0; y < job.dots.height(); ++y) {
        const QByteArray& row = rows[static_cast<size_t>(y)];
        uchar* line = job.dots.scanLine(y);
        for (int x = 0; x < row.size() * 8; ++x) {
            if ((static_cast<uchar>(row.at(x / 8)) & (0x80 >> (x % 8))) != 0) {
                line[x] = 0;
            }
        }
    }
    return job;
}

// The picture a receipt printer makes of `sheet`: dots where the grey is under half, down to
// the last ink.
inline QImage printedDots(const QImage& sheet, int rows) {
    QImage dots(sheet.width(), rows, QImage::Format_Grayscale8);
    for (int y = 0; y < rows; ++y) {
        const uchar* in = sheet.constScanLine(y);
        uchar* out = dots.scanLine(y);
        for (int x = 0; x < sheet.width(); ++x) {
            out[x] = in[x] < 128 ? 0 : 255;
        }
    }
    return dots;
}

// Dots that differ between two pictures, counting rows only one of them has.
inline int differingDots(const QImage& a, const QImage& b) {
    int differ = 0;
    const int width = std::max(a.width(), b.width());
    for (int y = 0; y < std::max(a.height(), b.height()); ++y) {
        for (int x = 0; x < width; ++x) {
            const bool inkA = y < a.height() && x < a.width() && a.constScanLine(y)[x] < 128;
            const bool inkB = y < b.height() && x < b.width() && b.constScanLine(y)[x] < 128;
            differ += inkA != inkB ? 1 : 0;
        }
    }
    return differ;
}

inline int inkDots(const QImage& a) {
    return differingDots(a, QImage());
}

// The drawing interface on a sheet of printer dots: what a receipt looks like drawn straight at
// the printer's density, to hold printed jobs against.
class DotSheetSurface final : public PainterSurface {
  public:
    explicit DotSheetSurface(int paperDots) : sheet_(EscPosRaster::blankSheet(paperDots)) {
        painter_.begin(&sheet_);
    }
    ~DotSheetSurface() override {
        if (painter_.isActive()) {
            painter_.end();
        }
    }
    // The dots down to the last ink; drawing ends.
    QImage finish() {
        painter_.end();
        return printedDots(sheet_, EscPosRaster::inkedRows(sheet_));
    }

  protected:
    double deviceDpiX() const override { return EscPosRaster::kDotsPerInch; }
    double deviceDpiY() const override { return EscPosRaster::kDotsPerInch; }
    QPainter* acquirePainter() override { return painter_.isActive() ? &painter_ : nullptr; }

  private:
    QImage sheet_;
    QPainter painter_;
};

}  // namespace tillora::test
