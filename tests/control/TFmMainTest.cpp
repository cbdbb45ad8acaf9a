// The control window: its build, the binding of its controls to the engine, menus, the tray,
// errors and what a screen reader sees.
#include "ControlWindowFixture.hpp"
#include "TColourButton.hpp"
#include "TColourPalette.hpp"
#include "TFileNameEdit.hpp"
#include "TSpinEditor.hpp"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

QString Name(QWidget* w) {
    // An editor inside a compound control stands for that control.
    if (w != nullptr && w->objectName() == QLatin1String("Editor"))
        w = w->parentWidget();
    return w ? w->objectName() : QStringLiteral("(none)");
}

QStringList Names(std::initializer_list<const char*> names) {
    QStringList list;
    for (const char* n : names)
        list << QLatin1String(n);
    return list;
}

} // namespace

TEST_F(ControlWindowTest, FixedWindowWithItsCaptionClientAreaAndNoMaximiseButton) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quorvane"));
    EXPECT_EQ(window->centralWidget()->size(), QSize(274, 346));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_EQ(window->pos(), QPoint(0, 0)) << "without a settings file: the top-left corner";

    auto* time = Find<QLabel>("LaTime");
    EXPECT_EQ(time->geometry(), QRect(0, 0, 274, 75));
    EXPECT_TRUE(time->font().bold());
    EXPECT_EQ(time->font().pixelSize(), 48);
    auto* tabs = Find<QTabWidget>("PageControl1");
    EXPECT_EQ(tabs->geometry(), QRect(0, 346 - 226, 274, 226));
    EXPECT_EQ(tabs->currentWidget(), Find("tsTimes"));
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i)
        captions << tabs->tabText(i);
    EXPECT_EQ(captions, Names({"Times", "Colours", "Options", "Sound", "Message"}));
    int left = -1;
    for (const char* name : {"btRun", "btPause", "btSetStart", "btJump"}) {
        auto* button = Find<QToolButton>(name);
        EXPECT_EQ(button->size(), QSize(69, 41)) << name;
        EXPECT_TRUE(button->font().bold()) << name;
        EXPECT_FALSE(button->icon().isNull()) << name;
        EXPECT_GT(button->x(), left) << name << " stands right of the one before";
        left = button->x();
    }
}

TEST_F(ControlWindowTest, CaptionsAndHintsOfTheControls) {
    struct {
        const char* name;
        const char* caption;
        const char* hint;
    } cases[] = {
        {"btRun", "Run", ""},
        {"btSetStart", "Set Start", ""},
        {"BtClearStart", "Clear", "Clear the start time (00:00:00)"},
        {"BtClearEnd", "Clear", "Clear the warning time (00:00:00)"},
        {"btClearAutoPause", "Clear", ""},
        {"btWarnActive", "Active", ""},
        {"EdRunColour", "Running", "Click to set the text colour"},
        {"EdBackColour", "Background", "Click to set the background colour"},
        {"EdMessageColour", "Message", "Click to set the message text colour"},
        {"cbTransparent", "Transparent", ""},
        {"cbBorderless", "Borderless Window", ""},
        {"cbStayOnTop", "Stay On Top Window", ""},
        {"cbMinimiseControlsToTray", "Minimise Control Window To Tray Icon",
         "Minimise the control window to a tray icon instead of the task bar"},
        {"cbShowCountInTitleBar", "Show Countdown In Title Bar",
         "Show the countdown time in the title bar"},
        {"cbQuickRestart", "Enable Quick Restart (Space Key)",
         "Enables the quick restart function (via the space key)"},
        {"cbShowTimePie", "Show Time Pie", "Show the pie graphic beside the time"},
        {"btTimingSoundPlay", "Play", ""},
        {"btEndSoundStop", "Stop", ""},
        {"edSoundAtEndLoop", "Loop", "Loop Until \"Set Start\" Is Pressed Again"},
        {"btnMessageSend", "Send", ""},
        {"btnMessageClear", "Clear", ""},
        {"cbAutoClearEditor", "Auto Clear Editor", ""},
    };
    for (const auto& c : cases) {
        auto* button = Find<QAbstractButton>(c.name);
        ASSERT_NE(button, nullptr) << c.name;
        EXPECT_EQ(button->text(), QString::fromUtf8(c.caption)) << c.name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(c.hint)) << c.name;
    }
    struct {
        const char* name;
        const char* hint;
    } editors[] = {
        {"EdStartMinutes", "Start time minutes"},
        {"EdWarnHours", "Warning time hours"},
        {"EdAutoPauseSeconds", "Auto pause time seconds"},
        {"edCounterMode", "Choose the count / time display mode"},
        {"edDisplayWidth", "Choose the way the counter is displayed"},
        {"edTimeFontName", "Choose the font to use for the time in the display window"},
        {"edCounterInterval", "Counter interval (N/A for clock mode)"},
        {"edMessageTime", "Display message for this many seconds"},
        {"edMessageFontName", "Choose the font to use for the message"},
    };
    for (const auto& e : editors)
        EXPECT_EQ(Find(e.name)->toolTip(), QString::fromUtf8(e.hint)) << e.name;
    EXPECT_EQ(Find<QGroupBox>("gbStopPosition")->title(), QStringLiteral("Warning Time"));
    EXPECT_EQ(Find<QGroupBox>("AdvGroupBox1")->title(), QStringLiteral("Auto Pause Time"));
    EXPECT_EQ(Find<QComboBox>("edPauseDisplayMode")->count(), 3);
    EXPECT_EQ(Find<QComboBox>("edWarningDisplayMode")->count(), 2);
    EXPECT_EQ(Find<QComboBox>("edMessageMode")->itemText(4),
              QStringLiteral("Msg Below Time (Auto Centre)"));
}

