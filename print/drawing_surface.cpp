#include "print/drawing_surface.h"

#include <algorithm>
#include <cmath>

#include "forms/component_font.h"
#include "forms/picture_decoder.h"
#include "print/print_text.h"

namespace tillora {

DrawingSurface::~DrawingSurface() = default;

void DrawingSurface::setDrawingProperties(const DrawingProperties& props) {
    props_.unit = UnitMapping::clampUnit(props.unit);
    props_.penType = std::clamp(props.penType, 0, kMaxPenType);
    props_.drawMode = std::clamp(props.drawMode, 0, kMaxDrawMode);
    props_.penWidth = std::clamp(props.penWidth, 0, kMaxPenWidth);
    props_.penColour = props.penColour;
    props_.brushType = std::clamp(props.brushType, 0, kMaxBrushType);
    props_.brushColour = props.brushColour;
    props_.textColour = props.textColour;
    props_.textBackColour = props.textBackColour;
    props_.font = props.font.size() == FontDescription::kRecordSize ? props.font : QByteArray();
    drawingObjectsChanged();
}

void DrawingSurface::setUnit(int unit) {
    props_.unit = UnitMapping::clampUnit(unit);
    drawingObjectsChanged();
}

void DrawingSurface::setPenType(int type) {
    props_.penType = std::clamp(type, 0, kMaxPenType);
    drawingObjectsChanged();
}

void DrawingSurface::setDrawMode(int mode) {
    props_.drawMode = std::clamp(mode, 0, kMaxDrawMode);
}

void DrawingSurface::setPenWidth(int width) {
    props_.penWidth = std::clamp(width, 0, kMaxPenWidth);
    drawingObjectsChanged();
}

void DrawingSurface::setPenColour(quint32 colour) {
    props_.penColour = colour;
    drawingObjectsChanged();
}

void DrawingSurface::setBrushType(int type) {
    props_.brushType = std::clamp(type, 0, kMaxBrushType);
    drawingObjectsChanged();
}

void DrawingSurface::setBrushColour(quint32 colour) {
    props_.brushColour = colour;
    drawingObjectsChanged();
}

void DrawingSurface::setTextColour(quint32 colour) {
    props_.textColour = colour;
}

void DrawingSurface::setTextBackColour(quint32 colour) {
    props_.textBackColour = colour;
}

void DrawingSurface::setFontBlock(const QByteArray& font) {
    props_.font = font.size() == FontDescription::kRecordSize ? font : QByteArray();
    drawingObjectsChanged();
}

void DrawingSurface::setMargins(int left, int top, int right, int bottom) {
    leftMargin_ = left;
    topMargin_ = top;
    rightMargin_ = right;
    bottomMargin_ = bottom;
}

UnitMapping DrawingSurface::mapping() const {
    return UnitMapping(props_.unit, deviceDpiX(), deviceDpiY());
}

int DrawingSurface::designPixelHeight() const {
    const int height = characterPixelHeight(fontDescription().height);
    return height > 0 ? height : FontDescription::kDefaultPixelHeight;
}

int DrawingSurface::characterHeight() const {
    return mapping().characterHeight(designPixelHeight());
}

int DrawingSurface::devicePixelSize() const {
    const UnitMapping m = mapping();
    return std::max(1, m.toDeviceY(m.characterHeight(designPixelHeight())));
}

QFont DrawingSurface::deviceFont() const {
    const FontDescription d = fontDescription();
    LogFont font;
    font.height = d.height;
    font.weight = d.weight;
    font.italic = d.italic ? 1 : 0;
    font.underline = d.underline ? 1 : 0;
    font.strikeOut = d.strikeOut ? 1 : 0;
    font.charSet = static_cast<quint8>(d.charSet);
    font.faceName = d.faceName;
    // No face name: the system's default GUI font, 宋体.
    QFont base;
    base.setFamilies(fontFamilies(QStringLiteral("宋体")));
    base.setStyleStrategy(QFont::PreferAntialias);
    return toQFont(font, base, devicePixelSize());
}

int DrawingSurface::textWidth(const QString& text) {
    if (text.isEmpty()) {
        return 0;
    }
    const UnitMapping m = mapping();
    return static_cast<int>(std::ceil(textExtent(text).width() * m.unitsPerInchX() / m.dpiX()));
}

QPoint DrawingSurface::writePosition() const {
    const UnitMapping m = mapping();
    return {m.toLogicalX(writeDevice_.x()), m.toLogicalY(writeDevice_.y())};
}

namespace {

double exactDeviceX(const UnitMapping& m, int logical) {
    return logical * m.dpiX() / m.unitsPerInchX();
}

double exactDeviceY(const UnitMapping& m, int logical) {
    return logical * m.dpiY() / m.unitsPerInchY();
}

}  // namespace

void DrawingSurface::storeWritePosition(int x, int y) {
    const UnitMapping m = mapping();
    writeDevice_ = QPointF(exactDeviceX(m, x), exactDeviceY(m, y));
}

void DrawingSurface::SetWritePosition(std::optional<int> x, std::optional<int> y) {
    const UnitMapping m = mapping();
    if (x) {
        writeDevice_.setX(exactDeviceX(m, *x));
    }
    if (y) {
        writeDevice_.setY(exactDeviceY(m, *y));
    }
}

int DrawingSurface::logicalHeight(const QString& piece, int emptyHeight) {
    if (piece.isEmpty()) {
        return emptyHeight;
    }
    return mapping().toLogicalY(textExtent(piece).height());
}

// Lines advance by the text height and then two device pixels, so that lines never touch
// whatever the unit.
int DrawingSurface::lineAdvance(const UnitMapping& m, int y, int height) const {
    return m.toLogicalY(m.toDeviceY(y + height) + 2);
}

void DrawingSurface::WriteLines(const QStringList& texts) {
    if (!beginOperation()) {
        return;
    }
    const UnitMapping m = mapping();
    const int emptyHeight = m.toLogicalY(textExtent(QStringLiteral("W")).height());
    const int x = m.toLogicalX(writeDevice_.x());
    int y = m.toLogicalY(writeDevice_.y());
    for (const QString& text : texts) {
        for (const QString& piece : PrintText::splitLines(text)) {
            const int height = logicalHeight(piece, emptyHeight);
            if (y > 0) {
                if (const auto limit = pageBreakHeight(); limit && y + height > *limit) {
                    if (!startNextPage()) {
                        storeWritePosition(x, 0);
                        return;
                    }
                    y = 0;
                }
            }
            if (!piece.isEmpty()) {
                paintText({x + leftMargin_, y + topMargin_}, piece);
            }
            y = lineAdvance(m, y, height);
        }
    }
    storeWritePosition(x, y);
    endOperation();
}

void DrawingSurface::WriteAt(std::optional<int> x, std::optional<int> y, const QStringList& texts) {
    if (!beginOperation()) {
        return;
    }
    const UnitMapping m = mapping();
    const int emptyHeight = m.toLogicalY(textExtent(QStringLiteral("W")).height());
    int cx = x ? *x : m.toLogicalX(writeDevice_.x());
    int cy = y ? *y : m.toLogicalY(writeDevice_.y());
    for (const QString& text : texts) {
        if (text.isEmpty()) {
            continue;
        }
        const int valueX = cx;
        const QStringList pieces = PrintText::splitLines(text);
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            const QString& piece = pieces.at(i);
            if (!piece.isEmpty()) {
                paintText({cx + leftMargin_, cy + topMargin_}, piece);
            }
            if (i + 1 < pieces.size()) {
                cy = lineAdvance(m, cy, logicalHeight(piece, emptyHeight));
                cx = valueX;
            } else if (!piece.isEmpty()) {
                cx += m.toLogicalX(textExtent(piece).width());
            }
        }
    }
    endOperation();
}

