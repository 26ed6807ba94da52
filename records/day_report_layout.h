#pragma once

#include <QDateTime>
#include <QString>

#include "records/day_report.h"
#include "sales/receipt_layout.h"

namespace tillora {

class DrawingSurface;
class Printer;

// The day report on receipt paper: the receipt's width, margin and offset, the same drawing for
// the printer and the preview panel. In 0.1 mm, one text line every 40:
//   日结报表 (centred), 日期, 收银员, 首单, 末单, separator;
//   per cashier and payment method: the two names, then 笔数 / 件数, 金额 / 折扣,
//   退货 (pieces and amount) and 应收现金, then 合计 the same way; separator;
//   时段 / 笔数 / 金额, one line per hour with sales; separator; 打印时间.
class DayReportLayout {
  public:
    static constexpr int kTitleY = 30;
    static constexpr int kFirstLineY = 80;
    static constexpr int kPitch = 40;
    static constexpr int kSecondColumnX = 250;
    static constexpr int kHourCountX = 200;
    static constexpr int kHourAmountX = 300;

    // Draws the report; the y below the last line.
    static int draw(DrawingSurface& surface, const DayReport& report,
                    const ReceiptPrintSettings& settings, const QDateTime& printedAt);
    // One job on the receipt printer, as a receipt prints; true when it was printed.
    static bool print(Printer& printer, const DayReport& report,
                      const ReceiptPrintSettings& settings);

    static QString title() { return QStringLiteral("日结报表"); }
};

}  // namespace tillora