TEST_F(ControlWindowTest, SpinEditorRangesStepsAndDigits) {
    struct {
        const char* name;
        int minimum, maximum, step;
    } cases[] = {
        {"EdStartHours", 0, 99, 1},          {"EdWarnMinutes", 0, 59, 1},
        {"EdAutoPauseSeconds", 0, 59, 1},    {"edTimeFontSize", 24, 999, 2},
        {"edCounterInterval", 50, 5000, 50}, {"edMessageTime", 0, 10, 1},
        {"edMessageFontSize", 24, 200, 2},
    };
    for (const auto& c : cases) {
        auto* editor = Find<TSpinEditor>(c.name);
        ASSERT_NE(editor, nullptr) << c.name;
        EXPECT_EQ(editor->Minimum(), c.minimum) << c.name;
        EXPECT_EQ(editor->Maximum(), c.maximum) << c.name;
        EXPECT_EQ(editor->Step(), c.step) << c.name;
    }
}

TEST_F(ControlWindowTest, TabOrderOfEachTab) {
    struct {
        const char* page;
        QStringList order;
    } cases[] = {
        {"tsTimes",
         Names({"EdStartHours", "EdStartMinutes", "EdStartSeconds", "BtClearStart", "EdWarnHours",
                "EdWarnMinutes", "EdWarnSeconds", "BtClearEnd", "EdAutoPauseHours",
                "EdAutoPauseMinutes", "EdAutoPauseSeconds", "btClearAutoPause"})},
        {"tsColours", Names({"EdRunColour", "EdPauseColour", "edPauseDisplayMode", "EdWarnColour",
                             "edWarningDisplayMode", "EdExpiredColour", "edExpiredDisplayMode",
                             "EdStopColour", "edStopDisplayMode", "EdBackColour", "cbTransparent",
                             "EdMessageColour", "edMessageDisplayMode"})},
        {"tsOptions",
         Names({"edCounterMode", "edDisplayWidth", "edTimeFontName", "edTimeFontSize",
                "cbBorderless", "cbStayOnTop", "cbMinimiseControlsToTray", "cbShowCountInTitleBar",
                "cbQuickRestart", "cbShowTimePie", "edCounterInterval"})},
        // Stop is disabled at start, so the Tab key passes it by.
        {"tsSound", Names({"edSoundTiming", "btTimingSoundPlay", "edSoundAtEnd", "btEndSoundPlay",
                           "edSoundAtEndLoop"})},
        // Send and Clear are disabled until there is a message.
        {"tsMessage", Names({"edtMessageText", "edMessageTime", "cbAutoClearEditor",
                             "edMessageMode", "edMessageFontName", "edMessageFontSize"})},
    };
    for (const auto& c : cases) {
        ShowTab(c.page);
        QWidget* first = Find(c.order.front().toLatin1().constData());
        first->setFocus(Qt::TabFocusReason);
        QStringList walked{Name(QApplication::focusWidget())};
        for (qsizetype i = 1; i < c.order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << Name(QApplication::focusWidget());
        }
        EXPECT_EQ(walked, c.order) << c.page;
    }
    EXPECT_EQ(Find("btEndActive")->focusPolicy() & Qt::TabFocus, 0)
        << "the toggles are no tab stops";
}

