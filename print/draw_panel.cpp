#include "print/draw_panel.h"

#include <QHideEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <algorithm>

#include "forms/picture_decoder.h"

namespace tillora {

DrawPanel::DrawPanel(QWidget* parent) : QFrame(parent) {
    applyBlock(DrawPanelBlock());
    resetCanvas();
}

DrawPanel::~DrawPanel() {
    if (painter_.isActive()) {
        painter_.end();
    }
}

DrawPanelBlock DrawPanel::block() const {
    DrawPanelBlock b;
    b.border = border_;
    b.backColour = backColour_;
    b.pictureMode = pictureMode_;
    b.autoRedraw = autoRedraw_;
    b.drawing = drawingProperties();
    b.backPicture = backPicture_;
    return b;
}

void DrawPanel::applyBlock(const DrawPanelBlock& b) {
    setBorder(b.border);
    setPictureMode(b.pictureMode);
    setAutoRedraw(b.autoRedraw);
    setDrawingProperties(b.drawing);
    backColour_ = b.backColour;
    backPicture_ = b.backPicture;
    backImage_ = PictureDecoder::decode(backPicture_).value_or(QImage());
    resetCanvas();
}

bool DrawPanel::loadBlock(const QByteArray& data) {
    const std::optional<DrawPanelBlock> b = DrawPanelBlock::parse(data);
    if (!b) {
        return false;
    }
    applyBlock(*b);
    return true;
}

void DrawPanel::setBorder(int border) {
    border_ = std::clamp(border, 0, 5);
    switch (border_) {
        case 1:
            setFrameStyle(QFrame::Panel | QFrame::Sunken);
            setLineWidth(2);
            break;
        case 2:
            setFrameStyle(QFrame::Panel | QFrame::Raised);
            setLineWidth(2);
            break;
        case 3:
            setFrameStyle(QFrame::Panel | QFrame::Sunken);
            setLineWidth(1);
            break;
        case 4:
            setFrameStyle(QFrame::Panel | QFrame::Sunken);
            setLineWidth(3);
            break;
        case 5:
            setFrameStyle(QFrame::Box | QFrame::Plain);
            setLineWidth(1);
            break;
        default:
            setFrameStyle(QFrame::NoFrame);
            break;
    }
    resetCanvas();
}

void DrawPanel::setBackColour(quint32 colour) {
    backColour_ = colour;
    Clear();
}

void DrawPanel::setBackPicture(const QByteArray& picture) {
    backPicture_ = picture;
    backImage_ = PictureDecoder::decode(picture).value_or(QImage());
    Clear();
}

void DrawPanel::setPictureMode(int mode) {
    pictureMode_ = std::clamp(mode, 0, 2);
}

int DrawPanel::drawWidth() const {
    return mapping().toLogicalX(contentsRect().width());
}
int DrawPanel::drawHeight() const {
    return mapping().toLogicalY(contentsRect().height());
}

double DrawPanel::deviceDpiX() const {
    return logicalDpiX();
}
double DrawPanel::deviceDpiY() const {
    return logicalDpiY();
}

QVariant DrawPanel::propertyByNumber(int number) const {
    if (number >= UnitProperty && number <= FontProperty) {
        return drawingProperty(number - UnitProperty);
    }
    switch (number) {
        case BorderProperty:
            return border_;
        case BackColourProperty:
            return static_cast<int>(backColour_);
        case BackPictureProperty:
            return backPicture_;
        case PictureModeProperty:
            return pictureMode_;
        case AutoRedrawProperty:
            return autoRedraw_;
        case DrawWidthProperty:
            return drawWidth();
        case DrawHeightProperty:
            return drawHeight();
        default:
            return {};
    }
}

bool DrawPanel::setPropertyByNumber(int number, const QVariant& value) {
    if (number >= UnitProperty && number <= FontProperty) {
        return setDrawingProperty(number - UnitProperty, value);
    }
    const int i = value.toInt();
    const auto colour = static_cast<quint32>(value.toLongLong());
    switch (number) {
        case BorderProperty:
            setBorder(i);
            return true;
        case BackColourProperty:
            setBackColour(colour);
            return true;
        case BackPictureProperty:
            setBackPicture(value.toByteArray());
            return true;
        case PictureModeProperty:
            setPictureMode(i);
            Clear();
            return true;
        case AutoRedrawProperty:
            setAutoRedraw(i);
            return true;
        default:
            return false;
    }
}

void DrawPanel::fillBackground(QPainter& painter, const QRect& area) {
    painter.save();
    painter.setClipRect(area);
    painter.fillRect(area, toColour(backColour_, palette().color(QPalette::Window)));
    if (!backImage_.isNull()) {
        const QRect whole(QPoint(0, 0), canvas_.size());
        switch (pictureMode_) {
            case 0:
                painter.drawImage(QPoint(0, 0), backImage_);
                break;
            case 2:
                painter.drawTiledPixmap(whole, QPixmap::fromImage(backImage_));
                break;
            default:
                painter.drawImage(whole, backImage_);
                break;
        }
    }
    painter.restore();
}

void DrawPanel::resetCanvas() {
    const QSize size = contentsRect().size().expandedTo(QSize(1, 1));
    QImage fresh(size, QImage::Format_RGB32);
    const int dotsPerMeter = static_cast<int>(logicalDpiY() / 0.0254 + 0.5);
    fresh.setDotsPerMeterX(dotsPerMeter);
    fresh.setDotsPerMeterY(dotsPerMeter);
    const QImage old = canvas_;
    canvas_ = fresh;
    QPainter p(&canvas_);
    fillBackground(p, QRect(QPoint(0, 0), size));
    if (!old.isNull()) {
        // Keep what was drawn where it still fits.
        p.drawImage(QPoint(0, 0), old);
    }
}

void DrawPanel::Clear(std::optional<int> x, std::optional<int> y, std::optional<int> width,
                      std::optional<int> height) {
    const QRect area(x.value_or(0), y.value_or(0), width.value_or(canvas_.width()),
                     height.value_or(canvas_.height()));
    {
        QPainter p(&canvas_);
        fillBackground(p, area);
    }
    setWritePositionDevice(area.topLeft());
    update();
}

QPainter* DrawPanel::acquirePainter() {
    if (!painter_.begin(&canvas_)) {
        return nullptr;
    }
    return &painter_;
}

void DrawPanel::releasePainter() {
    if (painter_.isActive()) {
        painter_.end();
    }
    update();
}

void DrawPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    p.drawImage(contentsRect().topLeft(), canvas_);
}

void DrawPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    resetCanvas();
}

void DrawPanel::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    if (autoRedraw_ == 0) {
        QPainter p(&canvas_);
        fillBackground(p, canvas_.rect());
    }
}

}  // namespace tillora
