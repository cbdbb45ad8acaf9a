#pragma once

#include <cstdint>

namespace quorvane {

constexpr std::uint16_t kWaveFormatPcm = 1;
constexpr std::uint16_t kWaveFormatIeeeFloat = 3;

// The decoded stream's format, field for field the wave format record a sound device is given.
struct TWaveFormat {
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0; // nSamplesPerSec × nBlockAlign
    std::uint16_t nBlockAlign = 0;     // bytes per frame, all channels
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;
};

} // namespace quorvane