void DrawingSurface::WriteLines(const QList<Value>& values) {
    WriteLines(PrintText::fromValues(values));
}

void DrawingSurface::WriteAt(std::optional<int> x, std::optional<int> y,
                             const QList<Value>& values) {
    WriteAt(x, y, PrintText::fromValues(values));
}

void DrawingSurface::DrawLine(int x1, int y1, int x2, int y2) {
    if (!beginOperation()) {
        return;
    }
    paintLine({x1 + leftMargin_, y1 + topMargin_}, {x2 + leftMargin_, y2 + topMargin_});
    endOperation();
}

void DrawingSurface::DrawPicture(const QByteArray& picture, int x, int y, std::optional<int> width,
                                 std::optional<int> height, int copyMode) {
    const std::optional<QImage> image = PictureDecoder::decode(picture);
    if (!image) {
        return;
    }
    if (!beginOperation()) {
        return;
    }
    const UnitMapping m = mapping();
    const int w = width && *width > 0
                      ? *width
                      : static_cast<int>(std::lround(image->width() / UnitMapping::kFontDesignDpi *
                                                     m.unitsPerInchX()));
    const int h = height && *height > 0
                      ? *height
                      : static_cast<int>(std::lround(image->height() / UnitMapping::kFontDesignDpi *
                                                     m.unitsPerInchY()));
    paintPicture(*image, QRect(x + leftMargin_, y + topMargin_, w, h),
                 copyMode >= 1 && copyMode <= 5 ? copyMode : 1);
    endOperation();
}

QVariant DrawingSurface::drawingProperty(int offset) const {
    switch (offset) {
        case 0:
            return unit();
        case 1:
            return penType();
        case 2:
            return drawMode();
        case 3:
            return penWidth();
        case 4:
            return static_cast<int>(penColour());
        case 5:
            return brushType();
        case 6:
            return static_cast<int>(brushColour());
        case 7:
            return static_cast<int>(textColour());
        case 8:
            return static_cast<int>(textBackColour());
        case 9:
            return fontBlock();
        default:
            return {};
    }
}

bool DrawingSurface::setDrawingProperty(int offset, const QVariant& value) {
    const int i = value.toInt();
    const auto colour = static_cast<quint32>(value.toLongLong());
    switch (offset) {
        case 0:
            setUnit(i);
            return true;
        case 1:
            setPenType(i);
            return true;
        case 2:
            setDrawMode(i);
            return true;
        case 3:
            setPenWidth(i);
            return true;
        case 4:
            setPenColour(colour);
            return true;
        case 5:
            setBrushType(i);
            return true;
        case 6:
            setBrushColour(colour);
            return true;
        case 7:
            setTextColour(colour);
            return true;
        case 8:
            setTextBackColour(colour);
            return true;
        case 9:
            setFontBlock(value.toByteArray());
            return true;
        default:
            return false;
    }
}

}  // namespace tillora
