#pragma once

#include "AudioOutput.hpp"

#include <SDL2/SDL_audio.h>

namespace quorvane {

// The sound device through SDL's audio subsystem, which it keeps initialised for its lifetime.
// SDL's driver is chosen by SDL (SDL_AUDIODRIVER selects dummy or disk for tests).
class TSdlAudioOutput : public IAudioOutput {
public:
    TSdlAudioOutput();
    ~TSdlAudioOutput() override;
    TSdlAudioOutput(const TSdlAudioOutput&) = delete;
    TSdlAudioOutput& operator=(const TSdlAudioOutput&) = delete;

    std::vector<TAudioDeviceInfo> Devices() override;
    std::int32_t Open(const std::string& id, const TAudioSpec* wanted, TAudioSpec& obtained,
                      IAudioRenderer& renderer) override;
    void Start() override;
    void Close() override;
    std::int32_t SetSpeakerConfig(std::uint32_t config) override;
    void LockRenderer() override;
    void UnlockRenderer() override;
    bool Removed() override;

private:
    static void Callback(void* userdata, Uint8* stream, int len);

    bool m_initialised = false;
    SDL_AudioDeviceID m_device = 0;
    IAudioRenderer* m_renderer = nullptr;
};

} // namespace quorvane
