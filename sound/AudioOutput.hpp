#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quorvane {

// The format of the output device: 8-bit samples are unsigned, 16-bit ones signed in the
// machine's byte order; any number of channels.
struct TAudioSpec {
    std::uint32_t Frequency = 44100;
    std::uint16_t Channels = 2;
    std::uint16_t BitsPerSample = 16;
};

struct TAudioDeviceInfo {
    std::string Description;
    std::string Id; // empty for the default device
};

// What the output pulls sound from. Render runs on the output's own thread, with the output's
// renderer lock held; it must not allocate, block or take any other lock.
class IAudioRenderer {
public:
    virtual ~IAudioRenderer() = default;
    virtual void Render(std::uint8_t* out, std::uint32_t bytes) noexcept = 0;
};

// One sound output back end: SDL for the real device, a null one that the caller pumps.
// Everything but Render is called from the UI thread, except LockRenderer/UnlockRenderer and
// Removed, which the channels' refill threads call as well.
class IAudioOutput {
public:
    virtual ~IAudioOutput() = default;

    // The output devices, the default one first; empty when no sound system is usable.
    virtual std::vector<TAudioDeviceInfo> Devices() = 0;
    // Opens the device (paused) and reports the format it took. With no wanted format the device
    // keeps its own. Returns a device result code.
    virtual std::int32_t Open(const std::string& id, const TAudioSpec* wanted, TAudioSpec& obtained,
                              IAudioRenderer& renderer) = 0;
    // Starts pulling from the renderer; plays until Close.
    virtual void Start() = 0;
    virtual void Close() = 0;
    virtual std::int32_t SetSpeakerConfig(std::uint32_t config) = 0;
    // Keeps Render from running; held only for a few instructions at a time.
    virtual void LockRenderer() = 0;
    virtual void UnlockRenderer() = 0;
    // The open device has gone away (unplugged, its server ended).
    virtual bool Removed() = 0;
};

std::unique_ptr<IAudioOutput> MakeSdlAudioOutput();

// Speaker configurations accepted: the low byte names the layout (0 direct out .. 9 5.1
// surround), the third byte the stereo geometry. SDL has no such setting, so the value is only
// checked and kept.
bool IsValidSpeakerConfig(std::uint32_t config);

} // namespace quorvane
