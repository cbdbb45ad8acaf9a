#include "TcbAudioFileReader.hpp"

#include "SoundFixtures.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <future>
#include <vector>

using namespace quorvane;

namespace {

class ReaderTest : public ::testing::Test {
protected:
    fixtures::TTempDir dir;

    // 1 s of a 44100 Hz stereo 16-bit ramp: every sample's value is its frame number, so a read
    // tells from where it came.
    std::string Ramp() {
        const std::string path = dir.File("ramp.wav");
        std::vector<std::int32_t> samples;
        for (std::int32_t f = 0; f < 44100; ++f) {
            samples.push_back((f % 32768) << 16);
            samples.push_back((f % 32768) << 16);
        }
        fixtures::WriteInts(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, samples);
        return path;
    }

    static std::int16_t FirstSample(const std::vector<std::uint8_t>& data) {
        return static_cast<std::int16_t>(data[0] | data[1] << 8);
    }
};

struct FormatCase {
    const char* name;
    int fileFormat;
    int channels;
    int rate;
    std::uint16_t tag;
    std::uint16_t bits;
};

const FormatCase formatCases[] = {
    {"8-bit unsigned WAV stays 8-bit", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 8000, 1, 8},
    {"8-bit signed AIFF decodes to 8-bit", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 2, 22050, 1, 8},
    {"16-bit WAV", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 1, 16},
    {"24-bit WAV stays 24-bit", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 48000, 1, 24},
    {"32-bit WAV stays 32-bit", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1, 44100, 1, 32},
    {"float WAV stays float", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 44100, 3, 32},
    {"6-channel WAV keeps its channels", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6, 44100, 1, 16},
    {"16-bit FLAC decodes to 16-bit", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 44100, 1, 16},
    {"Ogg Vorbis decodes to 16-bit", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 2, 44100, 1, 16},
    {"IMA ADPCM decodes to 16-bit", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 1, 11025, 1, 16},
};

TEST_F(ReaderTest, DecodedFormatAndDuration) {
    for (const auto& c : formatCases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(std::string(c.name) + ".snd");
        fixtures::WriteTone(path, 0.5, c.fileFormat, c.channels, c.rate);
        TcbAudioFileReader reader(path);
        const TWaveFormat& f = reader.Format();
        const auto align = static_cast<std::uint16_t>(c.channels * c.bits / 8);
        EXPECT_EQ(f.wFormatTag, c.tag);
        EXPECT_EQ(f.nChannels, c.channels);
        EXPECT_EQ(f.nSamplesPerSec, static_cast<std::uint32_t>(c.rate));
        EXPECT_EQ(f.wBitsPerSample, c.bits);
        EXPECT_EQ(f.nBlockAlign, align);
        EXPECT_EQ(f.nAvgBytesPerSec, static_cast<std::uint32_t>(c.rate) * align);
        EXPECT_EQ(f.cbSize, 0);
        // Compressed streams may round their length to their own blocks.
        EXPECT_NEAR(static_cast<double>(reader.Duration()), 5000000.0, 300000.0);
        EXPECT_EQ(reader.FileName(), path);
        EXPECT_EQ(reader.Position(), 0);
    }
}

struct SampleCase {
    const char* name;
    int fileFormat;
    std::vector<std::int32_t> samples; // top-aligned in 32 bits
    std::vector<std::uint8_t> bytes;   // as the reader must deliver them
};

TEST_F(ReaderTest, PcmSamplesArriveInTheirOwnWidth) {
    const SampleCase cases[] = {
        {"8-bit unsigned",
         SF_FORMAT_WAV | SF_FORMAT_PCM_U8,
         {0, 0x7F000000, std::int32_t(0x80000000), 0x01000000},
         {0x80, 0xFF, 0x00, 0x81}},
        {"8-bit signed becomes unsigned",
         SF_FORMAT_AIFF | SF_FORMAT_PCM_S8,
         {0, 0x7F000000, std::int32_t(0x80000000), -0x01000000},
         {0x80, 0xFF, 0x00, 0x7F}},
        {"16-bit little-endian",
         SF_FORMAT_WAV | SF_FORMAT_PCM_16,
         {0x12340000, -0x00010000},
         {0x34, 0x12, 0xFF, 0xFF}},
        {"16-bit from a big-endian AIFF",
         SF_FORMAT_AIFF | SF_FORMAT_PCM_16,
         {0x12340000, -0x00010000},
         {0x34, 0x12, 0xFF, 0xFF}},
        {"24-bit packed in three bytes",
         SF_FORMAT_AIFF | SF_FORMAT_PCM_24,
         {0x12345600, -0x00000100},
         {0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File("samples");
        fixtures::WriteInts(path, c.fileFormat, 1, 8000, c.samples);
        TcbAudioFileReader reader(path);
        // One spare byte in front makes the destination odd, which must not matter.
        std::vector<std::uint8_t> buffer(c.bytes.size() + 17, 0xAA);
        for (std::size_t offset : {std::size_t{0}, std::size_t{1}}) {
            reader.Seek(0);
            ASSERT_EQ(reader.Read(buffer.data() + offset, 16), c.bytes.size());
            EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin() + static_cast<long>(offset),
                                                buffer.begin() + static_cast<long>(offset) +
                                                    static_cast<long>(c.bytes.size())),
                      c.bytes);
        }
    }
}

TEST_F(ReaderTest, ReadsToTheEndAndThenReturnsNothing) {
    TcbAudioFileReader reader(Ramp());
    std::vector<std::uint8_t> buffer(65536);
    std::uint64_t total = 0;
    std::uint32_t n = 0;
    std::int64_t lastEnd = -1;
    while ((n = reader.Read(buffer.data(), 65536)) == 65536) {
        EXPECT_EQ(reader.SampleStart(), lastEnd < 0 ? 0 : lastEnd);
        lastEnd = reader.SampleEnd();
        total += n;
    }
    total += n;
    EXPECT_EQ(total, 44100u * 4);
    EXPECT_EQ(reader.Position(), 10000000);
    const std::int64_t sampleEnd = reader.SampleEnd();
    EXPECT_EQ(reader.Read(buffer.data(), 65536), 0u);
    EXPECT_EQ(reader.Read(buffer.data(), 65536), 0u);
    EXPECT_EQ(reader.Position(), 10000000);
    EXPECT_EQ(reader.SampleEnd(), sampleEnd);
}

TEST_F(ReaderTest, ReadOfSizeZeroIsRefusedAndChangesNothing) {
    TcbAudioFileReader reader(Ramp());
    std::vector<std::uint8_t> buffer(400);
    reader.Read(buffer.data(), 400);
    const std::int64_t position = reader.Position();
    try {
        reader.Read(buffer.data(), 0);
        FAIL() << "no error raised";
    } catch (const EAudioReadError& e) {
        EXPECT_STREQ(e.what(), "Invalid buffer size.");
        EXPECT_EQ(e.ErrorCode, 0x08000001);
    }
    EXPECT_EQ(reader.Position(), position);
    ASSERT_EQ(reader.Read(buffer.data(), 4), 4u);
    EXPECT_EQ(FirstSample(buffer), 100);
}

TEST_F(ReaderTest, SeekClampsToTheStreamAndTheWindow) {
    TcbAudioFileReader reader(Ramp());
    std::vector<std::uint8_t> buffer(4);

    reader.Seek(20000000);
    EXPECT_EQ(reader.Position(), 10000000) << "beyond the duration lands on the duration";
    EXPECT_EQ(reader.Read(buffer.data(), 4), 0u);

    reader.SetPlayStart(5000000);
    reader.Seek(0);
    EXPECT_EQ(reader.Position(), 5000000) << "time 0 lands on the window start";
    ASSERT_EQ(reader.Read(buffer.data(), 4), 4u);
    EXPECT_EQ(FirstSample(buffer), 22050);

    reader.SetPlayLength(1000000);
    reader.Seek(9000000);
    EXPECT_EQ(reader.Position(), 6000000) << "beyond the window lands on its end";
    EXPECT_EQ(reader.Read(buffer.data(), 4), 0u);
}

TEST_F(ReaderTest, PlayStartSeeksForwardOnlyAtOnce) {
    TcbAudioFileReader reader(Ramp());
    std::vector<std::uint8_t> buffer(4);
    reader.SetPlayStart(2500000);
    EXPECT_EQ(reader.Position(), 2500000);
    ASSERT_EQ(reader.Read(buffer.data(), 4), 4u);
    EXPECT_EQ(FirstSample(buffer), 11025);

    reader.SetPlayStart(-7);
    EXPECT_EQ(reader.PlayStart(), 0) << "a negative start becomes 0";
    ASSERT_EQ(reader.Read(buffer.data(), 4), 4u);
    EXPECT_EQ(FirstSample(buffer), 11026) << "moving the start earlier does not rewind";
}

TEST_F(ReaderTest, PlayLengthIsClamped) {
    const std::pair<std::int64_t, std::int64_t> cases[] = {
        {10000, 100000},  {-5, 100000},       {0, 0},
        {100000, 100000}, {3000000, 3000000}, {2000000000000000, 1000000000000000},
    };
    TcbAudioFileReader reader(Ramp());
    for (const auto& [given, stored] : cases) {
        reader.SetPlayLength(given);
        EXPECT_EQ(reader.PlayLength(), stored) << "given " << given;
    }
}

TEST_F(ReaderTest, ShorterPlayLengthRewindsToTheWindowStart) {
    TcbAudioFileReader reader(Ramp());
    std::vector<std::uint8_t> buffer(44100 * 2);
    reader.Read(buffer.data(), 44100 * 2); // up to 0.5 s
    reader.SetPlayLength(2000000);
    EXPECT_EQ(reader.Position(), 0);
    ASSERT_EQ(reader.Read(buffer.data(), 4), 4u);
    EXPECT_EQ(FirstSample(buffer), 0);
}

TEST(CutAtWindowEnd, KeepsTheShareBeforeTheWindowEndInWholeFrames) {
    struct Case {
        const char* name;
        std::uint32_t bytes;
        std::int64_t start, end, window;
        std::uint16_t align;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"4410 bytes over 25 ms cut at 10 ms with 4-byte frames", 4410, 0, 250000, 100000, 4, 1764},
        {"the same span later in the stream", 4410, 7000000, 7250000, 7100000, 4, 1764},
        {"a share inside a frame rounds down", 4410, 0, 250000, 100050, 4, 1764},
        {"6-channel frames of 12 bytes are no power of two", 1200, 0, 100000, 50500, 12, 600},
        {"a window end at the sample start keeps nothing", 4400, 0, 250000, 0, 4, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CutAtWindowEnd(c.bytes, c.start, c.end, c.window, c.align), c.expected) << c.name;
    }
}

