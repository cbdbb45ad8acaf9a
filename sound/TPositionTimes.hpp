#pragma once

#include <array>
#include <cstdint>

namespace quorvane {

// Maps ring offsets back to media time: one slot per piece of data or silence written into the
// ring, the newest 50 kept. Used under its channel's lock only.
class TPositionTimes {
public:
    static constexpr int kSlots = 50;

    // Buffer span [bufferStart, bufferEnd) holds media time [timeStart, timeEnd), 100-ns units.
    void AddPositionTime(std::int32_t bufferStart, std::int32_t bufferEnd, std::int64_t timeStart,
                         std::int64_t timeEnd);
    // The media time in milliseconds playing at a ring offset, from the newest slot holding it.
    std::int64_t GetPosTime(std::int32_t cursor) const;

private:
    struct TSlot {
        std::int32_t BufferStart = 0;
        std::int32_t BufferEnd = 0;
        std::int64_t TimeStart = 0;
        std::int64_t TimeEnd = 0;
    };
    std::array<TSlot, kSlots> m_slots{};
    int m_index = 0;
};

} // namespace quorvane
