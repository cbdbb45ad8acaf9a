#include "TcbSoundDevice.hpp"
#include "EDirectXError.hpp"
#include "TNullAudioOutput.hpp"
#include "TcbStreamBuffer.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

using namespace quorvane;

namespace {

TWaveFormat Pcm(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits) {
    TWaveFormat f;
    f.wFormatTag = kWaveFormatPcm;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

// A device on the null output, started, in the given format.
struct Rig {
    explicit Rig(TAudioSpec spec)
        : output(spec)
        , device(output) {
        TAudioSpec obtained;
        EXPECT_EQ(output.Open("", &spec, obtained, device), kDSOk);
        device.SetFormat(obtained);
        output.Start();
    }
    ~Rig() { output.Close(); }

    // Output samples as -1..1, interleaved in the device's channels.
    std::vector<float> Pump(std::uint32_t frames) {
        const TAudioSpec spec = output.Spec();
        const std::uint32_t bytesPerSample = spec.BitsPerSample / 8;
        std::vector<std::uint8_t> raw(frames * spec.Channels * bytesPerSample);
        output.Pump(raw.data(), static_cast<std::uint32_t>(raw.size()));
        std::vector<float> samples(frames * spec.Channels);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (bytesPerSample == 1) {
                samples[i] = (raw[i] - 128) / 128.0f;
            } else {
                std::int16_t v;
                std::memcpy(&v, &raw[2 * i], 2);
                samples[i] = v / 32768.0f;
            }
        }
        return samples;
    }

    TNullAudioOutput output;
    TcbSoundDevice device;
};

// Fills a whole ring with a sine of `hertz`, amplitude 0.5, left and right in phase.
void FillSine(TcbStreamBuffer& buffer, double hertz) {
    const TWaveFormat& f = buffer.Format();
    void* part = nullptr;
    std::uint32_t bytes = 0;
    ASSERT_EQ(buffer.Lock(0, buffer.Size(), part, bytes), kDSOk);
    ASSERT_EQ(bytes, buffer.Size());
    auto* p = static_cast<std::uint8_t*>(part);
    const std::uint32_t frames = bytes / f.nBlockAlign;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double v = 0.5 * std::sin(2 * std::numbers::pi * hertz * i / f.nSamplesPerSec);
        for (int c = 0; c < f.nChannels; ++c) {
            if (f.wBitsPerSample == 8) {
                *p++ = static_cast<std::uint8_t>(std::lrint(v * 127) + 128);
            } else {
                const auto s = static_cast<std::int16_t>(std::lrint(v * 32767));
                std::memcpy(p, &s, 2);
                p += 2;
            }
        }
    }
    ASSERT_EQ(buffer.Unlock(part, bytes), kDSOk);
    // As the refill thread does after a first fill: the rest of a converted ring.
    buffer.ConvertPending();
}

struct Measure {
    double rms;
    double hertz;
};

// One channel of interleaved output, skipping the first `skip` frames.
Measure MeasureChannel(const std::vector<float>& samples, int channels, int channel,
                       std::uint32_t rate, std::size_t skip = 0) {
    double sum = 0;
    int crossings = 0;
    std::size_t n = 0;
    float previous = 0;
    for (std::size_t i = skip * channels + channel; i < samples.size(); i += channels, ++n) {
        const float v = samples[i];
        sum += v * v;
        if (n > 0 && previous < 0 && v >= 0) {
            ++crossings;
        }
        previous = v;
    }
    return {std::sqrt(sum / n), crossings * static_cast<double>(rate) / n};
}

TEST(TcbSoundDevice, ConvertsRateWidthAndChannelsWhileMixing) {
    struct Case {
        const char* name;
        TWaveFormat ring;
        TAudioSpec device;
    };
    const Case cases[] = {
        {"16-bit stereo at the device's own format", Pcm(44100, 2, 16), {44100, 2, 16}},
        {"8-bit mono 22050 Hz to 16-bit stereo 44100 Hz", Pcm(22050, 1, 8), {44100, 2, 16}},
        {"16-bit stereo 48000 Hz to 8-bit mono 22050 Hz", Pcm(48000, 2, 16), {22050, 1, 8}},
        {"16-bit mono 11025 Hz to 16-bit stereo 48000 Hz", Pcm(11025, 1, 16), {48000, 2, 16}},
        {"stereo to a 6-channel device, the rest silent", Pcm(44100, 2, 16), {44100, 6, 16}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.device);
        std::unique_ptr<TcbStreamBuffer> buffer;
        ASSERT_EQ(rig.device.CreateSoundBuffer(c.ring, c.ring.nAvgBytesPerSec, buffer), kDSOk);
        FillSine(*buffer, 441.0);
        ASSERT_EQ(buffer->Play(true), kDSOk);
        // 1.5 s: the ring of 1 s plays around once and a half.
        const auto out = rig.Pump(c.device.Frequency * 3 / 2);
        for (int ch = 0; ch < c.device.Channels; ++ch) {
            const Measure m = MeasureChannel(out, c.device.Channels, ch, c.device.Frequency);
            if (ch < 2) {
                EXPECT_NEAR(m.rms, 0.5 / std::sqrt(2.0), 0.01) << "channel " << ch;
                EXPECT_NEAR(m.hertz, 441.0, 2.0) << "channel " << ch;
            } else {
                EXPECT_EQ(m.rms, 0.0) << "channel " << ch;
            }
        }
    }
}

