#include "AudioOutput.hpp"

namespace quorvane {

bool IsValidSpeakerConfig(std::uint32_t config) {
    return (config & 0xFF) <= 9 && (config & 0xFF00FF00u) == 0;
}

} // namespace quorvane
