#include "TNullAudioOutput.hpp"

#include "EDirectXError.hpp"

#include <cstring>

namespace quorvane {

TNullAudioOutput::TNullAudioOutput(TAudioSpec own, bool takesWantedFormat)
    : m_own(own)
    , m_takesWanted(takesWantedFormat)
    , m_spec(own) {}

std::vector<TAudioDeviceInfo> TNullAudioOutput::Devices() {
    return {{"Default output device", ""}, {"Null output", "null"}};
}

std::int32_t TNullAudioOutput::Open(const std::string&, const TAudioSpec* wanted,
                                    TAudioSpec& obtained, IAudioRenderer& renderer) {
    if (m_open) {
        return kDSErrInvalidCall;
    }
    std::lock_guard lock(m_renderLock);
    m_spec = wanted != nullptr && m_takesWanted ? *wanted : m_own;
    obtained = m_spec;
    m_renderer = &renderer;
    m_started = false;
    m_removed = false;
    m_open = true;
    ++m_openCount;
    return kDSOk;
}

void TNullAudioOutput::Start() {
    std::lock_guard lock(m_renderLock);
    m_started = m_open;
}

void TNullAudioOutput::Close() {
    std::lock_guard lock(m_renderLock);
    m_open = false;
    m_started = false;
    m_renderer = nullptr;
}

std::int32_t TNullAudioOutput::SetSpeakerConfig(std::uint32_t config) {
    return IsValidSpeakerConfig(config) ? kDSOk : kDSErrInvalidParam;
}

void TNullAudioOutput::LockRenderer() {
    m_renderLock.lock();
}

void TNullAudioOutput::UnlockRenderer() {
    m_renderLock.unlock();
}

bool TNullAudioOutput::Removed() {
    return m_open && m_removed;
}

void TNullAudioOutput::Pump(std::uint8_t* out, std::uint32_t bytes) {
    std::lock_guard lock(m_renderLock);
    if (m_started && !m_removed) {
        m_renderer->Render(out, bytes);
    } else {
        std::memset(out, m_spec.BitsPerSample == 8 ? 0x80 : 0, bytes);
    }
}

} // namespace quorvane
