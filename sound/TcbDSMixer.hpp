#pragma once

#include "AudioOutput.hpp"
#include "EDirectXError.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvane {

class TcbDSMixerChannel;
class TcbSoundDevice;

enum class TacahBitsPerSample { bs8Bit = 0, bs16Bit = 1 };
enum class TacahLevel { lNormal = 0, lPriority = 1, lExclusive = 2 };

// Runs a handler later on the UI thread; callable from any thread. The application posts into
// its event loop; the sound layer itself knows no event loop.
using TcbPoster = std::function<void(std::function<void()>)>;

// Owns the sound output: the device, opened on first need in the format asked for, the list of
// devices the output offers, and the channels that play into the device.
//
// Threads: UI thread only. A channel's refill thread reaches the mixer only through the channel,
// for GetDevice and Post.
class TcbDSMixer {
public:
    // Plays through SDL.
    explicit TcbDSMixer(TcbPoster poster);
    TcbDSMixer(TcbPoster poster, std::unique_ptr<IAudioOutput> output);
    virtual ~TcbDSMixer();
    TcbDSMixer(const TcbDSMixer&) = delete;
    TcbDSMixer& operator=(const TcbDSMixer&) = delete;

    // Read when the device opens; later changes apply to the next device only.
    TacahBitsPerSample BitsPerSample = TacahBitsPerSample::bs16Bit;
    bool Stereo = true;
    TacahLevel Level = TacahLevel::lPriority;

    std::int32_t Frequency() const { return m_frequency; }
    void SetFrequency(std::int32_t hertz); // clamped to 100..100000
    std::uint32_t SpeakerConfig() const { return m_speakerConfig; }
    // Handed to an open device first; a value the device refuses raises and is not stored.
    void SetSpeakerConfig(std::uint32_t config);

    // The default device first, with an empty id.
    const std::vector<std::string>& DeviceDescriptions() const { return m_deviceDescriptions; }
    const std::vector<std::string>& DeviceIds() const { return m_deviceIds; }

    void OpenDevice();
    void CloseDevice();
    // Opens the device if needed. A device that has gone away is closed and opened afresh.
    TcbSoundDevice& GetDevice();
    bool DeviceOpen() const { return m_device != nullptr; }

    // Channels belong to the mixer; it frees those still there, last first, when it goes.
    TcbDSMixerChannel& CreateChannel();
    void FreeChannel(TcbDSMixerChannel& channel);
    int ChannelCount() const { return static_cast<int>(m_channels.size()); }
    TcbDSMixerChannel& Channels(int index) const {
        return *m_channels.at(static_cast<std::size_t>(index));
    }

    // Hands a handler to the poster, for the UI thread; callable from any thread.
    void Post(std::function<void()> handler) const;

protected:
    // After a device has been opened and after it has been closed.
    virtual void DeviceChanged() {}

private:
    TcbPoster m_poster;
    std::unique_ptr<IAudioOutput> m_output;
    std::unique_ptr<TcbSoundDevice> m_device;
    std::int32_t m_frequency = 44100;
    std::uint32_t m_speakerConfig = 4;
    std::vector<std::string> m_deviceDescriptions;
    std::vector<std::string> m_deviceIds;
    std::vector<std::unique_ptr<TcbDSMixerChannel>> m_channels;
};

} // namespace quorvane
