#include "TSdlAudioOutput.hpp"

#include "EDirectXError.hpp"

#include <SDL2/SDL.h>

namespace quorvane {

namespace {

// About 23 ms at 44100 Hz: short enough for a prompt start, long enough to cost little.
constexpr Uint16 kCallbackFrames = 1024;

} // namespace

std::unique_ptr<IAudioOutput> MakeSdlAudioOutput() {
    return std::make_unique<TSdlAudioOutput>();
}

TSdlAudioOutput::TSdlAudioOutput() {
    m_initialised = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

TSdlAudioOutput::~TSdlAudioOutput() {
    Close();
    if (m_initialised) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

std::vector<TAudioDeviceInfo> TSdlAudioOutput::Devices() {
    std::vector<TAudioDeviceInfo> devices;
    if (!m_initialised) {
        return devices;
    }
    devices.push_back({"Default output device", ""});
    const int count = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i) {
        if (const char* name = SDL_GetAudioDeviceName(i, 0)) {
            devices.push_back({name, name});
        }
    }
    return devices;
}

std::int32_t TSdlAudioOutput::Open(const std::string& id, const TAudioSpec* wanted,
                                   TAudioSpec& obtained, IAudioRenderer& renderer) {
    if (!m_initialised) {
        return kDSErrNoDriver;
    }
    if (m_device != 0) {
        return kDSErrInvalidCall;
    }
    SDL_AudioSpec want{};
    if (wanted != nullptr) {
        want.freq = static_cast<int>(wanted->Frequency);
        want.channels = static_cast<Uint8>(wanted->Channels);
        want.format = wanted->BitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16SYS;
    } else {
        // The device's own rate and channels where the driver can tell them.
        SDL_AudioSpec own{};
        char* name = nullptr;
        if (id.empty() && SDL_GetDefaultAudioInfo(&name, &own, 0) == 0) {
            SDL_free(name);
            want.freq = own.freq;
            want.channels = own.channels;
        } else {
            want.freq = 44100;
            want.channels = 2;
        }
        want.format = AUDIO_S16SYS;
    }
    want.samples = kCallbackFrames;
    want.callback = &TSdlAudioOutput::Callback;
    want.userdata = this;
    m_renderer = &renderer;

    // SDL converts the sample format itself; rate and channels are taken as the device has them
    // and converted while mixing, so what SDL reports is what the device really took.
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID device =
        SDL_OpenAudioDevice(id.empty() ? nullptr : id.c_str(), 0, &want, &have,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (device == 0) {
        m_renderer = nullptr;
        return kDSErrNoDriver;
    }
    m_device = device;
    obtained.Frequency = static_cast<std::uint32_t>(have.freq);
    obtained.Channels = have.channels;
    obtained.BitsPerSample = SDL_AUDIO_BITSIZE(have.format);
    return kDSOk;
}

void TSdlAudioOutput::Start() {
    if (m_device != 0) {
        SDL_PauseAudioDevice(m_device, 0);
    }
}

void TSdlAudioOutput::Close() {
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
        m_renderer = nullptr;
    }
}

std::int32_t TSdlAudioOutput::SetSpeakerConfig(std::uint32_t config) {
    return IsValidSpeakerConfig(config) ? kDSOk : kDSErrInvalidParam;
}

void TSdlAudioOutput::LockRenderer() {
    if (m_device != 0) {
        SDL_LockAudioDevice(m_device);
    }
}

void TSdlAudioOutput::UnlockRenderer() {
    if (m_device != 0) {
        SDL_UnlockAudioDevice(m_device);
    }
}

bool TSdlAudioOutput::Removed() {
    // SDL marks a disconnected device stopped; an open one is paused or playing.
    return m_device != 0 && SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED;
}

void TSdlAudioOutput::Callback(void* userdata, Uint8* stream, int len) {
    static_cast<TSdlAudioOutput*>(userdata)->m_renderer->Render(stream,
                                                                static_cast<std::uint32_t>(len));
}

} // namespace quorvane
