// The control window from its creation to its close: which settings file it reads, what it tells
// the operator on the way, the display window of the first showing, and what it writes at close.
#include "ControlWindowFixture.hpp"
#include "TFileNameEdit.hpp"
#include "TFmDisplay.hpp"
#include "TFmMain.hpp"
#include "TFontSelector.hpp"
#include "TempFolderTest.hpp"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

using namespace quorvane;
using namespace quorvane::testing;
namespace fs = std::filesystem;

namespace {

const QString missingFileText = QStringLiteral(
    "The specified ini file could not be found.\n\nIt will be created when the program closes.");

// Tests run as root, which ignores permission bits: a file that cannot be read is a folder, and a
// file that cannot be written lies in a folder that does not exist.
class StartupShutdownTest : public TempFolderTest, protected ControlWorld {
protected:
    std::unique_ptr<TFmMain> window;

    void TearDown() override {
        window.reset();
        TempFolderTest::TearDown();
    }

    void Start(const std::string& argument) {
        window = std::make_unique<TFmMain>(clock, timers, sound, dialogs,
                                           ChooseSettingsFile({argument}, "/usr/bin/quorvane", ""));
    }
    void Show() {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    // Whether the window accepted the close request.
    bool Close() {
        QCloseEvent event;
        QCoreApplication::sendEvent(window.get(), &event);
        return event.isAccepted();
    }
};

int KeyCount(const std::string& content) {
    int keys = 0;
    std::istringstream lines(content);
    for (std::string line; std::getline(lines, line);)
        keys += line.find('=') != std::string::npos ? 1 : 0;
    return keys;
}

} // namespace

TEST_F(StartupShutdownTest, AMissingArgumentFileIsAnnouncedBeforeAnyWindowAndWrittenAtClose) {
    const std::string path = PathOf("talk.ini");
    Start(path);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].kind, QStringLiteral("information"));
    EXPECT_EQ(dialogs.boxes[0].text, missingFileText);
    EXPECT_FALSE(window->isVisible()) << "the box comes before the window shows";
    EXPECT_EQ(window->Display(), nullptr);
    EXPECT_TRUE(window->SettingsLoaded());

    Show();
    ASSERT_NE(window->Display(), nullptr) << "the first showing creates the display window";
    EXPECT_FALSE(window->Display()->isVisible()) << "\"Display Visible\" defaults to 0";
    EXPECT_EQ(window->Engine().CurrentState(), CounterState::Stopped);
    EXPECT_TRUE(Close());

    const std::string written = Get(path);
    EXPECT_EQ(KeyCount(written), 46);
    EXPECT_NE(written.find("[Times]\r\nCounter Interval=1000\r\nStart Time=10\r\n"),
              std::string::npos);
    EXPECT_NE(written.find("Display Visible=0\r\n"), std::string::npos);
    EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(StartupShutdownTest, AnExistingFileIsReadWithoutAMessageAndPlacesTheWindows) {
    const std::string path = PathOf("talk.ini");
    Put(path, "[Times]\r\nStart Time=300\r\n\r\n[Windows]\r\nMain Top=40\r\nMain Left=70\r\n"
              "Display Visible=1\r\nDisplay Top=100\r\nDisplay Left=200\r\nDisplay Width=640\r\n"
              "Display Height=360\r\n\r\n[Custom]\r\nKept=yes\r\n");
    Start(path);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(window->pos(), QPoint(70, 40));
    EXPECT_EQ(window->Engine().Counter.Count, 300) << "Set Start ran with the loaded time";
    Show();
    TFmDisplay* display = window->Display();
    ASSERT_NE(display, nullptr);
    EXPECT_TRUE(display->isVisible());
    EXPECT_EQ(display->frameGeometry(), QRect(200, 100, 640, 360));

    // Closed while counting and with the display window maximised: the configured time is
    // saved, not the running count, and the maximised bounds with "Display Maximised" 1.
    window->Engine().actRun.Execute();
    timers.Advance(1000);
    ASSERT_EQ(window->Engine().Counter.Count, 299);
    display->LaTimeDblClick();
    ASSERT_TRUE(display->isMaximized());
    const QRect maximised = display->frameGeometry();
    EXPECT_TRUE(Close());
    EXPECT_EQ(window->Engine().CurrentState(), CounterState::Stopped);

    const std::string written = Get(path);
    EXPECT_NE(written.find("Start Time=300\r\n"), std::string::npos);
    EXPECT_NE(written.find("Display Maximised=1\r\n"), std::string::npos);
    const std::string bounds = "Display Top=" + std::to_string(maximised.top()) +
                               "\r\nDisplay Left=" + std::to_string(maximised.left()) +
                               "\r\nDisplay Width=" + std::to_string(maximised.width()) +
                               "\r\nDisplay Height=" + std::to_string(maximised.height()) + "\r\n";
    EXPECT_NE(written.find(bounds), std::string::npos) << written;
    EXPECT_NE(written.find("[Custom]\r\nKept=yes\r\n"), std::string::npos);
}

