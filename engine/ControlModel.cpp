#include "ControlModel.hpp"

#include <algorithm>
#include <charconv>

namespace quorvane {

namespace {

// The length of the well-formed UTF-8 sequence at the start of `bytes`, or 0: no overlong forms,
// no surrogates, nothing beyond U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view bytes) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

bool IsUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t length = Utf8SequenceLength(bytes);
        if (length == 0)
            return false;
        bytes.remove_prefix(length);
    }
    return true;
}

// Windows-1252 from 0x80 to 0x9F; the five bytes it leaves undefined stand for the control
// characters of the same number, as Latin-1 has them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& text, char16_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string TextShownFor(std::string_view bytes) {
    if (IsUtf8(bytes))
        return std::string(bytes);
    std::string shown;
    shown.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(shown, byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : byte);
    }
    return shown;
}

int TSpinEdit::Value() const {
    if (m_text.empty())
        return 0;
    int value = 0;
    const char* begin = m_text.data();
    const char* end = begin + m_text.size();
    if (*begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end)
        return Minimum;
    return value;
}

void TSpinEdit::SetText(std::string text) {
    if (text == m_text)
        return;
    m_text = std::move(text);
    Changed.Notify();
    if (OnChange)
        OnChange();
}

void TSpinEdit::SetValue(int value) {
    SetText(std::to_string(std::clamp(value, Minimum, Maximum)));
}

bool TSelector::SetItemIndex(int index) {
    if (index < -1 || index >= static_cast<int>(Items.size()))
        return false;
    if (index != m_index) {
        m_index = index;
        Changed.Notify();
    }
    return true;
}

} // namespace quorvane
