#include "QtPoster.hpp"

#include <QCoreApplication>
#include <QMetaObject>

void QtPost(std::function<void()> handler) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || !handler) {
        return;
    }
    QMetaObject::invokeMethod(
        application,
        [handler = std::move(handler)] {
            // Qt cannot carry an exception through its event loop; a failing handler is dropped.
            try {
                handler();
            } catch (...) {
            }
        },
        Qt::QueuedConnection);
}
