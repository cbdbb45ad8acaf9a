#include "EIniFileError.hpp"

#include <system_error>

namespace quorvane {

namespace {

std::string SystemText(int errorCode) {
    return std::generic_category().message(errorCode);
}

std::string MessageFor(EIniFileError::Operation operation, const std::string& path, int errorCode) {
    const char* verb = operation == EIniFileError::Operation::Open ? "open" : "create";
    return std::string("Cannot ") + verb + " file \"" + path + "\". " + SystemText(errorCode);
}

} // namespace

EIniFileError::EIniFileError(Operation operation, const std::string& path, int errorCode)
    : std::runtime_error(MessageFor(operation, path, errorCode))
    , m_operation(operation)
    , m_path(path)
    , m_errorCode(errorCode)
    , m_systemErrorText(SystemText(errorCode)) {}

} // namespace quorvane
