#pragma once
// The sound cues wired as in the program: the real engine on Qt timers, TSoundCues reporting
// ends through the Qt event loop, the output on SDL. With SDL's disk driver the device writes
// what it plays to a file at a sound card's pace, and the capture is analysed for which tone
// sounds when.

#include "QtPoster.hpp"
#include "TQtTimerFactory.hpp"
#include "TSoundCues.hpp"
#include "TcbDSMixerChannel.hpp"

#include "engine/EngineHarness.hpp"
#include "sound/SoundFixtures.hpp"

#include <QCoreApplication>
#include <QTest>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <numbers>
#include <utility>
#include <vector>

namespace cues {

// The timing and the end sound are told apart in the capture by their pitch.
constexpr double kTimingHertz = 440.0;
constexpr double kEndHertz = 1000.0;
// The end sound's length; 300 whole cycles of its tone.
constexpr double kEndSeconds = 0.3;

// The control window as far as the engine sees it; pending events are really processed.
struct TQtControlView : quorvane::testing::FakeControlView {
    void ProcessPendingEvents() override {
        FakeControlView::ProcessPendingEvents();
        QCoreApplication::processEvents();
    }
};

class TCueWorld {
public:
    // The cues play through SDL's `driver`; the disk driver captures into CapturePath. `wrap`,
    // if given, may put its own layer around the SDL output.
    using TWrap = std::function<std::unique_ptr<quorvane::IAudioOutput>(
        std::unique_ptr<quorvane::IAudioOutput>)>;
    explicit TCueWorld(const char* driver = "disk", const TWrap& wrap = {}) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", CapturePath.c_str(), 1);
        std::unique_ptr<quorvane::IAudioOutput> output = quorvane::MakeSdlAudioOutput();
        if (wrap)
            output = wrap(std::move(output));
        // A 1-s timing sound of whole cycles loops without a seam.
        fixtures::WriteTone(TimingPath, 1.0, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100,
                            kTimingHertz);
        fixtures::WriteTone(EndPath, kEndSeconds, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100,
                            kEndHertz);
        Cues = std::make_unique<quorvane::TSoundCues>(QtPost, std::move(output));
        Engine = std::make_unique<quorvane::TTimerEngine>(View, Clock, Timers, *Cues);
        // As the program does once its engine exists.
        Cues->SetEndHandlers([this] { Engine->TimingSoundEnded(); },
                             [this] { Engine->EndSoundEnded(); });

        auto& c = Engine->Controls;
        c.EdStopColour.SetColour(0xC0C0C0);
        c.EdRunColour.SetColour(0x008000);
        c.EdWarnColour.SetColour(0x00FFFF);
        c.EdPauseColour.SetColour(0xFF0000);
        c.EdExpiredColour.SetColour(0x0000FF);
        for (quorvane::TSelector* s : {&c.edStopDisplayMode, &c.edPauseDisplayMode,
                                       &c.edExpiredDisplayMode, &c.edWarningDisplayMode})
            s->SetItemIndex(0);
        c.edDisplayWidth.SetItemIndex(0);
        c.edSoundTiming.SetText(TimingPath);
        c.edSoundAtEnd.SetText(EndPath);
    }
    ~TCueWorld() {
        // The engine holds the cues; it goes first, as the control window does before them.
        Engine.reset();
        Cues.reset();
    }
    TCueWorld(const TCueWorld&) = delete;
    TCueWorld& operator=(const TCueWorld&) = delete;

    // A count in `mode` from `start` seconds, ticking every 50 ms, then Set Start.
    void Prepare(int mode, int start, int autoPause = 0) {
        auto& c = Engine->Controls;
        c.edCounterMode.SetItemIndex(mode);
        c.edCounterInterval.SetValue(50);
        Engine->Counter.StartTime = start;
        Engine->Counter.AutoPauseTime = autoPause;
        c.btAutoPauseActive.SetChecked(autoPause != 0);
        Engine->ShowTimesInEditors();
        Engine->actSetStartTime.Execute();
    }

    template <class Done> bool WaitFor(Done done, int milliseconds) {
        return QTest::qWaitFor(done, milliseconds);
    }
    void Wait(int milliseconds) { QTest::qWait(milliseconds); }

    quorvane::CounterState State() const { return Engine->CurrentState(); }

    // Ends the engine and the cues, which closes the device and completes the capture; returns
    // it as interleaved stereo samples (empty if the device never opened).
    std::vector<std::int16_t> Capture() {
        Engine.reset();
        Cues.reset();
        const auto bytes = fixtures::ReadBytes(CapturePath);
        std::vector<std::int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }

    fixtures::TTempDir Dir;
    std::string CapturePath = Dir.File("capture.raw");
    std::string TimingPath = Dir.File("timing.wav");
    std::string EndPath = Dir.File("end.wav");
    TQtTimerFactory Timers;
    quorvane::testing::FakeClock Clock;
    TQtControlView View;
    std::unique_ptr<quorvane::TSoundCues> Cues;
    std::unique_ptr<quorvane::TTimerEngine> Engine;
};

// The capture is cut into windows of 20 ms of the device's 44100-Hz stereo.
constexpr std::size_t kWindowFrames = 882;
constexpr int kWindowMs = 20;

// The amplitude of the `hertz` component of the left channel over one window (Goertzel).
inline double ToneLevel(const std::vector<std::int16_t>& capture, std::size_t window,
                        double hertz) {
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * hertz / 44100.0);
    double s1 = 0, s2 = 0;
    for (std::size_t f = window * kWindowFrames; f < (window + 1) * kWindowFrames; ++f) {
        const double s = capture[2 * f] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / kWindowFrames;
}

inline std::size_t Windows(const std::vector<std::int16_t>& capture) {
    return capture.size() / 2 / kWindowFrames;
}

// Runs of windows in which the tone sounds, as [first, end) window numbers. The fixtures play
// at half of full scale, some 16000; a window the tone fills for a fifth still passes.
inline std::vector<std::pair<std::size_t, std::size_t>>
ToneRuns(const std::vector<std::int16_t>& capture, double hertz) {
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    bool inRun = false;
    for (std::size_t w = 0; w < Windows(capture); ++w) {
        const bool sounds = ToneLevel(capture, w, hertz) > 2500.0;
        if (sounds && !inRun)
            runs.push_back({w, w + 1});
        if (sounds)
            runs.back().second = w + 1;
        inRun = sounds;
    }
    return runs;
}

// Whether every sample after a run is zero. The window just after it may still hold the little
// of the tone that fell there before the stop.
inline bool SilentAfter(const std::vector<std::int16_t>& capture,
                        std::pair<std::size_t, std::size_t> run) {
    for (std::size_t i = (run.second + 1) * kWindowFrames * 2; i < capture.size(); ++i)
        if (capture[i] != 0)
            return false;
    return true;
}

inline int Ms(std::pair<std::size_t, std::size_t> run) {
    return static_cast<int>(run.second - run.first) * kWindowMs;
}

} // namespace cues
