// The control window as a screen reader works it: every action through the interfaces AT-SPI
// calls reaches the engine and the saved file as the mouse does, and every control has its name.
#include "ControlWindowFixture.hpp"
#include "SettingsFile.hpp"
#include "TColourButton.hpp"
#include "TColourPalette.hpp"
#include "TFmDisplay.hpp"
#include "TSpinEditor.hpp"
#include "TempFolderTest.hpp"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

// Waits for a condition with a generous limit; Qt's own waiting macros report to Qt Test only.
template <class Condition> bool Eventually(Condition condition) {
    return QTest::qWaitFor(condition, 10000);
}

QAccessibleInterface* Accessible(QObject* object) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(a, nullptr);
    return a;
}

// The window saving to a file of the test's own, so that a test can read what reached it.
class AccessibilityTest : public TempFolderTest, protected ControlWorld {
protected:
    std::unique_ptr<TFmMain> window;
    std::string path;

    void SetUp() override {
        TempFolderTest::SetUp();
        path = PathOf("quorvane.ini");
        TSettingsChoice choice;
        choice.Path = path;
        window = std::make_unique<TFmMain>(clock, timers, sound, dialogs, choice);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override {
        window.reset();
        TempFolderTest::TearDown();
    }

    TControls& Controls() { return window->Engine().Controls; }
    TTimerEngine& Engine() { return window->Engine(); }
    template <class T = QWidget> T* Find(const char* name) {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // Closes the window, which saves, and gives the file's lines.
    std::string Saved() {
        QCloseEvent event;
        QCoreApplication::sendEvent(window.get(), &event);
        EXPECT_TRUE(event.isAccepted());
        return Get(path);
    }
    static bool Has(const std::string& file, const std::string& line) {
        return file.find(line + "\r\n") != std::string::npos;
    }
};

} // namespace

TEST_F(AccessibilityTest, ToggleAndPressOnEveryCheckBoxAndToggleActLikeAClick) {
    struct {
        const char* name;
        TCheck& model;
        const char* key; // the saved line's key, "=1" once checked
    } cases[] = {
        {"btWarnActive", Controls().btWarnActive, "Warning Active"},
        {"btAutoPauseActive", Controls().btAutoPauseActive, "Auto Pause Active"},
        {"cbTransparent", Controls().cbTransparent, "Transparent Back"},
        {"cbBorderless", Controls().cbBorderless, "Display Borderless"},
        {"cbStayOnTop", Controls().cbStayOnTop, "Stay On Top"},
        {"cbMinimiseControlsToTray", Controls().cbMinimiseControlsToTray,
         "Minimise Controls To Tray"},
        {"cbShowCountInTitleBar", Controls().cbShowCountInTitleBar, "Show Countdown In Title Bar"},
        {"cbQuickRestart", Controls().cbQuickRestart, "Enable Quick Restart"},
        {"cbShowTimePie", Controls().cbShowTimePie, "Show Time Pie"},
        {"edSoundAtEndLoop", Controls().edSoundAtEndLoop, "At End Loop"},
        {"cbAutoClearEditor", Controls().cbAutoClearEditor, "Auto Clear Editor"},
    };
    for (const auto& c : cases) {
        int clicks = 0;
        const auto handler = c.model.OnClick;
        c.model.OnClick = [&clicks, handler] {
            ++clicks;
            if (handler)
                handler();
        };
        auto* box = Find<QAbstractButton>(c.name);
        QAccessibleActionInterface* actions = Accessible(box)->actionInterface();
        ASSERT_NE(actions, nullptr) << c.name;
        ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()))
            << c.name;

        actions->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_TRUE(c.model.Checked()) << c.name << ": Toggle reaches the setting";
        EXPECT_EQ(clicks, 1) << c.name << ": and its handler";

        // Press is a click that Qt delivers a moment later.
        actions->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_TRUE(Eventually([&] { return !c.model.Checked(); })) << c.name;
        EXPECT_EQ(clicks, 2) << c.name;
        EXPECT_FALSE(box->isChecked()) << c.name;

