#include "TcbDSMixerChannel.hpp"
#include "EAssertionFailed.hpp"
#include "TNullAudioOutput.hpp"
#include "TPositionTimes.hpp"
#include "TcbAudioFileReader.hpp"
#include "TcbDSMixer.hpp"

#include "SoundFixtures.hpp"
#include "TestPoster.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

using namespace quorvane;
using namespace std::chrono_literals;

namespace {

// A mixer on the null output at 44100 Hz, 16-bit stereo, which the test pumps by hand, so that
// the ring passes to the output unchanged and the cursor moves exactly as far as pumped.
class ChannelTest : public ::testing::Test {
protected:
    ChannelTest() {
        auto made = std::make_unique<TNullAudioOutput>();
        output = made.get();
        mixer = std::make_unique<TcbDSMixer>(loop.Poster(), std::move(made));
        channel = &mixer->CreateChannel();
        channel->OnEnd = [this](TcbDSMixerChannel& c) {
            EXPECT_EQ(&c, channel);
            EXPECT_EQ(std::this_thread::get_id(), uiThread) << "OnEnd off the UI thread";
            ++ends;
        };
    }

    // Output frames as the left channel's 16-bit samples.
    std::vector<std::int16_t> Pump(std::uint32_t frames) {
        std::vector<std::uint8_t> raw(frames * 4);
        output->Pump(raw.data(), static_cast<std::uint32_t>(raw.size()));
        std::vector<std::int16_t> left(frames);
        for (std::uint32_t i = 0; i < frames; ++i) {
            std::memcpy(&left[i], &raw[4 * i], 2);
        }
        return left;
    }

    // 44100 Hz stereo 16-bit; every sample's value is 1 + its frame number modulo 30000, so
    // that output tells which frame of the file it came from and silence (0) stands out.
    std::string Ramp(const std::string& name, std::int32_t frames) {
        std::vector<std::int32_t> samples;
        for (std::int32_t f = 0; f < frames; ++f) {
            samples.push_back((1 + f % 30000) << 16);
            samples.push_back((1 + f % 30000) << 16);
        }
        const std::string path = dir.File(name);
        fixtures::WriteInts(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, samples);
        return path;
    }

    // Waits for something a refill cycle does, allowing for a late cycle on a busy machine.
    template <class Done> bool WaitUntil(Done done, std::chrono::milliseconds limit = 2000ms) {
        loop.RunFor(limit + fixtures::Lateness(), done);
        return done();
    }

