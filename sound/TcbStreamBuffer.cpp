#include "TcbStreamBuffer.hpp"

#include "EDirectXError.hpp"
#include "TcbSoundDevice.hpp"

#include <samplerate.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace quorvane {

namespace {

class TRendererGuard {
public:
    explicit TRendererGuard(IAudioOutput& output)
        : m_output(output) {
        m_output.LockRenderer();
    }
    ~TRendererGuard() { m_output.UnlockRenderer(); }
    TRendererGuard(const TRendererGuard&) = delete;
    TRendererGuard& operator=(const TRendererGuard&) = delete;

private:
    IAudioOutput& m_output;
};

constexpr std::uint64_t kOne = std::uint64_t{1} << 32;

// Frames converted per step from the ring's integers to the resampler's floats.
constexpr std::uint32_t kConvertFrames = 2048;

float Attenuation(std::int32_t hundredthsOfDb) {
    if (hundredthsOfDb <= TcbStreamBuffer::kVolumeMin) {
        return 0.0f;
    }
    return static_cast<float>(std::pow(10.0, hundredthsOfDb / 2000.0));
}

} // namespace

TcbStreamBuffer::TcbStreamBuffer(TcbSoundDevice& device, const TWaveFormat& format,
                                 std::uint32_t bytes, std::unique_ptr<std::uint8_t[]> data)
    : m_device(&device)
    , m_format(format)
    , m_bytes(bytes)
    , m_frames(bytes / format.nBlockAlign)
    , m_data(std::move(data)) {
    const bool eight = format.wBitsPerSample == 8;
    if (format.nChannels == 1) {
        m_mix =
            eight ? &TcbStreamBuffer::MixFrames<true, 1> : &TcbStreamBuffer::MixFrames<false, 1>;
    } else {
        m_mix =
            eight ? &TcbStreamBuffer::MixFrames<true, 2> : &TcbStreamBuffer::MixFrames<false, 2>;
    }
    PrepareConversion(device.Format().Frequency);
}

void TcbStreamBuffer::TResamplerDeleter::operator()(SRC_STATE_tag* state) const noexcept {
    src_delete(state);
}

void TcbStreamBuffer::PrepareConversion(std::uint32_t deviceRate) {
    const std::uint32_t rate = m_format.nSamplesPerSec;
    if (deviceRate == 0 || deviceRate == rate) {
        return;
    }
    // The converted ring spans the same time as the ring; its length sets the exact ratio, so
    // that the resampler's output goes round it in step with the ring however long it plays.
    const std::uint64_t convertedFrames = (std::uint64_t{m_frames} * deviceRate + rate / 2) / rate;
    const double ratio = static_cast<double>(convertedFrames) / m_frames;
    if (convertedFrames < 2 || convertedFrames > 0x0FFFFFFF || src_is_valid_ratio(ratio) == 0) {
        return; // beyond the resampler's range: the mixer interpolates
    }
    int error = 0;
    std::unique_ptr<SRC_STATE_tag, TResamplerDeleter> resampler(
        src_new(SRC_SINC_FASTEST, m_format.nChannels, &error));
    const std::size_t channels = m_format.nChannels;
    std::unique_ptr<float[]> converted(new (std::nothrow) float[convertedFrames * channels]());
    std::unique_ptr<float[]> input(new (std::nothrow) float[kConvertFrames * channels]);
    if (!resampler || !converted || !input) {
        return;
    }
    m_resampler = std::move(resampler);
    m_converted = std::move(converted);
    m_convertInput = std::move(input);
    m_convertedFrames = static_cast<std::uint32_t>(convertedFrames);
    m_ratio = ratio;
    m_mix = m_format.nChannels == 1 ? &TcbStreamBuffer::MixConverted<1>
                                    : &TcbStreamBuffer::MixConverted<2>;
}

std::uint32_t TcbStreamBuffer::ToConverted(std::uint32_t frame) const {
    return static_cast<std::uint32_t>(std::uint64_t{frame} * m_convertedFrames / m_frames);
}

std::uint32_t TcbStreamBuffer::FromConverted(std::uint32_t frame) const {
    return static_cast<std::uint32_t>(std::uint64_t{frame} * m_frames / m_convertedFrames);
}

void TcbStreamBuffer::Written(std::uint32_t first, std::uint32_t frames) {
    if (first != (m_nextFrame + m_pendingFrames) % m_frames) {
        // Not where the last region ended: the resampler's history belongs elsewhere.
        src_reset(m_resampler.get());
        m_nextFrame = first;
        m_nextConvertedFrame = ToConverted(first);
        m_pendingFrames = 0;
    }
    m_pendingFrames = std::min(m_pendingFrames + frames, m_frames);
    // A refill's region is converted whole; of the first fill of a whole ring only its start,
    // so that Play returns soon: the refill thread converts the rest at once (ConvertPending).
    Convert(std::min(m_pendingFrames, m_format.nSamplesPerSec / 2));
}

