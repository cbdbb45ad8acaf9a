// Add and take a minute, blackout and attention from the control window: the Timer menu, the
// tray, the program-wide keys in both windows and the control window's sign of the blackout.
#include "ControlWindowFixture.hpp"
#include "TDisplayLabel.hpp"
#include "TFmDisplay.hpp"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <vector>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

struct OperatorCommands : ControlWindowTest {
    void SetUp() override {
        ControlWindowTest::SetUp();
        ShowDisplayWindowToo();
        Controls().cbShowCountInTitleBar.SetChecked(true);
    }
    std::vector<QWidget*> BothWindows() { return {window.get(), window->Display()}; }
    static void Activate(QWidget* target) {
        target->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(target));
    }
    void Press(QWidget* target, QKeyCombination key) {
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
    }
    // The stripes in the top rows of the time mirror, above the digits.
    int GreyPixels() {
        const QImage image = Find("LaTime")->grab().toImage();
        int n = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == QColor(128, 128, 128);
        return n;
    }
};

QStringList ItemNames(const QMenu* menu) {
    QStringList names;
    for (const QAction* a : menu->actions())
        names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return names;
}

} // namespace

TEST_F(OperatorCommands, TheTimerMenuListsEveryTimerCommandWithItsKey) {
    auto* timer = Find<QMenu>("MnTimer");
    EXPECT_EQ(ItemNames(timer),
              QStringLiteral("actRun actPause actSetStartTime actJump actRestart - actAddMinute "
                             "actTakeMinute - actBlackout actAttention")
                  .split(QLatin1Char(' ')));
    const struct {
        const char* name;
        const char* text;
        QKeySequence key;
    } items[] = {
        {"actRestart", "Quick Restart", QKeySequence(Qt::Key_Space)},
        {"actAddMinute", "Add a Minute", QKeySequence(Qt::CTRL | Qt::Key_Up)},
        {"actTakeMinute", "Take a Minute", QKeySequence(Qt::CTRL | Qt::Key_Down)},
        {"actBlackout", "Blackout", QKeySequence(Qt::CTRL | Qt::Key_B)},
        {"actAttention", "Attention", QKeySequence(Qt::CTRL | Qt::Key_T)},
    };
    for (const auto& i : items) {
        auto* action = Find<QAction>(i.name);
        EXPECT_EQ(action->text(), QLatin1String(i.text)) << i.name;
        EXPECT_EQ(action->shortcut(), i.key) << i.name;
        EXPECT_EQ(action->shortcutContext(), Qt::ApplicationShortcut) << i.name;
        EXPECT_FALSE(action->toolTip().isEmpty()) << i.name;
    }
    EXPECT_TRUE(Find<QAction>("actBlackout")->isCheckable());
    // The tray shows the same actions, so their enabled states agree.
    const QList<QAction*> tray = window->TrayPopupMenu()->actions();
    EXPECT_TRUE(tray.contains(Find<QAction>("actAddMinute")));
    EXPECT_TRUE(tray.contains(Find<QAction>("actTakeMinute")));
}

TEST_F(OperatorCommands, KeysAddAndTakeAMinuteFromBothWindowsAlsoFromTheTray) {
    // The default start time is ten seconds.
    struct Step {
        const char* name;
        QKeyCombination key;
        std::int32_t count;
        CounterState state;
        const char* title;
    };
    const Step steps[] = {
        {"stopped: Ctrl+Up raises the start time", Qt::CTRL | Qt::Key_Up, 70, CounterState::Stopped,
         "00:01:10"},
        {"Ctrl+R runs", Qt::CTRL | Qt::Key_R, 70, CounterState::Running, "00:01:10"},
        {"running: Ctrl+Up adds", Qt::CTRL | Qt::Key_Up, 130, CounterState::Running, "00:02:10"},
        {"running: Ctrl+Down takes", Qt::CTRL | Qt::Key_Down, 70, CounterState::Running,
         "00:01:10"},
        {"running: Ctrl+Down takes again", Qt::CTRL | Qt::Key_Down, 10, CounterState::Running,
         "00:00:10"},
        {"Ctrl+Down to the end expires", Qt::CTRL | Qt::Key_Down, 0, CounterState::Expired,
         "00:00:00"},
        {"expired: Ctrl+Up does nothing", Qt::CTRL | Qt::Key_Up, 0, CounterState::Expired,
         "00:00:00"},
        {"Ctrl+S sets the start", Qt::CTRL | Qt::Key_S, 70, CounterState::Stopped, "00:01:10"},
        {"stopped: Ctrl+Down lowers the start time", Qt::CTRL | Qt::Key_Down, 10,
         CounterState::Stopped, "00:00:10"},
    };
    for (int where = 0; where < 3; ++where) {
        const char* place = where == 0 ? "control window" : where == 1 ? "display window" : "tray";
        QWidget* target = where == 0 ? static_cast<QWidget*>(window.get()) : window->Display();
        if (where == 2)
            window->MinimiseToTray();
        Activate(target);
        for (const Step& s : steps) {
            Press(target, s.key);
            EXPECT_EQ(Count(), s.count) << s.name << ", " << place;
            EXPECT_EQ(State(), s.state) << s.name << ", " << place;
            EXPECT_EQ(window->windowTitle(), QLatin1String(s.title)) << s.name << ", " << place;
        }
    }
}

TEST_F(OperatorCommands, CtrlUpInAFocusedSpinEditorAddsAMinuteRatherThanStepping) {
    auto* seconds = Find("EdStartSeconds");
    seconds->setFocus();
    Press(seconds, Qt::CTRL | Qt::Key_Up);
    EXPECT_EQ(Controls().EdStartMinutes.Value(), 1);
    EXPECT_EQ(Controls().EdStartSeconds.Value(), 10);
    EXPECT_EQ(Count(), 70);
}

TEST_F(OperatorCommands, BlackoutFromBothWindowsIsShownInTheControlWindow) {
    auto* item = Find<QAction>("actBlackout");
    auto* sign = Find<QLabel>("LaBlackout");
    EXPECT_FALSE(sign->isVisible());
    EXPECT_EQ(GreyPixels(), 0);
    for (QWidget* target : BothWindows()) {
        Activate(target);
        Press(target, Qt::CTRL | Qt::Key_B);
        EXPECT_TRUE(Engine().Blackout());
        EXPECT_TRUE(item->isChecked());
        EXPECT_TRUE(sign->isVisible());
        EXPECT_EQ(sign->text(), QStringLiteral("Blackout"));
        EXPECT_GT(GreyPixels(), 100) << "the time mirror is striped";
        EXPECT_TRUE(window->Display()->LaTime->text().isEmpty());
        // A new background colour keeps the stripes.
        Engine().EdBackColourSelectColor(0x200000);
        EXPECT_GT(GreyPixels(), 100);
        Press(target, Qt::CTRL | Qt::Key_B);
        EXPECT_FALSE(Engine().Blackout());
        EXPECT_FALSE(item->isChecked());
        EXPECT_FALSE(sign->isVisible());
        EXPECT_EQ(GreyPixels(), 0);
    }
    // The menu item works as well as the key.
    item->trigger();
    EXPECT_TRUE(Engine().Blackout());
    EXPECT_TRUE(item->isChecked());
}

TEST_F(OperatorCommands, CtrlTStartsTheAttentionBlinkFromBothWindows) {
    for (QWidget* target : BothWindows()) {
        Activate(target);
        Press(target, Qt::CTRL | Qt::Key_T);
        EXPECT_TRUE(Engine().AttentionShowing());
        timers.Advance(3000);
        EXPECT_FALSE(Engine().AttentionShowing());
    }
}
