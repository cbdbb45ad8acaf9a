// What really comes out of the device: SDL's disk driver writes the mixed output to a file at
// the pace of a sound card, and these tests read it back. The device is 44100 Hz 16-bit stereo,
// the files too, so every sample of a file must appear unchanged in the capture.
//
// The disk driver writes one period of 1024 frames and then sleeps 23 ms, so in any span of
// time it writes at most about as many frames as the span lasts, and on a busy machine fewer:
// a bound on the frames written while the test did something holds however loaded the machine
// is. The times of refill cycles do not: bounds on them allow for a late wake-up.

#include "TcbAudioFileReader.hpp"
#include "TcbDSMixer.hpp"
#include "TcbDSMixerChannel.hpp"

#include "SoundFixtures.hpp"
#include "TestPoster.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace quorvane;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", capturePath.c_str(), 1);
        mixer = std::make_unique<TcbDSMixer>(loop.Poster());
        channel = &mixer->CreateChannel();
        channel->OnEnd = [this](TcbDSMixerChannel&) {
            ++ends;
            endedAt = Clock::now();
        };
    }

    // 440 Hz at half level, starting at its peak: a whole number of cycles per second, so a
    // 1-s file loops without a jump.
    std::vector<std::int16_t> Tone(const std::string& path, double seconds) {
        fixtures::WriteSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100,
                             static_cast<std::int64_t>(seconds * 44100), [](std::int64_t f, int) {
                                 return 0.5 * std::cos(2 * std::numbers::pi * 440 * f / 44100.0);
                             });
        SF_INFO info{};
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
        std::vector<std::int16_t> samples(static_cast<std::size_t>(info.frames * 2));
        sf_readf_short(file, samples.data(), info.frames);
        sf_close(file);
        return samples;
    }

    // What the reader decodes of a file, to its end or to the first decoding error.
    static std::vector<std::int16_t> Decoded(const std::string& path) {
        TcbAudioFileReader reader(path);
        std::vector<std::int16_t> samples;
        std::vector<std::int16_t> block(8192);
        try {
            while (const std::uint32_t bytes = reader.Read(block.data(), 16384)) {
                samples.insert(samples.end(), block.begin(), block.begin() + bytes / 2);
            }
        } catch (const EAudioReadError&) {
            // The decoded part is what plays.
        }
        return samples;
    }

    // Closes the device, so the capture is complete, and returns it as interleaved samples.
    std::vector<std::int16_t> Capture() {
        mixer.reset();
        const auto bytes = fixtures::ReadBytes(capturePath);
        std::vector<std::int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }

    // Runs of sound in a capture, in frames: [start, end), split by at least 64 silent frames.
    static std::vector<std::pair<std::size_t, std::size_t>>
    Segments(const std::vector<std::int16_t>& capture) {
        std::vector<std::pair<std::size_t, std::size_t>> segments;
        const std::size_t frames = capture.size() / 2;
        std::size_t silent = 64;
        for (std::size_t f = 0; f < frames; ++f) {
            if (capture[2 * f] == 0 && capture[2 * f + 1] == 0) {
                ++silent;
                continue;
            }
            if (silent >= 64) {
                segments.push_back({f, f + 1});
            }
            segments.back().second = f + 1;
            silent = 0;
        }
        return segments;
    }

    // The frames of a segment against the file from its start, looping over it.
    static void ExpectFileAt(const std::vector<std::int16_t>& capture, std::size_t start,
                             std::size_t frames, const std::vector<std::int16_t>& file) {
        const std::size_t fileFrames = file.size() / 2;
        for (std::size_t f = 0; f < frames; ++f) {
            const std::size_t k = f % fileFrames;
            ASSERT_EQ(capture[2 * (start + f)], file[2 * k]) << "frame " << f << " of the segment";
            ASSERT_EQ(capture[2 * (start + f) + 1], file[2 * k + 1])
                << "frame " << f << " of the segment";
        }
    }

    double Seconds(Clock::time_point from, Clock::time_point to) {
        return std::chrono::duration<double>(to - from).count();
    }

    // The most frames the device can have written between two moments: the periods the span
    // covers, one begun before it and one for rounding.
    static std::size_t MostFramesWithin(Clock::time_point from, Clock::time_point to) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
        return 1024 * (static_cast<std::size_t>(ms) / 23 + 2);
    }

    // Runs posted handlers until the device has written `seconds` of output; false if it has not
    // within the time allowed.
    bool RunUntilCaptured(double seconds) {
        const auto bytes = static_cast<std::uintmax_t>(seconds * 44100) * 4;
        const auto limit = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::duration<double>(seconds * 2)) +
                           fixtures::Lateness();
        const auto captured = [&] {
            std::error_code ignored;
            const auto size = std::filesystem::file_size(capturePath, ignored);
            return !ignored && size >= bytes;
        };
        loop.RunFor(limit, captured);
        return captured();
    }

    fixtures::TTempDir dir;
    std::string capturePath = dir.File("capture.raw");
    TTestEventLoop loop;
    std::unique_ptr<TcbDSMixer> mixer;
    TcbDSMixerChannel* channel = nullptr;
    int ends = 0;
    Clock::time_point endedAt;
};

