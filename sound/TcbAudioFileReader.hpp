#pragma once

#include "TWaveFormat.hpp"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

struct sf_private_tag;

namespace quorvane {

// Media times are counts of 100-nanosecond units.
constexpr std::int64_t kUnitsPerMs = 10000;
constexpr std::int64_t kUnitsPerSecond = 10000000;

// Result codes the reader raises. The codes of libsndfile's own errors are kSndfileErrorBase
// plus libsndfile's error number; their text is libsndfile's.
constexpr std::int32_t kMsSPending = 0x00040001;
constexpr std::int32_t kMsSNoUpdate = 0x00040002;
constexpr std::int32_t kMsSEndOfStream = 0x00040003;
constexpr std::int32_t kInvalidBufferSize = 0x08000001;
constexpr std::int32_t kMsENoSeeking = static_cast<std::int32_t>(0x80040404);
constexpr std::int32_t kMsEIncompatible = static_cast<std::int32_t>(0x80040405);
constexpr std::int32_t kSndfileErrorBase = static_cast<std::int32_t>(0x8A5F0000);

class EAudioReadError : public std::runtime_error {
public:
    EAudioReadError(const std::string& message, std::int32_t code)
        : std::runtime_error(message)
        , ErrorCode(code) {}
    std::int32_t ErrorCode;
};

// The message for a result code: the fixed table, libsndfile's text for its own codes, else
// "Unrecognized error value.".
std::string AMErrorText(std::int32_t code);

// Returns for 0; raises EAudioReadError with the code's message for anything else, success codes
// other than 0 included.
void AMCheck(std::int32_t code);

// The part of a read of `bytes` spanning [sampleStart, sampleEnd) that lies before windowEnd, in
// whole frames. The proportion is taken in floating point, as the decoder's times are not
// frame-exact.
std::uint32_t CutAtWindowEnd(std::uint32_t bytes, std::int64_t sampleStart, std::int64_t sampleEnd,
                             std::int64_t windowEnd, std::uint16_t blockAlign);

// Decodes one audio file to PCM in its own format (8-bit unsigned, 16-, 24- or 32-bit signed,
// 32- or 64-bit float for PCM files; 16-bit for compressed ones) by sequential reads into the
// caller's memory, within an optional play window. Only regular files are opened, and never in
// a way that waits for a writer: a FIFO or a device named as a sound file fails at once.
//
// No lock of its own: created on the UI thread, then used only under its channel's lock, by the
// UI thread and the channel's refill thread. Creation is not thread-safe against another
// creation (libsndfile reports open failures through a global).
class TcbAudioFileReader {
public:
    explicit TcbAudioFileReader(const std::string& fileName);
    ~TcbAudioFileReader();
    TcbAudioFileReader(const TcbAudioFileReader&) = delete;
    TcbAudioFileReader& operator=(const TcbAudioFileReader&) = delete;

    // Decodes whole frames to dest, at most size bytes; 0 at the end of the stream or window.
    std::uint32_t Read(void* dest, std::uint32_t size);
    void Seek(std::int64_t time);

    const TWaveFormat& Format() const { return m_format; }
    const std::string& FileName() const { return m_fileName; }
    std::int64_t Duration() const { return m_duration; }
    std::int64_t Position() const { return m_position; }
    std::int64_t PlayStart() const { return m_playStart; }
    std::int64_t PlayLength() const { return m_playLength; }
    std::int64_t SampleStart() const { return m_sampleStart; }
    std::int64_t SampleEnd() const { return m_sampleEnd; }

    void SetPlayStart(std::int64_t time);
    void SetPlayLength(std::int64_t length);

    static constexpr std::int64_t kMinPlayLength = 100000;           // 10 ms
    static constexpr std::int64_t kMaxPlayLength = 1000000000000000; // 10^15

private:
    // Lossy codecs decode to float: their 16-bit samples are converted here, with saturation.
    enum class TSampleKind { Unsigned8, Signed16, Signed24, Signed32, Float32, Float64, FloatTo16 };

    std::int64_t FrameTime(std::int64_t frame) const;
    std::int64_t TimeFrame(std::int64_t time) const;
    std::int64_t DecodeFrames(std::uint8_t* dest, std::int64_t frames);
    void SeekDecoder(std::int64_t frame);
    [[noreturn]] void RaiseDecoderError(std::int32_t fallback) const;

    std::string m_fileName;
    sf_private_tag* m_file = nullptr;
    TWaveFormat m_format;
    TSampleKind m_kind = TSampleKind::Signed16;
    std::int64_t m_frames = 0;
    std::int64_t m_frame = 0; // the decoder's next frame
    std::int64_t m_duration = 0;
    std::int64_t m_position = 0;
    std::int64_t m_playStart = 0;
    std::int64_t m_playLength = 0;
    std::int64_t m_sampleStart = 0;
    std::int64_t m_sampleEnd = 0;
    // 8- and 24-bit data pass through here, as libsndfile has no reader for those widths, and
    // the float output of lossy codecs on its way to 16 bits.
    std::array<std::int32_t, 4096> m_convert{};
};

} // namespace quorvane
