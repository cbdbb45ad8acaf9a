#pragma once

#include <stdexcept>
#include <string>

namespace quorvane {

// A settings file that could not be read or written. The message names the path and carries the
// system's error text, ready for a message box; the parts stay available for a caller that words
// its own.
class EIniFileError : public std::runtime_error {
public:
    enum class Operation { Open, Create };

    EIniFileError(Operation operation, const std::string& path, int errorCode);
    // A file the program refuses on its own account (a device, a file too large to be settings):
    // `reason` takes the place of the system's text, and ErrorCode is 0.
    EIniFileError(Operation operation, const std::string& path, const std::string& reason);

    Operation FailedOperation() const { return m_operation; }
    const std::string& Path() const { return m_path; }
    int ErrorCode() const { return m_errorCode; }
    const std::string& SystemErrorText() const { return m_systemErrorText; }

private:
    Operation m_operation;
    std::string m_path;
    int m_errorCode;
    std::string m_systemErrorText;
};

} // namespace quorvane