TEST_F(ReaderTest, ReadInsideTheWindowEndIsCutAndTheNextReadIsEmpty) {
    TcbAudioFileReader reader(Ramp());
    reader.SetPlayLength(100000);
    std::vector<std::uint8_t> buffer(4408);
    EXPECT_EQ(reader.Read(buffer.data(), 4408), 1764u);
    EXPECT_EQ(reader.Position(), 100000);
    EXPECT_EQ(reader.SampleEnd(), 100000);
    EXPECT_EQ(reader.Read(buffer.data(), 4408), 0u);

    // A longer window goes on right after the cut.
    reader.SetPlayLength(200000);
    ASSERT_EQ(reader.Read(buffer.data(), 4), 4u);
    EXPECT_EQ(FirstSample(buffer), 441);
}

TEST_F(ReaderTest, BadFilesRaiseAReadableError) {
    const std::string wav = dir.File("good.wav");
    fixtures::WriteTone(wav, 0.1);

    struct Case {
        const char* name;
        std::function<std::string()> make;
    };
    const Case cases[] = {
        {"a missing file", [&] { return dir.File("missing.wav"); }},
        {"an empty file",
         [&] {
             fixtures::WriteText(dir.File("empty.wav"), "");
             return dir.File("empty.wav");
         }},
        {"a text file named .wav",
         [&] {
             fixtures::WriteText(dir.File("text.wav"), "This is not a sound at all.\n");
             return dir.File("text.wav");
         }},
        {"a header cut short",
         [&] {
             const std::string p = dir.File("cut.wav");
             std::filesystem::copy_file(wav, p, std::filesystem::copy_options::overwrite_existing);
             fixtures::Truncate(p, 20);
             return p;
         }},
        {"a folder", [&] { return dir.File(""); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.make();
        try {
            TcbAudioFileReader reader(path);
            FAIL() << "opened";
        } catch (const EAudioReadError& e) {
            EXPECT_GT(std::string(e.what()).size(), 10u);
            EXPECT_NE(e.ErrorCode, 0);
            EXPECT_EQ(static_cast<std::uint32_t>(e.ErrorCode) & 0xFFFF0000u, 0x8A5F0000u);
        }
    }
}

TEST_F(ReaderTest, LoudLossyFilesSaturateInsteadOfWrapping) {
    struct Case {
        const char* name;
        int format;
    };
    const Case cases[] = {
        {"Ogg Vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {"Ogg Opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
        {"MP3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(std::string(c.name) + ".snd");
        // Opus runs at 48 kHz only.
        fixtures::WriteTone(path, 2.0, c.format, 2, 48000, 440.0, fixtures::LoudAmplitude());
        TcbAudioFileReader reader(path);
        ASSERT_EQ(reader.Format().wBitsPerSample, 16);
        std::vector<std::int16_t> samples(2 * 48000 * 2);
        const std::uint32_t bytes =
            reader.Read(samples.data(), static_cast<std::uint32_t>(samples.size() * 2));
        ASSERT_GT(bytes, 48000u * 4);
        // Past the codec's start-up, where it may ramp in.
        const std::size_t skip = 4800;
        for (int ch = 0; ch < 2; ++ch) {
            const fixtures::TSignalCheck check =
                fixtures::CheckSignal(samples.data() + skip * 2 + ch, bytes / 4 - skip, 2, 48000);
            EXPECT_EQ(check.jumps, 0) << "channel " << ch;
            EXPECT_NEAR(check.hertz, 440.0, 4.4) << "channel " << ch;
        }
    }
}

TEST_F(ReaderTest, Mp3DecodesAndSeeksBackToItsStart) {
    const std::string path = dir.File("tone.mp3");
    fixtures::WriteTone(path, 1.0, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 2, 44100);
    TcbAudioFileReader reader(path);
    // The encoder's delay and padding are taken off: the length is the one written.
    EXPECT_NEAR(static_cast<double>(reader.Duration()), 1e7, 1e4);
    std::vector<std::uint8_t> first(17640);
    std::vector<std::uint8_t> again(17640);
    ASSERT_EQ(reader.Read(first.data(), 17640), 17640u);
    std::vector<std::uint8_t> rest(705600);
    reader.Read(rest.data(), 705600);
    reader.Seek(0);
    EXPECT_EQ(reader.Position(), 0);
    ASSERT_EQ(reader.Read(again.data(), 17640), 17640u);
    EXPECT_EQ(first, again);
}

TEST_F(ReaderTest, UnreadableFileThatIsThereIsNotCalledMissing) {
    // libsndfile's MPEG probe calls such a file missing or a pipe.
    const std::string path = dir.File("noise.mp3");
    std::string noise;
    for (int i = 0; i < 5000; ++i) {
        noise += static_cast<char>(i * 7919 % 251);
    }
    fixtures::WriteText(path, noise);
    try {
        TcbAudioFileReader reader(path);
        FAIL() << "opened";
    } catch (const EAudioReadError& e) {
        EXPECT_STREQ(e.what(), "Format not recognised.");
    }
}

TEST_F(ReaderTest, FifoFailsAtOnceInsteadOfWaitingForAWriter) {
    const std::string path = dir.File("pipe.wav");
    fixtures::MakeFifo(path);
    auto opening = std::async(std::launch::async, [&] {
        try {
            TcbAudioFileReader reader(path);
            return std::string("opened");
        } catch (const EAudioReadError& e) {
            return std::string(e.what());
        }
    });
    // A reader that waits for a writer waits for ever; any bound tells them apart.
    if (opening.wait_for(fixtures::Lateness()) != std::future_status::ready) {
        // Releases the open so that the test can end.
        const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        ADD_FAILURE() << "the open waits for a writer";
        opening.wait();
        ::close(writer);
        return;
    }
    EXPECT_EQ(opening.get(), "System error : Not a regular file.");
}

TEST_F(ReaderTest, TruncatedDataEndsEarlyWithoutError) {
    const std::string path = dir.File("truncated.wav");
    fixtures::WriteTone(path, 1.0);
    fixtures::Truncate(path, 44 + 40000);
    TcbAudioFileReader reader(path);
    std::vector<std::uint8_t> buffer(705600);
    EXPECT_EQ(reader.Read(buffer.data(), 705600), 40000u);
    EXPECT_EQ(reader.Read(buffer.data(), 705600), 0u);
}

TEST(AMCheck, MessagesAndCodes) {
    EXPECT_NO_THROW(AMCheck(0));
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0x00040003, "Reached the end of the stream; the sample wasn't updated."},
        {0x08000001, "Invalid buffer size."},
        {0x80040154, "A specified class is not registered in the registration database."},
        {0x8004040A, "The IMultiMediaStream object is not in running state."},
        {0x80070057, "One of the parameters is invalid."},
        {0x12345678, "Unrecognized error value."},
        {0x8A5F0001, sf_error_number(1)},
    };
    for (const auto& [code, message] : cases) {
        try {
            AMCheck(static_cast<std::int32_t>(code));
            ADD_FAILURE() << "no error for " << code;
        } catch (const EAudioReadError& e) {
            EXPECT_STREQ(e.what(), message);
            EXPECT_EQ(static_cast<std::uint32_t>(e.ErrorCode), code);
        }
    }
}

} // namespace