    fixtures::TTempDir dir;
    TTestEventLoop loop;
    TNullAudioOutput* output = nullptr;
    std::unique_ptr<TcbDSMixer> mixer;
    TcbDSMixerChannel* channel = nullptr;
    int ends = 0;
    std::thread::id uiThread = std::this_thread::get_id();
};

TEST_F(ChannelTest, RingHoldsFourSecondsAndArmsTheEndAtFortyPercent) {
    struct Case {
        const char* name;
        int format, channels, rate;
        std::uint32_t bytes, threshold;
    };
    const Case cases[] = {
        {"16-bit stereo 44100 Hz", SF_FORMAT_PCM_16, 2, 44100, 705600, 282240},
        {"8-bit mono 22050 Hz", SF_FORMAT_PCM_U8, 1, 22050, 88200, 35280},
        {"16-bit mono 8000 Hz", SF_FORMAT_PCM_16, 1, 8000, 64000, 25600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File("ring.wav");
        fixtures::WriteTone(path, 0.5, SF_FORMAT_WAV | c.format, c.channels, c.rate);
        channel->OpenFile(path);
        channel->Prime();
        EXPECT_EQ(channel->BufferLength(), 4000u);
        EXPECT_EQ(channel->BufferBytes(), c.bytes);
        EXPECT_EQ(channel->EndThreshold(), c.threshold);
        EXPECT_EQ(channel->DurationMs(), 500u);
        EXPECT_EQ(channel->SampleRate(), static_cast<std::uint32_t>(c.rate));
        EXPECT_EQ(channel->Channels(), c.channels);
    }
}

TEST_F(ChannelTest, RefusedFilesLeaveNoFileBehind) {
    struct Case {
        const char* name;
        std::function<void(const std::string&)> write;
        const char* message; // nullptr: the reader's own error
    };
    const Case cases[] = {
        {"6 channels",
         [](const std::string& p) {
             fixtures::WriteTone(p, 0.2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6);
         },
         "Invalid number of channels."},
        {"24-bit",
         [](const std::string& p) {
             fixtures::WriteTone(p, 0.2, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
         },
         "Invalid number of bits per sample."},
        {"float",
         [](const std::string& p) { fixtures::WriteTone(p, 0.2, SF_FORMAT_WAV | SF_FORMAT_FLOAT); },
         "Invalid number of bits per sample."},
        {"no frames", [](const std::string& p) { fixtures::WriteTone(p, 0.0); },
         "Audio file is empty."},
        {"empty file", [](const std::string& p) { fixtures::WriteText(p, ""); }, nullptr},
        {"text named .wav",
         [](const std::string& p) { fixtures::WriteText(p, "RIFF? no, just words\n"); }, nullptr},
        {"header cut short",
         [](const std::string& p) {
             fixtures::WriteTone(p, 0.2);
             fixtures::Truncate(p, 30);
         },
         nullptr},
    };
    const std::string good = Ramp("good.wav", 4410);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        channel->OpenFile(good);
        channel->Play();
        const std::string path = dir.File("refused.wav");
        c.write(path);
        try {
            channel->OpenFile(path);
            ADD_FAILURE() << "accepted";
        } catch (const EAudioReadError& e) {
            EXPECT_EQ(c.message, nullptr) << e.what();
            EXPECT_FALSE(std::string(e.what()).empty());
        } catch (const std::runtime_error& e) {
            ASSERT_NE(c.message, nullptr) << e.what();
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_FALSE(channel->Playing()) << "the old file stopped";
        EXPECT_EQ(channel->FileName(), "");
        EXPECT_EQ(channel->DurationMs(), 0u);
        try {
            channel->Play();
            ADD_FAILURE() << "played";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "No file opened");
        }
    }
}

TEST_F(ChannelTest, OpenFileStopsTheSoundAndResetsTheSettings) {
    const std::string path = Ramp("a.wav", 44100);
    channel->OpenFile(path);
    channel->SetLoop(true);
    channel->SetVolume(-600);
    channel->SetPan(300);
    channel->SetPlayStartMs(100);
    channel->SetPlayEndMs(500);
    channel->Play();
    EXPECT_TRUE(channel->Playing());

    channel->OpenFile(path);
    EXPECT_FALSE(channel->Playing());
    EXPECT_FALSE(channel->Loop());
    EXPECT_EQ(channel->Volume(), 0);
    EXPECT_EQ(channel->Pan(), 0);
    EXPECT_EQ(channel->PlayStartMs(), 0u);
    EXPECT_EQ(channel->PlayEndMs(), 0u);
    EXPECT_EQ(channel->FileName(), path);
    EXPECT_EQ(channel->PositionMs(), 0);
    channel->Play();
    EXPECT_EQ(Pump(1)[0], 1) << "from the first frame at full volume";
}

TEST_F(ChannelTest, PlaysTheFileOnceThenSilence) {
    // 300 ms: 13230 frames.
    channel->OpenFile(Ramp("short.wav", 13230));
    channel->Play();
    const auto out = Pump(44100);
    for (std::int32_t f = 0; f < 13230; ++f) {
        ASSERT_EQ(out[static_cast<std::size_t>(f)], 1 + f) << "frame " << f;
    }
    for (std::size_t f = 13230; f < out.size(); ++f) {
        ASSERT_EQ(out[f], 0) << "frame " << f;
    }
    EXPECT_EQ(channel->PositionMs(), 300) << "stays where the data ended";
}

TEST_F(ChannelTest, SilenceAfterTheEndSuitsTheSampleWidth) {
    // A wrong silence byte for 8-bit data (0 in place of 0x80) comes out as full negative level.
    const std::pair<const char*, int> cases[] = {{"8-bit", SF_FORMAT_PCM_U8},
                                                 {"16-bit", SF_FORMAT_PCM_16}};
    for (const auto& [name, format] : cases) {
        SCOPED_TRACE(name);
        const std::string path = dir.File("width.wav");
        fixtures::WriteTone(path, 0.1, SF_FORMAT_WAV | format, 1, 22050);
        channel->OpenFile(path);
        channel->Play();
        const auto out = Pump(44100);
        EXPECT_NE(out[1000], 0);
        for (std::size_t f = 8900; f < out.size(); ++f) {
            ASSERT_EQ(out[f], 0) << "frame " << f;
        }
    }
}

TEST_F(ChannelTest, LoopRunsFromTheEndStraightIntoTheStart) {
    channel->OpenFile(Ramp("loop.wav", 4410)); // 100 ms
    channel->SetLoop(true);
    channel->Play();
    const auto out = Pump(44100 * 3);
    for (std::size_t f = 0; f < out.size(); ++f) {
        ASSERT_EQ(out[f], static_cast<std::int16_t>(1 + f % 4410)) << "frame " << f;
    }
}

TEST_F(ChannelTest, PlayWindowCutsTheFile) {
    channel->OpenFile(Ramp("window.wav", 44100));
    channel->SetPlayStartMs(200);
    channel->SetPlayEndMs(500);
    EXPECT_EQ(channel->PlayStartMs(), 200u);
    EXPECT_EQ(channel->PlayEndMs(), 500u);
    EXPECT_EQ(channel->PositionMs(), 200) << "before Play: the window start";
    channel->Play();
    const auto out = Pump(22050);
    for (std::int32_t f = 0; f < 13230; ++f) {
        ASSERT_EQ(out[static_cast<std::size_t>(f)], 1 + 8820 + f) << "frame " << f;
    }
    EXPECT_EQ(out[13230], 0);
    EXPECT_EQ(channel->PositionMs(), 500);
}

TEST_F(ChannelTest, StartWithoutAnEndPlaysToTheEndOfTheFile) {
    channel->OpenFile(Ramp("start.wav", 44100));
    channel->SetPlayStartMs(900);
    EXPECT_EQ(channel->PlayEndMs(), 0u);
    channel->Play();
    const auto out = Pump(8820);
    EXPECT_EQ(out[0], 1 + 39690 % 30000);
    EXPECT_EQ(out[4409], 1 + 44099 % 30000);
    EXPECT_EQ(out[4410], 0);
}

TEST_F(ChannelTest, PositionFollowsTheCursor) {
    channel->OpenFile(Ramp("position.wav", 44100));
    EXPECT_EQ(channel->PositionMs(), 0);
    channel->Play();
    Pump(11025);
    EXPECT_EQ(channel->PositionMs(), 250);
    Pump(22050);
    EXPECT_EQ(channel->PositionMs(), 750);
}

TEST_F(ChannelTest, StopRewindsAndRaisesNoEnd) {
    channel->OpenFile(Ramp("stop.wav", 44100));
    channel->Play();
    Pump(4410);
    channel->Stop();
    EXPECT_FALSE(channel->Playing());
    EXPECT_EQ(Pump(100)[0], 0) << "stopped";
    EXPECT_EQ(channel->PositionMs(), 0);
    channel->Play();
    EXPECT_EQ(Pump(1)[0], 1) << "from the beginning again";
    channel->Stop();
    loop.RunFor(500ms);
    EXPECT_EQ(ends, 0);
}

TEST_F(ChannelTest, StopNearTheEndLeavesNothingArmedForTheNextPlay) {
    // 3 s: with the cursor at 2.8 s a cycle arms the end. A Stop that left it armed would make
    // the first cycle of the next Play, with the cursor far before the new end, take the end as
    // passed and stop the file at once.
    channel->OpenFile(Ramp("armed.wav", 44100 * 3));
    channel->Play();
    Pump(44100 * 28 / 10);
    std::this_thread::sleep_for(400ms + fixtures::Lateness()); // cycles meanwhile keep it armed
    channel->Stop();
    channel->Play();
    EXPECT_EQ(Pump(4410)[0], 1) << "from the beginning again";
    loop.RunFor(400ms + fixtures::Lateness());
    EXPECT_TRUE(channel->Playing());
    EXPECT_EQ(ends, 0);
}

TEST_F(ChannelTest, PlayWhilePlayingDoesNothing) {
    channel->OpenFile(Ramp("twice.wav", 44100));
    channel->Play();
    Pump(4410);
    channel->Play();
    EXPECT_EQ(Pump(1)[0], 1 + 4410);
}

TEST_F(ChannelTest, VolumeAndPanReachTheBuffer) {
    channel->OpenFile(Ramp("volume.wav", 44100));
    channel->SetVolume(-10000);
    channel->Play();
    EXPECT_EQ(Pump(10)[5], 0) << "set before Play";
    channel->SetVolume(0);
    channel->SetPan(-10000);
    EXPECT_EQ(Pump(1)[0], 1 + 10) << "set while playing";
    EXPECT_THROW(channel->SetVolume(1), EDirectXError);
}

TEST_F(ChannelTest, LoopThatYieldsNothingAfterRewindingEnds) {
    channel->OpenFile(Ramp("nothing.wav", 4410));
    channel->SetPlayStartMs(5000); // beyond the end of the file
    channel->SetLoop(true);
    channel->Play();
    for (std::int16_t v : Pump(4410)) {
        ASSERT_EQ(v, 0);
    }
}

TEST_F(ChannelTest, NonLoopingFileEndsOnceOnTheUiThread) {
    channel->OpenFile(Ramp("end.wav", 44100));
    channel->Play();
    // Keep the device playing at about its real pace until the channel stops itself.
    const auto start = std::chrono::steady_clock::now();
    std::int64_t pumped = 0;
    const bool ended = WaitUntil(
        [&] {
            const auto due = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count() *
                             441 / 10;
            if (due > pumped) {
                Pump(static_cast<std::uint32_t>(due - pumped));
                pumped = due;
            }
            return ends > 0;
        },
        3000ms);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(channel->Playing());
    loop.RunFor(500ms);
    EXPECT_EQ(ends, 1);
}

TEST_F(ChannelTest, LostDeviceStopsTheChannelQuietly) {
    channel->OpenFile(Ramp("lost.wav", 44100 * 3));
    channel->Play();
    Pump(4410);
    output->Remove();
    EXPECT_TRUE(WaitUntil([&] { return !channel->Playing(); }));
    EXPECT_EQ(ends, 0);
    // The next Play opens the device afresh and starts from the window start.
    channel->Play();
    EXPECT_TRUE(channel->Playing());
    EXPECT_EQ(output->OpenCount(), 2);
    EXPECT_EQ(Pump(1)[0], 1);
}

TEST_F(ChannelTest, EndNotificationAfterTheChannelIsGoneIsDropped) {
    channel->OpenFile(Ramp("gone.wav", 4410));
    channel->Play();
    // Close to the end of the ring, so that the first cycle arms the end; then past the end of
    // the data, so that the next cycle stops the sound. The posted end is not run meanwhile.
    // A cycle that came late, after the second pump, would not arm the end at all, so the
    // first pump is left to stand for long enough; more cycles meanwhile change nothing.
    Pump(44100 * 3);
    std::this_thread::sleep_for(800ms + fixtures::Lateness());
    Pump(44100 * 6 / 5);
    const auto limit = std::chrono::steady_clock::now() + 3000ms + fixtures::Lateness();
    while (channel->Playing() && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_FALSE(channel->Playing());
    mixer->FreeChannel(*channel);
    EXPECT_EQ(mixer->ChannelCount(), 0);
    EXPECT_EQ(loop.RunPending(), 1);
    EXPECT_EQ(ends, 0);
}

TEST(TcbDSMixerChannels, MixerOwnsItsChannels) {
    TTestEventLoop loop;
    auto made = std::make_unique<TNullAudioOutput>();
    TNullAudioOutput* output = made.get();
    auto mixer = std::make_unique<TcbDSMixer>(loop.Poster(), std::move(made));
    fixtures::TTempDir dir;
    const std::string path = dir.File("tone.wav");
    fixtures::WriteTone(path, 0.5);

    TcbDSMixerChannel& first = mixer->CreateChannel();
    TcbDSMixerChannel& second = mixer->CreateChannel();
    EXPECT_EQ(mixer->ChannelCount(), 2);
    EXPECT_EQ(&mixer->Channels(0), &first);
    EXPECT_EQ(&mixer->Channels(1), &second);
    EXPECT_FALSE(mixer->DeviceOpen()) << "channels open no device";

    first.OpenFile(path);
    second.OpenFile(path);
    first.Play();
    second.Play();
    mixer->CloseDevice();
    EXPECT_FALSE(first.Playing());
    EXPECT_FALSE(second.Playing());
    EXPECT_FALSE(output->IsOpen());

    second.Play();
    EXPECT_TRUE(second.Playing());
    mixer.reset(); // frees both channels, one of them playing; ASan watches the rest
}

TEST(TPositionTimes, MapsTheCursorThroughTheNewestSlot) {
    TPositionTimes times;
    times.AddPositionTime(0, 1000, 0, 100000);
    times.AddPositionTime(1000, 2000, 100000, 100000); // silence after the end
    times.AddPositionTime(0, 500, 50000, 70000);       // newer data over the start
    const std::pair<std::int32_t, std::int64_t> cases[] = {
        {0, 5}, {250, 6}, {499, 6}, {500, 5}, {999, 9}, {1000, 10}, {1999, 10}};
    for (const auto& [cursor, ms] : cases) {
        EXPECT_EQ(times.GetPosTime(cursor), ms) << cursor;
    }
}

TEST(TPositionTimes, InternalChecks) {
    TPositionTimes times;
    const auto message = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const EAssertionFailed& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] {
                  times.GetPosTime(0);
              }).rfind("Internal Error: GetPosTime (cbDSMixer, line ", 0),
              0u);
    EXPECT_EQ(message([&] {
                  times.AddPositionTime(0, 10, 5, 4);
              }).rfind("Internal Error: Time Start higher then Time End (cbDSMixer, line ", 0),
              0u);
    EXPECT_EQ(
        message([&] {
            times.AddPositionTime(10, 10, 4, 5);
        }).rfind("Internal Error: Position Start not less than Position End (cbDSMixer, line ", 0),
        0u);
    // Beyond the 49 newest slots a span is forgotten.
    TPositionTimes full;
    full.AddPositionTime(1000, 2000, 0, 0);
    for (int i = 0; i < TPositionTimes::kSlots - 1; ++i) {
        full.AddPositionTime(0, 10, 0, 0);
    }
    EXPECT_THROW(full.GetPosTime(1500), EAssertionFailed);
}

} // namespace
