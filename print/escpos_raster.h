#pragma once

#include <QByteArray>
#include <QImage>

namespace tillora {

// Receipt printers that take ESC/POS commands: the receipt goes as a picture of dots (GS v 0
// bands), so every character prints as drawn and no code page is ever involved.
class EscPosRaster {
  public:
    static constexpr int kDotsPerInch = 203;
    // Rows per GS v 0 band: small enough for the input buffer of the cheapest printers.
    static constexpr int kBandRows = 128;

    // Printable dots across the paper: 58 mm paper 384, 80 mm paper 576.
    static int paperDots(int paperWidthMm);
    // A white sheet `dots` wide to draw one receipt on, long enough for any receipt.
    static QImage blankSheet(int dots);
    // The number of rows down to the last ink (a grey under half counts as ink).
    static int inkedRows(const QImage& sheet);

    // ESC @: the printer's own defaults, whatever an earlier job left.
    static QByteArray initialise();
    // The sheet down to its last ink: bands of rows with ink as GS v 0, left-aligned and each
    // only as wide as its ink; runs of blank rows fed (ESC J) instead of sent.
    static QByteArray raster(const QImage& sheet);
    // GS V 66: feed to the cutter and cut, leaving a hinge.
    static QByteArray feedAndCut();
    // ESC p: the pulse that opens a cash drawer on the printer's drawer port.
    static QByteArray drawerPulse();
};

}  // namespace tillora
