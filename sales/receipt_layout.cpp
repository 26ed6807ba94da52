#include "sales/receipt_layout.h"

#include <algorithm>
#include <cmath>

#include "data/settings_record.h"
#include "forms/picture_decoder.h"
#include "print/drawing_surface.h"
#include "print/print_text.h"

namespace tillora {

namespace {

// Every drawing call of the receipt goes through here so that the print offset reaches every x.
class OffsetWriter {
  public:
    OffsetWriter(DrawingSurface& surface, int offset) : s_(surface), dx_(offset) {}

    void text(int x, int y, const QStringList& texts) { s_.WriteAt(x + dx_, y, texts); }
    void text(int x, int y, const QString& text) { s_.WriteAt(x + dx_, y, QStringList{text}); }
    void line(int x1, int y, int x2) { s_.DrawLine(x1 + dx_, y, x2 + dx_, y); }
    // Writes the lines one under another from (x, y) with the surface's own line flow; returns
    // the y reached.
    int flow(int x, int y, const QStringList& lines) {
        s_.SetWritePosition(x + dx_, y);
        s_.WriteLines(lines);
        return s_.writePosition().y();
    }
    void picture(const QByteArray& bytes, int x, int y, int width, int height) {
        s_.DrawPicture(bytes, x + dx_, y, width, height);
    }

  private:
    DrawingSurface& s_;
    int dx_;
};

// Letters, digits and the marks inside numbers and codes: a run of them is kept on one line.
bool isWordChar(QChar c) {
    return c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u':');
}

}  // namespace

int ReceiptPrintSettings::tenthsOfMillimetre(const QString& millimetres) {
    bool ok = false;
    const double mm = millimetres.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(mm) || std::abs(mm) > 1000) {
        return 0;
    }
    return static_cast<int>(std::lround(mm * 10));
}

ReceiptPrintSettings ReceiptPrintSettings::from(const SettingsRecord& settings) {
    ReceiptPrintSettings s;
    s.shopName = settings.shopName;
    // Only an explicit "假" drops the column: a missing setting keeps the fuller receipt.
    s.printUnitPrice = settings.printUnitPrice != QStringLiteral("假");
    s.paperMargin = tenthsOfMillimetre(settings.paperMargin);
    s.printOffset = tenthsOfMillimetre(settings.printOffset);
    s.printLogo = SettingsRecord::isYes(settings.printLogo);
    return s;
}

QStringList ReceiptLayout::headLabels() {
    return {QStringLiteral("单号："), QStringLiteral("时间：")};
}

QString ReceiptLayout::reprintMark() {
    return QStringLiteral("重印");
}

QStringList ReceiptLayout::columnLabels() {
    return {QStringLiteral("名称"), QStringLiteral("数量"), QStringLiteral("单价"),
            QStringLiteral("金额")};
}

QStringList ReceiptLayout::totalLabels(Labels labels) {
    const QStringList names{QStringLiteral("合计数量"), QStringLiteral("总额"),
                            QStringLiteral("折后总额"), QStringLiteral("实收现金"),
                            QStringLiteral("找零"),     QStringLiteral("收银员"),
                            QStringLiteral("付款方式"), QStringLiteral("提示")};
    const QString colon = labels == Labels::Paper ? QStringLiteral(":") : QStringLiteral("：");
    QStringList out;
    for (const QString& name : names) {
        out.append(name + colon);
    }
    return out;
}

QString ReceiptLayout::cut(DrawingSurface& surface, const QString& text, int width) {
    if (surface.textWidth(text) <= width) {
        return text;
    }
    // Whole characters only: a surrogate pair is never split.
    qsizetype kept = 0;
    while (kept < text.size()) {
        const qsizetype next = kept + (text.at(kept).isHighSurrogate() ? 2 : 1);
        if (surface.textWidth(text.left(next)) > width) {
            break;
        }
        kept = next;
    }
    return text.left(kept);
}

QStringList ReceiptLayout::wrap(DrawingSurface& surface, const QString& text, int width) {
    QStringList lines;
    QString rest = text;
    while (!rest.isEmpty()) {
        QString line = cut(surface, rest, width);
        if (line.isEmpty()) {
            // Not even one character fits: it takes a line of its own rather than being lost.
            line = rest.left(rest.at(0).isHighSurrogate() && rest.size() > 1 ? 2 : 1);
        } else if (line.size() < rest.size() && isWordChar(line.back()) &&
                   isWordChar(rest.at(line.size()))) {
            // A number or a Latin word is not split where the line can break before it.
            qsizetype start = line.size();
            while (start > 0 && isWordChar(line.at(start - 1))) {
                --start;
            }
            if (start > 0) {
                line.truncate(start);
            }
        }
        lines.append(line);
        rest = rest.mid(line.size());
    }
    if (lines.isEmpty()) {
        lines.append(QString());
    }
    return lines;
}

