#include "FileContent.hpp"
#include "EIniFileError.hpp"
#include "TIniDocument.hpp"
#include "TempFolderTest.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace quorvane;
using namespace quorvane::testing;
namespace fs = std::filesystem;

namespace {

// Tests run as root, which ignores permission bits: an unwritable target is made from a path
// whose folder is a regular file or does not exist, and a failing write from a file size limit.
class FileContentTest : public TempFolderTest {
protected:
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    template <typename Action> static EIniFileError ErrorOf(Action action) {
        try {
            action();
        } catch (const EIniFileError& error) {
            return error;
        }
        ADD_FAILURE() << "no EIniFileError";
        return EIniFileError(EIniFileError::Operation::Open, "", 0);
    }
};

const std::string oldContent = "[Times]\r\nStart Time=20\r\n\r\n";

} // namespace

TEST_F(FileContentTest, AMissingFileIsAnEmptyDocument) {
    Put(PathOf("plain"), "x");
    for (const std::string& path :
         {PathOf("absent.ini"), PathOf("no-folder/quorvane.ini"), PathOf("plain/quorvane.ini")}) {
        EXPECT_FALSE(ReadFileContent(path).has_value()) << path;
        EXPECT_TRUE(TIniDocument::FromFile(path).SectionNames().empty()) << path;
    }
}

TEST_F(FileContentTest, AnExistingFileThatCannotBeReadIsAnOpenErrorNamingThePath) {
    const std::string path = PathOf("quorvane.ini");
    fs::create_directory(path);
    const EIniFileError error = ErrorOf([&] { TIniDocument::FromFile(path); });
    EXPECT_EQ(error.FailedOperation(), EIniFileError::Operation::Open);
    EXPECT_EQ(error.ErrorCode(), EISDIR);
    EXPECT_EQ(error.Path(), path);
    EXPECT_EQ(std::string(error.what()),
              "Cannot open file \"" + path + "\". " + error.SystemErrorText());
    EXPECT_EQ(error.SystemErrorText(), "Is a directory");
}

TEST_F(FileContentTest, SavesTheBytesAndLoadsThemBackUnderAUtf8Name) {
    const std::string path = PathOf("einstellungen-\xC3\xBC.ini");
    TIniDocument document = TIniDocument::FromBytes(oldContent);
    document.WriteString("Sound", "Timing", "/m\xC3\xBCsik/gong.wav");
    document.SaveToFile(path);
    EXPECT_EQ(Get(path), document.SaveToBytes());
    EXPECT_EQ(TIniDocument::FromFile(path).ReadString("Sound", "Timing", ""),
              "/m\xC3\xBCsik/gong.wav");
    EXPECT_EQ(Entries(), std::vector<std::string>{"einstellungen-\xC3\xBC.ini"});
}

TEST_F(FileContentTest, AFolderThatCannotTakeTheFileIsACreateErrorNamingThePath) {
    Put(PathOf("plain"), "x");
    const std::pair<std::string, int> cases[] = {
        {PathOf("plain/quorvane.ini"), ENOTDIR},
        {PathOf("no-folder/quorvane.ini"), ENOENT},
    };
    for (const auto& [path, errorCode] : cases) {
        const EIniFileError error =
            ErrorOf([&] { TIniDocument::FromBytes(oldContent).SaveToFile(path); });
        EXPECT_EQ(error.FailedOperation(), EIniFileError::Operation::Create) << path;
        EXPECT_EQ(error.ErrorCode(), errorCode) << path;
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create file \"" + path + "\". " + error.SystemErrorText());
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"plain"});
}

TEST_F(FileContentTest, AWriteFailingHalfWayKeepsTheOldFileWholeAndLeavesNoTemporaryFile) {
    const std::string path = PathOf("quorvane.ini");
    Put(path, oldContent);
    TIniDocument document = TIniDocument::FromBytes(oldContent);
    document.WriteString("Sound", "Timing", std::string(100000, 'x'));

    // Like a full disk: the limit lets the first bytes through and then refuses the rest.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const EIniFileError error = ErrorOf([&] { document.SaveToFile(path); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedSignal);

    EXPECT_EQ(error.ErrorCode(), EFBIG);
    EXPECT_EQ(Get(path), oldContent);
    EXPECT_EQ(Entries(), std::vector<std::string>{"quorvane.ini"});
}

TEST_F(FileContentTest, ReplacingKeepsPermissionBitsAndALinkStaysALink) {
    const std::string target = PathOf("real.ini");
    const std::string link = PathOf("link.ini");
    Put(target, oldContent);
    ::chmod(target.c_str(), 0640);
    fs::create_symlink("real.ini", link);

    TIniDocument::FromBytes("[Times]\r\nStart Time=30\r\n").SaveToFile(link);

    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Get(target), "[Times]\r\nStart Time=30\r\n\r\n");
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"link.ini", "real.ini"}));
}

namespace {

// Runs `action` on a thread of its own and waits for it with a generous bound: a call that
// blocks (a FIFO waiting for a writer, a device read without end) cannot be interrupted, so the
// test program ends with the failure instead of hanging.
template <typename Action> void ExpectReturns(const char* what, Action action) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> returned = done->get_future();
    std::thread([done, action] {
        try {
            action();
        } catch (...) {
        }
        done->set_value();
    }).detach();
    if (returned.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        std::fprintf(stderr, "%s did not return\n", what);
        std::fflush(stderr);
        std::_Exit(1);
    }
}

} // namespace

