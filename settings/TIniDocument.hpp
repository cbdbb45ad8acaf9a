#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvane {

// Integer text as the settings file holds it: leading spaces, an optional sign, then decimal
// digits, or hexadecimal digits after "$" or "0x". Decimal must fit 32 bits signed; hexadecimal
// is a 32-bit pattern, so "$FFFFFFFF" is -1. Anything else, trailing blanks included, is no
// integer.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

// The settings file held in memory. Reading keeps what a later save must give back: every section
// in document order with its name as spelled, every setting line as key and value, and lines
// without "=" as they stand; comments, blank lines and lines before the first section are
// dropped. Sections and keys match without regard to ASCII letter case, and when a name occurs
// twice the last occurrence is the one read and the one replaced. All other bytes, UTF-8
// included, pass through unchanged.
//
// Lookups go through indexes keyed by the lower-cased name, so loading, reading and writing stay
// linear in the size of the file however many keys or sections it has.
class TIniDocument {
public:
    TIniDocument() = default;

    // Replaces the content. Lines end at CR, LF or CR LF; a leading UTF-8 byte-order mark is
    // skipped.
    void LoadFromBytes(std::string_view bytes);
    // A missing file gives an empty document; an existing file that cannot be read throws
    // EIniFileError (Open).
    void LoadFromFile(const std::string& path);

    static TIniDocument FromBytes(std::string_view bytes);
    static TIniDocument FromFile(const std::string& path);

    // Each section as "[name]", its lines, then one empty line; CR LF line ends.
    std::string SaveToBytes() const;
    // Replaces the file whole or not at all: the content goes to a temporary file in the same
    // folder, is flushed to disk and renamed over the old file. Throws EIniFileError (Create),
    // and the old file is then left as it was.
    void SaveToFile(const std::string& path) const;

    bool HasSection(std::string_view section) const;
    bool HasKey(std::string_view section, std::string_view key) const;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // A missing key and a value that is no integer (ParseIniInteger) give the default.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
    // Read as an integer: any value other than 0 is true.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Replaces the line of the key in place, spelled as given here; a new key goes to the end of
    // its section, a new section to the end of the document. The key must hold no "=" and no line
    // break; a value cannot hold a line break, so it is stored up to its first CR or LF.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // Every section name in document order, repeated names included.
    std::vector<std::string> SectionNames() const;
    // The keys of the section that is read, in line order, repeated keys included.
    std::vector<std::string> KeyNames(std::string_view section) const;

private:
    struct Line {
        std::string Key; // the whole text of a line without "="
        std::string Value;
        bool IsSetting;
    };
    struct Section {
        std::string Name;
        std::vector<Line> Lines;
        std::unordered_map<std::string, std::size_t> LastLineOfKey;
    };

    const Section* FindSection(std::string_view section) const;
    const Line* FindLine(std::string_view section, std::string_view key) const;
    Section& AppendSection(std::string_view name);
    static void AppendLine(Section& section, std::string_view key, std::string_view value,
                           bool isSetting);

    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_lastSectionOfName;
};

} // namespace quorvane
