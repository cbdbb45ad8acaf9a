#pragma once

#include "TPositionTimes.hpp"
#include "TRecursiveTimedLock.hpp"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace quorvane {

class TcbAudioFileReader;
class TcbDSMixer;
class TcbStreamBuffer;
class TcbUpdateChannelThread;

// Plays one audio file at a time through a 4-second ring in the file's own PCM format. The
// refill thread overwrites, every 400 ms, what the device has played since the last cycle; at
// the end of the file the channel rewinds (Loop) or writes silence, and once the device has
// played past the last real data it stops and posts OnEnd to the UI thread. Channels are made
// and owned by their mixer (TcbDSMixer::CreateChannel).
//
// Threads: every public operation is for the UI thread; the refill thread runs Update. Both
// work under the channel's recursive lock; the public operations wait for it at most 250 ms and
// otherwise do nothing. Loop and Playing are atomics read without the lock. OnEnd runs on the
// UI thread only, through the mixer's poster, after the channel has stopped.
class TcbDSMixerChannel {
public:
    ~TcbDSMixerChannel();
    TcbDSMixerChannel(const TcbDSMixerChannel&) = delete;
    TcbDSMixerChannel& operator=(const TcbDSMixerChannel&) = delete;

    TcbDSMixer& Mixer() const { return m_mixer; }

    // Closes the current file and opens the new one (none for an empty path). Resets Loop,
    // Volume, Pan and the play window, so set them afterwards. A file the channel cannot play
    // raises and leaves the channel with no file.
    void OpenFile(const std::string& fileName);
    // Starts from the current reader position (the window start after OpenFile or Stop); does
    // nothing while playing.
    void Play();
    // Stops and rewinds to the window start; raises no OnEnd.
    void Stop();
    // The first fill of the whole ring, if not done yet.
    void Prime();

    bool Loop() const { return m_loop.load(); }
    void SetLoop(bool loop) { m_loop.store(loop); } // read at each end of the data
    std::int32_t Volume() const { return m_volume; }
    void SetVolume(std::int32_t volume); // hundredths of a dB: 0 full .. -10000 silent
    std::int32_t Pan() const { return m_pan; }
    void SetPan(std::int32_t pan); // -10000 left .. 10000 right
    std::uint32_t PlayStartMs() const { return m_playStartMs; }
    void SetPlayStartMs(std::uint32_t ms);
    std::uint32_t PlayEndMs() const { return m_playEndMs; } // 0: to the end of the file
    void SetPlayEndMs(std::uint32_t ms);
    // The media time now playing; 0 when the lock could not be had.
    std::int64_t PositionMs();

    const std::string& FileName() const { return m_fileName; }
    std::uint32_t DurationMs() const { return m_durationMs; }
    std::uint32_t SampleRate() const { return m_sampleRate; }
    std::uint16_t Channels() const { return m_channels; }
    std::uint16_t BitsPerSample() const { return m_bitsPerSample; }
    std::uint16_t BlockAlign() const { return m_blockAlign; }
    bool Playing() const { return m_playing.load(); }

    std::uint32_t BufferLength() const { return m_bufferLength; } // ms
    std::uint32_t BufferBytes() const { return m_bufferBytes; }
    std::uint32_t EndThreshold() const { return m_endThreshold; }

    std::function<void(TcbDSMixerChannel&)> OnEnd;

    // Stops and frees the device buffer; the mixer calls it before it closes the device. Waits
    // for the lock without a bound: the buffer must be gone before its device.
    void ReleaseBuffer();

private:
    friend class TcbDSMixer;
    friend class TcbUpdateChannelThread;

    explicit TcbDSMixerChannel(TcbDSMixer& mixer);

    void CloseFile();
    void CreateBuffer();
    void CheckFileOpen() const;
    void Refill();
    // False when the buffer was lost on the way (and so released).
    bool FillFromFile(std::uint32_t offset, std::uint32_t size);
    // The next decoded bytes into Staging at offset; 0 at the end of the data or at a decoding
    // error.
    std::uint32_t ReadDecoded(std::uint32_t offset, std::uint32_t size);
    // Back to the window start for a loop; false when the decoder cannot seek.
    bool Rewind();
    std::int64_t BytesToEnd() const;
    void BufferLost();
    void Update();
    // One refill cycle on the refill thread; an error stops the channel quietly rather than
    // leaving the ring to repeat its last 4 seconds.
    void RunUpdate() noexcept;
    // On the refill thread as Play wakes it: the rate conversion of the first fill's rest, which
    // the device reaches before the first cycle.
    void RunConvert() noexcept;
    void PostEnd();
    std::uint32_t PlayCursor() const;
    void ResetStreamingState();

    TcbDSMixer& m_mixer;

    std::string m_fileName;
    std::atomic<bool> m_loop{false};
    std::int32_t m_volume = 0;
    std::int32_t m_pan = 0;
    std::uint32_t m_playStartMs = 0;
    std::uint32_t m_playEndMs = 0;

    std::unique_ptr<TcbAudioFileReader> m_reader;
    std::uint32_t m_durationMs = 0;
    std::uint32_t m_sampleRate = 0;
    std::uint16_t m_channels = 0;
    std::uint16_t m_bitsPerSample = 0;
    std::uint16_t m_blockAlign = 0;

    std::unique_ptr<TcbStreamBuffer> m_buffer;
    std::uint32_t m_bufferLength = 4000;
    std::uint32_t m_bufferBytes = 0;
    std::uint32_t m_endThreshold = 0;
    std::unique_ptr<std::uint8_t[]> m_staging;
    std::uint32_t m_writePos = 0;
    std::int64_t m_endOffset = -1;
    bool m_endArmed = false;
    bool m_primed = false;
    std::atomic<bool> m_playing{false};
    std::uint32_t m_lastRefillTick = 0;
    TPositionTimes m_positionTimes;

    TRecursiveTimedLock m_channelLock;
    // Posted end notifications hold it weakly: one that arrives after the channel is gone is
    // dropped.
    std::shared_ptr<TcbDSMixerChannel*> m_receiver;
    std::unique_ptr<TcbUpdateChannelThread> m_thread;
};

} // namespace quorvane
