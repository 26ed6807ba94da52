#pragma once

#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QVariant>
#include <optional>

#include "print/painter_surface.h"
#include "templates/draw_panel_block.h"

namespace tillora {

// The draw panel: a widget drawn on through the drawing interface. What is drawn goes into a
// bitmap of the panel's size from which the panel repaints itself; with AutoRedraw 0 the
// drawing is lost when the panel is hidden, as an unbacked window loses it when covered.
// Drawing is cut at the panel's edges and never breaks pages.
class DrawPanel : public QFrame, public PainterSurface {
    Q_OBJECT
  public:
    // Property numbers of the component model (after the common ones).
    enum Property {
        BorderProperty = 0,
        BackColourProperty,
        BackPictureProperty,
        PictureModeProperty,
        AutoRedrawProperty,
        UnitProperty,
        PenTypeProperty,
        DrawModeProperty,
        PenWidthProperty,
        PenColourProperty,
        BrushTypeProperty,
        BrushColourProperty,
        TextColourProperty,
        TextBackColourProperty,
        FontProperty,
        DrawWidthProperty,
        DrawHeightProperty,
        PropertyCount
    };

    explicit DrawPanel(QWidget* parent = nullptr);
    ~DrawPanel() override;

    DrawPanelBlock block() const;
    void applyBlock(const DrawPanelBlock& block);
    bool loadBlock(const QByteArray& data);
    QByteArray writeBlock() const { return block().write(); }

    QVariant propertyByNumber(int number) const;
    bool setPropertyByNumber(int number, const QVariant& value);

    int border() const { return border_; }
    void setBorder(int border);
    quint32 backColour() const { return backColour_; }
    void setBackColour(quint32 colour);
    const QByteArray& backPicture() const { return backPicture_; }
    void setBackPicture(const QByteArray& picture);
    // 0 at the top-left in its own size, 1 stretched over the panel, 2 tiled.
    int pictureMode() const { return pictureMode_; }
    void setPictureMode(int mode);
    int autoRedraw() const { return autoRedraw_; }
    void setAutoRedraw(int on) { autoRedraw_ = on != 0 ? 1 : 0; }
    // The drawable (client) size in the current unit.
    int drawWidth() const;
    int drawHeight() const;

    // Fills the rectangle (pixels; each part left out = the whole panel's) with the background
    // and moves the write position to its top-left corner.
    void Clear(std::optional<int> x = {}, std::optional<int> y = {}, std::optional<int> width = {},
               std::optional<int> height = {});

    // What the panel currently shows of its drawing.
    const QImage& canvas() const { return canvas_; }

  protected:
    double deviceDpiX() const override;
    double deviceDpiY() const override;
    QPainter* acquirePainter() override;
    void releasePainter() override;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void fillBackground(QPainter& painter, const QRect& area);
    void resetCanvas();

    int border_ = 0;
    quint32 backColour_ = kDefaultDrawingColour;
    QByteArray backPicture_;
    QImage backImage_;
    int pictureMode_ = 1;
    int autoRedraw_ = 0;
    QImage canvas_;
    QPainter painter_;
};

}  // namespace tillora
