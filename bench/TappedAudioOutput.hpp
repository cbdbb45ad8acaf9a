#pragma once
// A layer for the sound benchmarks around the real output: everything goes on to it, but the
// device pulls its sound through this layer, so a subclass sees each callback and what the mixer
// wrote into it.

#include "AudioOutput.hpp"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::bench {

class TTappedAudioOutput : public IAudioOutput, protected IAudioRenderer {
public:
    explicit TTappedAudioOutput(std::unique_ptr<IAudioOutput> inner)
        : m_inner(std::move(inner)) {}

    std::vector<TAudioDeviceInfo> Devices() override { return m_inner->Devices(); }
    std::int32_t Open(const std::string& id, const TAudioSpec* wanted, TAudioSpec& obtained,
                      IAudioRenderer& renderer) override {
        m_mixer = &renderer;
        const std::int32_t result = m_inner->Open(id, wanted, obtained, *this);
        Opened(obtained);
        return result;
    }
    void Start() override { m_inner->Start(); }
    void Close() override { m_inner->Close(); }
    std::int32_t SetSpeakerConfig(std::uint32_t config) override {
        return m_inner->SetSpeakerConfig(config);
    }
    void LockRenderer() override { m_inner->LockRenderer(); }
    void UnlockRenderer() override { m_inner->UnlockRenderer(); }
    bool Removed() override { return m_inner->Removed(); }

protected:
    // The format the device took, known before its first callback.
    virtual void Opened(const TAudioSpec& /*obtained*/) {}
    // Fills the device's buffer from the mixer; a subclass's Render calls it.
    void RenderMixer(std::uint8_t* out, std::uint32_t bytes) noexcept {
        m_mixer->Render(out, bytes);
    }

private:
    std::unique_ptr<IAudioOutput> m_inner;
    IAudioRenderer* m_mixer = nullptr;
};

} // namespace quorvane::bench
