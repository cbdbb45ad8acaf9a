#include "TSoundCues.hpp"
#include "EDirectXError.hpp"
#include "TNullAudioOutput.hpp"
#include "TcbAudioFileReader.hpp"
#include "TcbDSMixerChannel.hpp"

#include "SoundFixtures.hpp"
#include "TestPoster.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

using namespace quorvane;
using namespace std::chrono_literals;

namespace {

// The cues on the null output, which the test pumps at about a device's pace when it wants
// the sound to move on.
class SoundCuesTest : public ::testing::Test {
protected:
    SoundCuesTest() {
        auto made = std::make_unique<TNullAudioOutput>();
        output = made.get();
        cues = std::make_unique<TSoundCues>(loop.Poster(), std::move(made));
    }

    std::string Tone(const std::string& name, double seconds, int channels = 2) {
        const std::string path = dir.File(name);
        fixtures::WriteTone(path, seconds, SF_FORMAT_WAV | SF_FORMAT_PCM_16, channels);
        return path;
    }

    // Pumps the output in step with the clock and runs posted handlers until `done` holds.
    template <class Done> bool PlayUntil(Done done, std::chrono::milliseconds limit) {
        const auto start = std::chrono::steady_clock::now();
        std::int64_t pumped = 0;
        std::vector<std::uint8_t> block;
        loop.RunFor(limit, [&] {
            const std::int64_t due = std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - start)
                                         .count() *
                                     441 / 10;
            if (due > pumped) {
                block.resize(static_cast<std::size_t>(due - pumped) * 4);
                output->Pump(block.data(), static_cast<std::uint32_t>(block.size()));
                pumped = due;
            }
            return done();
        });
        return done();
    }

    fixtures::TTempDir dir;
    TTestEventLoop loop;
    TNullAudioOutput* output = nullptr;
    std::unique_ptr<TSoundCues> cues;
};

TEST_F(SoundCuesTest, ChannelsComeFirstAndTheDeviceOnlyWithTheFirstSound) {
    ASSERT_EQ(cues->Mixer.ChannelCount(), 2);
    EXPECT_EQ(&cues->Mixer.Channels(0), &cues->TimingChannel);
    EXPECT_EQ(&cues->Mixer.Channels(1), &cues->EndChannel);
    cues->StopTiming();
    cues->StopEnd();
    EXPECT_FALSE(cues->Mixer.DeviceOpen()) << "stopping an idle cue opens nothing";
    EXPECT_EQ(output->OpenCount(), 0);

    cues->PlayTiming(Tone("timing.wav", 0.5));
    EXPECT_TRUE(cues->Mixer.DeviceOpen());
    EXPECT_TRUE(cues->TimingChannel.Playing());
    EXPECT_FALSE(cues->EndChannel.Playing());
}

TEST_F(SoundCuesTest, TimingAlwaysLoopsAndTheEndLoopsAsAsked) {
    const std::string path = Tone("cue.wav", 0.5);
    struct Case {
        const char* name;
        std::function<void()> play;
        TcbDSMixerChannel& channel;
        bool loops;
    } cases[] = {
        {"timing sound", [&] { cues->PlayTiming(path); }, cues->TimingChannel, true},
        {"end sound once", [&] { cues->PlayEnd(path, false); }, cues->EndChannel, false},
        {"end sound looped", [&] { cues->PlayEnd(path, true); }, cues->EndChannel, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        k.channel.SetVolume(-5000); // left over from elsewhere: the cue plays at full volume
        k.play();
        EXPECT_TRUE(k.channel.Playing());
        EXPECT_EQ(k.channel.FileName(), path);
        EXPECT_EQ(k.channel.Loop(), k.loops);
        EXPECT_EQ(k.channel.Volume(), 0);
        cues->StopTiming();
        cues->StopEnd();
        EXPECT_FALSE(k.channel.Playing());
    }
}

TEST_F(SoundCuesTest, FileExistsOnlyForARegularFileThatIsThere) {
    const std::string tone = Tone("there.wav", 0.1);
    const std::string text = dir.File("words.wav");
    fixtures::WriteText(text, "not a sound");
    EXPECT_FALSE(cues->FileExists(""));
    EXPECT_FALSE(cues->FileExists(dir.File("missing.wav")));
    EXPECT_FALSE(cues->FileExists(dir.File(""))) << "a folder";
    EXPECT_TRUE(cues->FileExists(tone));
    EXPECT_TRUE(cues->FileExists(text)) << "what it holds is the player's business";
    const std::string fifo = dir.File("pipe.wav");
    fixtures::MakeFifo(fifo);
    EXPECT_FALSE(cues->FileExists(fifo)) << "opening a FIFO would wait for a writer";
    EXPECT_FALSE(cues->FileExists("/dev/zero")) << "a device";
}

TEST_F(SoundCuesTest, RefusedFileRaisesAndLeavesTheCueIdle) {
    struct Case {
        const char* name;
        std::function<void(const std::string&)> write;
        const char* message; // nullptr: the reader's own error
    } cases[] = {
        {"text named .wav", [](const std::string& p) { fixtures::WriteText(p, "just words\n"); },
         nullptr},
        {"3 channels",
         [](const std::string& p) {
             fixtures::WriteTone(p, 0.2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 3);
         },
         "Invalid number of channels."},
        {"no frames", [](const std::string& p) { fixtures::WriteTone(p, 0.0); },
         "Audio file is empty."},
    };
    const std::string good = Tone("good.wav", 0.5);
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        const std::string bad = dir.File("bad.wav");
        k.write(bad);
        for (const bool timing : {true, false}) {
            TcbDSMixerChannel& channel = timing ? cues->TimingChannel : cues->EndChannel;
            try {
                timing ? cues->PlayTiming(bad) : cues->PlayEnd(bad, true);
                ADD_FAILURE() << "played";
            } catch (const EAudioReadError& e) {
                EXPECT_EQ(k.message, nullptr) << e.what();
                EXPECT_STRNE(e.what(), "");
            } catch (const std::runtime_error& e) {
                ASSERT_NE(k.message, nullptr) << e.what();
                EXPECT_STREQ(e.what(), k.message);
            }
            EXPECT_FALSE(channel.Playing());
            EXPECT_EQ(channel.FileName(), "");
            // The next start with a good file is not hindered.
            timing ? cues->PlayTiming(good) : cues->PlayEnd(good, false);
            EXPECT_TRUE(channel.Playing());
            timing ? cues->StopTiming() : cues->StopEnd();
        }
    }
}

