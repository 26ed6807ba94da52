#include "print/recording_surface.h"

#include <QFontMetricsF>
#include <QImage>
#include <cmath>

namespace tillora {

namespace {

bool isWide(char32_t c) {
    return (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
}

}  // namespace

RecordingSurface::RecordingSurface(Metrics metrics, double dpi)
    : metrics_(metrics), dpi_(dpi > 0 ? dpi : 96.0) {}

QStringList RecordingSurface::texts() const {
    QStringList out;
    for (const RecordedOperation& op : ops_) {
        if (op.kind == RecordedOperation::Kind::Text) {
            out.append(op.text);
        }
    }
    return out;
}

QSizeF RecordingSurface::textExtent(const QString& text) {
    const int size = devicePixelSize();
    if (metrics_ == Metrics::Font) {
        QImage device(1, 1, QImage::Format_RGB32);
        const int dotsPerMeter = static_cast<int>(std::lround(dpi_ / 0.0254));
        device.setDotsPerMeterX(dotsPerMeter);
        device.setDotsPerMeterY(dotsPerMeter);
        const QFontMetricsF fm(deviceFont(), &device);
        return {fm.horizontalAdvance(text), fm.height()};
    }
    double width = 0;
    for (const char32_t c : text.toUcs4()) {
        width += isWide(c) ? size : size / 2.0;
    }
    return {width, static_cast<double>(size)};
}

RecordedOperation& RecordingSurface::record(RecordedOperation::Kind kind, QPoint at) {
    RecordedOperation op;
    op.kind = kind;
    op.at = at;
    op.page = page_;
    ops_.append(op);
    return ops_.last();
}

void RecordingSurface::paintText(QPoint topLeft, const QString& text) {
    record(RecordedOperation::Kind::Text, topLeft).text = text;
}

void RecordingSurface::paintLine(QPoint from, QPoint to) {
    record(RecordedOperation::Kind::Line, from).to = to;
}

void RecordingSurface::paintPicture(const QImage&, const QRect& target, int copyMode) {
    RecordedOperation& op = record(RecordedOperation::Kind::Picture, target.topLeft());
    op.size = target.size();
    op.copyMode = copyMode;
}

std::optional<int> RecordingSurface::pageBreakHeight() {
    if (!pageHeight_) {
        return std::nullopt;
    }
    return *pageHeight_ - topMargin() - bottomMargin();
}

bool RecordingSurface::startNextPage() {
    ++page_;
    return true;
}

}  // namespace tillora