TEST_F(StartupShutdownTest, AFileThatCannotBeReadIsReportedAndNeverOverwritten) {
    const std::string path = PathOf("talk.ini");
    fs::create_directory(path);
    Start(path);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].kind, QStringLiteral("error"));
    EXPECT_TRUE(dialogs.boxes[0].text.contains(QString::fromStdString(path)));
    EXPECT_FALSE(window->SettingsLoaded());
    // The program goes on with the defaults.
    EXPECT_EQ(window->Engine().Controls.edCounterMode.ItemIndex(), 0);
    EXPECT_EQ(window->Engine().Counter.Count, 10);
    Show();
    EXPECT_TRUE(Close());
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(StartupShutdownTest, AFileThatCannotBeWrittenKeepsTheProgramOpen) {
    const std::string path = PathOf("no-folder/talk.ini");
    Start(path);
    Show();
    dialogs.boxes.clear();
    EXPECT_FALSE(Close()) << "the close fails";
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].kind, QStringLiteral("error"));
    EXPECT_EQ(dialogs.boxes[0].text,
              QStringLiteral("Cannot create file \"%1\". No such file or directory.")
                  .arg(QString::fromStdString(path)));
    EXPECT_TRUE(window->isVisible());

    // Once the folder is there, the next close goes through.
    fs::create_directory(folder / "no-folder");
    EXPECT_TRUE(Close());
    EXPECT_EQ(KeyCount(Get(path)), 46);
}

namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

} // namespace

TEST_F(StartupShutdownTest, StringsTheOperatorLeavesAloneAreWrittenBackByteForByte) {
    // A file as the program writes it, then given bytes of an older 8-bit file, a path longer
    // than a line editor takes by default, and a key of someone else's.
    const std::string path = PathOf("talk.ini");
    Start(path);
    Show();
    ASSERT_TRUE(Close());
    window.reset();
    const std::string timing = "/t\xE9st/caf\xE9.wav";
    const std::string atEnd = "/" + std::string(40000, 'a') + "/end.wav";
    const std::string font = "Garamond \xE9t\xE9";
    std::string file = Get(path);
    file = Replaced(file, "Timing=\r\n", "Timing=" + timing + "\r\n");
    file = Replaced(file, "At End=\r\n", "At End=" + atEnd + "\r\n");
    file = Replaced(file, "Font Name=Arial\r\nFont Size=36\r\nDisplay Mode At",
                    "Font Name=" + font + "\r\nFont Size=36\r\nDisplay Mode At");
    file += "[Extra]\r\nNote=r\xE9sum\xE9\r\n\r\n";
    Put(path, file);

    Start(path);
    Show();
    auto* timingEditor = window->findChild<TFileNameEdit*>(QStringLiteral("edSoundTiming"));
    auto* atEndEditor = window->findChild<TFileNameEdit*>(QStringLiteral("edSoundAtEnd"));
    auto* fontSelector = window->findChild<TFontSelector*>(QStringLiteral("edTimeFontName"));
    ASSERT_TRUE(timingEditor && atEndEditor && fontSelector);
    // Shown as the code page such files were written in.
    EXPECT_EQ(timingEditor->Text(), QStringLiteral("/t\u00E9st/caf\u00E9.wav"));
    EXPECT_EQ(fontSelector->FontName(), QStringLiteral("Garamond \u00E9t\u00E9"));
    EXPECT_EQ(atEndEditor->Text().size(), qsizetype(atEnd.size()));
    // The sound opens the file of that name: its bytes, not the text shown.
    sound.files.insert(timing);
    window->findChild<QPushButton*>(QStringLiteral("btTimingSoundPlay"))->click();
    EXPECT_EQ(sound.log, std::vector<std::string>{"timing play"});
    ASSERT_TRUE(Close());
    EXPECT_EQ(Get(path), file);
    window.reset();

    // What the operator edits is written as the editor holds it, in UTF-8.
    Start(path);
    Show();
    timingEditor = window->findChild<TFileNameEdit*>(QStringLiteral("edSoundTiming"));
    timingEditor->Editor()->end(false);
    QTest::keyClicks(timingEditor->Editor(), QStringLiteral("x"));
    ASSERT_TRUE(Close());
    EXPECT_EQ(Get(path),
              Replaced(file, "Timing=" + timing, "Timing=/t\xC3\xA9st/caf\xC3\xA9.wavx"));
}

TEST_F(StartupShutdownTest, ASessionEndClosesWithItsOwnSaveAlsoWhileAFailedSaveShowsItsBox) {
    const std::string path = PathOf("no-folder/talk.ini");
    std::vector<std::string> sessionSaves;
    const auto sessionSave = [&sessionSaves](const std::string& saved, TTimerEngine&,
                                             const TWindowPlace&,
                                             bool) { sessionSaves.push_back(saved); };
    const struct {
        const char* name;
        bool operatorClosesFirst;
    } cases[] = {
        {"the session ends while the program runs", false},
        {"the session ends while the box of the operator's failed close is open", true},
    };
    for (const auto& c : cases) {
        Start(path);
        Show();
        dialogs.boxes.clear();
        sessionSaves.clear();
        QSignalSpy closed(window.get(), &TFmMain::Closed);
        if (c.operatorClosesFirst) {
            dialogs.whileOpen = [&] {
                dialogs.whileOpen = nullptr;
                window->CloseAtSessionEnd(sessionSave);
            };
            window->MnExitClick();
            EXPECT_EQ(dialogs.boxes.size(), 1u) << c.name << ": the operator's box";
        } else {
            window->CloseAtSessionEnd(sessionSave);
            EXPECT_TRUE(dialogs.boxes.empty()) << c.name;
        }
        EXPECT_EQ(sessionSaves, std::vector<std::string>{path}) << c.name;
        EXPECT_EQ(closed.count(), 1) << c.name;
        EXPECT_FALSE(window->isVisible()) << c.name;
        window.reset();
    }
}
