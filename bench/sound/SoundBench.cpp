// Figures of the sound layer on SDL's disk driver, which pulls sound at the pace of a sound card
// and writes it to /dev/null here:
//  - CPU time of the refill threads and of the mixer callback per second of played audio, with
//    two channels looping (target: below 1 % of one core together);
//  - latency from Play to the first non-silent sample handed to the device, median and maximum
//    over repeated plays (target: at most 50 ms).
//
// SoundBench [seconds per CPU run, default 10] [plays, default 20]

#include "TcbDSMixer.hpp"
#include "TcbDSMixerChannel.hpp"

#include "SoundFixtures.hpp"
#include "TappedAudioOutput.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace quorvane;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::int64_t ThreadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

// Stands between the mixer and SDL: times each callback on the audio thread's own CPU clock and
// notes when the first non-silent sample after Watch goes to the device. The device format is
// 16-bit, so silence is a zero sample.
class TMeasuredOutput : public bench::TTappedAudioOutput {
public:
    using TTappedAudioOutput::TTappedAudioOutput;

    std::int64_t RenderNs() const { return m_renderNs.load(); }
    std::int64_t RenderedBytes() const { return m_renderedBytes.load(); }
    std::uint32_t BytesPerSecond() const { return m_bytesPerSecond; }

    void Watch() {
        m_heard.store(false);
        m_watching.store(true);
    }
    bool Heard() const { return m_heard.load(); }
    Clock::time_point HeardAt() const { return m_heardAt; }

private:
    void Opened(const TAudioSpec& obtained) override {
        m_bytesPerSecond = obtained.Frequency * obtained.Channels * obtained.BitsPerSample / 8;
        m_frameBytes = obtained.Channels * obtained.BitsPerSample / 8;
    }
    void Render(std::uint8_t* out, std::uint32_t bytes) noexcept override {
        const Clock::time_point wall = Clock::now();
        const std::int64_t before = ThreadCpuNs();
        RenderMixer(out, bytes);
        m_renderNs += ThreadCpuNs() - before;
        m_renderedBytes += bytes;
        if (m_watching.load()) {
            for (std::uint32_t i = 0; i + 1 < bytes; i += 2) {
                std::int16_t sample;
                std::memcpy(&sample, out + i, 2);
                if (sample != 0) {
                    // The sample plays when the device reaches it in this period.
                    const auto frame = i / m_frameBytes;
                    m_heardAt = wall + std::chrono::nanoseconds(std::int64_t{frame} * 1000000000 *
                                                                m_frameBytes / m_bytesPerSecond);
                    m_watching.store(false);
                    m_heard.store(true);
                    break;
                }
            }
        }
    }

    std::uint32_t m_bytesPerSecond = 1;
    std::uint32_t m_frameBytes = 1;
    std::atomic<std::int64_t> m_renderNs{0};
    std::atomic<std::int64_t> m_renderedBytes{0};
    std::atomic<bool> m_watching{false};
    std::atomic<bool> m_heard{false};
    Clock::time_point m_heardAt;
};

// CPU time of this process's threads whose name starts with `prefix`, in nanoseconds.
std::int64_t ThreadsCpuNs(const std::string& prefix) {
    std::int64_t total = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string name;
        std::getline(std::ifstream(task.path() / "comm"), name);
        if (name.rfind(prefix, 0) != 0) {
            continue;
        }
        // The scheduler's own count, in nanoseconds; the first of its three fields.
        std::int64_t ns = 0;
        if (std::ifstream(task.path() / "schedstat") >> ns) {
            total += ns;
        }
    }
    return total;
}

void WriteCosine(const std::string& path, int format, int channels, int rate, double seconds) {
    // A cosine starts at its peak, so the very first frame is not silent.
    fixtures::WriteSound(path, format, channels, rate, static_cast<std::int64_t>(seconds * rate),
                         [rate](std::int64_t f, int) {
                             return 0.5 * std::cos(2 * std::numbers::pi * 440.0 *
                                                   static_cast<double>(f) / rate);
                         });
}

struct TSoundFile {
    const char* what;
    std::string path;
    // The rate the device is opened at: a file at another rate is converted.
    std::int32_t deviceRate = 44100;
};

