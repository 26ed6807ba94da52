#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "data/settings_record.h"
#include "sales/receipt.h"

namespace tillora {

class DrawingSurface;

// The print settings that shape a receipt, taken from the settings record.
struct ReceiptPrintSettings {
    QString shopName;
    bool printUnitPrice = true;
    int paperMargin = 0;  // 0.1 mm; positive narrows the receipt
    int printOffset = 0;  // 0.1 mm; added to every x
    bool printLogo = false;
    // The printable width of the roll, 0.1 mm: 480 on 58 mm paper, 720 on 80 mm paper (set by
    // the printer of the job; the settings record doesn't know the paper).
    int paperWidth = 480;

    static ReceiptPrintSettings from(const SettingsRecord& settings);
    // Millimetres as the settings window stores them ("2", "-1.5") to 0.1 mm; anything the window
    // would refuse (no plain number, beyond `limit`) counts as 0 so that a bad stored setting
    // never moves the receipt off the paper.
    static int tenthsOfMillimetre(const QString& millimetres,
                                  double limit = SettingsRecord::kMaxPaperMargin);
};

// The logo as its source gives it: the picture file's bytes and its horizontal offset (mm).
struct ReceiptLogo {
    QByteArray picture;
    int offset = 0;
};

// Reads the logo; nullopt when it can't be read. Called only when the logo is to be printed.
using ReceiptLogoSource = std::function<std::optional<ReceiptLogo>()>;

// What drawing a receipt came to.
struct ReceiptLayoutResult {
    bool logoFailed = false;  // the logo was wanted but could not be read or decoded
    int bottom = 0;           // y below the last element
};

// Draws a receipt onto a drawing surface in 0.1 mm (the surface's unit is set to it). The same
// function serves the paper and the preview; only the labels of the totals differ.
//
// Geometry (x before the print offset; y from the top of the printable area), as drawn when
// every text fits its place:
//   shop name        y 30, centred over the receipt width (higher when it takes two lines)
//   单号 / 时间      label x 0, value x 100; y 80 and 120
//   重印             a reprinted stored sale: right-aligned to the receipt width on the 单号 row
//   separator        y 155, x 0 to the receipt width
//   column header    名称 0, 数量 165, 单价 255, 金额 370; y 180
//   item rows        from y 220, 40 per text line: name, quantity, unit price, line total
//                    (金额, as stored with the sale)
//   separator        where the next item row would start (clear of the last row's descenders)
//   totals rows      25 below it, then 40 apart: labels x 0 and 250, each value straight
//                    after its label
//   separator        40 below the last totals row
//   remark           25 below it, "提示" label at x 0, the text after it, its line breaks
//                    and any line wider than the receipt starting new lines
//   logo             20 below the remark, 340 wide (height to scale), centred over the
//                    receipt width and moved by the logo offset in millimetres
// Nothing is cut and no two texts overlap. Every text is measured on the surface itself (so each
// device lays out by what it really draws) and placed by one rule: a text that may break (a name,
// the time, the cashier, the payment method, the remark) wraps inside its column, or below when
// its column has no room left; a text that must stay whole (a number with its label) moves right
// of whatever reaches into its place, pulls left from the text edge, or moves down a line. A row
// that takes more lines moves everything after it down.
// The separators end at x 440; text runs on to the text edge at 480, the printable width of 58 mm
// paper. Wider paper (80 mm: 720) takes every x above, the separators' end and the text edge in
// proportion, text and logo at their size; there the amounts end at the text edge as one
// column. The paper margin moves both right ends (separators and centring, text edge) inward
// when positive and outward when negative; a positive margin narrows the columns in
// proportion, so that the four columns still share one line.
class ReceiptLayout {
  public:
    enum class Labels { Paper, Preview };

    static constexpr int kWidth = 440;
    static constexpr int kTextWidth = 480;
    static constexpr int kMinWidth = 200;
    static constexpr int kShopNameY = 30;
    static constexpr int kValueX = 100;
    static constexpr int kNumberY = 80;
    static constexpr int kTimeY = 120;
    static constexpr int kSeparatorY = 155;
    static constexpr int kHeaderY = 180;
    static constexpr int kFirstRowY = 220;
    static constexpr int kRowPitch = 40;
    static constexpr int kNameX = 0;
    static constexpr int kQuantityX = 165;
    static constexpr int kPriceX = 255;
    static constexpr int kAmountX = 370;
    static constexpr int kColumnGap = 5;
    static constexpr int kSecondLabelX = 250;
    static constexpr int kTotalsBelowSeparator = 25;
    static constexpr int kClosingSeparatorBelow = 40;
    static constexpr int kRemarkBelowSeparator = 25;
    static constexpr int kLogoBelowRemark = 20;
    static constexpr int kLogoWidth = 340;
    // A text that may break wraps in its column only where it has at least this much room (or
    // room for all of it); otherwise it moves to a line where it has.
    static constexpr int kMinWrapRoom = 120;

    // Draws elements 1 to 12 in order. The logo source is not called unless the logo is printed.
    static ReceiptLayoutResult draw(DrawingSurface& surface, const Receipt& receipt,
                                    const ReceiptPrintSettings& settings, Labels labels,
                                    const ReceiptLogoSource& logo = {});

    // The labels of rows 2, 3 and 5 (the same everywhere) and of rows 7 to 11 (ASCII colons on
    // paper, full-width ones in the preview), in the order they are drawn.
    static QStringList headLabels();
    static QStringList columnLabels();
    static QString reprintMark();
    static QStringList totalLabels(Labels labels);

    // Cuts `text` into lines no wider than `width` on the surface (at least one character a line;
    // a number or a Latin word is split only when it alone is wider than the line).
    static QStringList wrap(DrawingSurface& surface, const QString& text, int width);
    // The longest start of `text` no wider than `width`.
    static QString cut(DrawingSurface& surface, const QString& text, int width);
    // The x of a column (名称, 数量, 单价, 金额 or the totals' second label) for a text edge on
    // paper `paperWidth` wide: in proportion to the text edge, or to the paper's width when the
    // edge lies beyond it (a negative margin).
    static int columnX(int x, int textEdge, int paperWidth = kTextWidth);
    // The separators' right end and the text edge for a paper and a paper margin.
    static int lineEnd(int paperWidth, int paperMargin);
    static int textEdge(int paperWidth, int paperMargin);
};

}  // namespace tillora
