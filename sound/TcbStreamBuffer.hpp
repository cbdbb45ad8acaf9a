#pragma once

#include "TWaveFormat.hpp"

#include <atomic>
#include <cstdint>
#include <memory>

struct SRC_STATE_tag;

namespace quorvane {

class TcbSoundDevice;

// One streaming buffer of the sound device: a ring of PCM in its own format (1 or 2 channels,
// 8-bit unsigned or 16-bit signed, 100..200000 Hz) that the device mixer plays over and over,
// converted to the device format, with volume and pan. Created by TcbSoundDevice.
//
// Threads: the owner (a channel, under its own lock) calls every operation; the mixer reads the
// ring and moves the play cursor on the output's thread. They share no lock: the owner writes
// only the part of the ring the cursor has left (Lock/Unlock), the cursor and the settings are
// atomics, and Unlock publishes what was written. Play, Stop and SetCurrentPosition hold the
// output's renderer lock for a few instructions so that they never interleave with one mixing
// pass.
//
// A ring at another rate than the device's is converted by a sinc resampler as it is written:
// Unlock converts the region just written into a second ring at the device rate, on the
// owner's thread (the start of a first fill at once, its rest by ConvertPending on the refill
// thread), and the mixer plays that ring sample for sample. The play cursor is still
// given in bytes of the ring's own format. The owner writes the ring in order, region after
// region; a region that does not follow the last one (after a rewind) restarts the resampler.
class TcbStreamBuffer {
public:
    ~TcbStreamBuffer();
    TcbStreamBuffer(const TcbStreamBuffer&) = delete;
    TcbStreamBuffer& operator=(const TcbStreamBuffer&) = delete;

    static constexpr std::int32_t kVolumeMin = -10000; // silent
    static constexpr std::int32_t kVolumeMax = 0;      // full
    static constexpr std::int32_t kPanLeft = -10000;
    static constexpr std::int32_t kPanRight = 10000;

    std::int32_t Play(bool looping);
    std::int32_t Stop();
    std::int32_t SetCurrentPosition(std::uint32_t offset);
    std::int32_t GetCurrentPosition(std::uint32_t& play) const;
    // Hands out the region [offset, offset + size) of the ring up to its end; one part only.
    std::int32_t Lock(std::uint32_t offset, std::uint32_t size, void*& part,
                      std::uint32_t& partBytes);
    std::int32_t Unlock(void* part, std::uint32_t partBytes);
    // Converts what has been written but not yet converted (the tail of a first fill). For the
    // owner's refill thread; nothing to do without rate conversion.
    void ConvertPending();
    // Attenuation in hundredths of a decibel: 0 full, -10000 silent.
    std::int32_t SetVolume(std::int32_t volume);
    // Hundredths of a decibel taken off the other side: -10000 left only, 10000 right only.
    std::int32_t SetPan(std::int32_t pan);

    std::int32_t Volume() const { return m_volume.load(std::memory_order_relaxed); }
    std::int32_t Pan() const { return m_pan.load(std::memory_order_relaxed); }
    std::uint32_t Size() const { return m_bytes; }
    const TWaveFormat& Format() const { return m_format; }
    bool Lost() const { return m_lost.load(); }

private:
    friend class TcbSoundDevice;
    using TMixFunction = void (TcbStreamBuffer::*)(float*, std::uint32_t, std::uint64_t);
    struct TResamplerDeleter {
        void operator()(SRC_STATE_tag* state) const noexcept;
    };

    TcbStreamBuffer(TcbSoundDevice& device, const TWaveFormat& format, std::uint32_t bytes,
                    std::unique_ptr<std::uint8_t[]> data);
    bool CheckLost();
    // Adds the next frames to an interleaved stereo mix at the device rate. Output thread only,
    // with the renderer lock held.
    void MixInto(float* mix, std::uint32_t frames, std::uint32_t deviceRate) noexcept;
    template <bool Eight, int Channels>
    void MixFrames(float* mix, std::uint32_t frames, std::uint64_t step);
    template <int Channels> void MixConverted(float* mix, std::uint32_t frames, std::uint64_t step);
    void UpdateGains();
    // Sets up the resampler when the rates differ; without it the mixer interpolates.
    void PrepareConversion(std::uint32_t deviceRate);
    // Owner's thread: frames [first, first + frames) have been written.
    void Written(std::uint32_t first, std::uint32_t frames);
    // Owner's thread: converts the next `frames` of the pending ones.
    void Convert(std::uint32_t frames) noexcept;
    std::uint32_t ToConverted(std::uint32_t frame) const;
    std::uint32_t FromConverted(std::uint32_t frame) const;

    TcbSoundDevice* m_device;
    TWaveFormat m_format;
    std::uint32_t m_bytes;
    std::uint32_t m_frames;
    std::unique_ptr<std::uint8_t[]> m_data;
    TMixFunction m_mix;

    // The owner's, under its lock: the resampler and where the next region must start to
    // continue it. Only the converted ring itself is shared with the mixer.
    std::unique_ptr<SRC_STATE_tag, TResamplerDeleter> m_resampler;
    std::unique_ptr<float[]> m_convertInput;
    std::unique_ptr<float[]> m_converted; // interleaved, at the device rate
    std::uint32_t m_convertedFrames = 0;
    double m_ratio = 1.0;
    std::uint32_t m_nextFrame = 0;     // the next ring frame to convert
    std::uint32_t m_pendingFrames = 0; // written from m_nextFrame on, not yet converted
    std::uint32_t m_nextConvertedFrame = 0;

    // Frames into the ring played (the converted one when converting), 32 fractional bits:
    // without conversion the rates of ring and device differ.
    std::atomic<std::uint64_t> m_position{0};
    std::atomic<std::uint32_t> m_published{0};
    std::atomic<std::int32_t> m_volume{0};
    std::atomic<std::int32_t> m_pan{0};
    std::atomic<bool> m_lost{false};

    // Under the renderer lock.
    bool m_playing = false;
    bool m_looping = false;

    // The output thread's own: gains for the volume and pan they were computed from.
    std::int32_t m_gainVolume = 1;
    std::int32_t m_gainPan = 0;
    float m_gainLeft = 1.0f;
    float m_gainRight = 1.0f;
};

} // namespace quorvane
