#include "TcbDSMixer.hpp"

#include "TcbDSMixerChannel.hpp"
#include "TcbSoundDevice.hpp"

#include <algorithm>

namespace quorvane {

TcbDSMixer::TcbDSMixer(TcbPoster poster)
    : TcbDSMixer(std::move(poster), MakeSdlAudioOutput()) {}

TcbDSMixer::TcbDSMixer(TcbPoster poster, std::unique_ptr<IAudioOutput> output)
    : m_poster(std::move(poster))
    , m_output(std::move(output)) {
    for (const TAudioDeviceInfo& device : m_output->Devices()) {
        m_deviceDescriptions.push_back(device.Description);
        m_deviceIds.push_back(device.Id);
    }
}

TcbDSMixer::~TcbDSMixer() {
    CloseDevice();
    while (!m_channels.empty()) {
        m_channels.pop_back();
    }
}

TcbDSMixerChannel& TcbDSMixer::CreateChannel() {
    m_channels.push_back(std::unique_ptr<TcbDSMixerChannel>(new TcbDSMixerChannel(*this)));
    return *m_channels.back();
}

void TcbDSMixer::FreeChannel(TcbDSMixerChannel& channel) {
    const auto found = std::find_if(m_channels.begin(), m_channels.end(),
                                    [&](const auto& c) { return c.get() == &channel; });
    if (found != m_channels.end()) {
        // Out of the list before it goes, as a channel being freed is no longer registered.
        std::unique_ptr<TcbDSMixerChannel> freed = std::move(*found);
        m_channels.erase(found);
    }
}

void TcbDSMixer::SetFrequency(std::int32_t hertz) {
    m_frequency = std::clamp(hertz, 100, 100000);
}

void TcbDSMixer::SetSpeakerConfig(std::uint32_t config) {
    if (m_device) {
        DXCheck(m_output->SetSpeakerConfig(config));
    }
    m_speakerConfig = config;
}

void TcbDSMixer::OpenDevice() {
    if (m_device) {
        return;
    }
    if (m_deviceIds.empty()) {
        DXCheck(kDSErrNoDriver);
    }
    const TAudioSpec wanted{static_cast<std::uint32_t>(m_frequency),
                            static_cast<std::uint16_t>(Stereo ? 2 : 1),
                            static_cast<std::uint16_t>(8 << static_cast<int>(BitsPerSample))};
    auto device = std::make_unique<TcbSoundDevice>(*m_output);
    TAudioSpec obtained;
    DXCheck(m_output->Open(m_deviceIds.front(), Level == TacahLevel::lNormal ? nullptr : &wanted,
                           obtained, *device));
    device->SetFormat(obtained);
    m_device = std::move(device);
    DeviceChanged();
    if (Level != TacahLevel::lNormal) {
        Stereo = obtained.Channels == 2;
        BitsPerSample = static_cast<TacahBitsPerSample>(obtained.BitsPerSample / 16);
        m_frequency = static_cast<std::int32_t>(obtained.Frequency);
    }
    DXCheck(m_output->SetSpeakerConfig(m_speakerConfig));
    m_output->Start();
}

void TcbDSMixer::CloseDevice() {
    if (!m_device) {
        return;
    }
    for (const auto& channel : m_channels) {
        channel->ReleaseBuffer();
    }
    m_output->Close();
    m_device.reset();
    DeviceChanged();
}

TcbSoundDevice& TcbDSMixer::GetDevice() {
    if (m_device && m_output->Removed()) {
        CloseDevice();
    }
    OpenDevice();
    return *m_device;
}

void TcbDSMixer::Post(std::function<void()> handler) const {
    if (m_poster) {
        m_poster(std::move(handler));
    }
}

} // namespace quorvane
