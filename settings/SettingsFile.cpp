#include "SettingsFile.hpp"

#include "EIniFileError.hpp"
#include "FileContent.hpp"

#include <filesystem>
#include <unistd.h>

namespace quorvane {

namespace {

TIniDocument DocumentAt(const std::string& path) {
    const std::optional<std::string> content = ReadFileContent(path);
    return content ? TIniDocument::FromBytes(*content) : TIniDocument();
}

bool FolderWritable(const std::filesystem::path& folder) {
    const std::string name = folder.empty() ? std::string(".") : folder.string();
    std::error_code error;
    return std::filesystem::is_directory(name, error) && ::access(name.c_str(), W_OK) == 0;
}

} // namespace

TSettingsChoice ChooseSettingsFile(const std::vector<std::string>& arguments,
                                   const std::string& executablePath,
                                   const std::string& userFolder) {
    if (!arguments.empty()) {
        std::error_code error;
        const bool exists = std::filesystem::exists(arguments.front(), error);
        return {arguments.front(), SettingsSource::Argument, !exists};
    }
    std::filesystem::path beside(executablePath);
    beside.replace_extension(".ini");
    std::error_code error;
    if (std::filesystem::exists(beside, error) || FolderWritable(beside.parent_path()))
        return {beside.string(), SettingsSource::BesideExecutable, false};
    return {(std::filesystem::path(userFolder) / beside.filename()).string(),
            SettingsSource::UserFolder, false};
}

void LoadSettingsFile(const std::string& path, TTimerEngine& engine, TWindowPlace& mainWindow) {
    const TIniDocument document = DocumentAt(path);
    LoadSettings(document, engine, mainWindow);
}

void SaveSettingsFile(const std::string& path, TTimerEngine& engine, const TWindowPlace& mainWindow,
                      bool displayMaximised) {
    TIniDocument document = DocumentAt(path);
    SaveSettings(document, engine, mainWindow, displayMaximised);
    ReplaceFileContent(path, document.SaveToBytes());
}

std::optional<TRecoveredSave> SaveSettingsFileOrRecover(const std::string& path,
                                                        const std::string& recoveryPath,
                                                        TTimerEngine& engine,
                                                        const TWindowPlace& mainWindow,
                                                        bool displayMaximised) {
    std::optional<std::string> failure;
    TIniDocument document;
    try {
        document = DocumentAt(path);
    } catch (const EIniFileError& error) {
        failure = error.what();
    }
    SaveSettings(document, engine, mainWindow, displayMaximised);
    const std::string content = document.SaveToBytes();
    if (!failure) {
        try {
            ReplaceFileContent(path, content);
            return std::nullopt;
        } catch (const EIniFileError& error) {
            failure = error.what();
        }
    }
    TRecoveredSave recovered{*failure, recoveryPath, {}};
    try {
        ReplaceFileContent(recoveryPath, content);
    } catch (const EIniFileError& error) {
        recovered.RecoveryError = error.what();
    }
    return recovered;
}

} // namespace quorvane
