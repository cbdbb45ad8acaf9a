#pragma once

#include "TcbDSMixer.hpp"
#include "TimerEngine.hpp"

#include <functional>
#include <memory>
#include <string>

namespace quorvane {

class TcbDSMixerChannel;

// The timer's two sound cues: the timing sound on TimingChannel, always looped, and the end
// sound on EndChannel, once or looped. The engine's four sound commands end up here. The
// channels exist from the start; no device opens until a cue first plays.
//
// Threads: UI thread only. The channels' refill threads reach it only through OnEnd, which the
// mixer's poster runs on the UI thread.
class TSoundCues : public ISoundCues {
public:
    // Plays through SDL.
    explicit TSoundCues(TcbPoster poster);
    TSoundCues(TcbPoster poster, std::unique_ptr<IAudioOutput> output);
    ~TSoundCues() override;
    TSoundCues(const TSoundCues&) = delete;
    TSoundCues& operator=(const TSoundCues&) = delete;

    TcbDSMixer Mixer;
    TcbDSMixerChannel& TimingChannel;
    TcbDSMixerChannel& EndChannel;

    // Where a cue that has played to its end reports, on the UI thread. Given once the engine
    // exists, which is after the cues; until then an end goes unreported.
    void SetEndHandlers(std::function<void()> timingSoundEnded,
                        std::function<void()> endSoundEnded);

    bool FileExists(const std::string& path) const override;
    // Both raise when the file cannot be opened or played, or there is no sound device; the cue
    // is then idle, with no file left open on its channel.
    void PlayTiming(const std::string& path) override;
    void PlayEnd(const std::string& path, bool loop) override;
    void StopTiming() override;
    void StopEnd() override;

private:
    void Play(TcbDSMixerChannel& channel, const std::string& path, bool loop,
              const std::function<void()>& ended);

    std::function<void()> m_timingSoundEnded;
    std::function<void()> m_endSoundEnded;
};

} // namespace quorvane
