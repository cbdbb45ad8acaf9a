#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// How text bytes are shown, as UTF-8: the bytes themselves where they are valid UTF-8, otherwise
// each byte read as Windows-1252, the 8-bit code page older settings files were written in.
std::string TextShownFor(std::string_view bytes);

using Colour = std::uint32_t; // 0x00BBGGRR, red in the low byte

// Tells the widgets bound to a model object that it changed, whoever changed it.
class TNotifier {
public:
    void Watch(std::function<void()> watcher) { m_watchers.push_back(std::move(watcher)); }
    void Notify() const {
        for (const auto& w : m_watchers)
            w();
    }

private:
    std::vector<std::function<void()>> m_watchers;
};

// A named command shared by buttons, menu items and shortcuts. Executing it while it is disabled
// does nothing, and the engine relies on that (Run after Restart, the sound cues of Expired).
class TCommand {
public:
    TCommand(std::string caption, std::string shortcut = {}, bool enabled = true)
        : Caption(std::move(caption))
        , Shortcut(std::move(shortcut))
        , m_enabled(enabled) {}

    std::string Caption;
    std::string Shortcut; // portable key text such as "Ctrl+R"; empty for none
    std::function<void()> OnExecute;
    TNotifier Changed;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled) {
        if (enabled == m_enabled)
            return;
        m_enabled = enabled;
        Changed.Notify();
    }
    const std::string& Hint() const { return m_hint; }
    void SetHint(std::string hint) {
        if (hint == m_hint)
            return;
        m_hint = std::move(hint);
        Changed.Notify();
    }
    void Execute() {
        if (m_enabled && OnExecute)
            OnExecute();
    }

private:
    bool m_enabled;
    std::string m_hint;
};

// State shared by every control model: enabled, hint and the watchers of the widget.
class TControl {
public:
    TNotifier Changed;
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled) {
        if (enabled == m_enabled)
            return;
        m_enabled = enabled;
        Changed.Notify();
    }
    const std::string& Hint() const { return m_hint; }
    void SetHint(std::string hint) {
        if (hint == m_hint)
            return;
        m_hint = std::move(hint);
        Changed.Notify();
    }

private:
    bool m_enabled = true;
    std::string m_hint;
};

// A whole-number spin editor. Its change event fires whenever its text changes, also when the
// program sets it. Reading: empty text is 0, text that is no number is the minimum.
class TSpinEdit : public TControl {
public:
    TSpinEdit(int minimum, int maximum, int value)
        : Minimum(minimum)
        , Maximum(maximum)
        , m_text(std::to_string(value)) {}

    const int Minimum;
    const int Maximum;
    std::function<void()> OnChange;

    const std::string& Text() const { return m_text; }
    int Value() const;
    // The operator's typing: taken as it stands.
    void SetText(std::string text);
    // The program's value: clamped into the range.
    void SetValue(int value);

private:
    std::string m_text;
};

// A drop-down list without free text. Only the operator's choice raises the change event.
class TSelector : public TControl {
public:
    explicit TSelector(std::vector<std::string> items, int index = -1)
        : Items(std::move(items))
        , m_index(index) {}

    const std::vector<std::string> Items;
    std::function<void()> OnChange;

    int ItemIndex() const { return m_index; }
    std::string Text() const { return m_index >= 0 ? Items[m_index] : std::string(); }
    // The program's choice; an index outside -1..last is ignored. Returns whether it was taken.
    bool SetItemIndex(int index);
    // The operator's choice.
    void Choose(int index) {
        if (SetItemIndex(index) && OnChange)
            OnChange();
    }

private:
    int m_index;
};

// A check box or a latching toggle button. Only the operator's click raises the click event.
class TCheck : public TControl {
public:
    explicit TCheck(bool checked = false)
        : m_checked(checked) {}

    std::function<void()> OnClick;
    bool Checked() const { return m_checked; }
    void SetChecked(bool checked) {
        if (checked == m_checked)
            return;
        m_checked = checked;
        Changed.Notify();
    }
    void Click() {
        SetChecked(!m_checked);
        if (OnClick)
            OnClick();
    }

private:
    bool m_checked;
};

// A colour selector. The chosen event fires on the operator's choice only, with the colour.
class TColourSelector : public TControl {
public:
    explicit TColourSelector(Colour colour = 0)
        : m_colour(colour) {}

    std::function<void(Colour)> OnChosen;
    std::function<void()> OnDropDown;
    std::function<void()> OnDropDownClose;

    Colour Selected() const { return m_colour; }
    void SetColour(Colour colour) {
        if (colour == m_colour)
            return;
        m_colour = colour;
        Changed.Notify();
    }
    void Choose(Colour colour) {
        SetColour(colour);
        if (OnChosen)
            OnChosen(colour);
    }

private:
    Colour m_colour;
};

// A text editor or a font selector. Its change event fires whenever its text changes. The text
// is bytes, kept as they were set (a file name need not be UTF-8), and a widget shows them as
// ShownText.
class TTextEdit : public TControl {
public:
    std::function<void()> OnChange;
    const std::string& Text() const { return m_text; }
    std::string ShownText() const { return TextShownFor(m_text); }
    // The widget's text, UTF-8. What the bytes already show as is the widget's echo of them and
    // keeps them; only a text the operator changed replaces them.
    void SetShownText(std::string shown) {
        if (shown != ShownText())
            SetText(std::move(shown));
    }
    void SetText(std::string text) {
        if (text == m_text)
            return;
        m_text = std::move(text);
        Changed.Notify();
        if (OnChange)
            OnChange();
    }

private:
    std::string m_text;
};

// A caption the program changes, such as a group box's title.
class TCaption {
public:
    explicit TCaption(std::string text)
        : m_text(std::move(text)) {}
    TNotifier Changed;
    const std::string& Text() const { return m_text; }
    void SetText(std::string text) {
        if (text == m_text)
            return;
        m_text = std::move(text);
        Changed.Notify();
    }

private:
    std::string m_text;
};

} // namespace quorvane
