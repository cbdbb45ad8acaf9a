#pragma once

#include <map>
#include <string>

// The version record compiled into the executable: a string table of named values such as
// "ProductName" and "FileVersion".
struct TVersionRecord {
    std::map<std::string, std::string> Strings;
};

// Reads the executable's version record once, at construction. Without a record every value
// keeps "Updated at run-time"; a value missing from the record reads as empty.
class TExeInfo {
public:
    explicit TExeInfo(const TVersionRecord* record);

    std::string ProductName;
    std::string FileVersion;
};