TEST(TcbSoundDevice, RingInTheDeviceFormatPassesThroughUnchanged) {
    Rig rig({44100, 2, 16});
    std::unique_ptr<TcbStreamBuffer> buffer;
    ASSERT_EQ(rig.device.CreateSoundBuffer(Pcm(44100, 2, 16), 4000, buffer), kDSOk);
    void* part = nullptr;
    std::uint32_t bytes = 0;
    ASSERT_EQ(buffer->Lock(0, 4000, part, bytes), kDSOk);
    for (std::uint32_t i = 0; i < 2000; ++i) {
        const auto s = static_cast<std::int16_t>(i * 37 - 32768);
        std::memcpy(static_cast<std::uint8_t*>(part) + 2 * i, &s, 2);
    }
    std::vector<std::uint8_t> ring(static_cast<std::uint8_t*>(part),
                                   static_cast<std::uint8_t*>(part) + 4000);
    buffer->Unlock(part, bytes);
    buffer->Play(true);
    std::vector<std::uint8_t> out(8000);
    rig.output.Pump(out.data(), 8000);
    EXPECT_TRUE(std::equal(ring.begin(), ring.end(), out.begin()));
    EXPECT_TRUE(std::equal(ring.begin(), ring.end(), out.begin() + 4000)) << "the ring wraps";
}

TEST(TcbSoundDevice, VolumeAndPanAttenuateInHundredthsOfADecibel) {
    struct Case {
        const char* name;
        std::int32_t volume, pan;
        double left, right; // gains
    };
    const Case cases[] = {
        {"full volume, centre", 0, 0, 1.0, 1.0},
        {"-6 dB", -600, 0, 0.501, 0.501},
        {"-20 dB", -2000, 0, 0.1, 0.1},
        {"the minimum is silence", -10000, 0, 0.0, 0.0},
        {"pan right silences the left", 0, 10000, 0.0, 1.0},
        {"pan -20 dB to the left", 0, -2000, 1.0, 0.1},
        {"volume and pan add up", -600, 600, 0.251, 0.501},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig({44100, 2, 16});
        std::unique_ptr<TcbStreamBuffer> buffer;
        ASSERT_EQ(rig.device.CreateSoundBuffer(Pcm(44100, 2, 16), 176400, buffer), kDSOk);
        FillSine(*buffer, 441.0);
        ASSERT_EQ(buffer->SetVolume(c.volume), kDSOk);
        ASSERT_EQ(buffer->SetPan(c.pan), kDSOk);
        buffer->Play(true);
        const auto out = rig.Pump(22050);
        const double full = 0.5 / std::sqrt(2.0);
        EXPECT_NEAR(MeasureChannel(out, 2, 0, 44100).rms / full, c.left, 0.005);
        EXPECT_NEAR(MeasureChannel(out, 2, 1, 44100).rms / full, c.right, 0.005);
    }
}

TEST(TcbSoundDevice, RefusesWhatItCannotPlay) {
    Rig rig({44100, 2, 16});
    std::unique_ptr<TcbStreamBuffer> buffer;
    EXPECT_EQ(rig.device.CreateSoundBuffer(Pcm(44100, 2, 24), 6000, buffer), kDSErrBadFormat);
    EXPECT_EQ(rig.device.CreateSoundBuffer(Pcm(44100, 6, 16), 6000, buffer), kDSErrBadFormat);
    TWaveFormat floating = Pcm(44100, 2, 16);
    floating.wFormatTag = kWaveFormatIeeeFloat;
    EXPECT_EQ(rig.device.CreateSoundBuffer(floating, 6000, buffer), kDSErrBadFormat);
    EXPECT_EQ(rig.device.CreateSoundBuffer(Pcm(44100, 2, 16), 6002, buffer), kDSErrInvalidParam)
        << "not whole frames";
    EXPECT_EQ(buffer, nullptr);

    ASSERT_EQ(rig.device.CreateSoundBuffer(Pcm(44100, 2, 16), 6000, buffer), kDSOk);
    const std::int32_t bad[] = {1, -10001};
    for (std::int32_t v : bad) {
        EXPECT_EQ(buffer->SetVolume(v), kDSErrInvalidParam) << v;
    }
    EXPECT_EQ(buffer->SetPan(10001), kDSErrInvalidParam);
    EXPECT_EQ(buffer->Volume(), 0);
    EXPECT_EQ(buffer->SetCurrentPosition(6000), kDSErrInvalidParam);
}

