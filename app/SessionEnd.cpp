#include "SessionEnd.hpp"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cstdio>
#include <filesystem>

bool SaveAtSessionEnd(const std::string& path, quorvane::TTimerEngine& engine,
                      const quorvane::TWindowPlace& mainWindow, bool displayMaximised) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(folder);
    const std::string recoveryPath =
        (std::filesystem::path(QFile::encodeName(folder).toStdString()) /
         (std::filesystem::path(path).filename().string() + ".recovered"))
            .string();
    const auto recovered = quorvane::SaveSettingsFileOrRecover(path, recoveryPath, engine,
                                                               mainWindow, displayMaximised);
    if (!recovered)
        return true;
    std::fprintf(stderr, "quorvane: the settings could not be saved: %s\n",
                 recovered->Error.c_str());
    if (recovered->RecoveryError.empty())
        std::fprintf(stderr, "quorvane: the settings for \"%s\" were saved to \"%s\" instead\n",
                     path.c_str(), recovered->RecoveryPath.c_str());
    else
        std::fprintf(stderr, "quorvane: the settings for \"%s\" are lost: %s\n", path.c_str(),
                     recovered->RecoveryError.c_str());
    return false;
}