        // The program's change is shown and raises nothing.
        c.model.SetChecked(true);
        EXPECT_TRUE(box->isChecked()) << c.name;
        EXPECT_EQ(clicks, 2) << c.name << ": a change by the program is no click";
        c.model.SetChecked(false);
        actions->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_EQ(clicks, 3) << c.name;
        c.model.OnClick = handler;
    }

    const std::string file = Saved();
    for (const auto& c : cases)
        EXPECT_TRUE(Has(file, std::string(c.key) + "=1")) << c.key << " in\n" << file;
}

TEST_F(AccessibilityTest, ToggledByAScreenReaderTheSettingsTakeEffect) {
    TFmDisplay* display = window->Display();
    ASSERT_NE(display, nullptr);
    const auto toggle = [this](const char* name) {
        Accessible(Find(name))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
    };

    toggle("cbBorderless");
    EXPECT_TRUE(display->windowFlags().testFlag(Qt::FramelessWindowHint));
    toggle("cbBorderless");
    EXPECT_FALSE(display->windowFlags().testFlag(Qt::FramelessWindowHint));

    toggle("cbStayOnTop");
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    toggle("cbStayOnTop");
    EXPECT_FALSE(Engine().StayOnTopTimer->Enabled()) << "unticked, the re-asserting stops";

    // The warning toggle is read by Run.
    Controls().EdStartSeconds.SetText("8");
    Controls().EdWarnSeconds.SetText("9");
    Engine().actSetStartTime.Execute();
    toggle("btWarnActive");
    Engine().actRun.Execute();
    EXPECT_EQ(Engine().CurrentState(), CounterState::Warning);

    // The menu's check item: its Press is a trigger, which toggles it.
    QMenu* view = Find<QMenu>("MnView");
    QAccessibleInterface* menu = Accessible(view);
    QAccessibleInterface* item = nullptr;
    for (int i = 0; i < menu->childCount(); ++i)
        if (menu->child(i)->text(QAccessible::Name) == QStringLiteral("Show Display Window"))
            item = menu->child(i);
    ASSERT_NE(item, nullptr);
    item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(Controls().MnDisplayWindow.Checked());
    EXPECT_TRUE(display->isVisible());

    const std::string file = Saved();
    EXPECT_TRUE(Has(file, "Display Borderless=0")) << file;
    EXPECT_TRUE(Has(file, "Stay On Top=0")) << file;
    EXPECT_TRUE(Has(file, "Warning Active=1")) << file;
    EXPECT_TRUE(Has(file, "Display Visible=1")) << file;
}

