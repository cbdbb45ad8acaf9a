#include "StayOnTop.hpp"

#include <QWidget>
#include <QWindow>

bool SetWindowFlagInPlace(QWidget& window, Qt::WindowType flag, bool on) {
    const Qt::WindowFlags current = window.windowFlags();
    Qt::WindowFlags wanted = current;
    wanted.setFlag(flag, on);
    if (wanted == current)
        return false;
    QWindow* handle = window.windowHandle();
    if (handle && window.testAttribute(Qt::WA_WState_Created)) {
        // QWidget::setWindowFlags would re-parent the widget, which hides it.
        window.overrideWindowFlags(wanted);
        handle->setFlags(wanted);
    } else {
        window.setWindowFlags(wanted);
    }
    return true;
}

bool ApplyStayOnTop(QWidget& window, bool onTop) {
    return SetWindowFlagInPlace(window, Qt::WindowStaysOnTopHint, onTop);
}
