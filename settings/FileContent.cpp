#include "FileContent.hpp"

#include "EIniFileError.hpp"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

// Closes on every way out, so an error thrown half-way leaks no descriptor.
class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor)
        : m_descriptor(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
    }
    int Get() const { return m_descriptor; }
    // Closing can report a write error of its own (NFS, quotas), so a writer must see it.
    int Close() {
        const int result = ::close(m_descriptor);
        m_descriptor = -1;
        return result;
    }

private:
    int m_descriptor;
};

[[noreturn]] void ThrowCreate(const std::string& path, int errorCode) {
    throw EIniFileError(EIniFileError::Operation::Create, path, errorCode);
}

// The file the content really belongs to: renaming over a symbolic link would replace the link.
// Links are followed one step at a time, so a link whose target does not exist yet still leads
// to the path where the file is to be created.
std::string TargetOf(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return current;
        }
        std::string link(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t length = ::readlink(current.c_str(), link.data(), link.size());
        if (length < 0) {
            ThrowCreate(path, errno);
        }
        if (length == 0) {
            ThrowCreate(path, ENOENT);
        }
        link.resize(static_cast<std::size_t>(length));
        const auto slash = current.rfind('/');
        if (link.front() == '/' || slash == std::string::npos) {
            current = link;
        } else {
            current = current.substr(0, slash + 1) + link;
        }
    }
    ThrowCreate(path, ELOOP);
}

struct TFolderAndName {
    std::string Folder; // with its trailing slash; empty for the current folder
    std::string Name;
};

TFolderAndName SplitPath(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {"", path};
    }
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// Temporary files are named ".<name>~quorvane-<process id>-<unique>.tmp", so that a later save
// recognises those of the same file and knows whose they are.
std::string TemporaryPrefixFor(const std::string& name) {
    return "." + name + "~quorvane-";
}

std::string TemporaryNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const TFolderAndName parts = SplitPath(target);
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, "%ld-%x%llx.tmp", static_cast<long>(::getpid()),
                  counter.fetch_add(1), static_cast<unsigned long long>(ticks));
    return parts.Folder + TemporaryPrefixFor(parts.Name) + suffix;
}

// The process that wrote a temporary file of `name`, or nothing when `entry` is no such file.
std::optional<pid_t> WriterOfTemporary(std::string_view entry, const std::string& name) {
    const std::string prefix = TemporaryPrefixFor(name);
    if (!entry.starts_with(prefix) || !entry.ends_with(".tmp")) {
        return std::nullopt;
    }
    entry.remove_prefix(prefix.size());
    entry.remove_suffix(4);
    const auto dash = entry.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == entry.size()) {
        return std::nullopt;
    }
    long long writer = 0;
    for (const char c : entry.substr(0, dash)) {
        if (c < '0' || c > '9' || writer > 1'000'000'000) {
            return std::nullopt;
        }
        writer = writer * 10 + (c - '0');
    }
    for (const char c : entry.substr(dash + 1)) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
    }
    return static_cast<pid_t>(writer);
}

// A save that was killed leaves its temporary file. One is stale when its writer is gone, or
// when it is older than any save takes (the process id may have been given to another process
// since, or belong to another machine's process on a shared folder).
void RemoveStaleTemporaries(const std::string& target) {
    constexpr time_t kOldestLiveSave = 10 * 60;
    const TFolderAndName parts = SplitPath(target);
    DIR* folder = ::opendir(parts.Folder.empty() ? "." : parts.Folder.c_str());
    if (folder == nullptr) {
        return;
    }
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(folder)) {
        const std::optional<pid_t> writer = WriterOfTemporary(entry->d_name, parts.Name);
        if (!writer) {
            continue;
        }
        const std::string stale = parts.Folder + entry->d_name;
        struct stat status {};
        if (::lstat(stale.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
            continue;
        }
        const bool writerGone = ::kill(*writer, 0) != 0 && errno == ESRCH;
        if (writerGone || now - status.st_mtime > kOldestLiveSave) {
            ::unlink(stale.c_str());
        }
    }
    ::closedir(folder);
}

