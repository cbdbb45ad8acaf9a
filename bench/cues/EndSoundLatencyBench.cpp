// Latency of the end sound: from the start of the tick that expires the count to the first
// sample of the end sound that the device takes, over 20 expiries. The program's wiring: the
// engine on Qt timers, the cues on SDL's disk driver (which takes sound at a sound card's pace).
// Two cases: a timing sound of digital silence plays while counting, so the device is open and
// the first sound it takes is the end sound's (one program, 20 counts); and no timing sound, so
// that the end sound opens the device (20 programs, one count each).
//
// Where the device takes its sound, a layer around the SDL output notes the time of each
// callback that holds sound, plus the offset of the first sounding frame in it.
#include "CueWorld.hpp"
#include "TappedAudioOutput.hpp"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace quorvane;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kExpiries = 20;

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// Notes when the first sounding sample after Arm reaches the device, in nanoseconds of the
// steady clock. It outlives the outputs, which the mixer owns. Heard stays free of locks and
// allocation.
class TFirstSound {
public:
    void Arm() {
        m_at.store(0);
        m_armed.store(true);
    }
    std::int64_t At() const { return m_at.load(); }

    void Heard(const std::uint8_t* out, std::uint32_t bytes) noexcept {
        if (!m_armed.load())
            return;
        const std::int64_t now = NowNs();
        const auto* samples = reinterpret_cast<const std::int16_t*>(out);
        for (std::uint32_t i = 0; i < bytes / 2; ++i) {
            if (samples[i] != 0) {
                // 44100-Hz stereo: the frame plays that long after the callback's first one.
                const std::int64_t frame = i / 2;
                m_at.store(now + frame * 1000000000 / 44100);
                m_armed.store(false);
                return;
            }
        }
    }

private:
    std::atomic<bool> m_armed{false};
    std::atomic<std::int64_t> m_at{0};
};

class TTimedOutput : public bench::TTappedAudioOutput {
public:
    TTimedOutput(std::unique_ptr<IAudioOutput> inner, TFirstSound& probe)
        : TTappedAudioOutput(std::move(inner))
        , m_probe(probe) {}

private:
    void Render(std::uint8_t* out, std::uint32_t bytes) noexcept override {
        RenderMixer(out, bytes);
        m_probe.Heard(out, bytes);
    }

    TFirstSound& m_probe;
};

// One world and the probe inside its output.
struct TRig {
    TFirstSound Probe;
    cues::TCueWorld World{"disk", [this](std::unique_ptr<IAudioOutput> sdl) {
                              return std::make_unique<TTimedOutput>(std::move(sdl), Probe);
                          }};
    std::atomic<std::int64_t> TickAt{0};

    explicit TRig(bool silentTimingSound) {
        TTimerEngine& e = *World.Engine;
        if (silentTimingSound)
            fixtures::WriteSound(World.TimingPath, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100,
                                 44100, [](std::int64_t, int) { return 0.0; });
        else
            e.Controls.edSoundTiming.SetText(std::string());
        e.Counter.OnTickBegin = [this, begin = e.Counter.OnTickBegin] {
            TickAt.store(NowNs());
            if (begin)
                begin();
        };
    }

    // A count of 2 ticks of 50 ms to expiry; the end sound's latency in ms, or -1.
    double Expiry() {
        TTimerEngine& e = *World.Engine;
        World.Prepare(0, 2); // Set Start stops the end sound of the last count
        World.Wait(100);
        Probe.Arm();
        e.actRun.Execute();
        if (!World.WaitFor([&] { return e.CurrentState() == CounterState::Expired; }, 5000) ||
            !World.WaitFor([&] { return Probe.At() != 0; }, 2000))
            return -1;
        return static_cast<double>(Probe.At() - TickAt.load()) / 1e6;
    }
};

struct TFigures {
    double median, min, max;
};

TFigures Figures(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    return {median, ms.front(), ms.back()};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);

    std::vector<double> open;
    {
        TRig rig(true);
        for (int n = 0; n < kExpiries; ++n) {
            const double ms = rig.Expiry();
            if (ms < 0) {
                std::fprintf(stderr, "count %d: no end sound reached the device\n", n);
                return 1;
            }
            open.push_back(ms);
        }
    }
    std::vector<double> opening;
    for (int n = 0; n < kExpiries; ++n) {
        TRig rig(false);
        const double ms = rig.Expiry();
        if (ms < 0) {
            std::fprintf(stderr, "program %d: no end sound reached the device\n", n);
            return 1;
        }
        opening.push_back(ms);
    }

    std::printf("End sound latency, expiring tick to its first sounding sample at the device "
                "(SDL disk driver, 1024-frame callbacks, %d expiries each; target <= 60 ms):\n",
                kExpiries);
    const TFigures a = Figures(open);
    std::printf("  device open (timing sound playing): median %.1f ms, min %.1f ms, max %.1f ms\n",
                a.median, a.min, a.max);
    const TFigures b = Figures(opening);
    std::printf("  device opened by the end sound:     median %.1f ms, min %.1f ms, max %.1f ms\n",
                b.median, b.min, b.max);
    return 0;
}
