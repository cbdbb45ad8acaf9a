// The program-wide keys: shortcuts in every window, before the focused control's own keys,
// passed on while their command is disabled, off while a modal dialog runs.
#include "ControlWindowFixture.hpp"
#include "TFmDisplay.hpp"

#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>
#include <algorithm>
#include <vector>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

// Records the key presses that reach a widget (a modifier arrives as a press of its own).
struct KeyRecorder : QObject {
    std::vector<QKeyCombination> keys;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            keys.push_back(static_cast<QKeyEvent*>(event)->keyCombination());
        return false;
    }
};

struct ShortcutsTest : ControlWindowTest {
    void SetUp() override {
        ControlWindowTest::SetUp();
        // Lets a message be sent: the engine sends only while the display window shows.
        ShowDisplayWindowToo();
    }
    void RunWithQuickRestart(bool quick) {
        Controls().cbQuickRestart.SetChecked(quick);
        Click("btRun");
        Ticks(3);
        ASSERT_EQ(Count(), 7);
    }
    QLineEdit* MessageEditor() {
        ShowTab("tsTimes");
        ShowTab("tsMessage");
        auto* editor = Find<QLineEdit>("edtMessageText");
        EXPECT_TRUE(editor->hasFocus()) << "showing the tab puts the focus into the editor";
        return editor;
    }
};

} // namespace

TEST_F(ShortcutsTest, SpaceInTheMessageEditorRestartsOnlyWhileRestartIsEnabled) {
    struct {
        const char* name;
        bool quick;
        std::int32_t count;
        const char* text;
    } cases[] = {
        {"restart enabled: the count restarts and no space is typed", true, 10, ""},
        {"restart disabled: the space is typed and the count goes on", false, 7, " "},
    };
    for (const auto& c : cases) {
        Click("btSetStart");
        RunWithQuickRestart(c.quick);
        EXPECT_EQ(Engine().actRestart.Enabled(), c.quick) << c.name;
        QLineEdit* editor = MessageEditor();
        editor->clear();
        QTest::keyClick(editor, Qt::Key_Space);
        EXPECT_EQ(Count(), c.count) << c.name;
        EXPECT_EQ(State(), CounterState::Running) << c.name;
        EXPECT_EQ(editor->text(), QLatin1String(c.text)) << c.name;
        EXPECT_EQ(Controls().edtMessageText.Text(), c.text) << c.name;
    }
}

TEST_F(ShortcutsTest, SpaceOnAFocusedButtonPressesItOnlyWhileRestartIsDisabled) {
    struct {
        const char* name;
        bool quick;
        const char* seconds;
    } cases[] = {
        {"restart enabled: the count restarts, the button is not pressed", true, "10"},
        {"restart disabled: the focused Clear button is pressed", false, "0"},
    };
    for (const auto& c : cases) {
        Click("btPause");
        Click("btSetStart");
        Controls().EdStartSeconds.SetValue(10);
        RunWithQuickRestart(c.quick);
        auto* clear = Find<QAbstractButton>("BtClearStart");
        clear->setFocus();
        QTest::keyClick(clear, Qt::Key_Space);
        EXPECT_EQ(Controls().EdStartSeconds.Text(), c.seconds) << c.name;
        EXPECT_EQ(Count(), c.quick ? 10 : 7) << c.name;
    }
}

TEST_F(ShortcutsTest, ADisabledCommandsKeyGoesOnToTheFocusedEditor) {
    struct {
        const char* name;
        bool running;
        bool reachesEditor;
        CounterState after;
    } cases[] = {
        {"Pause is disabled while stopped: Ctrl+P reaches the editor", false, true,
         CounterState::Stopped},
        {"Pause is enabled while running: it takes Ctrl+P", true, false, CounterState::Paused},
    };
    for (const auto& c : cases) {
        Click("btSetStart");
        if (c.running)
            Click("btRun");
        QLineEdit* editor = MessageEditor();
        KeyRecorder recorder;
        editor->installEventFilter(&recorder);
        QTest::keyClick(editor, Qt::Key_P, Qt::ControlModifier);
        editor->removeEventFilter(&recorder);
        const bool reached = std::find(recorder.keys.begin(), recorder.keys.end(),
                                       Qt::CTRL | Qt::Key_P) != recorder.keys.end();
        EXPECT_EQ(reached, c.reachesEditor) << c.name;
        EXPECT_EQ(State(), c.after) << c.name;
    }
}

