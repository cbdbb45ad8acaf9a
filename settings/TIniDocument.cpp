#include "TIniDocument.hpp"

#include "FileContent.hpp"

namespace quorvane {

namespace {

// Blanks and every control character, the bytes 0..32, are cut from both ends; bytes above 127
// (UTF-8) are text.
bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view Trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsTrimmed(text[begin])) {
        ++begin;
    }
    while (end > begin && IsTrimmed(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

// Only ASCII letters fold, so a UTF-8 name matches exactly its own bytes.
std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

int DigitValue(char c, bool hexadecimal) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (hexadecimal && c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (hexadecimal && c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string_view FirstLineOf(std::string_view text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

} // namespace

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hexadecimal = false;
    if (i < text.size() && text[i] == '$') {
        hexadecimal = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hexadecimal = true;
        i += 2;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    const std::uint64_t limit = hexadecimal ? 0xFFFFFFFFu : (negative ? 2147483648u : 2147483647u);
    const std::uint64_t base = hexadecimal ? 16 : 10;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], hexadecimal);
        if (digit < 0) {
            return std::nullopt;
        }
        magnitude = magnitude * base + static_cast<std::uint64_t>(digit);
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    // Unsigned arithmetic wraps where signed would overflow: "-$80000000" is the lowest value.
    std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
    if (negative) {
        bits = 0u - bits;
    }
    return static_cast<std::int32_t>(bits);
}

void TIniDocument::LoadFromBytes(std::string_view bytes) {
    m_sections.clear();
    m_lastSectionOfName.clear();
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    Section* current = nullptr;
    std::size_t position = 0;
    while (position < bytes.size()) {
        // CR LF yields an empty line between CR and LF, which is skipped like any empty line.
        std::size_t end = bytes.find_first_of("\r\n", position);
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        const std::string_view line = Trim(bytes.substr(position, end - position));
        position = end + 1;

        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            current = &AppendSection(Trim(line.substr(1, line.size() - 2)));
            continue;
        }
        if (current == nullptr) {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            AppendLine(*current, line, {}, false);
        } else {
            AppendLine(*current, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), true);
        }
    }
}

void TIniDocument::LoadFromFile(const std::string& path) {
    const std::optional<std::string> content = ReadFileContent(path);
    LoadFromBytes(content ? std::string_view(*content) : std::string_view());
}

TIniDocument TIniDocument::FromBytes(std::string_view bytes) {
    TIniDocument document;
    document.LoadFromBytes(bytes);
    return document;
}

TIniDocument TIniDocument::FromFile(const std::string& path) {
    TIniDocument document;
    document.LoadFromFile(path);
    return document;
}

std::string TIniDocument::SaveToBytes() const {
    std::size_t size = 0;
    for (const Section& section : m_sections) {
        size += section.Name.size() + 6;
        for (const Line& line : section.Lines) {
            size += line.Key.size() + line.Value.size() + 3;
        }
    }
    std::string bytes;
    bytes.reserve(size);
    for (const Section& section : m_sections) {
        bytes += '[';
        bytes += section.Name;
        bytes += "]\r\n";
        for (const Line& line : section.Lines) {
            bytes += line.Key;
            if (line.IsSetting) {
                bytes += '=';
                bytes += line.Value;
            }
            bytes += "\r\n";
        }
        bytes += "\r\n";
    }
    return bytes;
}

void TIniDocument::SaveToFile(const std::string& path) const {
    ReplaceFileContent(path, SaveToBytes());
}

bool TIniDocument::HasSection(std::string_view section) const {
    return FindSection(section) != nullptr;
}

bool TIniDocument::HasKey(std::string_view section, std::string_view key) const {
    return FindLine(section, key) != nullptr;
}

std::string TIniDocument::ReadString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
    const Line* line = FindLine(section, key);
    return std::string(line ? std::string_view(line->Value) : defaultValue);
}

std::int32_t TIniDocument::ReadInteger(std::string_view section, std::string_view key,
                                       std::int32_t defaultValue) const {
    const Line* line = FindLine(section, key);
    if (line == nullptr) {
        return defaultValue;
    }
    return ParseIniInteger(line->Value).value_or(defaultValue);
}

bool TIniDocument::ReadBool(std::string_view section, std::string_view key,
                            bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniDocument::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
    value = FirstLineOf(value);
    auto found = m_lastSectionOfName.find(LowerAscii(section));
    Section& target =
        found == m_lastSectionOfName.end() ? AppendSection(section) : m_sections[found->second];
    const auto line = target.LastLineOfKey.find(LowerAscii(key));
    if (line == target.LastLineOfKey.end()) {
        AppendLine(target, key, value, true);
    } else {
        Line& replaced = target.Lines[line->second];
        replaced.Key.assign(key);
        replaced.Value.assign(value);
    }
}

void TIniDocument::WriteInteger(std::string_view section, std::string_view key,
                                std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::vector<std::string> TIniDocument::SectionNames() const {
    std::vector<std::string> names;
    names.reserve(m_sections.size());
    for (const Section& section : m_sections) {
        names.push_back(section.Name);
    }
    return names;
}

std::vector<std::string> TIniDocument::KeyNames(std::string_view section) const {
    std::vector<std::string> keys;
    if (const Section* found = FindSection(section)) {
        for (const Line& line : found->Lines) {
            if (line.IsSetting) {
                keys.push_back(line.Key);
            }
        }
    }
    return keys;
}

const TIniDocument::Section* TIniDocument::FindSection(std::string_view section) const {
    const auto found = m_lastSectionOfName.find(LowerAscii(section));
    return found == m_lastSectionOfName.end() ? nullptr : &m_sections[found->second];
}

const TIniDocument::Line* TIniDocument::FindLine(std::string_view section,
                                                 std::string_view key) const {
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return nullptr;
    }
    const auto line = found->LastLineOfKey.find(LowerAscii(key));
    return line == found->LastLineOfKey.end() ? nullptr : &found->Lines[line->second];
}

TIniDocument::Section& TIniDocument::AppendSection(std::string_view name) {
    m_sections.push_back(Section{std::string(name), {}, {}});
    m_lastSectionOfName.insert_or_assign(LowerAscii(name), m_sections.size() - 1);
    return m_sections.back();
}

void TIniDocument::AppendLine(Section& section, std::string_view key, std::string_view value,
                              bool isSetting) {
    section.Lines.push_back(Line{std::string(key), std::string(value), isSetting});
    if (isSetting) {
        section.LastLineOfKey.insert_or_assign(LowerAscii(key), section.Lines.size() - 1);
    }
}

} // namespace quorvane
