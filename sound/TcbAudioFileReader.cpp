#include "TcbAudioFileReader.hpp"

#include <sndfile.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace quorvane {

namespace {

struct TCodeText {
    std::uint32_t code;
    const char* text;
};

const TCodeText kMessages[] = {
    {0x00040001, "The asynchronous update is pending."},
    {0x00040002, "Sample was not updated after forced completion."},
    {0x00040003, "Reached the end of the stream; the sample wasn't updated."},
    {0x08000001, "Invalid buffer size."},
    {0x80004002, "No interface."},
    {0x80004003, "This method tried to access an invalid pointer."},
    {0x80004004, "The update aborted."},
    {0x80040110, "This class cannot be created as part of an aggregate."},
    {0x80040154, "A specified class is not registered in the registration database."},
    {0x80040401, "An IMediaStream object could not be removed from an IMultiMediaStream object "
                 "because it still contains at least one allocated sample."},
    {0x80040402, "The specified purpose ID can't be used for the call."},
    {0x80040403, "No stream can be found with the specified attributes."},
    {0x80040404, "One or more media streams don't support seeking."},
    {0x80040405, "The stream formats are not compatible."},
    {0x80040406, "This sample already has a pending update."},
    {0x80040407, "The object can't accept the call because its initialize function or "
                 "equivalent has not been called."},
    {0x80040408, "Source already defined."},
    {0x80040409, "The stream type is not valid for this operation."},
    {0x8004040A, "The IMultiMediaStream object is not in running state."},
    {0x80070057, "One of the parameters is invalid."},
};

bool IsSndfileCode(std::int32_t code) {
    return (static_cast<std::uint32_t>(code) & 0xFFFF0000u) ==
           static_cast<std::uint32_t>(kSndfileErrorBase);
}

std::int32_t SndfileCode(int error) {
    return kSndfileErrorBase | (error & 0xFFFF);
}

// What libsndfile says when its MPEG probe gives up on a file that is no MP3 at all: "File does
// not exist or is not a regular file (possibly a pipe?).", wrong for a file known to be regular.
constexpr int kSndfileBadFileRead = 7;

// A regular file opened for reading; anything else raises as libsndfile words a system error.
// O_NONBLOCK keeps the open of a FIFO from waiting for a writer; the type is then checked on the
// open descriptor itself, so the path cannot be swapped between the check and the open.
int OpenRegularFile(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        throw EAudioReadError(std::string("System error : ") + std::strerror(errno) + ".",
                              SndfileCode(SF_ERR_SYSTEM));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw EAudioReadError("System error : Not a regular file.", SndfileCode(SF_ERR_SYSTEM));
    }
    // Reads of a regular file never wait anyway; cleared so that libsndfile sees a plain file.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool DecodesToFloat(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
    case SF_FORMAT_MPEG_LAYER_I:
    case SF_FORMAT_MPEG_LAYER_II:
    case SF_FORMAT_MPEG_LAYER_III:
        return true;
    default:
        return false;
    }
}

// libsndfile's own scale for float to 16 bits, but clipped: its conversion of a lossy codec's
// output wraps samples that overshoot full scale, which a file normalised near 0 dBFS does.
std::int16_t SaturatedSample(float v) {
    const float scaled = v * 32767.0f;
    if (!(scaled > -32768.0f)) { // NaN included
        return scaled != scaled ? 0 : -32768;
    }
    if (scaled >= 32767.0f) {
        return 32767;
    }
    return static_cast<std::int16_t>(std::lrint(scaled));
}

} // namespace

std::string AMErrorText(std::int32_t code) {
    for (const auto& m : kMessages) {
        if (m.code == static_cast<std::uint32_t>(code)) {
            return m.text;
        }
    }
    if (IsSndfileCode(code) && (code & 0xFFFF) != 0) {
        return sf_error_number(code & 0xFFFF);
    }
    return "Unrecognized error value.";
}

void AMCheck(std::int32_t code) {
    if (code != 0) {
        throw EAudioReadError(AMErrorText(code), code);
    }
}

