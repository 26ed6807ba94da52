#include "sales/receipt_layout.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "data/settings_record.h"
#include "forms/picture_decoder.h"
#include "print/drawing_surface.h"
#include "print/print_text.h"
#include "values/plain_number.h"

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

// Places the texts of one receipt row, left to right, on as many lines (kRowPitch apart) as they
// need. Each line remembers the first x still free on it, so that nothing placed later overlaps
// what is there; no text passes the text edge unless it is wider than the whole line.
class RowPlacer {
  public:
    RowPlacer(DrawingSurface& surface, OffsetWriter& writer, int y, int edge)
        : s_(surface), w_(writer), y_(y), edge_(edge) {}

    // A text that stays whole (a label, a number, a label with its number): at x, or right of
    // what reaches into its place, or pulled left from the edge, or on the next line with room.
    // The line the previous text started on is the first tried: nothing moves up. The value
    // follows its label straight away, or stands `valueFrom` after the label's start.
    void whole(int x, const QString& label, const QString& value = {}, int valueFrom = 0) {
        const int labelWidth = std::max(s_.textWidth(label), valueFrom);
        const int width = labelWidth + s_.textWidth(value);
        for (int line = current_;; ++line) {
            const int free = freeAt(line);
            int at = std::max(x, free);
            if (at + width > edge_) {
                at = std::max(free, edge_ - width);
            }
            if (at + width <= edge_ || free == 0) {
                draw(line, std::max(0, at), label, labelWidth, value);
                occupy(line, std::max(0, at) + width);
                current_ = line;
                return;
            }
        }
    }

    // A text that may break, after its label: wrapped between the end of the label and `limit`,
    // its further lines under its first. When its place leaves too little room it starts a line
    // of its own below the row, from the left, up to the text edge. `valueFrom` as for whole().
    void wrapped(int x, int limit, const QString& label, const QString& value, int valueFrom = 0) {
        const int labelWidth = std::max(s_.textWidth(label), valueFrom);
        const int valueWidth = s_.textWidth(value);
        for (int line = current_;; ++line) {
            const bool fresh = line >= static_cast<int>(free_.size());
            if (line != current_ && !fresh) {
                continue;
            }
            const int at = line == current_ ? std::max(x, freeAt(line)) : 0;
            const int room = (line == current_ ? limit : edge_) - at - labelWidth;
            if (!fresh && room < std::min(valueWidth, ReceiptLayout::kMinWrapRoom)) {
                continue;
            }
            const QStringList pieces = ReceiptLayout::wrap(s_, value, std::max(1, room));
            if (!fresh && !fitsBelow(line, at + labelWidth, pieces.size())) {
                continue;
            }
            if (!label.isEmpty()) {
                w_.text(at, lineY(line), label);
            }
            occupy(line, at + labelWidth);
            for (qsizetype i = 0; i < pieces.size(); ++i) {
                const int pieceLine = line + static_cast<int>(i);
                if (!pieces.at(i).isEmpty()) {
                    w_.text(at + labelWidth, lineY(pieceLine), pieces.at(i));
                }
                occupy(pieceLine, at + labelWidth + s_.textWidth(pieces.at(i)));
            }
            current_ = line;
            return;
        }
    }

    // Lines taken (at least one).
    int lines() const { return std::max(1, static_cast<int>(free_.size())); }

  private:
    int lineY(int line) const { return y_ + line * ReceiptLayout::kRowPitch; }
    int freeAt(int line) const {
        return line < static_cast<int>(free_.size()) ? free_[static_cast<std::size_t>(line)] : 0;
    }
    // The lines below `line` that a wrapped text would take are free from x on.
    bool fitsBelow(int line, int x, qsizetype count) const {
        for (qsizetype i = 1; i < count; ++i) {
            if (freeAt(line + static_cast<int>(i)) > x) {
                return false;
            }
        }
        return true;
    }
    void occupy(int line, int right) {
        if (line >= static_cast<int>(free_.size())) {
            free_.resize(static_cast<std::size_t>(line) + 1, 0);
        }
        int& free = free_[static_cast<std::size_t>(line)];
        free = std::max(free, right + ReceiptLayout::kColumnGap);
    }
    void draw(int line, int x, const QString& label, int labelWidth, const QString& value) {
        if (!label.isEmpty()) {
            w_.text(x, lineY(line), label);
        }
        if (!value.isEmpty()) {
            w_.text(x + labelWidth, lineY(line), value);
        }
    }

    DrawingSurface& s_;
    OffsetWriter& w_;
    int y_;
    int edge_;
    int current_ = 0;
    std::vector<int> free_;
};

// Letters, digits and the marks inside numbers and codes: a run of them is kept on one line.
bool isWordChar(QChar c) {
    return c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u':');
}

}  // namespace

int ReceiptPrintSettings::tenthsOfMillimetre(const QString& millimetres, double limit) {
    const std::optional<double> mm =
        parsePlainDecimal(millimetres, SettingsRecord::kMillimetreDecimals, -limit, limit);
    return mm ? static_cast<int>(std::lround(*mm * 10)) : 0;
}