TEST_F(CaptureTest, OneSecondFilePlaysOnceThenSilenceAndEndsOnce) {
    const std::string path = dir.File("tone.wav");
    const auto file = Tone(path, 1.0);
    channel->OpenFile(path);
    const auto started = Clock::now();
    channel->Play(); // opens the device
    const auto played = Clock::now();

    loop.RunFor(600ms);
    const std::int64_t midway = channel->PositionMs();
    const auto midwayAt = Clock::now();
    loop.RunFor(2000ms + fixtures::Lateness(), [&] { return ends > 0; });
    ASSERT_EQ(ends, 1);
    EXPECT_FALSE(channel->Playing());
    EXPECT_EQ(channel->PositionMs(), 0) << "stopped and rewound";
    // The third cycle, 1.2 s after Play, is the first that can find the data played out; on a
    // busy machine it may come late, or find the device behind and leave the end to the next.
    const double endAfter = Seconds(started, endedAt);
    EXPECT_GT(endAfter, 1.1);
    EXPECT_LT(endAfter, 1.6 + std::chrono::duration<double>(fixtures::Lateness()).count());
    // Moving, and following what the device plays rather than what has been written ahead.
    EXPECT_GT(midway, 200);
    EXPECT_LE(static_cast<double>(midway), Seconds(started, midwayAt) * 1000 + 50);
    loop.RunFor(400ms);
    EXPECT_EQ(ends, 1);

    const auto capture = Capture();
    const auto segments = Segments(capture);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_LE(segments[0].first, MostFramesWithin(started, played))
        << "sound starts in the first device period after Play";
    EXPECT_EQ(segments[0].second - segments[0].first, 44100u) << "plays for exactly 1 s";
    ExpectFileAt(capture, segments[0].first, 44100, file);
    EXPECT_GT(capture.size() / 2 - segments[0].second, 4410u) << "silence follows";
}

TEST_F(CaptureTest, ShortFileEndsOnlyAfterTheRingHasGoneRound) {
    const std::string path = dir.File("short.wav");
    const auto file = Tone(path, 0.3);
    channel->OpenFile(path);
    const auto started = Clock::now();
    channel->Play();
    loop.RunFor(6000ms + fixtures::Lateness(), [&] { return ends > 0; });
    ASSERT_EQ(ends, 1);
    // The eleventh cycle, 4.4 s after Play; a lap later it would be 8.4 s.
    const double endAfter = Seconds(started, endedAt);
    EXPECT_GT(endAfter, 4.3);
    EXPECT_LT(endAfter, 4.9 + std::chrono::duration<double>(fixtures::Lateness()).count());

    const auto capture = Capture();
    const auto segments = Segments(capture);
    ASSERT_EQ(segments.size(), 1u) << "heard once";
    EXPECT_EQ(segments[0].second - segments[0].first, 13230u);
    ExpectFileAt(capture, segments[0].first, 13230, file);
}

