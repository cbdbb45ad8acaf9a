#include "TFmMain.hpp"
#include "TNullSoundCues.hpp"
#include "TQtDialogs.hpp"
#include "TQtTimerFactory.hpp"
#include "TSystemClock.hpp"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    // Without a display Qt would print a stack of platform-plugin warnings and abort; say it once.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((platform == nullptr || *platform == '\0') && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr) {
        std::fprintf(stderr, "quorvane: no display is available (DISPLAY is not set)\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    // The display window may still show when the control window closes; the program ends anyway.
    QApplication::setQuitOnLastWindowClosed(false);

    // Declared before the window, so that they outlive it.
    TSystemClock clock;
    TQtTimerFactory timers;
    TNullSoundCues sound;
    TQtDialogs dialogs;

    TFmMain window(clock, timers, sound, dialogs);
    QObject::connect(&window, &TFmMain::Closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    app.exec();
    return 0;
}
