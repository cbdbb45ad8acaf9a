#include "TSoundCues.hpp"

#include "TcbDSMixerChannel.hpp"

#include <filesystem>
#include <system_error>

namespace quorvane {

namespace {

// Leaves a channel whose start failed silent and without a file. Stopping rewinds the file,
// which can fail on a damaged one; the buffer is released all the same, so a second try then
// closes the file.
void CloseQuietly(TcbDSMixerChannel& channel) noexcept {
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            channel.OpenFile(std::string());
            return;
        } catch (...) {
            // The error that made the start fail is the one reported.
        }
    }
}

} // namespace

TSoundCues::TSoundCues(TcbPoster poster)
    : TSoundCues(std::move(poster), MakeSdlAudioOutput()) {}

TSoundCues::TSoundCues(TcbPoster poster, std::unique_ptr<IAudioOutput> output)
    : Mixer(std::move(poster), std::move(output))
    , TimingChannel(Mixer.CreateChannel())
    , EndChannel(Mixer.CreateChannel()) {}

TSoundCues::~TSoundCues() {
    // Each channel stops its sound and its refill thread as it goes, the last made first; the
    // mixer then releases the device.
    Mixer.FreeChannel(EndChannel);
    Mixer.FreeChannel(TimingChannel);
}

void TSoundCues::SetEndHandlers(std::function<void()> timingSoundEnded,
                                std::function<void()> endSoundEnded) {
    m_timingSoundEnded = std::move(timingSoundEnded);
    m_endSoundEnded = std::move(endSoundEnded);
}

bool TSoundCues::FileExists(const std::string& path) const {
    if (path.empty()) {
        return false;
    }
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    // A FIFO, a device or a socket is no sound file: opening one could wait for ever.
    return !error && std::filesystem::is_regular_file(status);
}

void TSoundCues::Play(TcbDSMixerChannel& channel, const std::string& path, bool loop,
                      const std::function<void()>& ended) {
    // Reads the handler when the end arrives, so that handlers given later still count.
    channel.OnEnd = [&ended](TcbDSMixerChannel&) {
        if (ended) {
            ended();
        }
    };
    try {
        channel.OpenFile(path);
        channel.SetVolume(0);
        // After OpenFile, which resets it.
        channel.SetLoop(loop);
        channel.Play();
    } catch (...) {
        CloseQuietly(channel);
        throw;
    }
}

void TSoundCues::PlayTiming(const std::string& path) {
    Play(TimingChannel, path, true, m_timingSoundEnded);
}

void TSoundCues::PlayEnd(const std::string& path, bool loop) {
    Play(EndChannel, path, loop, m_endSoundEnded);
}

void TSoundCues::StopTiming() {
    TimingChannel.Stop();
}

void TSoundCues::StopEnd() {
    EndChannel.Stop();
}

} // namespace quorvane