TEST_F(CaptureTest, FileLongerThanTheRingPlaysWholeThroughTheRefills) {
    // 4.5 s: the first fill holds 4 s; the rest, its end and the silence after it are written
    // by refill cycles over what the device has played.
    const std::string path = dir.File("long.wav");
    const auto file = Tone(path, 4.5);
    channel->OpenFile(path);
    const auto started = Clock::now();
    channel->Play();
    loop.RunFor(7000ms + fixtures::Lateness(), [&] { return ends > 0; });
    ASSERT_EQ(ends, 1);
    // The twelfth cycle, 4.8 s after Play, is the first to find the data played out.
    const double endAfter = Seconds(started, endedAt);
    EXPECT_GT(endAfter, 4.5);
    EXPECT_LT(endAfter, 5.3 + std::chrono::duration<double>(fixtures::Lateness()).count());

    const auto capture = Capture();
    const auto segments = Segments(capture);
    ASSERT_EQ(segments.size(), 1u) << "heard once";
    EXPECT_EQ(segments[0].second - segments[0].first, file.size() / 2);
    ExpectFileAt(capture, segments[0].first, file.size() / 2, file);
}

TEST_F(CaptureTest, LoopHasNoGapAtTheSeam) {
    const std::string path = dir.File("loop.wav");
    const auto file = Tone(path, 1.0);
    channel->OpenFile(path);
    channel->SetLoop(true);
    channel->Play();
    // Past the end of the ring, into data the refill cycles wrote.
    ASSERT_TRUE(RunUntilCaptured(5.0));
    EXPECT_TRUE(channel->Playing());
    channel->Stop();
    EXPECT_EQ(ends, 0);

    const auto capture = Capture();
    const auto segments = Segments(capture);
    ASSERT_EQ(segments.size(), 1u);
    const std::size_t length = segments[0].second - segments[0].first;
    EXPECT_GT(length, 44100u * 9 / 2) << "over four seams and the end of the ring";
    ExpectFileAt(capture, segments[0].first, length, file);
}

TEST_F(CaptureTest, DamagedFilePlaysItsDecodedPartAndThenEnds) {
    struct Case {
        const char* name;
        int format;
    };
    const Case cases[] = {
        {"FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {"MP3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!mixer) { // the capture of the case before closed it
            SetUp();
        }
        ends = 0;
        // Longer than the ring, so that the damage is met by a refill cycle, not the first fill.
        const std::string path = dir.File(std::string("damaged-") + c.name);
        // A cosine, so that the first frame is not silent.
        fixtures::WriteSound(path, c.format, 2, 44100, 8 * 44100, [](std::int64_t f, int) {
            return 0.5 * std::cos(2 * std::numbers::pi * 440 * f / 44100.0);
        });
        fixtures::Truncate(path, std::filesystem::file_size(path) * 6 / 10);
        const auto decoded = Decoded(path);
        ASSERT_GT(decoded.size() / 2, 44100u * 4);
        channel->OpenFile(path);
        channel->Play();
        loop.RunFor(8000ms + fixtures::Lateness(), [&] { return ends > 0; });
        EXPECT_EQ(ends, 1);
        EXPECT_FALSE(channel->Playing());
        loop.RunFor(500ms);
        EXPECT_EQ(ends, 1) << "once";

        const auto capture = Capture();
        const auto segments = Segments(capture);
        ASSERT_EQ(segments.size(), 1u);
        EXPECT_EQ(segments[0].second - segments[0].first, decoded.size() / 2)
            << "the decoded part is heard whole";
        ExpectFileAt(capture, segments[0].first, decoded.size() / 2, decoded);
    }
}

