#include "TPositionTimes.hpp"

#include "EAssertionFailed.hpp"

#include <cmath>

namespace quorvane {

void TPositionTimes::AddPositionTime(std::int32_t bufferStart, std::int32_t bufferEnd,
                                     std::int64_t timeStart, std::int64_t timeEnd) {
    m_slots[static_cast<std::size_t>(m_index)] = {bufferStart, bufferEnd, timeStart, timeEnd};
    CbAssert(timeStart <= timeEnd, "Internal Error: Time Start higher then Time End");
    CbAssert(bufferStart < bufferEnd, "Internal Error: Position Start not less than Position End");
    m_index = (m_index + 1) % kSlots;
}

std::int64_t TPositionTimes::GetPosTime(std::int32_t cursor) const {
    int i = (m_index + kSlots - 1) % kSlots;
    while (i != m_index) {
        const TSlot& s = m_slots[static_cast<std::size_t>(i)];
        if (s.BufferStart <= cursor && cursor < s.BufferEnd) {
            const double share = static_cast<double>(cursor - s.BufferStart) /
                                 static_cast<double>(s.BufferEnd - s.BufferStart);
            const auto offset = static_cast<std::int64_t>(
                std::trunc(share * static_cast<double>(s.TimeEnd - s.TimeStart)));
            return (s.TimeStart + offset) / 10000;
        }
        i = (i + kSlots - 1) % kSlots;
    }
    CbAssert(false, "Internal Error: GetPosTime");
    return 0;
}

} // namespace quorvane