std::uint32_t CutAtWindowEnd(std::uint32_t bytes, std::int64_t sampleStart, std::int64_t sampleEnd,
                             std::int64_t windowEnd, std::uint16_t blockAlign) {
    const double part = static_cast<double>(bytes) * static_cast<double>(windowEnd - sampleStart) /
                        static_cast<double>(sampleEnd - sampleStart);
    auto cut = static_cast<std::uint32_t>(std::clamp(part, 0.0, static_cast<double>(bytes)));
    // Frames of 3, 5 or 6 channels are no power of two, so round with a remainder, not a mask.
    if (blockAlign > 1) {
        cut -= cut % blockAlign;
    }
    return cut;
}

TcbAudioFileReader::TcbAudioFileReader(const std::string& fileName) {
    SF_INFO info{};
    const int fd = OpenRegularFile(fileName);
    m_file = sf_open_fd(fd, SFM_READ, &info, SF_TRUE);
    if (m_file == nullptr) {
        const int error = sf_error(nullptr);
        if (error == kSndfileBadFileRead) {
            throw EAudioReadError(sf_error_number(SF_ERR_UNRECOGNISED_FORMAT),
                                  SndfileCode(SF_ERR_UNRECOGNISED_FORMAT));
        }
        // sf_strerror tells more than the table entry of the number (the system's reason for a
        // file that cannot be opened, for instance).
        throw EAudioReadError(sf_strerror(nullptr), SndfileCode(error));
    }

    int bits = 16;
    m_format.wFormatTag = kWaveFormatPcm;
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        m_kind = TSampleKind::Unsigned8;
        bits = 8;
        break;
    case SF_FORMAT_PCM_24:
        m_kind = TSampleKind::Signed24;
        bits = 24;
        break;
    case SF_FORMAT_PCM_32:
        m_kind = TSampleKind::Signed32;
        bits = 32;
        break;
    case SF_FORMAT_FLOAT:
        m_kind = TSampleKind::Float32;
        m_format.wFormatTag = kWaveFormatIeeeFloat;
        bits = 32;
        break;
    case SF_FORMAT_DOUBLE:
        m_kind = TSampleKind::Float64;
        m_format.wFormatTag = kWaveFormatIeeeFloat;
        bits = 64;
        break;
    default: // 16-bit PCM and every compressed encoding
        m_kind = DecodesToFloat(info.format) ? TSampleKind::FloatTo16 : TSampleKind::Signed16;
        break;
    }

    const std::uint64_t blockAlign = static_cast<std::uint64_t>(info.channels) * (bits / 8);
    const std::uint64_t bytesPerSecond = blockAlign * static_cast<std::uint64_t>(info.samplerate);
    if (info.channels <= 0 || info.samplerate <= 0 || blockAlign > 0xFFFF ||
        bytesPerSecond > 0xFFFFFFFF) {
        sf_close(m_file);
        AMCheck(kMsEIncompatible);
    }
    m_format.nChannels = static_cast<std::uint16_t>(info.channels);
    m_format.nSamplesPerSec = static_cast<std::uint32_t>(info.samplerate);
    m_format.nBlockAlign = static_cast<std::uint16_t>(blockAlign);
    m_format.nAvgBytesPerSec = static_cast<std::uint32_t>(bytesPerSecond);
    m_format.wBitsPerSample = static_cast<std::uint16_t>(bits);

    // Some headers announce no length or a nonsense one.
    m_frames = std::clamp<std::int64_t>(info.frames, 0,
                                        std::numeric_limits<std::int64_t>::max() / kUnitsPerSecond);
    m_duration = FrameTime(m_frames);
    m_fileName = fileName;
}

TcbAudioFileReader::~TcbAudioFileReader() {
    sf_close(m_file);
}

std::int64_t TcbAudioFileReader::FrameTime(std::int64_t frame) const {
    const std::int64_t rate = m_format.nSamplesPerSec;
    return frame / rate * kUnitsPerSecond + frame % rate * kUnitsPerSecond / rate;
}

