#pragma once

#include "SettingsFile.hpp"

#include <string>

// The settings save of a session that ends, which cannot wait for an answer to a box. When the
// settings file cannot be saved, the same content goes to a recovery file in the user's
// configuration folder (the settings file's name with ".recovered" added), and standard error
// says why and where. Returns whether the settings file itself was saved.
bool SaveAtSessionEnd(const std::string& path, quorvane::TTimerEngine& engine,
                      const quorvane::TWindowPlace& mainWindow, bool displayMaximised);
