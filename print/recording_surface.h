#pragma once

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <optional>

#include "print/drawing_surface.h"

namespace tillora {

// One drawing operation as it reached the device, in logical units with margins added.
struct RecordedOperation {
    enum class Kind { Text, Line, Picture };
    Kind kind = Kind::Text;
    QPoint at;     // text top-left, line start, picture top-left
    QPoint to;     // line end
    QString text;  // text only
    QSize size;    // picture target size
    int copyMode = 0;
    int page = 1;

    bool operator==(const RecordedOperation&) const = default;
};

// A drawing surface that draws nothing and records every operation, for layout tests.
//
// Geometry is that of a device with the given dpi (96 by default, like the preview panel).
// Text is measured by one of two models:
//  - Fixed (default, the same on every machine): a line is as high as the font's character
//    height in device pixels; a CJK or full-width character is that wide, any other character
//    half of it.
//  - Font: the real font (substituted as for drawing) measured on a QImage of the given dpi.
class RecordingSurface : public DrawingSurface {
  public:
    enum class Metrics { Fixed, Font };

    explicit RecordingSurface(Metrics metrics = Metrics::Fixed, double dpi = 96.0);

    const QList<RecordedOperation>& operations() const { return ops_; }
    // The drawn texts in drawing order.
    QStringList texts() const;
    void clearOperations() { ops_.clear(); }

    // Gives the surface pages of this printable height (logical, margins not yet taken off),
    // so that WriteLines breaks pages as on a printer; nullopt (default) = one endless page.
    void setPageHeight(std::optional<int> height) { pageHeight_ = height; }
    int currentPage() const { return page_; }

  protected:
    double deviceDpiX() const override { return dpi_; }
    double deviceDpiY() const override { return dpi_; }
    bool beginOperation() override { return true; }
    QSizeF textExtent(const QString& text) override;
    void paintText(QPoint topLeft, const QString& text) override;
    void paintLine(QPoint from, QPoint to) override;
    void paintPicture(const QImage& image, const QRect& target, int copyMode) override;
    std::optional<int> pageBreakHeight() override;
    bool startNextPage() override;

  private:
    RecordedOperation& record(RecordedOperation::Kind kind, QPoint at);
    Metrics metrics_;
    double dpi_;
    std::optional<int> pageHeight_;
    int page_ = 1;
    QList<RecordedOperation> ops_;
};

}  // namespace tillora
