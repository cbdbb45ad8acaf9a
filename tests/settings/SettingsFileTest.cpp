#include "SettingsFile.hpp"

#include "EIniFileError.hpp"
#include "EngineHarness.hpp"
#include "TempFolderTest.hpp"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace quorvane;
using namespace quorvane::testing;
namespace fs = std::filesystem;

namespace {

// Tests run as root, which ignores permission bits: a folder that cannot take a file is made
// from a path whose parent does not exist or is a regular file.
class SettingsFileTest : public TempFolderTest {};

} // namespace

TEST_F(SettingsFileTest, ChoosesTheFileFromTheArgumentOrBesideTheExecutable) {
    Put(PathOf("mine.ini"), "");
    const std::string user = PathOf("user");
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::string executable;
        TSettingsChoice expected;
    } cases[] = {
        {"an existing argument",
         {PathOf("mine.ini"), "ignored"},
         PathOf("quorvane"),
         {PathOf("mine.ini"), SettingsSource::Argument, false}},
        {"a missing argument is reported",
         {PathOf("new.ini")},
         PathOf("quorvane"),
         {PathOf("new.ini"), SettingsSource::Argument, true}},
        {"a relative argument stays relative",
         {"sub/../rel.ini"},
         PathOf("quorvane"),
         {"sub/../rel.ini", SettingsSource::Argument, true}},
        {"no extension gets one",
         {},
         PathOf("quorvane"),
         {PathOf("quorvane.ini"), SettingsSource::BesideExecutable, false}},
        {"an extension is replaced",
         {},
         PathOf("timer.bin"),
         {PathOf("timer.ini"), SettingsSource::BesideExecutable, false}},
        {"a folder that cannot take the file",
         {},
         PathOf("mine.ini/quorvane"),
         {(fs::path(user) / "quorvane.ini").string(), SettingsSource::UserFolder, false}},
    };
    for (const Case& c : cases) {
        const TSettingsChoice got = ChooseSettingsFile(c.arguments, c.executable, user);
        EXPECT_EQ(got.Path, c.expected.Path) << c.name;
        EXPECT_EQ(got.Source, c.expected.Source) << c.name;
        EXPECT_EQ(got.ArgumentFileMissing, c.expected.ArgumentFileMissing) << c.name;
    }
}

TEST_F(SettingsFileTest, AMissingFileLoadsTheDefaultsAndIsCreatedBySaving) {
    EngineWorld world;
    TWindowPlace place;
    const std::string path = PathOf("quorvane.ini");
    world.engine.Counter.StartTime = 77;
    LoadSettingsFile(path, world.engine, place);
    EXPECT_EQ(world.engine.Counter.StartTime, 10);
    EXPECT_FALSE(fs::exists(path));

    SaveSettingsFile(path, world.engine, place, false);
    EXPECT_EQ(Get(path).rfind("[Times]\r\nCounter Interval=1000\r\nStart Time=10\r\n", 0), 0u);
}

TEST_F(SettingsFileTest, SavingStartsFromWhatTheFileHoldsAtClose) {
    EngineWorld world;
    TWindowPlace place;
    const std::string path = PathOf("quorvane.ini");
    Put(path, "[Times]\r\nStart Time=30\r\n");
    LoadSettingsFile(path, world.engine, place);
    EXPECT_EQ(world.engine.Counter.StartTime, 30);

    // Someone adds a key of their own while the program runs; it survives the save.
    Put(path, "[Times]\r\nStart Time=30\r\n[Mine]\r\nNote=kept\r\n");
    world.engine.Counter.StartTime = 45;
    SaveSettingsFile(path, world.engine, place, false);
    const std::string saved = Get(path);
    EXPECT_NE(saved.find("Start Time=45\r\n"), std::string::npos);
    EXPECT_NE(saved.find("[Mine]\r\nNote=kept\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, FilesThatCannotBeReadOrWrittenThrowAndChangeNothing) {
    EngineWorld world;
    TWindowPlace place;
    // A folder where the file should be cannot be read: loading changes no control.
    const std::string unreadable = PathOf("folder.ini");
    fs::create_directory(unreadable);
    world.engine.Counter.StartTime = 77;
    EXPECT_THROW(LoadSettingsFile(unreadable, world.engine, place), EIniFileError);
    EXPECT_EQ(world.engine.Counter.StartTime, 77);
    try {
        SaveSettingsFile(unreadable, world.engine, place, false);
        ADD_FAILURE() << "saved over a folder";
    } catch (const EIniFileError& error) {
        EXPECT_EQ(error.FailedOperation(), EIniFileError::Operation::Open);
    }
    EXPECT_TRUE(fs::is_directory(unreadable));

    Put(PathOf("plain"), "x");
    const std::string unwritable = PathOf("plain/quorvane.ini");
    try {
        SaveSettingsFile(unwritable, world.engine, place, false);
        ADD_FAILURE() << "saved below a file";
    } catch (const EIniFileError& error) {
        EXPECT_EQ(error.FailedOperation(), EIniFileError::Operation::Create);
        EXPECT_NE(std::string(error.what()).find(unwritable), std::string::npos);
    }
    EXPECT_EQ(Get(PathOf("plain")), "x");
}

TEST_F(SettingsFileTest, ASessionEndThatCannotSaveWritesTheSameContentToTheRecoveryFile) {
    Put(PathOf("plain"), "x");
    fs::create_directory(PathOf("folder.ini"));
    const std::string recovery = PathOf("talk.ini.recovered");
    const struct {
        const char* name;
        std::string path;
        std::string recoveryPath;
        bool saved;
        bool recovered;
    } cases[] = {
        {"a file that can be written is saved", PathOf("talk.ini"), recovery, true, false},
        {"a folder that cannot take the file", PathOf("plain/talk.ini"), recovery, false, true},
        {"a file that cannot be read", PathOf("folder.ini"), recovery, false, true},
        {"a recovery file that cannot be written either", PathOf("plain/talk.ini"),
         PathOf("plain/talk.ini.recovered"), false, false},
    };
    for (const auto& c : cases) {
        EngineWorld world;
        TWindowPlace place;
        world.engine.Counter.StartTime = 45;
        std::error_code ignored;
        fs::remove(recovery, ignored);
        const auto result =
            SaveSettingsFileOrRecover(c.path, c.recoveryPath, world.engine, place, false);
        EXPECT_EQ(!result.has_value(), c.saved) << c.name;
        EXPECT_EQ(fs::exists(recovery), c.recovered) << c.name;
        if (result) {
            EXPECT_NE(result->Error.find(c.path), std::string::npos) << c.name;
            EXPECT_EQ(result->RecoveryPath, c.recoveryPath) << c.name;
            EXPECT_EQ(result->RecoveryError.empty(), c.recovered) << c.name;
        }
        if (c.recovered) {
            EXPECT_NE(Get(recovery).find("Start Time=45\r\n"), std::string::npos) << c.name;
        }
    }
    EXPECT_TRUE(fs::is_directory(PathOf("folder.ini")));
}
