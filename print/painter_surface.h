#pragma once

#include <QBrush>
#include <QFont>
#include <QPainter>
#include <QPen>

#include "print/drawing_surface.h"

class QPaintDevice;

namespace tillora {

// The drawing interface on a QPainter: pen, brush, font and raster operation built from the
// drawing properties in device pixels. Subclasses supply the painter and the device's dpi.
class PainterSurface : public DrawingSurface {
  public:
    // Windows colour (0x00BBGGRR) to QColor; the default colour gives `fallback`.
    static QColor toColour(quint32 colour, const QColor& fallback = Qt::black);

  protected:
    // The painter to draw with, or null when there is nothing to draw on.
    virtual QPainter* acquirePainter() = 0;
    virtual void releasePainter() {}

    bool beginOperation() override;
    void endOperation() override;
    QSizeF textExtent(const QString& text) override;
    void paintText(QPoint topLeft, const QString& text) override;
    void paintLine(QPoint from, QPoint to) override;
    void paintPicture(const QImage& image, const QRect& target, int copyMode) override;
    void drawingObjectsChanged() override { objectsValid_ = false; }

    QPainter* activePainter() const { return painter_; }

  private:
    void rebuildObjects();
    QPoint toDevice(QPoint logical) const;

    QPainter* painter_ = nullptr;
    bool objectsValid_ = false;
    double builtForDpiY_ = 0;
    QPen pen_;
    QBrush brush_;
    QFont font_;
};

}  // namespace tillora