void TcbStreamBuffer::ConvertPending() {
    if (m_resampler) {
        Convert(m_pendingFrames);
    }
}

void TcbStreamBuffer::Convert(std::uint32_t frames) noexcept {
    const int channels = m_format.nChannels;
    float* input = m_convertInput.get();
    while (frames > 0) {
        // Up to the end of the ring at most: the written data goes on from its start.
        const std::uint32_t n = std::min({frames, kConvertFrames, m_frames - m_nextFrame});
        const std::uint32_t samples = n * static_cast<std::uint32_t>(channels);
        const std::uint8_t* in = m_data.get() + std::size_t{m_nextFrame} * m_format.nBlockAlign;
        if (m_format.wBitsPerSample == 8) {
            for (std::uint32_t i = 0; i < samples; ++i) {
                input[i] = (static_cast<float>(in[i]) - 128.0f) * (1.0f / 128.0f);
            }
        } else {
            for (std::uint32_t i = 0; i < samples; ++i) {
                std::int16_t v;
                std::memcpy(&v, in + 2 * i, sizeof v);
                input[i] = static_cast<float>(v) * (1.0f / 32768.0f);
            }
        }
        frames -= n;
        m_pendingFrames -= n;
        m_nextFrame = (m_nextFrame + n) % m_frames;

        // The output may reach the end of the converted ring: then on from its start.
        std::uint32_t used = 0;
        while (used < n) {
            SRC_DATA data{};
            data.data_in = input + std::size_t{used} * channels;
            data.input_frames = n - used;
            data.data_out = m_converted.get() + std::size_t{m_nextConvertedFrame} * channels;
            data.output_frames = m_convertedFrames - m_nextConvertedFrame;
            data.src_ratio = m_ratio;
            if (src_process(m_resampler.get(), &data) != 0 ||
                (data.input_frames_used == 0 && data.output_frames_gen == 0)) {
                break; // cannot happen with a valid ratio; the frames are dropped
            }
            used += static_cast<std::uint32_t>(data.input_frames_used);
            m_nextConvertedFrame += static_cast<std::uint32_t>(data.output_frames_gen);
            if (m_nextConvertedFrame >= m_convertedFrames) {
                m_nextConvertedFrame = 0;
            }
        }
    }
}

TcbStreamBuffer::~TcbStreamBuffer() {
    if (m_device != nullptr) {
        m_device->Detach(this);
    }
}

bool TcbStreamBuffer::CheckLost() {
    if (!m_lost.load() && (m_device == nullptr || m_device->Output().Removed())) {
        m_lost.store(true);
    }
    return m_lost.load();
}

std::int32_t TcbStreamBuffer::Play(bool looping) {
    if (CheckLost()) {
        return kDSErrBufferLost;
    }
    TRendererGuard guard(m_device->Output());
    m_playing = true;
    m_looping = looping;
    return kDSOk;
}

std::int32_t TcbStreamBuffer::Stop() {
    if (m_device == nullptr) {
        return kDSOk;
    }
    TRendererGuard guard(m_device->Output());
    m_playing = false;
    return kDSOk;
}

std::int32_t TcbStreamBuffer::SetCurrentPosition(std::uint32_t offset) {
    if (offset >= m_bytes) {
        return kDSErrInvalidParam;
    }
    if (m_device == nullptr) {
        return kDSErrBufferLost;
    }
    std::uint32_t frame = offset / m_format.nBlockAlign;
    if (m_resampler) {
        frame = ToConverted(frame);
        // What is written next starts afresh from here.
        src_reset(m_resampler.get());
        m_nextFrame = offset / m_format.nBlockAlign;
        m_nextConvertedFrame = frame;
        m_pendingFrames = 0;
    }
    TRendererGuard guard(m_device->Output());
    m_position.store(std::uint64_t{frame} << 32, std::memory_order_release);
    return kDSOk;
}

std::int32_t TcbStreamBuffer::GetCurrentPosition(std::uint32_t& play) const {
    const std::uint64_t position = m_position.load(std::memory_order_acquire);
    auto frame = static_cast<std::uint32_t>(position >> 32);
    if (m_resampler) {
        frame = FromConverted(frame);
    }
    play = frame * m_format.nBlockAlign;
    return kDSOk;
}

std::int32_t TcbStreamBuffer::Lock(std::uint32_t offset, std::uint32_t size, void*& part,
                                   std::uint32_t& partBytes) {
    part = nullptr;
    partBytes = 0;
    if (CheckLost()) {
        return kDSErrBufferLost;
    }
    if (size == 0 || offset >= m_bytes) {
        return kDSErrInvalidParam;
    }
    part = m_data.get() + offset;
    partBytes = std::min(size, m_bytes - offset);
    return kDSOk;
}

