#include "EIniFileError.hpp"

#include <system_error>

namespace quorvane {

namespace {

std::string SystemText(int errorCode) {
    return std::generic_category().message(errorCode);
}

std::string MessageFor(EIniFileError::Operation operation, const std::string& path,
                       const std::string& reason) {
    const char* verb = operation == EIniFileError::Operation::Open ? "open" : "create";
    return std::string("Cannot ") + verb + " file \"" + path + "\". " + reason;
}

} // namespace

EIniFileError::EIniFileError(Operation operation, const std::string& path, int errorCode)
    : EIniFileError(operation, path, SystemText(errorCode)) {
    m_errorCode = errorCode;
}

EIniFileError::EIniFileError(Operation operation, const std::string& path,
                             const std::string& reason)
    : std::runtime_error(MessageFor(operation, path, reason))
    , m_operation(operation)
    , m_path(path)
    , m_errorCode(0)
    , m_systemErrorText(reason) {}

} // namespace quorvane
