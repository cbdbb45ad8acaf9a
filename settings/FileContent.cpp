#include "FileContent.hpp"

#include "EIniFileError.hpp"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
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
std::string TargetOf(const std::string& path) {
    struct stat linkStatus {};
    if (::lstat(path.c_str(), &linkStatus) == 0 && S_ISLNK(linkStatus.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            std::string target(resolved);
            std::free(resolved);
            return target;
        }
    }
    return path;
}

std::string TemporaryNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%lx.%x.%llx.tmp", static_cast<long>(::getpid()),
                  counter.fetch_add(1), static_cast<unsigned long long>(ticks));
    return folder + "." + name + suffix;
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

} // namespace

std::optional<std::string> ReadFileContent(const std::string& path) {
    FileDescriptor descriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (descriptor.Get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        throw EIniFileError(EIniFileError::Operation::Open, path, errno);
    }
    std::string content;
    struct stat status {};
    if (::fstat(descriptor.Get(), &status) == 0 && status.st_size > 0) {
        content.reserve(static_cast<std::size_t>(status.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(descriptor.Get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EIniFileError(EIniFileError::Operation::Open, path, errno);
        }
        if (count == 0) {
            return content;
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
    // A rename needs only the folder's permission; without this check a file the user made
    // read-only would be replaced anyway.
    if (exists && S_ISREG(existing.st_mode) && ::access(target.c_str(), W_OK) != 0) {
        ThrowCreate(path, errno);
    }

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
    if (exists && S_ISREG(existing.st_mode) &&
        ::fchmod(descriptor.Get(), existing.st_mode & 07777) != 0) {
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