TEST_F(ControlWindowTest, ControlsDriveTheEngineAndShowWhatItSets) {
    auto* seconds = Find<TSpinEditor>("EdStartSeconds");
    seconds->setFocus();
    seconds->selectAll();
    QTest::keyClicks(seconds, QStringLiteral("30"));
    EXPECT_EQ(Engine().Counter.StartTime, 30);
    Click("btSetStart");
    EXPECT_EQ(Find<QLabel>("LaTime")->text(), QStringLiteral("00:00:30"));

    auto* toggle = Find<QAbstractButton>("btWarnActive");
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(toggle->isChecked()) << "latches down";
    EXPECT_TRUE(Controls().btWarnActive.Checked());
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_FALSE(Controls().btWarnActive.Checked()) << "and up on the next click";

    ShowTab("tsOptions");
    auto* mode = Find<QComboBox>("edCounterMode");
    QSignalSpy activated(mode, &QComboBox::activated);
    mode->setFocus();
    QTest::keyClick(mode, Qt::Key_Down);
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(Controls().edCounterMode.ItemIndex(), 1);
    EXPECT_EQ(Find<QGroupBox>("gbStartPosition")->title(), QStringLiteral("End Time"));
    EXPECT_EQ(Find("EdStartHours")->toolTip(), QStringLiteral("End time hours"));
    EXPECT_EQ(Find("btJump")->toolTip(), QStringLiteral("Force to end-count & stop counter"));

    Click("btRun");
    EXPECT_FALSE(mode->isEnabled()) << "the engine switches the selectors off while running";
    EXPECT_FALSE(Find("btRun")->isEnabled());
    EXPECT_FALSE(Find("edSoundTiming")->isEnabled());
    Click("btPause");
    EXPECT_TRUE(mode->isEnabled());

    ShowTab("tsColours");
    auto* run = Find<TColourButton>("EdRunColour");
    QTest::mouseClick(run, Qt::LeftButton);
    auto* grid = static_cast<QGridLayout*>(run->Palette()->layout());
    QTest::mouseClick(qobject_cast<QAbstractButton*>(grid->itemAtPosition(3, 0)->widget()),
                      Qt::LeftButton);
    EXPECT_EQ(Controls().EdRunColour.Selected(), 0x0000FFu);
    Controls().EdStopColour.SetColour(0x00FF00);
    EXPECT_EQ(Find<TColourButton>("EdStopColour")->Colour(), 0x00FF00u);
}

TEST_F(ControlWindowTest, ColourPaletteAndFileDialogSuspendStayOnTopAndAlwaysResumeIt) {
    auto* stayOnTop = Find<QCheckBox>("cbStayOnTop");
    ShowTab("tsOptions");
    QTest::mouseClick(stayOnTop, Qt::LeftButton);
    QTest::mouseClick(stayOnTop, Qt::LeftButton);
    ASSERT_FALSE(Engine().StayOnTopTimer->Enabled()) << "unticking stops the re-asserting";

    // "More Colors..." cancelled still raises the chosen event, with the old colour: a text
    // colour equal to the background warns.
    ShowTab("tsColours");
    Controls().EdRunColour.SetColour(0x000000);
    auto* run = Find<TColourButton>("EdRunColour");
    bool suspendedInDialog = false;
    dialogs.whileOpen = [&] {
        suspendedInDialog = suspendedInDialog || !Engine().StayOnTopTimer->Enabled();
    };
    QTest::mouseClick(run, Qt::LeftButton);
    auto* grid = static_cast<QGridLayout*>(run->Palette()->layout());
    QTest::mouseClick(qobject_cast<QAbstractButton*>(grid->itemAtPosition(6, 0)->widget()),
                      Qt::LeftButton);
    EXPECT_TRUE(suspendedInDialog);
    EXPECT_TRUE(Engine().StayOnTopTimer->Enabled());
    EXPECT_EQ(dialogs.colourRequests.size(), 1u);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].kind, QStringLiteral("warning"));
    EXPECT_EQ(dialogs.boxes[0].title, QStringLiteral("Quorvane"));
    EXPECT_EQ(dialogs.boxes[0].text, QStringLiteral("The chosen text colour is now the same as "
                                                    "the\nbackground and will make that text "
                                                    "invisible."));
    EXPECT_EQ(Controls().EdRunColour.Selected(), 0x000000u);

    Engine().StayOnTopTimer->SetEnabled(false);
    ShowTab("tsSound");
    // A drop-down list is tied to its label through the labelled-by relation as well as named by
    // it, and describes itself by its hint.
    struct {
        const char* name;
        const char* label;
        const char* description;
    } lists[] = {
        {"edCounterMode", "Counter Mode", "Choose the count / time display mode"},
        {"edDisplayWidth", "Counter Width", "Choose the way the counter is displayed"},
        {"edMessageMode", "Display Mode", ""},
    };
    for (const auto& l : lists) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(Find(l.name));
        ASSERT_NE(a, nullptr) << l.name;
        const auto labels = a->relations(QAccessible::Label);
        ASSERT_FALSE(labels.isEmpty()) << l.name;
        EXPECT_EQ(labels.front().first->text(QAccessible::Name), QString::fromUtf8(l.label))
            << l.name;
        EXPECT_EQ(a->text(QAccessible::Description), QString::fromUtf8(l.description)) << l.name;
    }
    auto* timing = Find<TFileNameEdit>("edSoundTiming");
    suspendedInDialog = false;
    QTest::mouseClick(timing->BrowseButton(), Qt::LeftButton);
    EXPECT_TRUE(suspendedInDialog);
    EXPECT_TRUE(Engine().StayOnTopTimer->Enabled()) << "after a cancelled file dialog too";
}

