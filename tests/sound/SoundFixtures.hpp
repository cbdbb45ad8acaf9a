#pragma once

// Audio fixtures written by the tests themselves, into a folder that lives as long as the test.

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Sanitizers slow the code several times over, and the machine that runs the tests is shared:
// bounds on wall-clock time widen under them.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define QUORVANE_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer) || __has_feature(address_sanitizer)
#define QUORVANE_SANITIZED 1
#endif
#endif

namespace fixtures {

#ifdef QUORVANE_SANITIZED
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// How late a thread may wake on a loaded two-core machine, beyond the time it asked for.
inline std::chrono::milliseconds Lateness() {
    return std::chrono::milliseconds(kSanitized ? 2000 : 1000);
}

class TTempDir {
public:
    TTempDir() {
        static int serial = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("quorvane-sound-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::create_directories(m_path);
    }
    ~TTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Writes frames × channels samples, each given by sample(frame, channel) in -1..1, as doubles;
// libsndfile converts to the file's encoding.
inline void WriteSound(const std::string& path, int format, int channels, int rate,
                       std::int64_t frames,
                       const std::function<double(std::int64_t, int)>& sample) {
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        throw std::runtime_error("cannot write fixture " + path + ": " + sf_strerror(nullptr));
    }
    std::vector<double> block(4096 * static_cast<std::size_t>(channels));
    for (std::int64_t done = 0; done < frames;) {
        const std::int64_t n = std::min<std::int64_t>(4096, frames - done);
        for (std::int64_t f = 0; f < n; ++f) {
            for (int c = 0; c < channels; ++c) {
                block[static_cast<std::size_t>(f * channels + c)] = sample(done + f, c);
            }
        }
        sf_writef_double(file, block.data(), n);
        done += n;
    }
    sf_close(file);
}

// Integer samples top-aligned in 32 bits, so that each encoding keeps their upper bits exactly.
inline void WriteInts(const std::string& path, int format, int channels, int rate,
                      const std::vector<std::int32_t>& samples) {
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        throw std::runtime_error("cannot write fixture " + path + ": " + sf_strerror(nullptr));
    }
    sf_write_int(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
}

inline void WriteTone(const std::string& path, double seconds,
                      int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16, int channels = 2,
                      int rate = 44100, double hertz = 440.0, double amplitude = 0.5) {
    const auto frames = static_cast<std::int64_t>(std::llround(seconds * rate));
    WriteSound(path, format, channels, rate, frames, [&](std::int64_t f, int) {
        return amplitude * std::sin(2.0 * std::numbers::pi * hertz * static_cast<double>(f) / rate);
    });
}

// Samples one channel of interleaved 16-bit sound: how often it jumps by more than 20000 (a
// wrapped sample does, a sine of 440 Hz never), and its pitch from rising zero crossings.
struct TSignalCheck {
    int jumps = 0;
    double hertz = 0;
};

inline TSignalCheck CheckSignal(const std::int16_t* samples, std::size_t frames, int channels,
                                int rate) {
    TSignalCheck check;
    int crossings = 0;
    std::size_t first = 0;
    std::size_t last = 0;
    for (std::size_t f = 1; f < frames; ++f) {
        const int previous = samples[(f - 1) * channels];
        const int now = samples[f * channels];
        if (std::abs(now - previous) > 20000) {
            ++check.jumps;
        }
        if (previous < 0 && now >= 0) {
            if (crossings++ == 0) {
                first = f;
            }
            last = f;
        }
    }
    if (crossings > 1) {
        check.hertz =
            (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
    }
    return check;
}

// How far below full scale 0.05 dB lies: where many cue sounds are normalised to.
inline double LoudAmplitude() {
    return std::pow(10.0, -0.05 / 20.0);
}

// Opens a FIFO at path, which blocks a reader's open until a writer comes.
inline void MakeFifo(const std::string& path) {
    if (::mkfifo(path.c_str(), 0600) != 0) {
        throw std::runtime_error("cannot make FIFO " + path);
    }
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Keeps the first `bytes` bytes of a file.
inline void Truncate(const std::string& path, std::uintmax_t bytes) {
    std::filesystem::resize_file(path, bytes);
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace fixtures
