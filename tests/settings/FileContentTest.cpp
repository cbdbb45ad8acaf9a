#include "FileContent.hpp"
#include "EIniFileError.hpp"
#include "TIniDocument.hpp"
#include "TempFolderTest.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>

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