bool WriteAll(int descriptor, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(descriptor, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void FlushFolderOf(const std::string& target) {
    const auto slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    FileDescriptor descriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (descriptor.Get() >= 0) {
        // Some file systems cannot flush a folder; the file itself is already whole on disk.
        ::fsync(descriptor.Get());
    }
}

[[noreturn]] void ThrowOpen(const std::string& path, int errorCode) {
    throw EIniFileError(EIniFileError::Operation::Open, path, errorCode);
}

constexpr char kNotRegular[] = "It is not a regular file.";
constexpr char kTooLarge[] = "It is larger than 64 MiB, too large for a settings file.";

// Refuses what the settings must not be read from: a FIFO would wait for a writer, a device
// would be read without end.
void CheckReadable(const std::string& path, const struct stat& status) {
    if (S_ISDIR(status.st_mode)) {
        ThrowOpen(path, EISDIR);
    }
    if (!S_ISREG(status.st_mode)) {
        throw EIniFileError(EIniFileError::Operation::Open, path, kNotRegular);
    }
    if (static_cast<std::uint64_t>(status.st_size) > kMaxSettingsFileSize) {
        throw EIniFileError(EIniFileError::Operation::Open, path, kTooLarge);
    }
}

} // namespace

std::optional<std::string> ReadFileContent(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        ThrowOpen(path, errno);
    }
    // Checked before opening, since opening some devices acts on them, and again on the opened
    // file, which may have been swapped in between; opening without blocking keeps a FIFO from
    // holding the start-up until a writer comes.
    CheckReadable(path, status);
    FileDescriptor descriptor(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (descriptor.Get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        ThrowOpen(path, errno);
    }
    if (::fstat(descriptor.Get(), &status) != 0) {
        ThrowOpen(path, errno);
    }
    CheckReadable(path, status);
    std::string content;
    content.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(descriptor.Get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowOpen(path, errno);
        }
        if (count == 0) {
            return content;
        }
        // The file may be growing while it is read.
        if (content.size() + static_cast<std::size_t>(count) > kMaxSettingsFileSize) {
            throw EIniFileError(EIniFileError::Operation::Open, path, kTooLarge);
        }
        content.append(buffer, static_cast<std::size_t>(count));
    }
}

void ReplaceFileContent(const std::string& path, std::string_view content) {
    if (path.empty()) {
        ThrowCreate(path, ENOENT);
    }
    const std::string target = TargetOf(path);

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        ThrowCreate(path, EISDIR);
    }
    // A device or a FIFO would be replaced by a plain file.
    if (exists && !S_ISREG(existing.st_mode)) {
        throw EIniFileError(EIniFileError::Operation::Create, path, kNotRegular);
    }
    // A rename needs only the folder's permission; without this check a file the user made
    // read-only would be replaced anyway.
    if (exists && ::access(target.c_str(), W_OK) != 0) {
        ThrowCreate(path, errno);
    }
    RemoveStaleTemporaries(target);

    std::string temporary;
    int opened = -1;
    for (int attempt = 0; attempt < 100 && opened < 0; ++attempt) {
        temporary = TemporaryNameFor(target);
        opened = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (opened < 0 && errno != EEXIST) {
            ThrowCreate(path, errno);
        }
    }
    if (opened < 0) {
        ThrowCreate(path, EEXIST);
    }
    FileDescriptor descriptor(opened);

    const auto fail = [&](int errorCode) {
        descriptor.Close();
        ::unlink(temporary.c_str());
        ThrowCreate(path, errorCode);
    };
    if (exists && ::fchmod(descriptor.Get(), existing.st_mode & 07777) != 0) {
        fail(errno);
    }
    if (!WriteAll(descriptor.Get(), content) || ::fsync(descriptor.Get()) != 0) {
        fail(errno);
    }
    if (descriptor.Close() != 0) {
        const int errorCode = errno;
        ::unlink(temporary.c_str());
        ThrowCreate(path, errorCode);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int errorCode = errno;
        ::unlink(temporary.c_str());
        ThrowCreate(path, errorCode);
    }
    FlushFolderOf(target);
}

} // namespace quorvane
