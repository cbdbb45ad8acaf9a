#include "TcbDSMixerChannel.hpp"

#include "EAssertionFailed.hpp"
#include "EDirectXError.hpp"
#include "TcbAudioFileReader.hpp"
#include "TcbDSMixer.hpp"
#include "TcbSoundDevice.hpp"
#include "TcbStreamBuffer.hpp"
#include "TcbUpdateChannelThread.hpp"

#include <chrono>
#include <cstring>
#include <stdexcept>

namespace quorvane {

namespace {

constexpr std::chrono::milliseconds kLockWait(250);

std::uint32_t TickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

// Unlocks a locked region on every way out, the failed size check and the copy included.
class TRegionGuard {
public:
    TRegionGuard(TcbStreamBuffer& buffer, void* part, std::uint32_t bytes)
        : m_buffer(buffer)
        , m_part(part)
        , m_bytes(bytes) {}
    ~TRegionGuard() { m_buffer.Unlock(m_part, m_bytes); }
    TRegionGuard(const TRegionGuard&) = delete;
    TRegionGuard& operator=(const TRegionGuard&) = delete;

private:
    TcbStreamBuffer& m_buffer;
    void* m_part;
    std::uint32_t m_bytes;
};

} // namespace

TcbDSMixerChannel::TcbDSMixerChannel(TcbDSMixer& mixer)
    : m_mixer(mixer)
    , m_receiver(std::make_shared<TcbDSMixerChannel*>(this)) {
    m_thread = std::make_unique<TcbUpdateChannelThread>(*this, m_channelLock);
    m_thread->Period = m_bufferLength / 10;
}

TcbDSMixerChannel::~TcbDSMixerChannel() {
    // The refill thread ends first, so that no cycle runs while the channel is taken apart.
    m_thread.reset();
    try {
        ReleaseBuffer();
    } catch (...) {
        // Destruction cannot fail; the buffer is gone whatever the rewind said.
    }
    m_reader.reset();
}

void TcbDSMixerChannel::ResetStreamingState() {
    m_staging.reset();
    m_playing = false;
    m_primed = false;
    m_endArmed = false;
    m_writePos = 0;
    m_endOffset = -1;
}

void TcbDSMixerChannel::OpenFile(const std::string& fileName) {
    TTimedLockGuard guard(m_channelLock, kLockWait);
    if (!guard) {
        return;
    }
    ReleaseBuffer();
    CloseFile();
    if (!fileName.empty()) {
        auto reader = std::make_unique<TcbAudioFileReader>(fileName);
        const TWaveFormat& f = reader->Format();
        const auto durationMs = static_cast<std::uint32_t>(
            std::min<std::int64_t>(reader->Duration() / kUnitsPerMs, 0xFFFFFFFF));
        if (durationMs == 0) {
            throw std::runtime_error("Audio file is empty.");
        }
        if (f.nChannels != 1 && f.nChannels != 2) {
            throw std::runtime_error("Invalid number of channels.");
        }
        if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) {
            throw std::runtime_error("Invalid number of bits per sample.");
        }
        m_reader = std::move(reader);
        m_durationMs = durationMs;
        m_sampleRate = f.nSamplesPerSec;
        m_channels = f.nChannels;
        m_bitsPerSample = f.wBitsPerSample;
        m_blockAlign = f.nBlockAlign;
    }
    SetPlayStartMs(m_playStartMs);
    SetPlayEndMs(m_playEndMs);
    m_fileName = fileName;
}

void TcbDSMixerChannel::CloseFile() {
    ReleaseBuffer();
    m_reader.reset();
    m_durationMs = 0;
    m_sampleRate = 0;
    m_channels = 0;
    m_bitsPerSample = 0;
    m_blockAlign = 0;
    m_volume = 0;
    m_pan = 0;
    m_loop = false;
    m_playStartMs = 0;
    m_playEndMs = 0;
    m_fileName.clear();
}

void TcbDSMixerChannel::ReleaseBuffer() {
    TTimedLockGuard guard(m_channelLock);
    if (m_buffer) {
        struct TRelease {
            TcbDSMixerChannel& channel;
            ~TRelease() {
                channel.m_buffer.reset();
                channel.ResetStreamingState();
            }
        } release{*this};
        Stop();
    }
    ResetStreamingState();
}

void TcbDSMixerChannel::CheckFileOpen() const {
    if (!m_reader) {
        throw std::runtime_error("No file opened");
    }
}

