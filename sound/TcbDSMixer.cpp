#include "TcbDSMixer.hpp"

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