TEST_F(FileContentTest, OnlyARegularFileIsReadAndNothingElseBlocksOrIsReadWithoutEnd) {
    const std::string fifo = PathOf("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string large = PathOf("large.ini");
    Put(large, "[Times]\r\n");
    fs::resize_file(large, kMaxSettingsFileSize + 1); // sparse: costs no disk
    const std::string linkToDevice = PathOf("zero.ini");
    fs::create_symlink("/dev/zero", linkToDevice);
    const struct {
        const char* name;
        std::string path;
        std::string reason;
    } cases[] = {
        {"a FIFO without a writer", fifo, "It is not a regular file."},
        {"a character device read without end", "/dev/zero", "It is not a regular file."},
        {"a link to a character device", linkToDevice, "It is not a regular file."},
        {"a file beyond the bound", large,
         "It is larger than 64 MiB, too large for a settings file."},
    };
    for (const auto& c : cases) {
        ExpectReturns(c.name, [&] {
            const EIniFileError error = ErrorOf([&] { ReadFileContent(c.path); });
            EXPECT_EQ(error.FailedOperation(), EIniFileError::Operation::Open) << c.name;
            EXPECT_EQ(std::string(error.what()), "Cannot open file \"" + c.path + "\". " + c.reason)
                << c.name;
        });
    }
    // The bound itself is still a settings file.
    fs::resize_file(large, kMaxSettingsFileSize);
    EXPECT_EQ(ReadFileContent(large)->size(), kMaxSettingsFileSize);
}

TEST_F(FileContentTest, ATargetThatIsNotARegularFileIsNeverReplaced) {
    const std::string fifo = PathOf("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string linkToFifo = PathOf("link.ini");
    fs::create_symlink("fifo.ini", linkToFifo);
    std::vector<std::string> targets = {fifo, linkToFifo};
    // A device node of our own, since replacing the system's would break the machine; making one
    // needs root, as CI runs.
    const std::string device = PathOf("null.ini");
    if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0)
        targets.push_back(device);
    for (const std::string& path : targets) {
        ExpectReturns(path.c_str(), [&] {
            const EIniFileError error =
                ErrorOf([&] { TIniDocument::FromBytes(oldContent).SaveToFile(path); });
            EXPECT_EQ(error.FailedOperation(), EIniFileError::Operation::Create) << path;
            EXPECT_EQ(std::string(error.what()),
                      "Cannot create file \"" + path + "\". It is not a regular file.");
        });
    }
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
    EXPECT_TRUE(fs::is_symlink(linkToFifo));
    if (targets.size() == 3) {
        EXPECT_TRUE(fs::is_character_file(fs::symlink_status(device)));
    }
    EXPECT_EQ(Entries().size(), targets.size()) << "no temporary file is left";
}

TEST_F(FileContentTest, ADanglingLinkIsAMissingFileAndIsWrittenThroughToItsTarget) {
    fs::create_directory(folder / "real");
    const struct {
        const char* name;
        std::string link;
        std::string linkText;
        std::string target;
    } cases[] = {
        {"a relative link", PathOf("relative.ini"), "real/new.ini", PathOf("real/new.ini")},
        {"an absolute link", PathOf("absolute.ini"), PathOf("real/abs.ini"),
         PathOf("real/abs.ini")},
        {"a link to a dangling link", PathOf("chain.ini"), "relative2.ini",
         PathOf("real/second.ini")},
    };
    fs::create_symlink("real/second.ini", PathOf("relative2.ini"));
    for (const auto& c : cases) {
        fs::create_symlink(c.linkText, c.link);
        ExpectReturns(c.name, [&] {
            EXPECT_FALSE(ReadFileContent(c.link).has_value()) << c.name;
            TIniDocument::FromBytes(oldContent).SaveToFile(c.link);
        });
        EXPECT_TRUE(fs::is_symlink(c.link)) << c.name;
        EXPECT_EQ(Get(c.target), oldContent) << c.name;
        EXPECT_EQ(Get(c.link), oldContent) << c.name;
    }
    const std::vector<std::string> inReal = {"abs.ini", "new.ini", "second.ini"};
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder / "real"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, inReal) << "no temporary file is left beside the target";
}

TEST_F(FileContentTest, TemporaryFilesThatAKilledSaveLeftAreRemovedAtTheNextSave) {
    const std::string path = PathOf("talk.ini");
    Put(path, oldContent);
    // A writer that is surely gone: a child that has ended and been reaped.
    const pid_t gone = ::fork();
    if (gone == 0)
        std::_Exit(0);
    ASSERT_GT(gone, 0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const std::string goneId = std::to_string(gone);
    const std::string liveId = std::to_string(::getppid());
    const struct {
        std::string name;
        bool old;
        bool removed;
    } cases[] = {
        {".talk.ini~quorvane-" + goneId + "-1a2b.tmp", false, true},
        {".talk.ini~quorvane-" + liveId + "-1a2b.tmp", true, true},
        // Another instance may be saving right now.
        {".talk.ini~quorvane-" + liveId + "-3c4d.tmp", false, false},
        // Not this program's, or not this file's.
        {".other.ini~quorvane-" + goneId + "-1a2b.tmp", false, false},
        {".talk.ini.tmp", true, false},
        {".talk.ini~quorvane-" + goneId + "-notes.tmp", true, false},
        {".talk.ini~quorvane-" + goneId + "-1a2b.txt", true, false},
    };
    for (const auto& c : cases) {
        Put(PathOf(c.name), "[Times]\r\nStart=");
        if (c.old) {
            const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
            fs::last_write_time(PathOf(c.name), hourAgo);
        }
    }
    TIniDocument::FromBytes("[Times]\r\nStart Time=30\r\n").SaveToFile(path);
    EXPECT_EQ(Get(path), "[Times]\r\nStart Time=30\r\n\r\n");
    for (const auto& c : cases)
        EXPECT_EQ(fs::exists(PathOf(c.name)), !c.removed) << c.name;
    EXPECT_EQ(Entries().size(), 6u) << "the save's own temporary file is gone too";
}
