#pragma once

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

#include "print/font_description.h"
#include "print/unit_mapping.h"
#include "templates/drawing_properties.h"
#include "values/value.h"

namespace tillora {

// The drawing interface of the printer and the draw panel: drawing properties in a logical unit
// (y downward, origin at the top-left of the drawable area) and the text-flow operations.
// The flow rules live here once; implementations supply measuring and the device primitives.
class DrawingSurface {
  public:
    static constexpr int kMaxPenType = 6;
    static constexpr int kMaxDrawMode = 15;
    static constexpr int kMaxPenWidth = 32767;
    static constexpr int kMaxBrushType = 55;

    DrawingSurface() = default;
    DrawingSurface(const DrawingSurface&) = delete;
    DrawingSurface& operator=(const DrawingSurface&) = delete;
    virtual ~DrawingSurface();

    // Properties; setters clamp into the documented ranges.
    const DrawingProperties& drawingProperties() const { return props_; }
    void setDrawingProperties(const DrawingProperties& props);
    int unit() const { return props_.unit; }
    void setUnit(int unit);
    int penType() const { return props_.penType; }
    void setPenType(int type);
    int drawMode() const { return props_.drawMode; }
    void setDrawMode(int mode);
    int penWidth() const { return props_.penWidth; }
    void setPenWidth(int width);
    quint32 penColour() const { return props_.penColour; }
    void setPenColour(quint32 colour);
    int brushType() const { return props_.brushType; }
    void setBrushType(int type);
    quint32 brushColour() const { return props_.brushColour; }
    void setBrushColour(quint32 colour);
    quint32 textColour() const { return props_.textColour; }
    void setTextColour(quint32 colour);
    quint32 textBackColour() const { return props_.textBackColour; }
    void setTextBackColour(quint32 colour);
    const QByteArray& fontBlock() const { return props_.font; }
    // Anything but a whole 60-byte record (or nothing) is taken as "no font".
    void setFontBlock(const QByteArray& font);

    // The ten drawing properties by their offset in the shared order Unit, PenType, DrawMode,
    // PenWidth, PenColour, BrushType, BrushColour, TextColour, TextBackColour, Font (the printer
    // numbers them from 0, the draw panel from 5). Colours as int; an unknown offset gives an
    // invalid value / false.
    QVariant drawingProperty(int offset) const;
    bool setDrawingProperty(int offset, const QVariant& value);

    // Margins in the current unit: added to every x/y; the right and bottom ones narrow the
    // printable area where there is one.
    int leftMargin() const { return leftMargin_; }
    int topMargin() const { return topMargin_; }
    int rightMargin() const { return rightMargin_; }
    int bottomMargin() const { return bottomMargin_; }
    void setMargins(int left, int top, int right, int bottom);

    // The character height of the current font in logical units (a 9-point font at unit 1: 31).
    int characterHeight() const;
    UnitMapping mapping() const;

    // The width of one line of text with the current font, in logical units (rounded up, so
    // that text measured to fit a column never reaches past it).
    int textWidth(const QString& text);

    // The write position in logical units of the current unit (kept in device pixels, unrounded,
    // so it stays put when the unit changes and reads back as it was set).
    QPoint writePosition() const;

    void SetWritePosition(std::optional<int> x, std::optional<int> y);
    void WriteLines(const QStringList& texts);
    void WriteAt(std::optional<int> x, std::optional<int> y, const QStringList& texts);
    // The same with values, turned into text by the program's value-to-text rule.
    void WriteLines(const QList<Value>& values);
    void WriteAt(std::optional<int> x, std::optional<int> y, const QList<Value>& values);
    void DrawLine(int x1, int y1, int x2, int y2);
    // An undecodable picture draws nothing; a width or height left out (or 0 or less) takes
    // the picture's natural size (its pixels at 96 dpi). Copy modes outside 1..5 copy.
    void DrawPicture(const QByteArray& picture, int x, int y, std::optional<int> width = {},
                     std::optional<int> height = {}, int copyMode = 1);

  protected:
    virtual double deviceDpiX() const = 0;
    virtual double deviceDpiY() const = 0;
    // Called before each operation; false when there is nothing to draw on.
    virtual bool beginOperation() = 0;
    virtual void endOperation() {}
    // Extent of one line of text in device pixels with the current font.
    virtual QSizeF textExtent(const QString& text) = 0;
    // Primitives in logical units, margins already added.
    virtual void paintText(QPoint topLeft, const QString& text) = 0;
    virtual void paintLine(QPoint from, QPoint to) = 0;
    virtual void paintPicture(const QImage& image, const QRect& target, int copyMode) = 0;
    // The height WriteLines breaks pages at (logical, without margins); nullopt = no pages.
    virtual std::optional<int> pageBreakHeight() { return std::nullopt; }
    // Ends the page and starts the next one; false when the job ended instead.
    virtual bool startNextPage() { return false; }
    // Pen, brush or font changed: cached drawing objects are stale.
    virtual void drawingObjectsChanged() {}

    // The font's character size in device pixels for the current unit and device.
    int devicePixelSize() const;
    // The current font to draw and measure with, at devicePixelSize().
    QFont deviceFont() const;
    void setWritePositionDevice(QPointF device) { writeDevice_ = device; }

  private:
    FontDescription fontDescription() const { return FontDescription::fromBlock(props_.font); }
    // The font's character height in pixels at 96 dpi.
    int designPixelHeight() const;
    int logicalHeight(const QString& piece, int emptyHeight);
    int lineAdvance(const UnitMapping& m, int y, int height) const;
    void storeWritePosition(int x, int y);

    DrawingProperties props_;
    QPointF writeDevice_;
    int leftMargin_ = 0;
    int topMargin_ = 0;
    int rightMargin_ = 0;
    int bottomMargin_ = 0;
};

}  // namespace tillora
