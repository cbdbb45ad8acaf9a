// The two sound cues driven by the engine in real time, heard at the device: SDL's disk driver
// writes what it plays to a file, and each test reads back which tone sounded when.

#include "CueWorld.hpp"

#include "EDirectXError.hpp"
#include "TcbAudioFileReader.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

using namespace quorvane;
using cues::kEndHertz;
using cues::kTimingHertz;
using cues::Ms;
using cues::ToneRuns;
using CueClock = std::chrono::steady_clock;

namespace {

int MsSince(CueClock::time_point from) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(CueClock::now() - from).count());
}

// The end sound's length in the capture, within a window either side.
constexpr int kEndMs = static_cast<int>(cues::kEndSeconds * 1000);

TEST(SoundCuesCapture, CountToExpiryPlaysTheTimingSoundThenTheEndSoundOnce) {
    cues::TCueWorld w;
    TTimerEngine& e = *w.Engine;
    auto& c = e.Controls;
    w.Prepare(0, 2);
    e.actRun.Execute();
    EXPECT_TRUE(w.Cues->TimingChannel.Playing());
    EXPECT_FALSE(e.actTimingSoundPlay.Enabled());
    EXPECT_FALSE(c.edSoundTiming.Enabled()) << "the files cannot change mid-count";
    EXPECT_FALSE(c.edSoundAtEnd.Enabled());
    EXPECT_FALSE(c.edSoundAtEndLoop.Enabled());

    ASSERT_TRUE(w.WaitFor([&] { return w.State() == CounterState::Expired; }, 5000));
    EXPECT_FALSE(w.Cues->TimingChannel.Playing());
    EXPECT_TRUE(e.actTimingSoundPlay.Enabled());
    EXPECT_TRUE(w.Cues->EndChannel.Playing());
    EXPECT_FALSE(e.actEndSoundPlay.Enabled());
    EXPECT_TRUE(e.actEndSoundStop.Enabled());
    EXPECT_TRUE(c.edSoundTiming.Enabled());
    EXPECT_TRUE(c.edSoundAtEnd.Enabled());
    EXPECT_TRUE(c.edSoundAtEndLoop.Enabled());

    // The channel reports the end once its ring has gone round, some 4 s on.
    ASSERT_TRUE(w.WaitFor([&] { return e.actEndSoundPlay.Enabled(); }, 12000))
        << "the end reached the engine";
    EXPECT_FALSE(e.actEndSoundStop.Enabled());
    EXPECT_FALSE(w.Cues->EndChannel.Playing());
    w.Wait(300);

    const auto capture = w.Capture();
    const auto timing = ToneRuns(capture, kTimingHertz);
    const auto end = ToneRuns(capture, kEndHertz);
    ASSERT_EQ(timing.size(), 1u);
    ASSERT_EQ(end.size(), 1u) << "the end sound plays once";
    // Two ticks of 50 ms, give or take a loaded machine.
    EXPECT_GE(Ms(timing[0]), 60);
    EXPECT_LE(Ms(timing[0]), 1500);
    EXPECT_LE(timing[0].second, end[0].first + 1) << "the timing sound stops as the end starts";
    EXPECT_NEAR(Ms(end[0]), kEndMs, 40);
    EXPECT_TRUE(cues::SilentAfter(capture, end[0])) << "silence after the end sound";
    EXPECT_GT(cues::Windows(capture) - end[0].second, 100u) << "a long silence follows";
}

TEST(SoundCuesCapture, LoopingEndSoundSurvivesRestartUntilSetStart) {
    cues::TCueWorld w;
    TTimerEngine& e = *w.Engine;
    e.Controls.cbQuickRestart.SetChecked(true);
    e.Controls.edSoundAtEndLoop.SetChecked(true);
    w.Prepare(0, 2);
    e.actRun.Execute();
    ASSERT_TRUE(w.WaitFor([&] { return w.State() == CounterState::Expired; }, 5000));
    const auto expired = CueClock::now();
    w.Wait(700); // round the 0.3-s file twice

    ASSERT_TRUE(e.actRestart.Enabled());
    e.actRestart.Execute();
    EXPECT_TRUE(w.State() == CounterState::Running || w.State() == CounterState::Expired);
    EXPECT_TRUE(w.Cues->EndChannel.Playing()) << "Restart leaves the end sound";
    ASSERT_TRUE(w.WaitFor([&] { return w.State() == CounterState::Expired; }, 5000));
    EXPECT_TRUE(e.actEndSoundStop.Enabled()) << "not started a second time";
    w.Wait(500);
    EXPECT_TRUE(w.Cues->EndChannel.Playing());

    e.actSetStartTime.Execute();
    const int loopedMs = MsSince(expired);
    EXPECT_FALSE(w.Cues->EndChannel.Playing());
    EXPECT_TRUE(e.actEndSoundPlay.Enabled());
    EXPECT_EQ(w.State(), CounterState::Stopped);
    w.Wait(300);

    const auto capture = w.Capture();
    const auto timing = ToneRuns(capture, kTimingHertz);
    const auto end = ToneRuns(capture, kEndHertz);
    ASSERT_EQ(end.size(), 1u) << "one unbroken end sound";
    // On a loaded machine the disk driver writes less than the wall clock has run.
    EXPECT_GE(Ms(end[0]), loopedMs - (fixtures::kSanitized ? 800 : 400));
    EXPECT_LE(Ms(end[0]), loopedMs + 300);
    ASSERT_EQ(timing.size(), 2u) << "the first count and the restarted one";
    EXPECT_GT(timing[1].first, end[0].first) << "the restarted count sounds over the end sound";
    EXPECT_TRUE(cues::SilentAfter(capture, end[0])) << "Set Start silenced it";
}