TEST_F(ControlWindowTest, MenusWithTheirItemsAndShortcuts) {
    QStringList titles;
    for (QAction* menu : window->menuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles, Names({"&File", "&Timer", "View", "&Help"}));
    auto* exit = Find<QAction>("MnExit");
    EXPECT_EQ(exit->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(exit->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
    auto* display = Find<QAction>("MnDisplayWindow");
    EXPECT_EQ(display->text(), QStringLiteral("Show Display Window"));
    EXPECT_TRUE(display->isCheckable());
    EXPECT_FALSE(display->isChecked()) << "the display window is hidden by default";
    display->trigger();
    EXPECT_TRUE(Controls().MnDisplayWindow.Checked()) << "the item toggles its own check mark";
    EXPECT_EQ(Find<QAction>("MnAbout")->text(), QStringLiteral("&About..."));
    struct {
        const char* name;
        const char* shortcut;
    } commands[] = {{"actRun", "Ctrl+R"},
                    {"actPause", "Ctrl+P"},
                    {"actSetStartTime", "Ctrl+S"},
                    {"actJump", "Ctrl+J"},
                    {"actRestart", "Space"}};
    for (const auto& c : commands)
        EXPECT_EQ(Find<QAction>(c.name)->shortcut(), QKeySequence(QLatin1String(c.shortcut)))
            << c.name;

    QSignalSpy closed(window.get(), &TFmMain::Closed);
    exit->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(State(), CounterState::Stopped);
}

TEST_F(ControlWindowTest, HelpAboutShowsTheBuildsVersionWithTheTopmostOrderSuspended) {
    QString caption, version;
    bool suspended = false;
    QTimer::singleShot(0, window.get(), [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        version = box->findChild<QLabel*>(QStringLiteral("Version"))->text();
        suspended = !Engine().StayOnTopTimer->Enabled();
        QTest::keyClick(box, Qt::Key_Return);
    });
    window->findChild<QAction*>(QStringLiteral("MnAbout"))->trigger();
    EXPECT_EQ(caption, QStringLiteral("About Quorvane"));
    EXPECT_EQ(version, QStringLiteral(QUORVANE_BUILD_VERSION));
    EXPECT_TRUE(suspended);
    EXPECT_TRUE(Engine().StayOnTopTimer->Enabled());
}

TEST_F(ControlWindowTest, TrayMenuSharesTheCommandsAndTheirEnabledStates) {
    QMenu* menu = window->TrayPopupMenu();
    QStringList items;
    for (QAction* a : menu->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(items, Names({"Run", "Pause", "Set Start", "Jump", "Add a Minute", "Take a Minute",
                            "-", "Show Controls", "-", "Exit Timer"}));
    EXPECT_EQ(window->TrayIcon()->toolTip(), QStringLiteral("Quorvane"));
    EXPECT_FALSE(window->TrayIcon()->isVisible()) << "not shown at start";
    EXPECT_EQ(window->TrayIcon()->contextMenu(), nullptr) << "the one menu opens once, by us";

    const char* buttons[] = {"btRun", "btPause", "btSetStart", "btJump"};
    for (const char* step : {"start", "btRun", "btPause", "btJump", "btSetStart"}) {
        if (step != std::string("start"))
            Click(step);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(menu->actions()[i]->isEnabled(), Find(buttons[i])->isEnabled())
                << buttons[i] << " after " << step;
    }
    Click("btRun");
    menu->actions()[1]->trigger();
    EXPECT_EQ(State(), CounterState::Paused) << "the menu item executes the command";
}

TEST_F(ControlWindowTest, MinimisingGoesToTheTaskBarUnlessTheTrayOptionAndATrayAreThere) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "offscreen has no tray";
    for (bool option : {false, true}) {
        Controls().cbMinimiseControlsToTray.SetChecked(option);
        window->showMinimized();
        QCoreApplication::processEvents();
        EXPECT_TRUE(window->isMinimized()) << option;
        EXPECT_TRUE(window->isVisible()) << option;
        EXPECT_FALSE(window->TrayIcon()->isVisible()) << option;
        EXPECT_FALSE(window->InTray()) << option;
        window->showNormal();
    }
}

TEST_F(ControlWindowTest, InTheTrayAndBackWithItsPlaceAndTab) {
    window->move(40, 30);
    QCoreApplication::processEvents();
    const QPoint place = window->pos();
    ShowTab("tsSound");
    Click("btRun");
    window->MinimiseToTray();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->TrayIcon()->isVisible());
    Ticks(2);
    EXPECT_EQ(Count(), 8) << "the count goes on";

    Controls().cbShowCountInTitleBar.SetChecked(true);
    Ticks(1);
    EXPECT_EQ(window->TrayIcon()->toolTip(), QStringLiteral("00:00:07"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("00:00:07"));
    Controls().cbShowCountInTitleBar.SetChecked(false);
    Ticks(1);
    EXPECT_EQ(window->TrayIcon()->toolTip(), QStringLiteral("Quorvane"));

    Find<QAction>("MnShowControls")->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_FALSE(window->TrayIcon()->isVisible());
    EXPECT_EQ(window->pos(), place);
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentWidget(), Find("tsSound"));

    Controls().cbShowCountInTitleBar.SetChecked(true);
    Ticks(1);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("00:00:05"));
    EXPECT_EQ(window->TrayIcon()->toolTip(), QStringLiteral("Quorvane"))
        << "a hidden icon keeps the tooltip it last had";

    window->MinimiseToTray();
    QSignalSpy closed(window.get(), &TFmMain::Closed);
    Find<QAction>("MnExitTimer")->trigger();
    EXPECT_EQ(closed.count(), 1) << "Exit Timer ends the program from the tray";
    EXPECT_FALSE(window->TrayIcon()->isVisible());
}

