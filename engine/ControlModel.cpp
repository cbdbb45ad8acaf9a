#include "ControlModel.hpp"

#include <algorithm>
#include <charconv>

namespace quorvane {

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