TEST(SoundCuesCapture, AutoPauseLeavesTheTimingSoundAndPauseStopsIt) {
    cues::TCueWorld w;
    TTimerEngine& e = *w.Engine;
    w.Prepare(0, 30, 28);
    const auto started = CueClock::now();
    e.actRun.Execute();
    ASSERT_TRUE(w.WaitFor([&] { return w.State() == CounterState::Paused; }, 5000));
    EXPECT_TRUE(w.Cues->TimingChannel.Playing()) << "auto pause keeps the timing sound";
    EXPECT_TRUE(e.actTimingSoundStop.Enabled());
    w.Wait(400);

    e.actRun.Execute(); // its Play is disabled: the sound goes on, not from the start
    ASSERT_TRUE(w.WaitFor([&] { return e.Counter.Count <= 26; }, 5000));
    e.actPause.Execute();
    const int playedMs = MsSince(started);
    EXPECT_FALSE(w.Cues->TimingChannel.Playing());
    EXPECT_TRUE(e.actTimingSoundPlay.Enabled());
    w.Wait(300);

    const auto capture = w.Capture();
    const auto timing = ToneRuns(capture, kTimingHertz);
    ASSERT_EQ(timing.size(), 1u) << "unbroken through the auto pause";
    EXPECT_GE(Ms(timing[0]), playedMs - 200);
    EXPECT_LE(Ms(timing[0]), playedMs + 300);
    EXPECT_TRUE(ToneRuns(capture, kEndHertz).empty());
    EXPECT_TRUE(cues::SilentAfter(capture, timing[0])) << "Pause silenced it";
}

TEST(SoundCuesCapture, NoTimingFileRunsSilentlyAndOpensNoDevice) {
    for (const bool empty : {true, false}) {
        SCOPED_TRACE(empty ? "empty path" : "no file at the path");
        cues::TCueWorld w;
        TTimerEngine& e = *w.Engine;
        e.Controls.edSoundTiming.SetText(empty ? std::string() : w.Dir.File("missing.wav"));
        w.Prepare(0, 3);
        e.actRun.Execute();
        EXPECT_TRUE(e.actTimingSoundPlay.Enabled());
        EXPECT_FALSE(e.actTimingSoundStop.Enabled());
        ASSERT_TRUE(w.WaitFor([&] { return e.Counter.Count == 1; }, 5000)) << "it counts";
        EXPECT_FALSE(w.Cues->Mixer.DeviceOpen());
        EXPECT_FALSE(std::filesystem::exists(w.CapturePath)) << "no device opened while counting";

        ASSERT_TRUE(w.WaitFor([&] { return w.State() == CounterState::Expired; }, 5000));
        EXPECT_TRUE(w.Cues->EndChannel.Playing());
        w.Wait(500);

        const auto capture = w.Capture();
        EXPECT_TRUE(ToneRuns(capture, kTimingHertz).empty());
        const auto end = ToneRuns(capture, kEndHertz);
        ASSERT_EQ(end.size(), 1u);
        EXPECT_LT(end[0].first, 10u) << "the device opened for the end sound";
    }
}

TEST(SoundCuesCapture, ColourChosenWhileExpiredPlaysTheEndedEndSoundAgain) {
    cues::TCueWorld w;
    TTimerEngine& e = *w.Engine;
    w.Prepare(0, 2);
    e.actRun.Execute();
    ASSERT_TRUE(w.WaitFor([&] { return w.State() == CounterState::Expired; }, 5000));
    ASSERT_TRUE(w.WaitFor([&] { return e.actEndSoundPlay.Enabled(); }, 12000));

    // Any state's colour re-applies the current state, Expired with its sound cues.
    e.Controls.EdRunColour.Choose(0x00C000);
    EXPECT_EQ(w.State(), CounterState::Expired);
    EXPECT_TRUE(w.Cues->EndChannel.Playing());
    EXPECT_TRUE(e.actEndSoundStop.Enabled());
    EXPECT_FALSE(w.Cues->TimingChannel.Playing());
    w.Wait(600);

    const auto capture = w.Capture();
    const auto end = ToneRuns(capture, kEndHertz);
    ASSERT_EQ(end.size(), 2u);
    for (const auto& run : end)
        EXPECT_NEAR(Ms(run), kEndMs, 40);
    // The first run ended some 4 s before its end was reported; the second came after that.
    EXPECT_GE(static_cast<int>(end[1].first - end[0].second) * cues::kWindowMs, 2000);
    EXPECT_EQ(ToneRuns(capture, kTimingHertz).size(), 1u);
}