std::int64_t TcbAudioFileReader::TimeFrame(std::int64_t time) const {
    const std::int64_t rate = m_format.nSamplesPerSec;
    return time / kUnitsPerSecond * rate + time % kUnitsPerSecond * rate / kUnitsPerSecond;
}

void TcbAudioFileReader::RaiseDecoderError(std::int32_t fallback) const {
    const int error = sf_error(m_file);
    if (error != SF_ERR_NO_ERROR) {
        throw EAudioReadError(sf_strerror(m_file), SndfileCode(error));
    }
    AMCheck(fallback);
    throw EAudioReadError(AMErrorText(fallback), fallback);
}

std::int64_t TcbAudioFileReader::DecodeFrames(std::uint8_t* dest, std::int64_t frames) {
    const int channels = m_format.nChannels;
    const bool aligned =
        reinterpret_cast<std::uintptr_t>(dest) % (m_format.wBitsPerSample / 8) == 0;
    switch (m_kind) {
    case TSampleKind::Signed16:
        if (aligned) {
            return sf_readf_short(m_file, reinterpret_cast<short*>(dest), frames);
        }
        break;
    case TSampleKind::Signed32:
        if (aligned) {
            return sf_readf_int(m_file, reinterpret_cast<int*>(dest), frames);
        }
        break;
    case TSampleKind::Float32:
        if (aligned) {
            return sf_readf_float(m_file, reinterpret_cast<float*>(dest), frames);
        }
        break;
    case TSampleKind::Float64:
        if (aligned) {
            return sf_readf_double(m_file, reinterpret_cast<double*>(dest), frames);
        }
        break;
    default:
        break;
    }

    // Through the conversion block, in pieces that fit it.
    const std::int64_t bytesPerSample = m_format.wBitsPerSample / 8;
    const std::int64_t chunkFrames = static_cast<std::int64_t>(m_convert.size()) / channels;
    std::int64_t done = 0;
    while (done < frames) {
        std::int64_t want = std::min(chunkFrames, frames - done);
        std::int64_t got = 0;
        if (m_kind == TSampleKind::Float32 || m_kind == TSampleKind::FloatTo16) {
            static_assert(sizeof(float) == sizeof(std::int32_t));
            got = sf_readf_float(m_file, reinterpret_cast<float*>(m_convert.data()), want);
        } else if (m_kind == TSampleKind::Float64 || m_kind == TSampleKind::Signed16) {
            // Unaligned destinations of these widths: decode to the block, then copy.
            const std::int64_t capacity =
                static_cast<std::int64_t>(sizeof(m_convert)) / (bytesPerSample * channels);
            want = std::min(want, capacity);
            got = m_kind == TSampleKind::Float64
                      ? sf_readf_double(m_file, reinterpret_cast<double*>(m_convert.data()), want)
                      : sf_readf_short(m_file, reinterpret_cast<short*>(m_convert.data()), want);
        } else {
            got = sf_readf_int(m_file, m_convert.data(), want);
        }
        if (got <= 0) {
            break;
        }
        const std::int64_t samples = got * channels;
        std::uint8_t* out = dest + done * channels * bytesPerSample;
        switch (m_kind) {
        case TSampleKind::Unsigned8:
            for (std::int64_t i = 0; i < samples; ++i) {
                out[i] = static_cast<std::uint8_t>((m_convert[i] >> 24) + 128);
            }
            break;
        case TSampleKind::FloatTo16: {
            const auto* in = reinterpret_cast<const float*>(m_convert.data());
            for (std::int64_t i = 0; i < samples; ++i) {
                const std::int16_t v = SaturatedSample(in[i]);
                std::memcpy(out + 2 * i, &v, sizeof v);
            }
            break;
        }
        case TSampleKind::Signed24:
            for (std::int64_t i = 0; i < samples; ++i) {
                const auto v = static_cast<std::uint32_t>(m_convert[i]);
                out[3 * i] = static_cast<std::uint8_t>(v >> 8);
                out[3 * i + 1] = static_cast<std::uint8_t>(v >> 16);
                out[3 * i + 2] = static_cast<std::uint8_t>(v >> 24);
            }
            break;
        default:
            std::memcpy(out, m_convert.data(), static_cast<std::size_t>(samples * bytesPerSample));
            break;
        }
        done += got;
        if (got < want) {
            break;
        }
    }
    return done;
}