void MeasureCpu(const TSoundFile& file, double seconds) {
    auto made = std::make_unique<TMeasuredOutput>(MakeSdlAudioOutput());
    TMeasuredOutput& output = *made;
    TcbDSMixer mixer([](std::function<void()>) {}, std::move(made));
    mixer.SetFrequency(file.deviceRate);
    TcbDSMixerChannel* channels[] = {&mixer.CreateChannel(), &mixer.CreateChannel()};
    for (TcbDSMixerChannel* channel : channels) {
        channel->OpenFile(file.path);
        channel->SetLoop(true);
        channel->Play();
    }
    // Past the first fill and the device's start.
    std::this_thread::sleep_for(1s);

    const std::int64_t refill0 = ThreadsCpuNs("cbDSMCUpd");
    const std::int64_t sdl0 = ThreadsCpuNs("SDLAudio");
    const std::int64_t render0 = output.RenderNs();
    const std::int64_t bytes0 = output.RenderedBytes();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double refill = static_cast<double>(ThreadsCpuNs("cbDSMCUpd") - refill0) / 1e9;
    const double sdl = static_cast<double>(ThreadsCpuNs("SDLAudio") - sdl0) / 1e9;
    const double render = static_cast<double>(output.RenderNs() - render0) / 1e9;
    const double played =
        static_cast<double>(output.RenderedBytes() - bytes0) / output.BytesPerSecond();

    bool playing = true;
    for (TcbDSMixerChannel* channel : channels) {
        playing = playing && channel->Playing();
    }
    std::printf("two channels looping %s, device at %d Hz, %.1f s of audio played%s\n", file.what,
                file.deviceRate, played, playing ? "" : " (A CHANNEL STOPPED)");
    std::printf("  refill threads     %8.4f %% of one core\n", 100 * refill / played);
    std::printf("  mixer callback     %8.4f %% of one core\n", 100 * render / played);
    std::printf("  together           %8.4f %% of one core (target < 1 %%)\n",
                100 * (refill + render) / played);
    std::printf("  SDL's audio thread %8.4f %% of one core (the callback and SDL's own work)\n",
                100 * sdl / played);
}

struct TLatencies {
    std::vector<double> fromPlay;     // ms
    std::vector<double> insidePlay;   // ms: the call itself
    std::vector<double> fromOpenFile; // ms
};

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const double median =
        ms.size() % 2 == 1 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
    std::printf("  %-34s median %6.1f ms, max %6.1f ms, min %6.1f ms\n", what, median, ms.back(),
                ms.front());
}

void MeasureLatency(const TSoundFile& file, int plays) {
    auto made = std::make_unique<TMeasuredOutput>(MakeSdlAudioOutput());
    TMeasuredOutput& output = *made;
    TcbDSMixer mixer([](std::function<void()>) {}, std::move(made));
    mixer.SetFrequency(file.deviceRate);
    TcbDSMixerChannel& channel = mixer.CreateChannel();

    // The first Play also opens the device.
    channel.OpenFile(file.path);
    output.Watch();
    const Clock::time_point coldStart = Clock::now();
    channel.Play();
    while (!output.Heard() && Clock::now() - coldStart < 5s) {
        std::this_thread::sleep_for(1ms);
    }
    const double cold =
        std::chrono::duration<double, std::milli>(output.HeardAt() - coldStart).count();
    channel.Stop();

    // Then as a sound cue plays: the file opened afresh, then Play, at any point of the
    // device's period.
    std::mt19937 random(4711);
    std::uniform_int_distribution<int> pause(40, 140);
    TLatencies latencies;
    int missed = 0;
    for (int i = 0; i < plays; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        const Clock::time_point opening = Clock::now();
        channel.OpenFile(file.path);
        output.Watch();
        const Clock::time_point started = Clock::now();
        channel.Play();
        const Clock::time_point returned = Clock::now();
        while (!output.Heard() && Clock::now() - started < 2s) {
            std::this_thread::sleep_for(1ms);
        }
        if (!output.Heard()) {
            ++missed;
            continue;
        }
        using Ms = std::chrono::duration<double, std::milli>;
        latencies.fromPlay.push_back(Ms(output.HeardAt() - started).count());
        latencies.insidePlay.push_back(Ms(returned - started).count());
        latencies.fromOpenFile.push_back(Ms(output.HeardAt() - opening).count());
        channel.Stop();
    }
    std::printf("latency to the first non-silent sample, %s, device at %d Hz, %d plays%s\n",
                file.what, file.deviceRate, plays, missed > 0 ? " (SOME NEVER SOUNDED)" : "");
    std::printf("  %-34s %6.1f ms\n", "first Play, opening the device", cold);
    Report("Play to the device (target <= 50)", latencies.fromPlay);
    Report("time spent inside Play", latencies.insidePlay);
    Report("OpenFile and Play to the device", latencies.fromOpenFile);
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int plays = argc > 2 ? std::atoi(argv[2]) : 20;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);

    fixtures::TTempDir dir;
    const TSoundFile wav{"16-bit stereo 44100 Hz WAV", dir.File("tone.wav")};
    const TSoundFile narrow{"8-bit mono 22050 Hz WAV (converted while mixing)",
                            dir.File("narrow.wav")};
    const TSoundFile ogg{"Ogg Vorbis stereo 44100 Hz", dir.File("tone.ogg")};
    WriteCosine(wav.path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 3.0);
    WriteCosine(narrow.path, SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 22050, 3.0);
    WriteCosine(ogg.path, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 2, 44100, 3.0);
    // Rates converted to a 48 kHz device.
    const TSoundFile cd48{"16-bit stereo 44100 Hz WAV", wav.path, 48000};
    const TSoundFile hi48{"16-bit stereo 96000 Hz WAV", dir.File("tone96.wav"), 48000};
    WriteCosine(hi48.path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 96000, 3.0);

    for (const TSoundFile* file : {&wav, &narrow, &ogg, &cd48, &hi48}) {
        MeasureCpu(*file, seconds);
    }
    for (const TSoundFile* file : {&wav, &ogg, &cd48, &hi48}) {
        MeasureLatency(*file, plays);
    }
    return 0;
}
