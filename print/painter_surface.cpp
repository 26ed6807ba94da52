#include "print/painter_surface.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <array>

namespace tillora {

namespace {

// Raster operation codes 1..16 (DrawMode + 1) as composition modes; nullopt = draw nothing.
std::optional<QPainter::CompositionMode> rasterMode(int drawMode) {
    using M = QPainter::CompositionMode;
    static constexpr std::array<M, 16> modes{
        M::RasterOp_ClearDestination,            // black
        M::RasterOp_NotSourceAndNotDestination,  // not merge pen
        M::RasterOp_NotSourceAndDestination,     // mask not pen
        M::RasterOp_NotSource,                   // not copy pen
        M::RasterOp_SourceAndNotDestination,     // mask pen not
        M::RasterOp_NotDestination,              // not
        M::RasterOp_SourceXorDestination,        // xor pen
        M::RasterOp_NotSourceOrNotDestination,   // not mask pen
        M::RasterOp_SourceAndDestination,        // mask pen
        M::RasterOp_NotSourceXorDestination,     // not xor pen
        M::CompositionMode_DestinationOver,      // no-op (never used, see below)
        M::RasterOp_NotSourceOrDestination,      // merge not pen
        M::CompositionMode_SourceOver,           // copy pen
        M::RasterOp_SourceOrNotDestination,      // merge pen not
        M::RasterOp_SourceOrDestination,         // merge pen
        M::RasterOp_SetDestination,              // white
    };
    if (drawMode == 10) {
        return std::nullopt;
    }
    return modes[static_cast<size_t>(std::clamp(drawMode, 0, 15))];
}

Qt::BrushStyle brushStyle(int type) {
    switch (type) {
        case 0:
            return Qt::NoBrush;
        case 1:
            return Qt::SolidPattern;
        case 2:
            return Qt::BDiagPattern;
        case 3:
            return Qt::CrossPattern;
        case 4:
            return Qt::DiagCrossPattern;
        case 5:
            return Qt::FDiagPattern;
        case 6:
            return Qt::HorPattern;
        case 7:
            return Qt::VerPattern;
        default:
            // The fixed 8 x 8 patterns: the program never draws shapes with them, so the
            // seven dense patterns stand in for all 48.
            return static_cast<Qt::BrushStyle>(Qt::Dense1Pattern + (type - 8) % 7);
    }
}

}  // namespace

QColor PainterSurface::toColour(quint32 colour, const QColor& fallback) {
    if (colour == kDefaultDrawingColour) {
        return fallback;
    }
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

QPoint PainterSurface::toDevice(QPoint logical) const {
    const UnitMapping m = mapping();
    return {m.toDeviceX(logical.x()), m.toDeviceY(logical.y())};
}

void PainterSurface::rebuildObjects() {
    const DrawingProperties& p = drawingProperties();
    const UnitMapping m = mapping();
    pen_ = QPen(toColour(p.penColour));
    // Width 0 is one device pixel whatever the scale.
    pen_.setWidth(p.penWidth == 0 ? 0 : std::max(1, m.toDeviceX(p.penWidth)));
    pen_.setCapStyle(Qt::FlatCap);
    switch (p.penType) {
        case 0:
            pen_.setDashPattern({1.0, 1.0});  // every other pixel
            break;
        case 2:
            pen_.setStyle(Qt::DashLine);
            break;
        case 3:
            pen_.setStyle(Qt::DotLine);
            break;
        case 4:
            pen_.setStyle(Qt::DashDotLine);
            break;
        case 5:
            pen_.setStyle(Qt::DashDotDotLine);
            break;
        default:
            pen_.setStyle(Qt::SolidLine);
            break;
    }
    brush_ = QBrush(toColour(p.brushColour, Qt::white), brushStyle(p.brushType));
    font_ = deviceFont();
    builtForDpiY_ = deviceDpiY();
    objectsValid_ = true;
}

bool PainterSurface::beginOperation() {
    painter_ = acquirePainter();
    if (painter_ == nullptr) {
        return false;
    }
    if (!objectsValid_ || builtForDpiY_ != deviceDpiY()) {
        rebuildObjects();
    }
    painter_->save();
    painter_->setPen(pen_);
    painter_->setBrush(brush_);
    painter_->setFont(font_);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform);
    return true;
}

void PainterSurface::endOperation() {
    if (painter_ != nullptr) {
        painter_->restore();
        painter_ = nullptr;
    }
    releasePainter();
}

QSizeF PainterSurface::textExtent(const QString& text) {
    if (!objectsValid_ || builtForDpiY_ != deviceDpiY()) {
        rebuildObjects();
    }
    const QFontMetricsF fm(font_, painter_ != nullptr ? painter_->device() : nullptr);
    return {fm.horizontalAdvance(text), fm.height()};
}

void PainterSurface::paintText(QPoint topLeft, const QString& text) {
    const DrawingProperties& p = drawingProperties();
    const QPoint at = toDevice(topLeft);
    const QFontMetricsF fm(font_, painter_->device());
    if (p.textBackColour != kDefaultDrawingColour) {
        painter_->fillRect(QRectF(at, QSizeF(fm.horizontalAdvance(text), fm.height())),
                           toColour(p.textBackColour));
    }
    painter_->setPen(toColour(p.textColour));
    painter_->drawText(QPointF(at.x(), at.y() + fm.ascent()), text);
    painter_->setPen(pen_);
}

void PainterSurface::paintLine(QPoint from, QPoint to) {
    const auto mode = rasterMode(drawingProperties().drawMode);
    if (!mode) {
        return;
    }
    const bool rasterOps = painter_->paintEngine() != nullptr &&
                           painter_->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    if (rasterOps || *mode == QPainter::CompositionMode_SourceOver) {
        painter_->setCompositionMode(*mode);
    }
    painter_->drawLine(toDevice(from), toDevice(to));
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void PainterSurface::paintPicture(const QImage& image, const QRect& target, int copyMode) {
    const QPoint topLeft = toDevice(target.topLeft());
    const QPoint end = toDevice({target.x() + target.width(), target.y() + target.height()});
    QImage source = image;
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (copyMode) {
        case 2:
            source = image.convertToFormat(QImage::Format_RGB32);
            source.invertPixels();
            break;
        case 3:
            mode = QPainter::RasterOp_SourceXorDestination;
            break;
        case 4:
            mode = QPainter::RasterOp_SourceOrDestination;
            break;
        case 5:
            mode = QPainter::RasterOp_SourceAndDestination;
            break;
        default:
            break;
    }
    const bool rasterOps = painter_->paintEngine() != nullptr &&
                           painter_->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    painter_->setCompositionMode(rasterOps ? mode : QPainter::CompositionMode_SourceOver);
    painter_->drawImage(QRect(topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y())),
                        source);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

}  // namespace tillora
