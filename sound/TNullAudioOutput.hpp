#pragma once

#include "AudioOutput.hpp"

#include <atomic>
#include <mutex>

namespace quorvane {

// An output with no device behind it: nothing plays by itself, and whoever holds it pulls the
// sound with Pump, on any thread. Tests and benchmarks use it to step the mixer exactly.
class TNullAudioOutput : public IAudioOutput {
public:
    // The format the "device" takes, whatever is asked for.
    explicit TNullAudioOutput(TAudioSpec own = {}, bool takesWantedFormat = true);

    std::vector<TAudioDeviceInfo> Devices() override;
    std::int32_t Open(const std::string& id, const TAudioSpec* wanted, TAudioSpec& obtained,
                      IAudioRenderer& renderer) override;
    void Start() override;
    void Close() override;
    std::int32_t SetSpeakerConfig(std::uint32_t config) override;
    void LockRenderer() override;
    void UnlockRenderer() override;
    bool Removed() override;

    // Renders `bytes` bytes of output in the device format; silence unless open and started.
    void Pump(std::uint8_t* out, std::uint32_t bytes);
    // As if the device were unplugged; lasts until it is closed.
    void Remove() { m_removed = true; }
    bool IsOpen() const { return m_open.load(); }
    TAudioSpec Spec() const { return m_spec; }
    int OpenCount() const { return m_openCount; }

private:
    std::mutex m_renderLock;
    TAudioSpec m_own;
    bool m_takesWanted;
    TAudioSpec m_spec;
    IAudioRenderer* m_renderer = nullptr;
    std::atomic<bool> m_open{false};
    bool m_started = false;
    std::atomic<bool> m_removed{false};
    int m_openCount = 0;
};

} // namespace quorvane