void TcbDSMixerChannel::CreateBuffer() {
    if (m_buffer) {
        return;
    }
    CheckFileOpen();
    const TWaveFormat& f = m_reader->Format();
    const std::uint64_t bytes = std::uint64_t{f.nAvgBytesPerSec} * m_bufferLength / 1000;
    if (bytes > 0x0FFFFFFF) {
        DXCheck(kDSErrInvalidParam);
    }
    m_bufferBytes = static_cast<std::uint32_t>(bytes);
    m_endThreshold = static_cast<std::uint32_t>(bytes * 40 / 100);
    // The device first: reopening one that went away releases every channel's buffer and
    // staging, this channel's included.
    TcbSoundDevice& device = m_mixer.GetDevice();
    m_staging = std::make_unique<std::uint8_t[]>(m_bufferBytes);
    DXCheck(device.CreateSoundBuffer(f, m_bufferBytes, m_buffer));
    DXCheck(m_buffer->SetVolume(m_volume));
    DXCheck(m_buffer->SetPan(m_pan));
}

void TcbDSMixerChannel::Play() {
    TTimedLockGuard guard(m_channelLock, kLockWait);
    if (!guard || m_playing) {
        return;
    }
    CreateBuffer();
    Prime();
    if (!m_buffer) {
        return; // lost while priming
    }
    const std::int32_t result = m_buffer->Play(true);
    if (result == kDSErrBufferLost) {
        BufferLost();
        return;
    }
    DXCheck(result);
    m_playing = true;
    m_thread->SetActive(true);
}

void TcbDSMixerChannel::Prime() {
    TTimedLockGuard guard(m_channelLock, kLockWait);
    if (guard && !m_primed) {
        Refill();
    }
}

std::uint32_t TcbDSMixerChannel::PlayCursor() const {
    std::uint32_t cursor = 0;
    DXCheck(m_buffer->GetCurrentPosition(cursor));
    return cursor;
}

void TcbDSMixerChannel::Refill() {
    CreateBuffer();
    if (!m_primed) {
        if (FillFromFile(0, m_bufferBytes)) {
            m_primed = true;
        }
        return;
    }
    const std::uint32_t cursor = PlayCursor();
    if (m_writePos <= cursor) {
        if (!FillFromFile(m_writePos, cursor - m_writePos)) {
            return;
        }
    } else {
        if (!FillFromFile(m_writePos, m_bufferBytes - m_writePos) || !FillFromFile(0, cursor)) {
            return;
        }
    }
    m_writePos = cursor;
}

bool TcbDSMixerChannel::FillFromFile(std::uint32_t offset, std::uint32_t size) {
    if (size == 0) {
        return true;
    }
    std::uint32_t p = offset;
    std::int64_t r = size;
    // A looping file that yields nothing right after a rewind would be read for ever: such an
    // end is taken as the end of a file that does not loop.
    bool rewound = false;
    while (r > 0) {
        CbAssert(r > 0, "Read from file not higher than 0");
        if (m_endOffset == -1) {
            const std::uint32_t n = ReadDecoded(p, static_cast<std::uint32_t>(r));
            if (n > 0) {
                m_positionTimes.AddPositionTime(static_cast<std::int32_t>(p),
                                                static_cast<std::int32_t>(p + n),
                                                m_reader->SampleStart(), m_reader->SampleEnd());
                r -= n;
                rewound = false;
            }
            if (r > 0) {
                p += n;
                const bool atStart = Rewind();
                if (!m_loop || (n == 0 && rewound) || !atStart) {
                    m_endOffset = p;
                }
                rewound = true;
            }
        } else {
            const std::int64_t end = m_reader->SampleEnd();
            std::memset(m_staging.get() + p, m_bitsPerSample == 8 ? 0x80 : 0,
                        static_cast<std::size_t>(r));
            m_positionTimes.AddPositionTime(static_cast<std::int32_t>(p),
                                            static_cast<std::int32_t>(p + r), end, end);
            r = 0;
        }
    }

    void* part = nullptr;
    std::uint32_t partBytes = 0;
    const std::int32_t result = m_buffer->Lock(offset, size, part, partBytes);
    if (result == kDSErrBufferLost) {
        BufferLost();
        return false;
    }
    DXCheck(result);
    TRegionGuard unlock(*m_buffer, part, partBytes);
    CbAssert(partBytes == size, "Locked different size from requested");
    std::memcpy(part, m_staging.get() + offset, size);
    return true;
}

std::uint32_t TcbDSMixerChannel::ReadDecoded(std::uint32_t offset, std::uint32_t size) {
    try {
        return m_reader->Read(m_staging.get() + offset, size);
    } catch (const EAudioReadError&) {
        // A file damaged past its start: what was decoded before the fault plays out, and the
        // fault counts as the end of the data, so that the sound ends (or loops) as at its end.
        return 0;
    }
}

bool TcbDSMixerChannel::Rewind() {
    try {
        m_reader->Seek(0);
        return true;
    } catch (const EAudioReadError&) {
        return false;
    }
}

void TcbDSMixerChannel::BufferLost() {
    ReleaseBuffer();
}