std::int32_t TcbStreamBuffer::Unlock(void* part, std::uint32_t partBytes) {
    const auto* p = static_cast<std::uint8_t*>(part);
    if (p < m_data.get() || p + partBytes > m_data.get() + m_bytes) {
        return kDSErrInvalidParam;
    }
    if (m_resampler && partBytes > 0) {
        Written(static_cast<std::uint32_t>(p - m_data.get()) / m_format.nBlockAlign,
                partBytes / m_format.nBlockAlign);
    }
    // Pairs with the acquire in MixInto: what was written is visible to the next mixing pass.
    m_published.fetch_add(1, std::memory_order_release);
    return kDSOk;
}

std::int32_t TcbStreamBuffer::SetVolume(std::int32_t volume) {
    if (volume < kVolumeMin || volume > kVolumeMax) {
        return kDSErrInvalidParam;
    }
    m_volume.store(volume, std::memory_order_relaxed);
    return kDSOk;
}

std::int32_t TcbStreamBuffer::SetPan(std::int32_t pan) {
    if (pan < kPanLeft || pan > kPanRight) {
        return kDSErrInvalidParam;
    }
    m_pan.store(pan, std::memory_order_relaxed);
    return kDSOk;
}

void TcbStreamBuffer::UpdateGains() {
    const std::int32_t volume = m_volume.load(std::memory_order_relaxed);
    const std::int32_t pan = m_pan.load(std::memory_order_relaxed);
    if (volume == m_gainVolume && pan == m_gainPan) {
        return;
    }
    m_gainVolume = volume;
    m_gainPan = pan;
    const float gain = Attenuation(volume);
    m_gainLeft = gain * (pan > 0 ? Attenuation(-pan) : 1.0f);
    m_gainRight = gain * (pan < 0 ? Attenuation(pan) : 1.0f);
}

void TcbStreamBuffer::MixInto(float* mix, std::uint32_t frames, std::uint32_t deviceRate) noexcept {
    (void)m_published.load(std::memory_order_acquire);
    UpdateGains();
    const std::uint64_t step = (std::uint64_t{m_format.nSamplesPerSec} << 32) / deviceRate;
    (this->*m_mix)(mix, frames, step);
}

template <int Channels>
void TcbStreamBuffer::MixConverted(float* mix, std::uint32_t frames, std::uint64_t /*step*/) {
    const float* data = m_converted.get();
    auto i = static_cast<std::uint32_t>(m_position.load(std::memory_order_relaxed) >> 32);
    const float left = m_gainLeft;
    const float right = m_gainRight;
    for (std::uint32_t f = 0; f < frames; ++f) {
        const float l = data[std::size_t{i} * Channels];
        const float r = Channels == 2 ? data[std::size_t{i} * Channels + 1] : l;
        mix[2 * f] += l * left;
        mix[2 * f + 1] += r * right;
        if (++i >= m_convertedFrames) {
            i = 0;
            if (!m_looping) {
                m_playing = false;
                break;
            }
        }
    }
    m_position.store(std::uint64_t{i} << 32, std::memory_order_release);
}

template <bool Eight, int Channels>
void TcbStreamBuffer::MixFrames(float* mix, std::uint32_t frames, std::uint64_t step) {
    const std::uint8_t* data = m_data.get();
    const std::uint64_t end = std::uint64_t{m_frames} << 32;
    std::uint64_t position = m_position.load(std::memory_order_relaxed);
    const float left = m_gainLeft;
    const float right = m_gainRight;

    auto sample = [data](std::uint32_t frame, int channel) {
        if constexpr (Eight) {
            return (static_cast<float>(data[frame * Channels + channel]) - 128.0f) *
                   (1.0f / 128.0f);
        } else {
            std::int16_t v;
            std::memcpy(&v, data + (frame * Channels + channel) * 2, sizeof v);
            return static_cast<float>(v) * (1.0f / 32768.0f);
        }
    };

    for (std::uint32_t f = 0; f < frames; ++f) {
        const auto i = static_cast<std::uint32_t>(position >> 32);
        // The ring plays on from its end into its start, so the neighbour of the last frame is
        // the first one.
        const std::uint32_t j = i + 1 < m_frames ? i + 1 : (m_looping ? 0 : i);
        const float t = static_cast<float>(position & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
        const float l = sample(i, 0) + (sample(j, 0) - sample(i, 0)) * t;
        float r = l;
        if constexpr (Channels == 2) {
            r = sample(i, 1) + (sample(j, 1) - sample(i, 1)) * t;
        }
        mix[2 * f] += l * left;
        mix[2 * f + 1] += r * right;
        position += step;
        if (position >= end) {
            if (!m_looping) {
                m_playing = false;
                position = 0;
                break;
            }
            position -= end;
        }
    }
    // Release: the owner writes where the cursor has been only after seeing it move on.
    m_position.store(position, std::memory_order_release);
}

} // namespace quorvane
