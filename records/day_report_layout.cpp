#include "records/day_report_layout.h"

#include "forms/services/message_service.h"
#include "platform/clock.h"
#include "print/drawing_surface.h"
#include "print/printer.h"
#include "records/sale_listing.h"

#include <QScopeGuard>

#include <algorithm>

namespace tillora {

namespace {

// Writes lines top-down within the receipt's text width, the print offset on every x.
class ReportWriter {
  public:
    ReportWriter(DrawingSurface& surface, const ReceiptPrintSettings& settings)
        : s_(surface),
          dx_(settings.printOffset),
          paper_(std::max(ReceiptLayout::kTextWidth, settings.paperWidth)),
          edge_(ReceiptLayout::textEdge(paper_, settings.paperMargin)),
          lineEnd_(ReceiptLayout::lineEnd(paper_, settings.paperMargin)) {}

    int y() const { return y_; }
    void moveTo(int y) { y_ = y; }
    int column(int x) const { return ReceiptLayout::columnX(x, edge_, paper_); }

    void centred(const QString& text) {
        const int width = s_.textWidth(text);
        s_.WriteAt(std::max(0, (lineEnd_ - width) / 2) + dx_, y_, QStringList{text});
        y_ = DayReportLayout::kFirstLineY;
    }
    // A text that may be long (a name): wrapped to the text width.
    void wrapped(const QString& text) {
        for (const QString& line : ReceiptLayout::wrap(s_, text, edge_)) {
            s_.WriteAt(dx_, y_, QStringList{line});
            y_ += DayReportLayout::kPitch;
        }
    }
    // Two texts on one line, the second at its column; on a line of its own when the first
    // reaches into it.
    void pair(const QString& left, const QString& right, int rightX) {
        s_.WriteAt(dx_, y_, QStringList{left});
        const int x = column(rightX);
        if (!right.isEmpty() && s_.textWidth(left) + ReceiptLayout::kColumnGap > x) {
            y_ += DayReportLayout::kPitch;
        }
        if (!right.isEmpty()) {
            s_.WriteAt(x + dx_, y_, QStringList{right});
        }
        y_ += DayReportLayout::kPitch;
    }
    void columns(const QStringList& texts, std::initializer_list<int> xs) {
        auto x = xs.begin();
        for (const QString& text : texts) {
            s_.WriteAt(column(*x++) + dx_, y_, QStringList{text});
        }
        y_ += DayReportLayout::kPitch;
    }
    void separator() {
        const int at = y_ - 5;
        s_.DrawLine(dx_, at, lineEnd_ + dx_, at);
        y_ += 10;
    }

  private:
    DrawingSurface& s_;
    int dx_;
    int paper_;
    int edge_;
    int lineEnd_;
    int y_ = DayReportLayout::kTitleY;
};

void block(ReportWriter& w, const QString& heading, const DayReportRow& r) {
    w.wrapped(heading);
    w.pair(QStringLiteral("笔数:") + QString::number(r.sales),
           QStringLiteral("件数:") + QString::number(r.items), DayReportLayout::kSecondColumnX);
    w.pair(QStringLiteral("金额:") + centsText(r.amountCents),
           QStringLiteral("折扣:") + centsText(r.discountCents), DayReportLayout::kSecondColumnX);
    w.pair(QStringLiteral("退货:%1件").arg(r.returnedItems), centsText(r.returnedCents),
           DayReportLayout::kSecondColumnX);
    w.pair(QStringLiteral("应收现金:") + centsText(r.cashCents), {}, 0);
}

}  // namespace

int DayReportLayout::draw(DrawingSurface& surface, const DayReport& report,
                          const ReceiptPrintSettings& settings, const QDateTime& printedAt) {
    surface.setUnit(1);
    ReportWriter w(surface, settings);
    w.centred(title());
    w.pair(QStringLiteral("日期：") + report.day.toString(QStringLiteral("yyyy-MM-dd")), {}, 0);
    w.wrapped(QStringLiteral("收银员：") + report.onlyCashier.value_or(DayReport::everyone()));
    w.pair(QStringLiteral("首单：") + report.firstNumber, {}, 0);
    w.pair(QStringLiteral("末单：") + report.lastNumber, {}, 0);
    w.separator();
    for (const DayReportRow& row : report.rows) {
        block(w, row.cashier + QStringLiteral("  ") + row.method, row);
        w.separator();
    }
    block(w, DayReport::totalCaption(), report.total);
    w.separator();
    w.columns(DayReport::hourTitles(), {0, kHourCountX, kHourAmountX});
    for (const QStringList& hour : report.hourCells()) {
        // The hour's start is enough on paper: "08:00".
        w.columns({hour[0].left(5), hour[1], hour[2]}, {0, kHourCountX, kHourAmountX});
    }
    w.separator();
    w.wrapped(QStringLiteral("打印时间：") +
              printedAt.toString(QStringLiteral("yyyy-MM-dd  HH:mm:ss")));
    return w.y();
}

bool DayReportLayout::print(Printer& printer, const DayReport& report,
                            const ReceiptPrintSettings& settings) {
    const QString ownName = printer.documentName();
    const auto restoreName = qScopeGuard([&] { printer.setDocumentName(ownName); });
    if (ownName.isEmpty()) {
        printer.setDocumentName(title() + QLatin1Char(' ') +
                                report.day.toString(QStringLiteral("yyyy-MM-dd")));
    }
    if (!printer.StartPrint(false, true)) {
        return false;
    }
    ReceiptPrintSettings onPaper = settings;
    onPaper.paperWidth = printer.receiptWidth();
    draw(printer, report, onPaper, Clock::now());
    printer.EndPrint();
    if (printer.cancelled() != 0 || Printer::endWaiting()) {
        return false;
    }
    if (!printer.failure().isEmpty()) {
        showMessage(printer.failure(), MessageFlags::IconError);
        return false;
    }
    return true;
}

}  // namespace tillora