TEST(SoundCuesCapture, UnreadableEndSoundIsSilentAtExpiryAndShownWhenPlayed) {
    cues::TCueWorld w;
    TTimerEngine& e = *w.Engine;
    fixtures::WriteText(w.EndPath, "not a sound at all\n");
    w.Prepare(0, 2);
    e.actRun.Execute();
    // The expiring tick's error is dropped by the timer; the count still expires.
    ASSERT_TRUE(w.WaitFor([&] { return w.State() == CounterState::Expired; }, 5000));
    w.Wait(200);
    EXPECT_FALSE(w.Cues->TimingChannel.Playing());
    EXPECT_TRUE(e.actEndSoundPlay.Enabled()) << "the end cue stays idle";
    EXPECT_FALSE(e.actEndSoundStop.Enabled());
    EXPECT_FALSE(w.Cues->EndChannel.Playing());
    EXPECT_EQ(w.Cues->EndChannel.FileName(), "");

    // The operator's Play passes the error on for the error box.
    EXPECT_THROW(e.actEndSoundPlay.Execute(), EAudioReadError);
    EXPECT_TRUE(e.actEndSoundPlay.Enabled());
    EXPECT_FALSE(e.actEndSoundStop.Enabled());
    EXPECT_EQ(w.Cues->EndChannel.FileName(), "");
}

TEST(SoundCuesCapture, DamagedEndSoundPlaysItsGoodPartAndTheCueBecomesIdle) {
    cues::TCueWorld w;
    TTimerEngine& e = *w.Engine;
    // Longer than the channel's ring, cut at 60 %: the damage is met while refilling.
    const std::string path = w.EndPath + ".flac";
    fixtures::WriteTone(path, 8.0, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 44100, kEndHertz);
    fixtures::Truncate(path, std::filesystem::file_size(path) * 6 / 10);
    e.Controls.edSoundAtEnd.SetText(path);
    w.Prepare(0, 1);
    e.actRun.Execute();
    ASSERT_TRUE(w.WaitFor([&] { return w.State() == CounterState::Expired; }, 5000));
    EXPECT_FALSE(e.actEndSoundPlay.Enabled());
    ASSERT_TRUE(w.WaitFor([&] { return e.actEndSoundPlay.Enabled(); }, 15000))
        << "the end reached the engine";
    EXPECT_FALSE(e.actEndSoundStop.Enabled());

    const auto capture = w.Capture();
    const auto end = ToneRuns(capture, kEndHertz);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_GT(Ms(end[0]), 4000) << "the good part, past the first fill, is heard";
}

TEST(SoundCuesCapture, FifoAsEndSoundIsSilentAndNeverWaitsForAWriter) {
    cues::TCueWorld w;
    TTimerEngine& e = *w.Engine;
    const std::string fifo = w.EndPath + ".fifo";
    fixtures::MakeFifo(fifo);
    e.Controls.edSoundAtEnd.SetText(fifo);
    w.Prepare(0, 1);
    e.actRun.Execute();
    // The count would stop here if opening the FIFO waited for a writer.
    ASSERT_TRUE(w.WaitFor([&] { return w.State() == CounterState::Expired; }, 5000));
    EXPECT_TRUE(e.actEndSoundPlay.Enabled()) << "nothing plays, as for a missing file";
    EXPECT_NO_THROW(e.actEndSoundPlay.Execute()) << "and no message";
    EXPECT_TRUE(e.actEndSoundPlay.Enabled());
    EXPECT_FALSE(w.Cues->EndChannel.Playing());
}

TEST(SoundCuesCapture, WithoutASoundDeviceRunRaisesAndTheCountGoesOn) {
    // SDL fails to start a driver that does not exist, as on a machine with no sound.
    cues::TCueWorld w("no-such-driver");
    TTimerEngine& e = *w.Engine;
    w.Prepare(0, 3);
    try {
        e.actRun.Execute();
        ADD_FAILURE() << "no error";
    } catch (const EDirectXError& error) {
        EXPECT_STREQ(error.what(), "No sound driver is available for use.");
    }
    EXPECT_EQ(w.State(), CounterState::Running);
    EXPECT_TRUE(e.actTimingSoundPlay.Enabled()) << "the timing cue stays idle";
    EXPECT_FALSE(e.actTimingSoundStop.Enabled());
    EXPECT_EQ(w.Cues->TimingChannel.FileName(), "");
    ASSERT_TRUE(w.WaitFor([&] { return w.State() == CounterState::Expired; }, 5000))
        << "the count runs on to expiry";
    EXPECT_TRUE(e.actEndSoundPlay.Enabled()) << "the end cue too";
    EXPECT_FALSE(e.actEndSoundStop.Enabled());
    EXPECT_FALSE(w.Cues->Mixer.DeviceOpen());
}

} // namespace
