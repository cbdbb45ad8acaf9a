#pragma once

#include "SettingsBinding.hpp"

#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// Where the settings file was found, which decides what start-up tells the operator.
enum class SettingsSource {
    Argument,         // the first command-line argument, kept exactly as given
    BesideExecutable, // the executable's path with ".ini" for its extension
    UserFolder,       // the same name in the per-user configuration folder
};

struct TSettingsChoice {
    std::string Path;
    SettingsSource Source = SettingsSource::BesideExecutable;
    // The path came from the command line and no file is there: the operator is told that it
    // will be created at close.
    bool ArgumentFileMissing = false;
};

// Chooses the settings file. `arguments` are the command-line arguments after the program's
// name; only the first counts, and a relative one stays relative, so it is resolved against the
// current folder at each access. Without one, the file lies beside the executable; an installed
// program usually cannot write there, so when that folder is not writable and holds no such
// file, the file goes into `userFolder` instead.
TSettingsChoice ChooseSettingsFile(const std::vector<std::string>& arguments,
                                   const std::string& executablePath,
                                   const std::string& userFolder);

// Reads the file at `path` (none there gives every default) into the controls and variables.
// A file that exists but cannot be read throws EIniFileError, and nothing has been changed.
void LoadSettingsFile(const std::string& path, TTimerEngine& engine, TWindowPlace& mainWindow);

// Rewrites the file at `path` from what it holds now and the current settings; the file is
// always either the old or the new version, whole. Throws EIniFileError when the current file
// cannot be read or the new one cannot be written; the old file is then untouched.
void SaveSettingsFile(const std::string& path, TTimerEngine& engine, const TWindowPlace& mainWindow,
                      bool displayMaximised);

// What a save at the end of a session did when the settings file could not be saved.
struct TRecoveredSave {
    std::string Error;         // why the settings file itself could not be saved
    std::string RecoveryPath;  // where the settings went instead
    std::string RecoveryError; // why they could not go there either; empty when they did
};

// The save of a session that ends, which cannot wait for the operator to answer a box: when the
// file at `path` cannot be read or written, the same content goes to `recoveryPath` instead (if
// the file could not even be read, the settings alone). Returns nothing when the file was saved.
std::optional<TRecoveredSave> SaveSettingsFileOrRecover(const std::string& path,
                                                        const std::string& recoveryPath,
                                                        TTimerEngine& engine,
                                                        const TWindowPlace& mainWindow,
                                                        bool displayMaximised);

} // namespace quorvane