std::int64_t TcbDSMixerChannel::BytesToEnd() const {
    std::int64_t d = m_endOffset - static_cast<std::int64_t>(PlayCursor());
    if (d <= 0) {
        d += m_bufferBytes;
    }
    return d;
}

void TcbDSMixerChannel::Update() {
    if (m_buffer) {
        m_buffer->ConvertPending();
    }
    std::int64_t toEnd = 0;
    bool measured = false;
    if (m_endArmed) {
        toEnd = BytesToEnd();
        measured = true;
        // Nearly a whole ring away: the cursor has passed the end of the data.
        if (toEnd > m_endThreshold) {
            Stop();
            PostEnd();
            return;
        }
    }
    const std::uint32_t tick = TickCount();
    if (tick - m_lastRefillTick >= m_thread->Period.load()) {
        m_lastRefillTick = tick;
        if (m_endOffset != -1) {
            if (!measured) {
                toEnd = BytesToEnd();
            }
            if (toEnd <= m_endThreshold) {
                m_endArmed = true;
            }
        }
        Refill();
    }
}

void TcbDSMixerChannel::RunUpdate() noexcept {
    try {
        Update();
    } catch (...) {
        try {
            Stop();
        } catch (...) {
            // Stopped all the same: only the rewind failed.
        }
    }
}

void TcbDSMixerChannel::RunConvert() noexcept {
    if (m_buffer) {
        m_buffer->ConvertPending();
    }
}

void TcbDSMixerChannel::PostEnd() {
    m_mixer.Post([receiver = std::weak_ptr<TcbDSMixerChannel*>(m_receiver)] {
        if (const auto alive = receiver.lock()) {
            TcbDSMixerChannel& channel = **alive;
            if (channel.OnEnd) {
                channel.OnEnd(channel);
            }
        }
    });
}

void TcbDSMixerChannel::Stop() {
    TTimedLockGuard guard(m_channelLock, kLockWait);
    if (!guard || !m_buffer) {
        return;
    }
    if (m_thread) { // gone already while the channel is destroyed
        m_thread->SetActive(false);
    }
    m_buffer->Stop();
    m_playing = false;
    m_buffer->SetCurrentPosition(0);
    m_writePos = 0;
    m_primed = false;
    m_endOffset = -1;
    m_endArmed = false;
    // Last, as it is the one step that can fail: the channel is stopped either way.
    if (m_reader) {
        m_reader->Seek(0);
    }
}

void TcbDSMixerChannel::SetVolume(std::int32_t volume) {
    TTimedLockGuard guard(m_channelLock, kLockWait);
    if (!guard) {
        return;
    }
    m_volume = volume;
    if (m_buffer) {
        DXCheck(m_buffer->SetVolume(volume));
    }
}

void TcbDSMixerChannel::SetPan(std::int32_t pan) {
    TTimedLockGuard guard(m_channelLock, kLockWait);
    if (!guard) {
        return;
    }
    m_pan = pan;
    if (m_buffer) {
        DXCheck(m_buffer->SetPan(pan));
    }
}

void TcbDSMixerChannel::SetPlayStartMs(std::uint32_t ms) {
    TTimedLockGuard guard(m_channelLock, kLockWait);
    if (!guard) {
        return;
    }
    if (!m_reader) {
        m_playStartMs = ms;
        return;
    }
    const std::int64_t t = std::int64_t{ms} * kUnitsPerMs;
    if (t != m_reader->PlayStart()) {
        m_reader->SetPlayStart(t);
        m_playStartMs = static_cast<std::uint32_t>(t / kUnitsPerMs);
        SetPlayEndMs(m_playEndMs);
    }
}

void TcbDSMixerChannel::SetPlayEndMs(std::uint32_t ms) {
    TTimedLockGuard guard(m_channelLock, kLockWait);
    if (!guard) {
        return;
    }
    if (!m_reader) {
        m_playEndMs = ms;
        return;
    }
    // An end of 0 is no end: the window then runs to the end of the file from any start.
    const std::int64_t length =
        ms == 0 ? 0 : std::int64_t{ms} * kUnitsPerMs - m_reader->PlayStart();
    if (length != m_reader->PlayLength()) {
        m_reader->SetPlayLength(length);
        m_playEndMs =
            ms == 0 ? 0 : static_cast<std::uint32_t>(length / kUnitsPerMs + m_playStartMs);
    }
}

std::int64_t TcbDSMixerChannel::PositionMs() {
    TTimedLockGuard guard(m_channelLock, kLockWait);
    if (!guard) {
        return 0;
    }
    if (m_primed) {
        CbAssert(m_buffer != nullptr, "Assertion failure");
        return m_positionTimes.GetPosTime(static_cast<std::int32_t>(PlayCursor()));
    }
    if (m_reader) {
        return m_reader->Position() / kUnitsPerMs;
    }
    return 0;
}

} // namespace quorvane