void TcbAudioFileReader::SeekDecoder(std::int64_t frame) {
    frame = std::clamp<std::int64_t>(frame, 0, m_frames);
    if (sf_seek(m_file, frame, SEEK_SET) < 0) {
        RaiseDecoderError(kMsENoSeeking);
    }
    m_frame = frame;
}

std::uint32_t TcbAudioFileReader::Read(void* dest, std::uint32_t size) {
    if (size == 0) {
        AMCheck(kInvalidBufferSize);
    }
    if (m_playLength != 0 && m_playStart + m_playLength <= m_position) {
        return 0;
    }
    const std::int64_t frames = size / m_format.nBlockAlign;
    if (frames == 0) {
        return 0;
    }
    const std::int64_t startFrame = m_frame;
    const std::int64_t got = DecodeFrames(static_cast<std::uint8_t*>(dest), frames);
    // What was decoded before a fault is delivered; the fault is raised by the next read.
    if (got <= 0 && sf_error(m_file) != SF_ERR_NO_ERROR) {
        RaiseDecoderError(kMsENoSeeking);
    }
    if (got <= 0) {
        return 0;
    }
    m_frame = startFrame + got;
    std::int64_t sampleStart = FrameTime(startFrame);
    std::int64_t sampleEnd = FrameTime(m_frame);
    if (sampleStart > sampleEnd) {
        sampleStart = sampleEnd;
    }
    auto bytes = static_cast<std::uint32_t>(got * m_format.nBlockAlign);
    const std::int64_t windowEnd = m_playStart + m_playLength;
    if (m_playLength != 0 && sampleEnd > sampleStart && windowEnd < sampleEnd) {
        bytes = CutAtWindowEnd(bytes, sampleStart, sampleEnd, windowEnd, m_format.nBlockAlign);
        sampleEnd = windowEnd;
        // Leave the decoder at the cut, so that a longer window later goes on from there.
        SeekDecoder(startFrame + bytes / m_format.nBlockAlign);
    }
    m_sampleStart = sampleStart;
    m_sampleEnd = sampleEnd;
    m_position = sampleEnd;
    return bytes;
}

void TcbAudioFileReader::Seek(std::int64_t time) {
    if (time == m_position) {
        return;
    }
    if (time < m_playStart) {
        time = m_playStart;
    } else if (time > m_duration) {
        time = m_duration;
    } else if (m_playLength != 0 && time > m_playStart + m_playLength) {
        time = m_playStart + m_playLength;
    }
    SeekDecoder(TimeFrame(time));
    m_position = time;
}

void TcbAudioFileReader::SetPlayStart(std::int64_t time) {
    if (time == m_playStart) {
        return;
    }
    time = std::max<std::int64_t>(time, 0);
    // Stored before the seek so that the seek is clamped to the new window, not the old one.
    const std::int64_t previous = m_playStart;
    m_playStart = time;
    if (m_position < time) {
        try {
            Seek(time);
        } catch (...) {
            m_playStart = previous;
            throw;
        }
    }
}

void TcbAudioFileReader::SetPlayLength(std::int64_t length) {
    if (length == m_playLength) {
        return;
    }
    if (length != 0) {
        length = std::clamp(length, kMinPlayLength, kMaxPlayLength);
    }
    const std::int64_t previous = m_playLength;
    m_playLength = length;
    if (m_playStart + length < m_position) {
        try {
            Seek(m_playStart);
        } catch (...) {
            m_playLength = previous;
            throw;
        }
    }
}

} // namespace quorvane
