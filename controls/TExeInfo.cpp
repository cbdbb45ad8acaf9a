#include "TExeInfo.hpp"

namespace {
const char* const kNotRead = "Updated at run-time";
}

TExeInfo::TExeInfo(const TVersionRecord* record)
    : ProductName(kNotRead)
    , FileVersion(kNotRead) {
    if (record == nullptr)
        return;
    const auto value = [record](const char* key) {
        const auto it = record->Strings.find(key);
        return it == record->Strings.end() ? std::string() : it->second;
    };
    ProductName = value("ProductName");
    FileVersion = value("FileVersion");
}