TEST_F(ControlWindowTest, AnOperatorsErrorIsShownATimerEventsIsNot) {
    Controls().edSoundAtEnd.SetText("end.wav");
    sound.failEnd = true;
    ShowTab("tsSound");
    Click("btEndSoundPlay");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].kind, QStringLiteral("error"));
    EXPECT_EQ(dialogs.boxes[0].title, QStringLiteral("Quorvane"));
    EXPECT_EQ(dialogs.boxes[0].text, QStringLiteral("Audio file is empty."));
    EXPECT_TRUE(Find("btEndSoundPlay")->isEnabled()) << "the cue stays idle";

    Controls().cbShowCountInTitleBar.SetChecked(true);
    Click("btRun");
    Ticks(10);
    EXPECT_EQ(State(), CounterState::Expired) << "the end sound fails inside the tick";
    EXPECT_EQ(dialogs.boxes.size(), 1u) << "nothing is shown for a timer event";

    Controls().EdStartSeconds.SetText("x");
    Click("btSetStart");
    Click("btRun");
    EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(ControlWindowTest, AScreenReaderFindsNamesDescriptionsAndTheTime) {
    struct {
        const char* name;
        const char* accessibleName;
        const char* description;
    } cases[] = {
        {"btRun", "Run", ""},
        {"btJump", "Jump", ""},
        {"btPause", "Pause", ""},
        {"btSetStart", "Set Start", ""},
        {"EdWarnMinutes", "Minutes", "Warning time minutes"},
        {"BtClearStart", "Clear", "Clear the start time (00:00:00)"},
        {"EdPauseColour", "Paused", "Click to set the text colour"},
        {"edCounterInterval", "Count Interval (ms)", "Counter interval (N/A for clock mode)"},
        {"edTimeFontSize", "Font", ""},
        {"cbQuickRestart", "Enable Quick Restart (Space Key)",
         "Enables the quick restart function (via the space key)"},
        {"btEndSoundPlay", "Play", ""},
        {"edtMessageText", "Message Text", ""},
        {"edMessageTime", "Message Time", "Display message for this many seconds"},
    };
    for (const auto& c : cases) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(Find(c.name));
        ASSERT_NE(a, nullptr) << c.name;
        EXPECT_EQ(a->text(QAccessible::Name), QString::fromUtf8(c.accessibleName)) << c.name;
        EXPECT_EQ(a->text(QAccessible::Description), QString::fromUtf8(c.description)) << c.name;
    }
    // A drop-down list is tied to its label through the labelled-by relation as well as named by
    // it, and describes itself by its hint.
    struct {
        const char* name;
        const char* label;
        const char* description;
    } lists[] = {
        {"edCounterMode", "Counter Mode", "Choose the count / time display mode"},
        {"edDisplayWidth", "Counter Width", "Choose the way the counter is displayed"},
        {"edMessageMode", "Display Mode", ""},
    };
    for (const auto& l : lists) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(Find(l.name));
        ASSERT_NE(a, nullptr) << l.name;
        const auto labels = a->relations(QAccessible::Label);
        ASSERT_FALSE(labels.isEmpty()) << l.name;
        EXPECT_EQ(labels.front().first->text(QAccessible::Name), QString::fromUtf8(l.label))
            << l.name;
        EXPECT_EQ(a->text(QAccessible::Description), QString::fromUtf8(l.description)) << l.name;
    }
    auto* timing = Find<TFileNameEdit>("edSoundTiming");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(timing->Editor())->text(QAccessible::Name),
              QStringLiteral("Timing"));

    Click("btRun");
    Ticks(1);
    QAccessibleInterface* time = QAccessible::queryAccessibleInterface(Find("LaTime"));
    EXPECT_EQ(time->text(QAccessible::Name), QStringLiteral("00:00:09"));

    QAccessibleInterface* tabBar =
        QAccessible::queryAccessibleInterface(Find<QTabWidget>("PageControl1")->tabBar());
    ASSERT_NE(tabBar, nullptr);
    QStringList tabs;
    for (int i = 0; i < tabBar->childCount(); ++i)
        if (tabBar->child(i)->role() == QAccessible::PageTab)
            tabs << tabBar->child(i)->text(QAccessible::Name);
    EXPECT_EQ(tabs, Names({"Times", "Colours", "Options", "Sound", "Message"}));
}