TEST(TcbSoundDevice, CursorMovesOnlyWhilePlayingAndRewinds) {
    Rig rig({44100, 2, 16});
    std::unique_ptr<TcbStreamBuffer> buffer;
    // 22050 Hz mono 8-bit: one device frame is half a ring frame.
    ASSERT_EQ(rig.device.CreateSoundBuffer(Pcm(22050, 1, 8), 22050, buffer), kDSOk);
    std::uint32_t cursor = 1;
    rig.Pump(2000);
    buffer->GetCurrentPosition(cursor);
    EXPECT_EQ(cursor, 0u) << "not started";

    buffer->Play(true);
    rig.Pump(2000);
    buffer->GetCurrentPosition(cursor);
    EXPECT_EQ(cursor, 1000u);

    buffer->Stop();
    rig.Pump(2000);
    buffer->GetCurrentPosition(cursor);
    EXPECT_EQ(cursor, 1000u);

    buffer->SetCurrentPosition(0);
    buffer->GetCurrentPosition(cursor);
    EXPECT_EQ(cursor, 0u);

    buffer->Play(true);
    rig.Pump(44100 + 2000);
    buffer->GetCurrentPosition(cursor);
    EXPECT_EQ(cursor, 1000u) << "round the ring once";
}

TEST(TcbSoundDevice, RemovedDeviceMarksItsBuffersLost) {
    Rig rig({44100, 2, 16});
    std::unique_ptr<TcbStreamBuffer> buffer;
    ASSERT_EQ(rig.device.CreateSoundBuffer(Pcm(44100, 2, 16), 6000, buffer), kDSOk);
    ASSERT_EQ(buffer->Play(true), kDSOk);
    rig.output.Remove();
    void* part = nullptr;
    std::uint32_t bytes = 0;
    EXPECT_EQ(buffer->Lock(0, 400, part, bytes), kDSErrBufferLost);
    EXPECT_EQ(buffer->Play(true), kDSErrBufferLost);
    EXPECT_TRUE(buffer->Lost());
}

TEST(TcbSoundDevice, SilentRingGivesSilenceInEveryWidth) {
    struct Case {
        const char* name;
        TWaveFormat ring;
        TAudioSpec device;
    };
    const Case cases[] = {
        {"8-bit ring to an 8-bit device", Pcm(22050, 1, 8), {22050, 1, 8}},
        {"8-bit ring to a 16-bit device", Pcm(22050, 2, 8), {44100, 2, 16}},
        {"16-bit ring to an 8-bit device", Pcm(44100, 2, 16), {44100, 2, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.device);
        std::unique_ptr<TcbStreamBuffer> buffer;
        ASSERT_EQ(rig.device.CreateSoundBuffer(c.ring, c.ring.nAvgBytesPerSec, buffer), kDSOk);
        buffer->Play(true);
        for (float v : rig.Pump(4000)) {
            ASSERT_EQ(v, 0.0f);
        }
    }
}

TEST(DSErrorText, MessagesAndCodes) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0x88780078, "No sound driver is available for use."},
        {0x88780096, "The buffer memory has been lost and must be restored."},
        {0x8007000E, "The DirectSound subsystem could not allocate sufficient memory to complete "
                     "the caller\xC2\xB4s request."},
        {0x88781161, "The object requested was not found (numerically equal to DMUS_E_NOT_FOUND)."},
        {0x80004001, "The function called is not supported at this time."},
        {0x00000001, "Unrecognized Error"},
    };
    for (const auto& [code, message] : cases) {
        try {
            DXCheck(static_cast<std::int32_t>(code));
            ADD_FAILURE() << "no error for " << code;
        } catch (const EDirectXError& e) {
            EXPECT_STREQ(e.what(), message);
            EXPECT_EQ(static_cast<std::uint32_t>(e.ErrorCode), code);
        }
    }
    EXPECT_NO_THROW(DXCheck(0));
}

} // namespace