TEST_F(AccessibilityTest, ASelectionOpenedByAScreenReaderReachesTheEngineAndTheFile) {
    struct {
        const char* tab;
        const char* name;
        TSelector& model;
        int downs; // items moved down in the open list
        const char* line;
    } cases[] = {
        {"tsColours", "edWarningDisplayMode", Controls().edWarningDisplayMode, 1,
         "Display Mode At Counter Warning=1"},
        {"tsColours", "edStopDisplayMode", Controls().edStopDisplayMode, 2,
         "Display Mode At Counter Stop=2"},
        {"tsOptions", "edCounterMode", Controls().edCounterMode, 3, "Counter Mode=3"},
        {"tsOptions", "edDisplayWidth", Controls().edDisplayWidth, 1, "Display Width=1"},
        {"tsMessage", "edMessageMode", Controls().edMessageMode, 2, "Message Mode=2"},
    };
    auto* tabs = Find<QTabWidget>("PageControl1");
    for (const auto& c : cases) {
        tabs->setCurrentWidget(Find(c.tab));
        auto* box = Find<QComboBox>(c.name);
        const int from = box->currentIndex();
        QAccessibleActionInterface* actions = Accessible(box)->actionInterface();
        ASSERT_NE(actions, nullptr) << c.name;
        actions->doAction(QAccessibleActionInterface::showMenuAction());
        QAbstractItemView* list = box->view();
        ASSERT_TRUE(Eventually([list] { return list->isVisible(); })) << c.name;
        EXPECT_TRUE(Accessible(box)->state().expanded) << c.name;
        for (int i = 0; i < c.downs; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_TRUE(Eventually([list] { return !list->isVisible(); })) << c.name;
        EXPECT_EQ(c.model.ItemIndex(), from + c.downs) << c.name;
        EXPECT_EQ(Accessible(box)->text(QAccessible::Value), box->currentText()) << c.name;
    }
    // The stop mode applies at once: "Flashing" in Stopped starts the flash.
    EXPECT_EQ(Engine().TimeDisplayMode, DisplayMode::Flashing);
    // The counter-mode change relabels: mode 3 counts up from minus the start.
    EXPECT_EQ(Controls().gbStartPosition.Text(), "Start Time");

    // The program's selection raises nothing.
    int changes = 0;
    Controls().edDisplayWidth.OnChange = [&changes] { ++changes; };
    Controls().edDisplayWidth.SetItemIndex(3);
    EXPECT_EQ(Find<QComboBox>("edDisplayWidth")->currentIndex(), 3);
    EXPECT_EQ(changes, 0);

    const std::string file = Saved();
    for (const auto& c : cases) {
        if (std::string(c.name) != "edDisplayWidth") {
            EXPECT_TRUE(Has(file, c.line)) << c.line << " in\n" << file;
        }
    }
}

TEST_F(AccessibilityTest, AValueSetOrSteppedOnASpinEditorIsTypedIntoIt) {
    struct {
        const char* name;
        double set;
        const char* text; // what the editor then holds: the value clamped into its range
        int minimum, maximum, step;
    } cases[] = {
        {"EdStartSeconds", 30, "30", 0, 59, 1},
        {"EdStartMinutes", 75, "59", 0, 59, 1},
        {"EdWarnHours", -4, "0", 0, 99, 1},
        {"edTimeFontSize", 48.6, "48", 24, 999, 2},
        {"edCounterInterval", 500, "500", 50, 5000, 50},
        {"edMessageTime", 7, "7", 0, 10, 1},
        {"edMessageFontSize", 20, "24", 24, 200, 2},
    };
    for (const auto& c : cases) {
        auto* editor = Find<TSpinEditor>(c.name);
        QAccessibleInterface* a = Accessible(editor);
        EXPECT_EQ(a->role(), QAccessible::SpinBox) << c.name;
        QAccessibleValueInterface* value = a->valueInterface();
        ASSERT_NE(value, nullptr) << c.name;
        EXPECT_EQ(value->minimumValue().toInt(), c.minimum) << c.name;
        EXPECT_EQ(value->maximumValue().toInt(), c.maximum) << c.name;
        EXPECT_EQ(value->minimumStepSize().toInt(), c.step) << c.name;
        value->setCurrentValue(c.set);
        EXPECT_EQ(editor->Text(), QLatin1String(c.text)) << c.name;
        EXPECT_EQ(value->currentValue().toInt(), editor->Value()) << c.name;
        EXPECT_EQ(a->text(QAccessible::Value), QLatin1String(c.text)) << c.name;
        ASSERT_NE(a->textInterface(), nullptr) << c.name << ": its text can be read";
        EXPECT_EQ(a->textInterface()->text(0, a->textInterface()->characterCount()),
                  QLatin1String(c.text))
            << c.name;
    }
    // The values reached the engine the way typing does.
    EXPECT_EQ(Engine().Counter.StartTime, 59 * 60 + 30);
    EXPECT_EQ(Engine().Counter.WarningTime, 5) << "0 hours, the default minutes and seconds";

    // Stepping through the actions, and the interval set while the counter runs retimes it.
    Engine().actSetStartTime.Execute();
    Engine().actRun.Execute();
    QAccessibleInterface* interval = Accessible(Find("edCounterInterval"));
    interval->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
    EXPECT_EQ(Controls().edCounterInterval.Text(), "550");
    EXPECT_EQ(Engine().SecondTimer->Interval(), 550);
    interval->valueInterface()->setCurrentValue(250);
    EXPECT_EQ(Engine().SecondTimer->Interval(), 250);
    const std::int32_t count = Engine().Counter.Count;
    timers.Advance(250);
    EXPECT_EQ(Engine().Counter.Count, count - 1);

    // An editable-text edit, as a screen reader's text entry makes it, is typing as well.
    QAccessibleInterface* seconds = Accessible(Find("EdWarnSeconds"));
    ASSERT_NE(seconds->editableTextInterface(), nullptr);
    seconds->editableTextInterface()->replaceText(0, seconds->textInterface()->characterCount(),
                                                  QStringLiteral("12"));
    EXPECT_EQ(Engine().Counter.WarningTime, 12);

    const std::string file = Saved();
    EXPECT_TRUE(Has(file, "Counter Interval=250")) << file;
    EXPECT_TRUE(Has(file, "Warning Time=12")) << file;
    EXPECT_TRUE(Has(file, "Font Size=48")) << file;
}

TEST_F(AccessibilityTest, EveryControlHasItsName) {
    struct {
        const char* name;
        QAccessible::Role role;
        const char* accessibleName;
    } cases[] = {
        {"btRun", QAccessible::Button, "Run"},
        {"btPause", QAccessible::Button, "Pause"},
        {"btSetStart", QAccessible::Button, "Set Start"},
        {"btJump", QAccessible::Button, "Jump"},
        {"EdStartHours", QAccessible::SpinBox, "Hours"},
        {"EdStartMinutes", QAccessible::SpinBox, "Minutes"},
        {"EdStartSeconds", QAccessible::SpinBox, "Seconds"},
        {"BtClearStart", QAccessible::Button, "Clear"},
        {"btEndActive", QAccessible::CheckBox, "Active"},
        {"EdAutoPauseHours", QAccessible::SpinBox, "Hours"},
        {"btAutoPauseActive", QAccessible::CheckBox, "Active"},
        {"EdRunColour", QAccessible::Button, "Running"},
        {"EdPauseColour", QAccessible::Button, "Paused"},
        {"edPauseDisplayMode", QAccessible::ComboBox, "Display Mode At Counter Pause"},
        {"EdWarnColour", QAccessible::Button, "Warning"},
        {"edWarningDisplayMode", QAccessible::ComboBox, "Display Mode At Counter Warning"},
        {"EdExpiredColour", QAccessible::Button, "Expired"},
        {"edExpiredDisplayMode", QAccessible::ComboBox, "Display Mode At Counter End"},
        {"EdStopColour", QAccessible::Button, "Stopped"},
        {"edStopDisplayMode", QAccessible::ComboBox, "Display Mode At Counter Stop"},
        {"EdBackColour", QAccessible::Button, "Background"},
        {"cbTransparent", QAccessible::CheckBox, "Transparent"},
        {"EdMessageColour", QAccessible::Button, "Message"},
        {"edMessageDisplayMode", QAccessible::ComboBox, "Message Display Mode"},
        {"edCounterMode", QAccessible::ComboBox, "Counter Mode"},
        {"edDisplayWidth", QAccessible::ComboBox, "Counter Width"},
        {"edTimeFontName", QAccessible::ComboBox, "Time Font"},
        {"edTimeFontSize", QAccessible::SpinBox, "Font"},
        {"cbBorderless", QAccessible::CheckBox, "Borderless Window"},
        {"cbStayOnTop", QAccessible::CheckBox, "Stay On Top Window"},
        {"cbMinimiseControlsToTray", QAccessible::CheckBox, "Minimise Control Window To Tray Icon"},
        {"cbShowCountInTitleBar", QAccessible::CheckBox, "Show Countdown In Title Bar"},
        {"cbQuickRestart", QAccessible::CheckBox, "Enable Quick Restart (Space Key)"},
        {"cbShowTimePie", QAccessible::CheckBox, "Show Time Pie"},
        {"edCounterInterval", QAccessible::SpinBox, "Count Interval (ms)"},
        {"btTimingSoundPlay", QAccessible::Button, "Play"},
        {"btEndSoundStop", QAccessible::Button, "Stop"},
        {"edSoundAtEndLoop", QAccessible::CheckBox, "Loop"},
        {"edtMessageText", QAccessible::EditableText, "Message Text"},
        {"btnMessageSend", QAccessible::Button, "Send"},
        {"btnMessageClear", QAccessible::Button, "Clear"},
        {"edMessageTime", QAccessible::SpinBox, "Message Time"},
        {"cbAutoClearEditor", QAccessible::CheckBox, "Auto Clear Editor"},
        {"edMessageMode", QAccessible::ComboBox, "Display Mode"},
        {"edMessageFontName", QAccessible::ComboBox, "Message Font"},
        {"edMessageFontSize", QAccessible::SpinBox, "Font"},
    };
    // Selected items that would stand in for a name if the lists had none.
    for (TSelector* s : {&Controls().edStopDisplayMode, &Controls().edWarningDisplayMode,
                         &Controls().edCounterMode, &Controls().edDisplayWidth})
        s->SetItemIndex(0);
    for (const auto& c : cases) {
        QAccessibleInterface* a = Accessible(Find(c.name));
        ASSERT_NE(a, nullptr) << c.name;
        EXPECT_EQ(a->text(QAccessible::Name), QString::fromUtf8(c.accessibleName)) << c.name;
        EXPECT_EQ(a->role(), c.role) << c.name;
    }
    // A list's value is its selected item.
    QAccessibleInterface* warning = Accessible(Find("edWarningDisplayMode"));
    EXPECT_EQ(warning->text(QAccessible::Value), QStringLiteral("Steady On"));
    ASSERT_EQ(warning->childCount(), 1);
    EXPECT_EQ(warning->child(0)->childCount() > 0, true) << "its items are reachable";
}

TEST_F(AccessibilityTest, TheTrayMenuIsReachableWhileItIsOpen) {
    QMenu* menu = window->TrayPopupMenu();
    QAccessibleInterface* application = Accessible(qApp);
    const auto listed = [&] {
        for (int i = 0; i < application->childCount(); ++i)
            if (application->child(i)->object() == menu)
                return true;
        return false;
    };
    EXPECT_FALSE(listed()) << "closed, it is no window of the program";
    window->TrayIconClick();
    ASSERT_TRUE(Eventually([menu] { return menu->isVisible(); }));
    EXPECT_TRUE(listed());
    QAccessibleInterface* a = Accessible(menu);
    EXPECT_EQ(a->role(), QAccessible::PopupMenu);
    EXPECT_EQ(a->parent()->object(), qApp);
    ASSERT_GE(a->childCount(), 4);
    EXPECT_EQ(a->child(0)->text(QAccessible::Name), QStringLiteral("Run"));
    // The keyboard is in the menu at once, on its first item, so the reader announces it.
    EXPECT_EQ(menu->activeAction(), menu->actions().front());
    a->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(Engine().CurrentState(), CounterState::Running);
    QTest::keyClick(menu, Qt::Key_Escape);
    ASSERT_TRUE(Eventually([menu] { return !menu->isVisible(); }));
    EXPECT_FALSE(listed());
}

TEST_F(AccessibilityTest, PressOnACommandButtonAndOnAColourSelectorActsLikeTheirClick) {
    const auto press = [](QWidget* widget) {
        QAccessibleActionInterface* actions = Accessible(widget)->actionInterface();
        ASSERT_NE(actions, nullptr) << widget->objectName().toStdString();
        actions->doAction(QAccessibleActionInterface::pressAction());
    };
    press(Find("btRun"));
    EXPECT_TRUE(Eventually([this] { return Engine().CurrentState() == CounterState::Running; }));
    press(Find("btPause"));
    EXPECT_TRUE(Eventually([this] { return Engine().CurrentState() == CounterState::Paused; }));

    // The selector's Press opens its palette; a swatch's Press chooses its colour, which applies
    // the current state again at once.
    Find<QTabWidget>("PageControl1")->setCurrentWidget(Find("tsColours"));
    auto* pause = Find<TColourButton>("EdPauseColour");
    press(pause);
    ASSERT_TRUE(Eventually([pause] { return pause->Palette()->isVisible(); }));
    EXPECT_FALSE(Engine().StayOnTopTimer->Enabled()) << "suspended while the palette is open";
    auto* swatch = pause->Palette()->findChild<QAbstractButton*>(QStringLiteral("Swatch16"));
    ASSERT_NE(swatch, nullptr);
    press(swatch);
    EXPECT_TRUE(Eventually([this] { return Controls().EdPauseColour.Selected() == 0x0000FFu; }));
    EXPECT_FALSE(pause->Palette()->isVisible());
    EXPECT_TRUE(Engine().StayOnTopTimer->Enabled());
    EXPECT_EQ(Find("LaTime")->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0))
        << "the paused colour shows at once";

    EXPECT_TRUE(Has(Saved(), "Pause=255"));
}
