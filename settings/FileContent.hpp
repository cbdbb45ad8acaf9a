#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The whole content of the file at `path`, or nothing when no file is there (also when a folder
// on the way is missing or is a file). A file that exists but cannot be read throws
// EIniFileError (Open).
std::optional<std::string> ReadFileContent(const std::string& path);

// Puts `content` at `path` so that the file is always either the old or the new version, whole:
// the content is written to a temporary file in the same folder, flushed to disk and renamed over
// the old file, and the folder is flushed so the rename itself survives a power cut. The old
// file's permission bits are kept, and a symbolic link is followed so the link stays a link. A
// file that is not writable is refused as it would be if written in place. Throws EIniFileError
// (Create) naming `path`; no temporary file is left behind then.
void ReplaceFileContent(const std::string& path, std::string_view content);

} // namespace quorvane