TEST_F(ControlWindowTest, ACountIntervalTypedKeyByKeyWhileRunningKeepsTheCountGoing) {
    Controls().EdStartMinutes.SetValue(10);
    Click("btSetStart");
    Click("btRun");
    ShowTab("tsOptions");
    auto* interval = Find<TSpinEditor>("edCounterInterval");
    interval->setFocus();
    interval->selectAll();
    timers.Advance(300);
    const std::int32_t before = Count();
    // "250" typed over "1000", then taken back key by key, a tenth of a second between keys.
    const Qt::Key keys[] = {Qt::Key_2,         Qt::Key_5,         Qt::Key_0,
                            Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace};
    for (Qt::Key key : keys) {
        QTest::keyClick(interval, key);
        EXPECT_GE(Engine().SecondTimer->Interval(), 50) << interval->Text().toStdString();
        EXPECT_TRUE(Engine().SecondTimer->Enabled()) << interval->Text().toStdString();
        timers.Advance(100);
    }
    EXPECT_EQ(interval->Text(), QString()) << "the editor keeps what is typed";
    // Five tenths at the 50 ms floor make two ticks each; the one at 250 ms none.
    EXPECT_EQ(before - Count(), 10);
    EXPECT_EQ(State(), CounterState::Running);
    EXPECT_TRUE(Find("btPause")->isEnabled());

    // Leaving the emptied editor shows the value it reads as; the tick keeps its floor.
    Find("cbShowTimePie")->setFocus();
    EXPECT_EQ(interval->Text(), QStringLiteral("0"));
    EXPECT_EQ(Engine().SecondTimer->Interval(), 50);
}
