#pragma once

#include "AudioOutput.hpp"
#include "TWaveFormat.hpp"

#include <memory>
#include <vector>

namespace quorvane {

class TcbStreamBuffer;

// The open sound device: the output it plays through and the streaming buffers it mixes into
// that output's format (rate, width, channels).
//
// Threads: created and destroyed on the UI thread; buffers are created and released by their
// channels (UI or refill thread); Render runs on the output's thread. The buffer list changes
// only with the output's renderer lock held, which Render runs under, and Render takes no lock
// and allocates nothing.
class TcbSoundDevice : public IAudioRenderer {
public:
    explicit TcbSoundDevice(IAudioOutput& output);
    ~TcbSoundDevice() override;
    TcbSoundDevice(const TcbSoundDevice&) = delete;
    TcbSoundDevice& operator=(const TcbSoundDevice&) = delete;

    // The format the output took; set once, before the output starts.
    void SetFormat(const TAudioSpec& spec);
    const TAudioSpec& Format() const { return m_spec; }
    IAudioOutput& Output() { return m_output; }

    // A streaming buffer of `bytes` bytes in `format`, silent at first. Returns a result code.
    std::int32_t CreateSoundBuffer(const TWaveFormat& format, std::uint32_t bytes,
                                   std::unique_ptr<TcbStreamBuffer>& buffer);

    void Render(std::uint8_t* out, std::uint32_t bytes) noexcept override;

private:
    friend class TcbStreamBuffer;
    void Detach(TcbStreamBuffer* buffer);

    static constexpr std::uint32_t kChunkFrames = 1024;

    IAudioOutput& m_output;
    TAudioSpec m_spec;
    std::vector<TcbStreamBuffer*> m_buffers;
    std::vector<float> m_mix; // stereo, kChunkFrames frames
};

} // namespace quorvane
