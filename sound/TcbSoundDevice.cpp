#include "TcbSoundDevice.hpp"

#include "EDirectXError.hpp"
#include "TcbStreamBuffer.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace quorvane {

TcbSoundDevice::TcbSoundDevice(IAudioOutput& output)
    : m_output(output)
    , m_mix(2 * kChunkFrames) {
    m_buffers.reserve(8);
}

TcbSoundDevice::~TcbSoundDevice() {
    // Buffers are released before their device; one left over can no longer play.
    m_output.LockRenderer();
    for (TcbStreamBuffer* buffer : m_buffers) {
        buffer->m_device = nullptr;
        buffer->m_lost.store(true);
        buffer->m_playing = false;
    }
    m_buffers.clear();
    m_output.UnlockRenderer();
}

void TcbSoundDevice::SetFormat(const TAudioSpec& spec) {
    m_spec = spec;
}

std::int32_t TcbSoundDevice::CreateSoundBuffer(const TWaveFormat& format, std::uint32_t bytes,
                                               std::unique_ptr<TcbStreamBuffer>& buffer) {
    buffer.reset();
    const bool supported = format.wFormatTag == kWaveFormatPcm &&
                           (format.nChannels == 1 || format.nChannels == 2) &&
                           (format.wBitsPerSample == 8 || format.wBitsPerSample == 16) &&
                           format.nBlockAlign == format.nChannels * format.wBitsPerSample / 8 &&
                           format.nSamplesPerSec >= 100 && format.nSamplesPerSec <= 200000;
    if (!supported) {
        return kDSErrBadFormat;
    }
    if (bytes < 4 || bytes > 0x0FFFFFFF || bytes % format.nBlockAlign != 0) {
        return kDSErrInvalidParam;
    }
    std::unique_ptr<std::uint8_t[]> data(new (std::nothrow) std::uint8_t[bytes]);
    if (!data) {
        return kDSErrOutOfMemory;
    }
    std::memset(data.get(), format.wBitsPerSample == 8 ? 0x80 : 0, bytes);
    std::unique_ptr<TcbStreamBuffer> created(
        new TcbStreamBuffer(*this, format, bytes, std::move(data)));
    m_output.LockRenderer();
    m_buffers.push_back(created.get());
    m_output.UnlockRenderer();
    buffer = std::move(created);
    return kDSOk;
}

void TcbSoundDevice::Detach(TcbStreamBuffer* buffer) {
    m_output.LockRenderer();
    m_buffers.erase(std::remove(m_buffers.begin(), m_buffers.end(), buffer), m_buffers.end());
    m_output.UnlockRenderer();
}

void TcbSoundDevice::Render(std::uint8_t* out, std::uint32_t bytes) noexcept {
    const std::uint32_t channels = m_spec.Channels;
    const bool eight = m_spec.BitsPerSample == 8;
    const std::uint32_t frameBytes = channels * (eight ? 1 : 2);
    std::uint32_t frames = frameBytes == 0 ? 0 : bytes / frameBytes;
    std::memset(out + frames * frameBytes, eight ? 0x80 : 0, bytes - frames * frameBytes);

    while (frames > 0) {
        const std::uint32_t n = std::min(frames, kChunkFrames);
        float* mix = m_mix.data();
        std::fill(mix, mix + 2 * n, 0.0f);
        for (TcbStreamBuffer* buffer : m_buffers) {
            if (buffer->m_playing) {
                buffer->MixInto(mix, n, m_spec.Frequency);
            }
        }
        for (std::uint32_t f = 0; f < n; ++f) {
            const float left = mix[2 * f];
            const float right = mix[2 * f + 1];
            for (std::uint32_t c = 0; c < channels; ++c) {
                float v = channels == 1 ? 0.5f * (left + right)
                          : c == 0      ? left
                          : c == 1      ? right
                                        : 0.0f;
                // Scaled by 32768 and 128, so that a ring in the device's own format passes
                // through unchanged at full volume.
                if (eight) {
                    *out++ = static_cast<std::uint8_t>(
                        std::clamp<long>(std::lrint(v * 128.0f) + 128, 0, 255));
                } else {
                    const auto s = static_cast<std::int16_t>(
                        std::clamp<long>(std::lrint(v * 32768.0f), -32768, 32767));
                    std::memcpy(out, &s, sizeof s);
                    out += 2;
                }
            }
        }
        frames -= n;
    }
}

} // namespace quorvane