TEST_F(ShortcutsTest, EscapePressesClearOnlyWhileTheMessageTabShows) {
    QLineEdit* editor = MessageEditor();
    QTest::keyClicks(editor, QStringLiteral("Wrap up"));
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(Engine().MessageShowing);
    ASSERT_TRUE(Engine().actMessageClear.Enabled());

    ShowTab("tsTimes");
    auto* hours = Find("EdStartHours");
    hours->setFocus();
    QTest::keyClick(hours, Qt::Key_Escape);
    EXPECT_TRUE(Engine().MessageShowing) << "on another tab Escape does nothing";

    ShowTab("tsMessage");
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_TRUE(Engine().MessageShowing) << "not with a modifier held";
    QTest::keyClick(focused, Qt::Key_Escape);
    EXPECT_FALSE(Engine().MessageShowing);
    EXPECT_FALSE(Engine().actMessageClear.Enabled());
}

TEST_F(ShortcutsTest, CommandsWorkInTheDisplayWindowAlsoWithTheControlWindowInTheTray) {
    QWidget& other = *window->Display();
    Controls().cbQuickRestart.SetChecked(true);
    QSignalSpy closed(window.get(), &TFmMain::Closed);
    struct Step {
        const char* name;
        QKeyCombination key;
        CounterState state;
        std::int32_t count;
    };
    const Step steps[] = {
        {"Ctrl+R runs", Qt::CTRL | Qt::Key_R, CounterState::Running, 10},
        {"Ctrl+P pauses", Qt::CTRL | Qt::Key_P, CounterState::Paused, 8},
        {"Space restarts", QKeyCombination(Qt::Key_Space), CounterState::Running, 10},
        {"Ctrl+J jumps to the end", Qt::CTRL | Qt::Key_J, CounterState::Expired, 0},
        {"Ctrl+S sets the start", Qt::CTRL | Qt::Key_S, CounterState::Stopped, 10},
    };
    for (bool inTray : {false, true}) {
        if (inTray)
            window->MinimiseToTray();
        ASSERT_EQ(window->isVisible(), !inTray);
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        for (const Step& s : steps) {
            QTest::keyClick(&other, s.key.key(), s.key.keyboardModifiers());
            EXPECT_EQ(State(), s.state) << s.name << (inTray ? ", in the tray" : "");
            EXPECT_EQ(Count(), s.count) << s.name << (inTray ? ", in the tray" : "");
            if (s.state == CounterState::Running)
                Ticks(2);
        }
    }
    EXPECT_EQ(closed.count(), 0);
    QTest::keyClick(&other, Qt::Key_F4, Qt::AltModifier);
    EXPECT_EQ(closed.count(), 1) << "Alt+F4 ends the program from the display window";
}

TEST_F(ShortcutsTest, ClosingTheDisplayWindowFromTheWindowManagerClosesTheControlWindow) {
    QSignalSpy closed(window.get(), &TFmMain::Closed);
    EXPECT_FALSE(window->Display()->close()) << "the display window itself stays";
    QTRY_COMPARE(closed.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(ShortcutsTest, NoShortcutActsWhileAModalDialogRuns) {
    QDialog modal(window.get());
    bool dialogWasModal = false;
    QTimer::singleShot(0, &modal, [&] {
        dialogWasModal = QApplication::activeModalWidget() == &modal;
        for (Qt::Key key : {Qt::Key_R, Qt::Key_J})
            QTest::keyClick(&modal, key, Qt::ControlModifier);
        QTest::keyClick(&modal, Qt::Key_F4, Qt::AltModifier);
        modal.reject();
    });
    QSignalSpy closed(window.get(), &TFmMain::Closed);
    modal.exec();
    EXPECT_TRUE(dialogWasModal);
    EXPECT_EQ(State(), CounterState::Stopped);
    EXPECT_EQ(closed.count(), 0);
    QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(State(), CounterState::Running) << "after the dialog the keys work again";
}
