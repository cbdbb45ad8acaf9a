#include "TimerIcon.hpp"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

QIcon TimerIcon() {
    // The same drawing as the installed icon, compiled in; drawn here at the sizes a window and
    // a tray ask for, so that no icon-engine plug-in is needed.
    QSvgRenderer renderer(QStringLiteral(":/quorvane.svg"));
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
