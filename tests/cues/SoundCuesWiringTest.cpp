// The sound cues wired into the control window as the program does it: the real cues on SDL's
// disk driver, Qt timers, and the window's buttons and error box.

#include "QtPoster.hpp"
#include "TFmMain.hpp"
#include "TQtTimerFactory.hpp"
#include "TSoundCues.hpp"
#include "TcbDSMixerChannel.hpp"

#include "controls/FakeDialogs.hpp"
#include "engine/EngineHarness.hpp"
#include "sound/SoundFixtures.hpp"

#include <QAbstractButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

using namespace quorvane;

namespace {

class SoundCuesWiring : public ::testing::Test {
protected:
    void Build(const char* driver = "disk") {
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", dir.File("capture.raw").c_str(), 1);
        sound = std::make_unique<TSoundCues>(QtPost);
        window = std::make_unique<TFmMain>(clock, timers, *sound, dialogs);
        TFmMain* w = window.get();
        sound->SetEndHandlers([w] { w->Engine().TimingSoundEnded(); },
                              [w] { w->Engine().EndSoundEnded(); });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        fixtures::WriteTone(timingPath, 1.0);
        fixtures::WriteTone(endPath, 0.3, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 1000.0);
        TTimerEngine& e = window->Engine();
        e.Controls.edSoundTiming.SetText(timingPath);
        e.Controls.edSoundAtEnd.SetText(endPath);
        // A minute to count, so that Run is enabled.
        e.Controls.EdStartMinutes.SetValue(1);
        e.actSetStartTime.Execute();
    }
    void TearDown() override {
        // The window holds the cues; it goes first.
        window.reset();
        sound.reset();
    }

    QAbstractButton* Button(const char* name) {
        auto* found = window->findChild<QAbstractButton*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }

    fixtures::TTempDir dir;
    std::string timingPath = dir.File("timing.wav");
    std::string endPath = dir.File("end.wav");
    TQtTimerFactory timers;
    quorvane::testing::FakeClock clock;
    quorvane::testing::FakeDialogs dialogs;
    std::unique_ptr<TSoundCues> sound;
    std::unique_ptr<TFmMain> window;
};

TEST_F(SoundCuesWiring, EndSoundFromItsButtonHandsPlayBackWhenItEnds) {
    Build();
    Click("btEndSoundPlay");
    EXPECT_TRUE(sound->EndChannel.Playing());
    EXPECT_FALSE(Button("btEndSoundPlay")->isEnabled());
    EXPECT_TRUE(Button("btEndSoundStop")->isEnabled());
    // The channel reports the end once its ring has gone round, some 4 s on.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Button("btEndSoundPlay")->isEnabled(); }, 12000));
    EXPECT_FALSE(Button("btEndSoundStop")->isEnabled());
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(SoundCuesWiring, TimingSoundPlaysFromItsButtonUntilStopAndRunLeavesIt) {
    Build();
    Click("btTimingSoundPlay");
    ASSERT_TRUE(sound->TimingChannel.Playing());
    const std::int64_t before = sound->TimingChannel.PositionMs();
    QTest::qWait(300);
    Click("btRun"); // Play is disabled: the sound goes on from where it was
    EXPECT_GE(sound->TimingChannel.PositionMs(), before + 150);
    Click("btTimingSoundStop");
    EXPECT_FALSE(sound->TimingChannel.Playing());
    EXPECT_TRUE(Button("btTimingSoundPlay")->isEnabled());
    EXPECT_EQ(window->Engine().CurrentState(), CounterState::Running);
}

TEST_F(SoundCuesWiring, ErrorOfAnOperatorsCommandShowsInTheErrorBox) {
    struct Case {
        const char* name;
        const char* driver;
        bool unreadable;
        const char* button;
        const char* text; // nullptr: the reader's own message
    } cases[] = {
        {"unreadable timing file", "disk", true, "btTimingSoundPlay", nullptr},
        {"no sound device at Run", "no-such-driver", false, "btRun",
         "No sound driver is available for use."},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        dialogs.boxes.clear();
        Build(k.driver);
        if (k.unreadable)
            fixtures::WriteText(timingPath, "not a sound\n");
        Click(k.button);
        ASSERT_EQ(dialogs.boxes.size(), 1u);
        EXPECT_EQ(dialogs.boxes[0].kind, QStringLiteral("error"));
        EXPECT_EQ(dialogs.boxes[0].title, window->windowTitle());
        if (k.text)
            EXPECT_EQ(dialogs.boxes[0].text, QString::fromLatin1(k.text));
        else
            EXPECT_FALSE(dialogs.boxes[0].text.isEmpty());
        EXPECT_TRUE(Button("btTimingSoundPlay")->isEnabled()) << "the cue stays idle";
        EXPECT_FALSE(Button("btTimingSoundStop")->isEnabled());
        EXPECT_FALSE(sound->TimingChannel.Playing());
        TearDown();
    }
}

} // namespace
