#pragma once
// The control window built on a stepped world: timers that fire when the test advances them,
// a fixed clock, recorded sound and dialogs that the test answers.

#include "TFmDisplay.hpp"
#include "TFmMain.hpp"
#include "controls/FakeDialogs.hpp"
#include "engine/EngineHarness.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace quorvane::testing {

// What a control window is built on.
struct ControlWorld {
    FakeTimerHost timers;
    FakeClock clock;
    FakeSound sound;
    FakeDialogs dialogs;
};

class ControlWindowTest : public ::testing::Test, protected ControlWorld {
protected:
    std::unique_ptr<TFmMain> window;

    void SetUp() override {
        window = std::make_unique<TFmMain>(clock, timers, sound, dialogs);
        window->show();
        // Without a window manager nothing else gives the window the focus.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override { window.reset(); }

    // Shows the display window as "Show Display Window" does and gives the focus back.
    void ShowDisplayWindowToo() {
        Controls().MnDisplayWindow.SetChecked(true);
        window->ShowDisplayWindow(true);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window->Display()));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    TTimerEngine& Engine() { return window->Engine(); }
    TControls& Controls() { return window->Engine().Controls; }
    CounterState State() { return Engine().CurrentState(); }
    std::int32_t Count() { return Engine().Counter.Count; }

    template <class T = QWidget> T* Find(const char* name) {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void ShowTab(const char* page) {
        auto* tabs = Find<QTabWidget>("PageControl1");
        tabs->setCurrentWidget(Find(page));
    }
    void Click(const char* button) {
        QTest::mouseClick(Find<QAbstractButton>(button), Qt::LeftButton);
    }
    // Advances the stepped timers by whole ticks of the counter.
    void Ticks(int n) {
        for (int i = 0; i < n; ++i)
            timers.Advance(Engine().SecondTimer->Interval());
    }
};

} // namespace quorvane::testing
