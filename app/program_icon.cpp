#include "app/program_icon.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tillora {

namespace {

// packaging/tillora.svg on its 64 x 64 grid: a receipt coming out of a till.
void drawIcon(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2e, 0x6f, 0x9e));
    p.drawRoundedRect(QRectF(6, 30, 52, 28), 5, 5);
    const QColor keys(0xcf, 0xe8, 0xf7);
    p.setBrush(keys);
    p.drawRoundedRect(QRectF(12, 36, 22, 8), 2, 2);
    for (const QPointF centre :
         {QPointF(42, 40), QPointF(50, 40), QPointF(42, 48), QPointF(50, 48)}) {
        p.drawEllipse(centre, 2.5, 2.5);
    }
    QPen edge(QColor(0x7a, 0x7a, 0x7a), 1.5);
    p.setPen(edge);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(18, 6, 28, 26));
    QPainterPath torn(QPointF(18, 6));
    for (int i = 0; i < 4; ++i) {
        torn.lineTo(21.5 + i * 7, 3);
        torn.lineTo(25 + i * 7, 6);
    }
    p.setBrush(Qt::NoBrush);
    p.drawPath(torn);
    QPen ink(QColor(0x9a, 0x9a, 0x9a), 2);
    ink.setCapStyle(Qt::RoundCap);
    p.setPen(ink);
    p.drawLine(QLineF(23, 12, 41, 12));
    p.drawLine(QLineF(23, 18, 36, 18));
    p.drawLine(QLineF(23, 24, 41, 24));
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(22, 46, 20, 11), Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("¥"));
}

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixels(size, size);
        pixels.fill(Qt::transparent);
        QPainter p(&pixels);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        drawIcon(p);
        p.end();
        icon.addPixmap(pixels);
    }
    return icon;
}

}  // namespace tillora
