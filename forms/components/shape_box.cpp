#include "forms/components/shape_box.h"

#include <QPainter>
#include <QWidget>

namespace tillora {

namespace {

class ShapeWidget : public QWidget {
  public:
    ShapeWidget(const ShapeBoxBlock& block, QWidget* parent) : QWidget(parent), block_(block) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const int width = std::max(1, block_.lineWidth);
        QPen pen(toQColor(block_.lineColour), width);
        switch (block_.lineStyle) {
            case 0:
                pen.setStyle(Qt::NoPen);
                break;
            case 2:
                pen.setStyle(Qt::DashLine);
                break;
            case 3:
                pen.setStyle(Qt::DotLine);
                break;
            case 4:
                pen.setStyle(Qt::DashDotLine);
                break;
            case 5:
                pen.setStyle(Qt::DashDotDotLine);
                break;
            default:
                pen.setStyle(Qt::SolidLine);
                break;
        }
        painter.setPen(pen);
        if (block_.fillStyle != 0 && block_.fillColour != kDefaultColour) {
            painter.setBrush(toQColor(block_.fillColour));
        }
        const QRect r = rect().adjusted(width / 2, width / 2, -(width + 1) / 2, -(width + 1) / 2);
        switch (block_.shape) {
            case 1:
                painter.drawRoundedRect(r, 8, 8);
                break;
            case 2:
                painter.drawEllipse(r);
                break;
            default:
                painter.drawRect(r);
                break;
        }
    }

  private:
    ShapeBoxBlock block_;
};

}  // namespace

QWidget* ShapeBox::makeWidget(QWidget* parent) {
    auto* w = new ShapeWidget(block_, parent);
    w->setFocusPolicy(Qt::NoFocus);
    return w;
}

QVariant ShapeBox::ownProperty(int index) const {
    switch (index) {
        case 0:
            return block_.shape;
        case 1:
            return block_.lineStyle;
        case 2:
            return block_.lineWidth;
        case 3:
            return block_.lineColour;
        case 4:
            return block_.fillStyle;
        case 5:
            return block_.fillColour;
        default:
            return {};
    }
}

}  // namespace tillora