TEST_F(CaptureTest, RateConversionFiltersWhatTheDeviceCannotPlay) {
    // 96 kHz into the 44.1 kHz device: a 30 kHz tone on the left has no place in the output
    // (unfiltered it folds to 14.1 kHz); a 1 kHz tone on the right passes.
    const std::string path = dir.File("high.wav");
    fixtures::WriteSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 96000, 96000,
                         [](std::int64_t f, int side) {
                             const double hertz = side == 0 ? 30000.0 : 1000.0;
                             return 0.5 * std::sin(2 * std::numbers::pi * hertz * f / 96000.0);
                         });
    channel->OpenFile(path);
    channel->SetLoop(true);
    channel->Play();
    ASSERT_TRUE(RunUntilCaptured(5.0)) << "past the first fill, into refilled data";
    channel->Stop();

    const auto capture = Capture();
    std::size_t first = 0;
    while (first < capture.size() / 2 && capture[2 * first + 1] == 0) {
        ++first;
    }
    const std::size_t last = capture.size() / 2;
    ASSERT_GT(last, first + 44100 * 4);
    // The edges of the sound ramp in and out through the filter.
    double left = 0;
    double right = 0;
    const std::size_t from = first + 4410;
    const std::size_t to = last - 4410;
    for (std::size_t f = from; f < to; ++f) {
        left += std::pow(capture[2 * f] / 32768.0, 2);
        right += std::pow(capture[2 * f + 1] / 32768.0, 2);
    }
    const double tone = 0.5 / std::sqrt(2.0);
    const double n = static_cast<double>(to - from);
    EXPECT_LT(20 * std::log10(std::sqrt(left / n) / tone), -60.0) << "the alias of 30 kHz";
    EXPECT_NEAR(std::sqrt(right / n), tone, tone * 0.05) << "1 kHz passes";
}

TEST_F(CaptureTest, LoopingMp3WithItsEncoderHeaderHasNoGapAtTheSeam) {
    // libsndfile's MP3 encoder writes the LAME header that tells the decoder the encoder's
    // delay and padding. 441 whole cycles in the second, so the loop itself makes no jump.
    const std::string path = dir.File("loop.mp3");
    fixtures::WriteSound(path, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 2, 44100, 44100,
                         [](std::int64_t f, int) {
                             return 0.5 * std::cos(2 * std::numbers::pi * 441 * f / 44100.0);
                         });
    channel->OpenFile(path);
    channel->SetLoop(true);
    channel->Play();
    ASSERT_TRUE(RunUntilCaptured(5.0));
    channel->Stop();

    const auto capture = Capture();
    const auto segments = Segments(capture);
    ASSERT_EQ(segments.size(), 1u);
    ASSERT_GT(segments[0].second - segments[0].first, 44100u * 4);
    // A cycle is 100 frames; a gap of 1 ms (44 frames) stretches the one it falls into, and
    // shows as a quiet run, where the tone is never quiet for more than a few frames.
    std::size_t previousCrossing = 0;
    std::size_t longestCycle = 0;
    std::size_t quiet = 0;
    std::size_t longestQuiet = 0;
    for (std::size_t f = segments[0].first + 4410; f + 4410 < segments[0].second; ++f) {
        const int v = capture[2 * f];
        quiet = std::abs(v) < 1000 ? quiet + 1 : 0;
        longestQuiet = std::max(longestQuiet, quiet);
        if (capture[2 * (f - 1)] < 0 && v >= 0) {
            if (previousCrossing != 0) {
                longestCycle = std::max(longestCycle, f - previousCrossing);
            }
            previousCrossing = f;
        }
    }
    EXPECT_LT(longestCycle, 100u + 44u);
    EXPECT_LT(longestQuiet, 44u);
}

TEST_F(CaptureTest, StopRaisesNoEndAndPlayStartsOver) {
    const std::string path = dir.File("stop.wav");
    const auto file = Tone(path, 1.0);
    channel->OpenFile(path);
    const auto started = Clock::now();
    channel->Play();
    loop.RunFor(500ms);
    channel->Stop();
    const auto stopped = Clock::now();
    loop.RunFor(1500ms);
    EXPECT_EQ(ends, 0);
    channel->Play();
    loop.RunFor(300ms);
    channel->Stop();
    EXPECT_EQ(ends, 0);

    const auto capture = Capture();
    const auto segments = Segments(capture);
    ASSERT_EQ(segments.size(), 2u);
    for (const auto& [start, end] : segments) {
        EXPECT_GT(end - start, 4410u);
        ExpectFileAt(capture, start, end - start, file);
    }
    EXPECT_LE(segments[0].second - segments[0].first, MostFramesWithin(started, stopped))
        << "silent as soon as Stop returns";
    EXPECT_GT(segments[1].first - segments[0].second, 22050u) << "silent while stopped";
}

} // namespace