ReceiptPrintSettings ReceiptPrintSettings::from(const SettingsRecord& settings) {
    ReceiptPrintSettings s;
    s.shopName = settings.shopName;
    // Only an explicit "假" drops the column: a missing setting keeps the fuller receipt.
    s.printUnitPrice = settings.printUnitPrice != QStringLiteral("假");
    s.paperMargin = tenthsOfMillimetre(settings.paperMargin);
    s.printOffset = tenthsOfMillimetre(settings.printOffset, SettingsRecord::kMaxPrintOffset);
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

int ReceiptLayout::columnX(int x, int textEdge, int paperWidth) {
    const int edge = std::min(textEdge, paperWidth);
    if (edge == kTextWidth) {
        return x;
    }
    return static_cast<int>(std::lround(static_cast<double>(x) * edge / kTextWidth));
}

int ReceiptLayout::lineEnd(int paperWidth, int paperMargin) {
    return std::max(kMinWidth, kWidth * paperWidth / kTextWidth - paperMargin);
}

int ReceiptLayout::textEdge(int paperWidth, int paperMargin) {
    return std::max(kMinWidth, paperWidth - paperMargin);
}

ReceiptLayoutResult ReceiptLayout::draw(DrawingSurface& surface, const Receipt& receipt,
                                        const ReceiptPrintSettings& settings, Labels labels,
                                        const ReceiptLogoSource& logo) {
    ReceiptLayoutResult result;
    surface.setUnit(1);
    OffsetWriter w(surface, settings.printOffset);
    const int paper = std::max(kTextWidth, settings.paperWidth);
    const int width = lineEnd(paper, settings.paperMargin);
    const int textEdge = ReceiptLayout::textEdge(paper, settings.paperMargin);
    const QStringList totals = totalLabels(labels);
    const auto row = [&](int y) { return RowPlacer(surface, w, y, textEdge); };
    const auto column = [&](int x) { return columnX(x, textEdge, paper); };

    // 1: the shop name, centred; a name too long for one line takes more, starting higher, and
    // what follows moves down when even that is not enough.
    int shift = 0;
    if (!settings.shopName.isEmpty()) {
        const QStringList lines = wrap(surface, settings.shopName, width);
        const int pitch = surface.characterHeight() + 4;
        int y = std::max(0, kShopNameY - (static_cast<int>(lines.size()) - 1) * pitch);
        for (const QString& line : lines) {
            w.text(std::max(0, (width - surface.textWidth(line)) / 2), y, line);
            y += pitch;
        }
        shift = std::max(0, y + kColumnGap - kNumberY);
    }

    // 2, 3: receipt number and time.
    const QStringList head = headLabels();
    int y = kNumberY + shift;
    {
        RowPlacer number = row(y);
        number.whole(0, head.at(0), receipt.number, kValueX);
        if (receipt.reprint) {
            // A reprint says so at the right end of the number's row.
            const QString mark = reprintMark();
            number.whole(std::max(0, textEdge - surface.textWidth(mark)), mark);
        }
        y += number.lines() * kRowPitch;
    }
    {
        RowPlacer time = row(y);
        time.wrapped(0, textEdge, head.at(1), receipt.timeText, kValueX);
        y += time.lines() * kRowPitch;
    }

    // 4, 5: separator and column header.
    y -= kRowPitch - (kSeparatorY - kTimeY);
    w.line(0, y, width);
    y += kHeaderY - kSeparatorY;
    const QStringList columns = columnLabels();
    const int quantityX = column(kQuantityX);
    const int priceX = column(kPriceX);
    int amountX = column(kAmountX);
    if (paper > kTextWidth) {
        // The amounts end at the text edge (never beyond the paper), so the receipt reads across
        // the whole roll.
        int widest = surface.textWidth(columns.at(3));
        for (const ReceiptLine& line : receipt.lines) {
            widest = std::max(widest, surface.textWidth(line.lineTotal));
        }
        amountX = std::max(amountX, std::min(textEdge, paper) - widest);
    }
    {
        RowPlacer header = row(y);
        header.whole(kNameX, columns.at(0));
        header.whole(quantityX, columns.at(1));
        if (settings.printUnitPrice) {
            header.whole(priceX, columns.at(2));
        }
        header.whole(amountX, columns.at(3));
        y += header.lines() * kRowPitch;
    }

    // 6: one row per line; the name wraps inside its column.
    for (const ReceiptLine& line : receipt.lines) {
        RowPlacer item = row(y);
        item.wrapped(kNameX, quantityX - kColumnGap, QString(), line.name);
        item.whole(quantityX, line.quantity);
        if (settings.printUnitPrice) {
            item.whole(priceX, line.unitPrice);
        }
        item.whole(amountX, line.lineTotal);
        y += item.lines() * kRowPitch;
    }
    w.line(0, y, width);

    // 7 to 10: totals, payment, cashier and payment method.
    y += kTotalsBelowSeparator;
    const int secondX = column(kSecondLabelX);
    {
        RowPlacer sums = row(y);
        sums.whole(0, totals.at(0), receipt.totalQuantity);
        sums.whole(secondX, totals.at(1), receipt.totalAmount);
        y += sums.lines() * kRowPitch;
    }
    {
        RowPlacer discounted = row(y);
        discounted.whole(0, totals.at(2), receipt.discountedTotal);
        y += discounted.lines() * kRowPitch;
    }
    {
        RowPlacer payment = row(y);
        payment.whole(0, totals.at(3), receipt.cashReceived);
        payment.whole(secondX, totals.at(4), receipt.change);
        y += payment.lines() * kRowPitch;
    }
    {
        RowPlacer people = row(y);
        people.wrapped(0, secondX - kColumnGap, totals.at(5), receipt.cashier);
        people.wrapped(secondX, textEdge, totals.at(6), receipt.paymentMethod);
        y += people.lines() * kRowPitch;
    }
    y += kClosingSeparatorBelow - kRowPitch;
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
