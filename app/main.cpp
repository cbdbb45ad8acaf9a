#include "CloseOnSignal.hpp"
#include "PlatformChoice.hpp"
#include "QtPoster.hpp"
#include "TFmMain.hpp"
#include "TQtDialogs.hpp"
#include "TQtTimerFactory.hpp"
#include "TSoundCues.hpp"
#include "TSystemClock.hpp"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// File names go to the settings code as the bytes the file system uses.
std::string FileNameBytes(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

quorvane::TSettingsChoice ChooseSettings(const QStringList& arguments) {
    std::vector<std::string> given;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        given.push_back(FileNameBytes(arguments.at(i)));
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    quorvane::TSettingsChoice choice = quorvane::ChooseSettingsFile(
        given, FileNameBytes(QCoreApplication::applicationFilePath()), FileNameBytes(userFolder));
    // The per-user folder may not exist yet on a fresh account; the file is written there at
    // close.
    if (choice.Source == quorvane::SettingsSource::UserFolder)
        QDir().mkpath(userFolder);
    return choice;
}

} // namespace

int main(int argc, char** argv) {
    // Without a display Qt would print a stack of platform-plugin warnings and abort; say it once.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((platform == nullptr || *platform == '\0') && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr) {
        std::fprintf(stderr, "quorvane: no display is available (DISPLAY is not set)\n");
        return 1;
    }
    quorvane::ApplyPlatformChoice();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    // The display window may still show when the control window closes; the program ends anyway.
    QApplication::setQuitOnLastWindowClosed(false);

    // Declared before the window, so that they outlive it.
    TSystemClock clock;
    TQtTimerFactory timers;
    // The mixer and its two channels exist before the settings are read; no sound device opens
    // until a cue first plays.
    quorvane::TSoundCues sound(QtPost);
    TQtDialogs dialogs;

    TFmMain window(clock, timers, sound, dialogs, ChooseSettings(QCoreApplication::arguments()));
    QObject::connect(&window, &TFmMain::Closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Dialogs without a window of their own take the control window's icon.
    QApplication::setWindowIcon(window.windowIcon());
    sound.SetEndHandlers([&window] { window.Engine().TimingSoundEnded(); },
                         [&window] { window.Engine().EndSoundEnded(); });
    CloseOnSignal([&window] { window.close(); });
    window.show();
    app.exec();
    // The engine goes with the window; an end reported after this must not reach it.
    sound.SetEndHandlers({}, {});
    return 0;
}
