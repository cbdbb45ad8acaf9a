#include "TimerIcon.hpp"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace {

QPixmap Face(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const qreal pen = std::max<qreal>(1.0, s / 12.0);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), pen));
    p.setBrush(QColor(0x00, 0x80, 0x00));
    p.drawRect(QRectF(s * 0.42, s * 0.02, s * 0.16, s * 0.14));
    p.setBrush(Qt::black);
    const QRectF dial(s * 0.1, s * 0.14, s * 0.8, s * 0.8);
    p.drawEllipse(dial);
    p.setPen(QPen(QColor(0x00, 0xC0, 0x00), pen * 1.2, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre = dial.center();
    p.drawLine(centre, QPointF(centre.x(), dial.top() + s * 0.12));
    p.drawLine(centre, QPointF(dial.right() - s * 0.16, centre.y()));
    return pixmap;
}

} // namespace

QIcon TimerIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(Face(size));
    return icon;
}
