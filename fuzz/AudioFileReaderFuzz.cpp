// libFuzzer target: arbitrary bytes as an audio file. Opening and reading must not crash or
// hang; a file that cannot be read gives EAudioReadError with a message, nothing else. What the
// reader hands out must hold together: a format whose sizes agree, whole frames no larger than
// asked for, a position that only moves forward while reading and stays inside the play window.

#include "TcbAudioFileReader.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

using namespace quorvane;

namespace {

// Enough for every legitimate path through the reader; a tiny compressed file may stand for
// hours of sound, and decoding all of it would only slow the search down.
constexpr std::uint64_t kMostBytesPerPass = 4 * 1024 * 1024;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "reader invariant broken: %s\n", what);
        std::abort();
    }
}

std::string InputPath() {
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/quorvane-reader-fuzz-" + std::to_string(getpid()) + ".snd";
}

void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Require(file != nullptr, "cannot write the input file");
    Require(size == 0 || std::fwrite(data, 1, size, file) == size, "cannot write the input file");
    std::fclose(file);
}

void RequireSaneFormat(const TcbAudioFileReader& reader) {
    const TWaveFormat& f = reader.Format();
    Require(f.wFormatTag == kWaveFormatPcm || f.wFormatTag == kWaveFormatIeeeFloat, "format tag");
    Require(f.nChannels > 0, "channels");
    Require(f.nSamplesPerSec > 0, "sample rate");
    const int bits = f.wBitsPerSample;
    Require(bits == 8 || bits == 16 || bits == 24 || bits == 32 || bits == 64, "sample width");
    Require(f.nBlockAlign == f.nChannels * bits / 8, "block align");
    Require(f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign, "bytes per second");
    Require(f.cbSize == 0, "extra size");
    Require(reader.Duration() >= 0, "duration");
}

// Reads until the reader says the data has ended, with read sizes from `sizes` in turn and
// every other read into an odd address, which the reader must cope with.
void ReadToTheEnd(TcbAudioFileReader& reader, std::vector<std::uint8_t>& buffer,
                  const std::vector<std::uint32_t>& sizes) {
    const std::uint32_t align = reader.Format().nBlockAlign;
    std::uint64_t total = 0;
    std::int64_t position = reader.Position();
    for (std::size_t i = 0; total < kMostBytesPerPass; ++i) {
        const std::uint32_t size = std::max(sizes[i % sizes.size()], align);
        const std::size_t offset = i % 2;
        Require(buffer.size() >= size + offset, "fuzz buffer too small");
        const std::uint32_t n = reader.Read(buffer.data() + offset, size);
        Require(n <= size, "read more than asked for");
        Require(n % align == 0, "read part of a frame");
        if (n == 0) {
            Require(reader.Read(buffer.data(), size) == 0, "data after the end");
            return;
        }
        Require(reader.SampleStart() <= reader.SampleEnd(), "sample times out of order");
        Require(reader.Position() >= position, "position went back while reading");
        if (reader.PlayLength() != 0) {
            Require(reader.Position() <= reader.PlayStart() + reader.PlayLength(),
                    "read past the end of the play window");
        }
        position = reader.Position();
        total += n;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = InputPath();
    static std::vector<std::uint8_t> buffer(65536 * 4 + 1);
    WriteInput(path, data, size);
    try {
        TcbAudioFileReader reader(path);
        RequireSaneFormat(reader);

        // The whole stream, in the sizes a channel uses and in odd ones.
        ReadToTheEnd(reader, buffer, {65536, 7, 4096, 1});

        // The middle third as the play window, read from its start.
        const std::int64_t duration = reader.Duration();
        reader.SetPlayStart(duration / 3);
        reader.SetPlayLength(duration / 3);
        Require(reader.PlayLength() == 0 ||
                    reader.PlayLength() >= TcbAudioFileReader::kMinPlayLength,
                "play length below the least");
        reader.Seek(0);
        Require(reader.Position() == reader.PlayStart(),
                "a seek to 0 lands elsewhere than the window start");
        ReadToTheEnd(reader, buffer, {176400, 3, 65536 * 4});

        // Seeks beyond the end and back, then the window given up.
        const std::int64_t beyond = duration + 1;
        if (reader.Position() != beyond) {
            reader.Seek(beyond);
            Require(reader.Position() == duration, "a seek beyond the end lands elsewhere");
        }
        reader.SetPlayStart(0);
        reader.SetPlayLength(0);
        reader.Seek(duration / 2);
        ReadToTheEnd(reader, buffer, {44100});
    } catch (const EAudioReadError& e) {
        Require(e.what()[0] != '\0', "an error without a message");
        Require(e.ErrorCode != 0, "an error without a code");
    }
    return 0;
}
