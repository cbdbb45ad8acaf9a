#include "CloseOnSignal.hpp"
#include "DisplayCheck.hpp"
#include "PlatformChoice.hpp"
#include "QtPoster.hpp"
#include "SessionEnd.hpp"
#include "TFmMain.hpp"
#include "TQtDialogs.hpp"
#include "TQtTimerFactory.hpp"
#include "TSoundCues.hpp"
#include "TSystemClock.hpp"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <SDL_hints.h>
#include <string>
#include <utility>
#include <vector>

namespace {

// File names go to the settings code as the bytes the file system uses.
std::string FileNameBytes(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

quorvane::TSettingsChoice ChooseSettings(const std::vector<std::string>& arguments) {
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    quorvane::TSettingsChoice choice = quorvane::ChooseSettingsFile(
        arguments, FileNameBytes(QCoreApplication::applicationFilePath()),
        FileNameBytes(userFolder));
    // The per-user folder may not exist yet on a fresh account; the file is written there at
    // close.
    if (choice.Source == quorvane::SettingsSource::UserFolder)
        QDir().mkpath(userFolder);
    return choice;
}

} // namespace

int main(int argc, char** argv) {
    // Before anything else: until then a session's SIGTERM would be lost or kill the program
    // without saving, and the sound library would take the signals for itself.
    CatchCloseSignals();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The settings path is the first argument as its bytes; a name that is not UTF-8 would not
    // survive a trip through a QString.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // The platform is chosen first: whether an X display must be reachable depends on it.
    quorvane::ApplyPlatformChoice();
    if (!DisplayAvailable())
        return 1;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    // The display window may still show when the control window closes; the program ends anyway.
    QApplication::setQuitOnLastWindowClosed(false);

    // A signal ends the program also while a box waits for the operator, even one shown before
    // the control window exists; its save cannot fail into a box that keeps the program open.
    TFmMain* live = nullptr;
    bool closeRequested = false;
    bool saved = true;
    const auto endSession = [&saved](TFmMain& window) {
        window.CloseAtSessionEnd([&saved](const std::string& path, quorvane::TTimerEngine& engine,
                                          const quorvane::TWindowPlace& place, bool maximised) {
            saved = SaveAtSessionEnd(path, engine, place, maximised);
        });
    };
    bool ending = false;
    DeliverCloseSignals([&] {
        CloseModalDialogs();
        // The first signal ends the program; more of them while it closes change nothing.
        if (std::exchange(ending, true))
            return;
        if (live != nullptr)
            endSession(*live);
        else
            closeRequested = true;
    });

    // Declared before the window, so that they outlive it.
    TSystemClock clock;
    TQtTimerFactory timers;
    // The mixer and its two channels exist before the settings are read; no sound device opens
    // until a cue first plays.
    quorvane::TSoundCues sound(QtPost);
    TQtDialogs dialogs;

    TFmMain window(clock, timers, sound, dialogs, ChooseSettings(arguments));
    QObject::connect(&window, &TFmMain::Closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Dialogs without a window of their own take the control window's icon.
    QApplication::setWindowIcon(window.windowIcon());
    sound.SetEndHandlers([&window] { window.Engine().TimingSoundEnded(); },
                         [&window] { window.Engine().EndSoundEnded(); });
    live = &window;
    if (closeRequested)
        endSession(window);
    else
        window.show();
    app.exec();
    live = nullptr;
    // The engine goes with the window; an end reported after this must not reach it.
    sound.SetEndHandlers({}, {});
    return saved ? 0 : 1;
}