ReceiptLayoutResult ReceiptLayout::draw(DrawingSurface& surface, const Receipt& receipt,
                                        const ReceiptPrintSettings& settings, Labels labels,
                                        const ReceiptLogoSource& logo) {
    ReceiptLayoutResult result;
    surface.setUnit(1);
    OffsetWriter w(surface, settings.printOffset);
    const int width = std::max(kMinWidth, kWidth - settings.paperMargin);
    const int textEdge = std::max(kMinWidth, kTextWidth - settings.paperMargin);
    const QStringList totals = totalLabels(labels);

    // 1: the shop name, centred; a name too long for one line takes two, starting higher.
    if (!settings.shopName.isEmpty()) {
        QStringList lines = wrap(surface, settings.shopName, width);
        if (lines.size() > 2) {
            lines = lines.mid(0, 2);
        }
        const int pitch = surface.characterHeight() + 4;
        int y = std::max(0, kShopNameY - (static_cast<int>(lines.size()) - 1) * pitch);
        for (const QString& line : lines) {
            w.text(std::max(0, (width - surface.textWidth(line)) / 2), y, line);
            y += pitch;
        }
    }

    // 2, 3: receipt number and time.
    const QStringList head = headLabels();
    w.text(0, kNumberY, head.at(0));
    w.text(kValueX, kNumberY, receipt.number);
    if (receipt.reprint) {
        const QString mark = reprintMark();
        w.text(std::max(0, width - surface.textWidth(mark)), kNumberY, mark);
    }
    w.text(0, kTimeY, head.at(1));
    w.text(kValueX, kTimeY, receipt.timeText);

    // 4, 5: separator and column header.
    w.line(0, kSeparatorY, width);
    const QStringList columns = columnLabels();
    w.text(kNameX, kHeaderY, columns.at(0));
    w.text(kQuantityX, kHeaderY, columns.at(1));
    if (settings.printUnitPrice) {
        w.text(kPriceX, kHeaderY, columns.at(2));
    }
    w.text(kAmountX, kHeaderY, columns.at(3));

    // 6: one row per line; the name wraps inside its column.
    int y = kFirstRowY;
    for (const ReceiptLine& line : receipt.lines) {
        const QStringList nameLines = wrap(surface, line.name, kQuantityX - kColumnGap - kNameX);
        for (qsizetype i = 0; i < nameLines.size(); ++i) {
            w.text(kNameX, y + static_cast<int>(i) * kRowPitch, nameLines.at(i));
        }
        w.text(kQuantityX, y, line.quantity);
        if (settings.printUnitPrice) {
            w.text(kPriceX, y, line.unitPrice);
        }
        w.text(kAmountX, y, line.lineTotal);
        y += static_cast<int>(nameLines.size()) * kRowPitch;
    }
    w.line(0, y, width);

    // 7 to 10: totals, payment, cashier and payment method.
    y += kTotalsBelowSeparator;
    w.text(0, y, QStringList{totals.at(0), receipt.totalQuantity});
    w.text(kSecondLabelX, y, QStringList{totals.at(1), receipt.totalAmount});
    y += kRowPitch;
    w.text(0, y, QStringList{totals.at(2), receipt.discountedTotal});
    y += kRowPitch;
    w.text(0, y, QStringList{totals.at(3), receipt.cashReceived});
    w.text(kSecondLabelX, y, QStringList{totals.at(4), receipt.change});
    y += kRowPitch;
    const int cashierRoom = kSecondLabelX - kColumnGap - surface.textWidth(totals.at(5));
    w.text(0, y, QStringList{totals.at(5), cut(surface, receipt.cashier, cashierRoom)});
    const int methodRoom = textEdge - kSecondLabelX - surface.textWidth(totals.at(6));
    w.text(kSecondLabelX, y,
           QStringList{totals.at(6), cut(surface, receipt.paymentMethod, methodRoom)});
    y += kClosingSeparatorBelow;
    w.line(0, y, width);

    // 11: the remark after its label, one line per line break and per receipt width.
    y += kRemarkBelowSeparator;
    const QString& remarkLabel = totals.at(7);
    w.text(0, y, remarkLabel);
    const int remarkX = surface.textWidth(remarkLabel);
    QStringList remarkLines;
    for (const QString& piece : PrintText::splitLines(receipt.remark)) {
        remarkLines.append(wrap(surface, piece, std::max(1, textEdge - remarkX)));
    }
    y = std::max(y + kRowPitch, w.flow(remarkX, y, remarkLines));

    // 12: the logo, read only when it is to be printed.
    if (settings.printLogo) {
        const std::optional<ReceiptLogo> source = logo ? logo() : std::nullopt;
        const std::optional<QImage> image =
            source ? PictureDecoder::decode(source->picture) : std::nullopt;
        if (!image || image->width() <= 0) {
            result.logoFailed = true;
        } else {
            y += kLogoBelowRemark;
            const int height = static_cast<int>(
                std::lround(static_cast<double>(kLogoWidth) * image->height() / image->width()));
            const int x = (width - kLogoWidth) / 2 + std::clamp(source->offset, -1000, 1000) * 10;
            w.picture(source->picture, x, y, kLogoWidth, height);
            y += height;
        }
    }
    result.bottom = y;
    return result;
}

}  // namespace tillora
