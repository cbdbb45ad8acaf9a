#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The largest file read as settings; a real one is a few kilobytes.
constexpr std::size_t kMaxSettingsFileSize = std::size_t{64} << 20;

// The whole content of the file at `path`, or nothing when no file is there (also when a folder
// on the way is missing or is a file, and when a symbolic link points nowhere). Only a regular
// file is read, and only up to kMaxSettingsFileSize: a FIFO, a device or a larger file throws
// EIniFileError (Open) at once, without waiting for a writer or reading without end, as does a
// file that exists but cannot be read.
std::optional<std::string> ReadFileContent(const std::string& path);

// Puts `content` at `path` so that the file is always either the old or the new version, whole:
// the content is written to a temporary file in the same folder, flushed to disk and renamed over
// the old file, and the folder is flushed so the rename itself survives a power cut. The old
// file's permission bits are kept, and a symbolic link is followed, also one whose target does
// not exist yet, so the link stays a link. A target that exists and is not a regular file, and a
// file that is not writable, are refused as they would be if written in place. Temporary files
// that an earlier save of the same file left behind (its process was killed) are removed. Throws
// EIniFileError (Create) naming `path`; no temporary file is left behind then.
void ReplaceFileContent(const std::string& path, std::string_view content);

} // namespace quorvane
