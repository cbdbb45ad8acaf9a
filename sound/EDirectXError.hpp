#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quorvane {

// Result codes of the sound device and its streaming buffers.
constexpr std::int32_t kDSOk = 0;
constexpr std::int32_t kDSErrOutOfMemory = static_cast<std::int32_t>(0x8007000E);
constexpr std::int32_t kDSErrInvalidParam = static_cast<std::int32_t>(0x80070057);
constexpr std::int32_t kDSErrAllocated = static_cast<std::int32_t>(0x8878000A);
constexpr std::int32_t kDSErrInvalidCall = static_cast<std::int32_t>(0x88780032);
constexpr std::int32_t kDSErrBadFormat = static_cast<std::int32_t>(0x88780064);
constexpr std::int32_t kDSErrNoDriver = static_cast<std::int32_t>(0x88780078);
constexpr std::int32_t kDSErrBufferLost = static_cast<std::int32_t>(0x88780096);

class EDirectXError : public std::runtime_error {
public:
    EDirectXError(const std::string& message, std::int32_t code)
        : std::runtime_error(message)
        , ErrorCode(code) {}
    std::int32_t ErrorCode;
};

// The message for a device result code; "Unrecognized Error" for a code not in the table.
std::string DSErrorText(std::int32_t code);

// Returns for 0; raises EDirectXError with DSErrorText of anything else.
void DXCheck(std::int32_t code);

} // namespace quorvane