TEST(SoundCuesWithoutDevice, PlayRaisesTheDeviceErrorAndKeepsNoFileOpen) {
    // SDL fails to start an audio driver that does not exist, as on a machine without sound.
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    fixtures::TTempDir dir;
    const std::string path = dir.File("cue.wav");
    fixtures::WriteTone(path, 0.2);
    TTestEventLoop loop;
    TSoundCues cues(loop.Poster());
    for (TcbDSMixerChannel* channel : {&cues.TimingChannel, &cues.EndChannel}) {
        try {
            channel == &cues.TimingChannel ? cues.PlayTiming(path) : cues.PlayEnd(path, false);
            ADD_FAILURE() << "played without a device";
        } catch (const EDirectXError& e) {
            EXPECT_EQ(e.ErrorCode, kDSErrNoDriver);
            EXPECT_STREQ(e.what(), "No sound driver is available for use.");
        }
        EXPECT_FALSE(channel->Playing());
        EXPECT_EQ(channel->FileName(), "") << "the file opened before the device failed";
    }
    EXPECT_FALSE(cues.Mixer.DeviceOpen());
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

TEST_F(SoundCuesTest, EndReachesTheHandlerGivenLaterOnTheUiThread) {
    int timingEnded = 0;
    int endEnded = 0;
    std::thread::id ranOn;
    cues->PlayEnd(Tone("end.wav", 0.2), false);
    // The engine is made after the cues, and tells them its handlers afterwards.
    cues->SetEndHandlers([&] { ++timingEnded; },
                         [&] {
                             ++endEnded;
                             ranOn = std::this_thread::get_id();
                         });
    ASSERT_TRUE(PlayUntil([&] { return endEnded > 0; }, 8000ms));
    EXPECT_FALSE(cues->EndChannel.Playing());
    EXPECT_EQ(ranOn, std::this_thread::get_id()) << "posted, not run on the refill thread";
    loop.RunFor(500ms);
    EXPECT_EQ(endEnded, 1);
    EXPECT_EQ(timingEnded, 0);
}

TEST_F(SoundCuesTest, LostDeviceStopsTheCueWithoutAnEnd) {
    int ended = 0;
    cues->SetEndHandlers([&] { ++ended; }, [&] { ++ended; });
    const std::string timing = Tone("timing.wav", 1.0);
    cues->PlayTiming(timing);
    cues->PlayEnd(Tone("end.wav", 1.0), true);
    PlayUntil([] { return false; }, 200ms);
    output->Remove();
    ASSERT_TRUE(PlayUntil(
        [&] { return !cues->TimingChannel.Playing() && !cues->EndChannel.Playing(); }, 3000ms));
    loop.RunFor(300ms);
    EXPECT_EQ(ended, 0);
    // A later start opens the device afresh.
    cues->StopTiming();
    cues->PlayTiming(timing);
    EXPECT_TRUE(cues->TimingChannel.Playing());
    EXPECT_EQ(output->OpenCount(), 2);
}

} // namespace
