#include "SettingsBinding.hpp"
#include "EngineHarness.hpp"

#include <gtest/gtest.h>

using namespace quorvane;
using namespace quorvane::testing;

namespace {

struct Loaded : EngineWorld {
    TWindowPlace place;
    explicit Loaded(const std::string& file) {
        LoadSettings(TIniDocument::FromBytes(file), engine, place);
    }
    std::string Saved(const std::string& file) {
        TIniDocument doc = TIniDocument::FromBytes(file);
        SaveSettings(doc, engine, place, false);
        return doc.SaveToBytes();
    }
};

} // namespace

TEST(SettingsBinding, EmptyFileGivesTheDefaultsAndWritesAllKeys) {
    Loaded w("");
    const auto& c = w.engine.Controls;
    EXPECT_EQ(c.edCounterInterval.Value(), 1000);
    EXPECT_EQ(w.engine.Counter.StartTime, 10);
    EXPECT_EQ(w.engine.Counter.WarningTime, 5);
    EXPECT_TRUE(c.btEndActive.Checked());
    EXPECT_EQ(c.edCounterMode.ItemIndex(), 0);
    EXPECT_EQ(c.edMessageMode.ItemIndex(), 0); // the default, not the control's own selection
    EXPECT_EQ(c.edTimeFontName.Text(), "Arial");
    EXPECT_EQ(c.edTimeFontSize.Value(), 36);
    EXPECT_EQ(c.EdStopColour.Selected(), 0xC0C0C0u);
    EXPECT_EQ(c.EdMessageColour.Selected(), 0xFFFF00u);
    EXPECT_EQ(c.edMessageTime.Value(), 3);
    EXPECT_EQ(w.engine.DisplayGeometry.Width, 500);

    const std::string out = w.Saved("");
    EXPECT_EQ(out.substr(0, out.find("[Options]")),
              "[Times]\r\nCounter Interval=1000\r\nStart Time=10\r\nWarning Time=5\r\n"
              "Auto Pause Time=0\r\nWarning Active=0\r\nAuto Pause Active=0\r\nEnd Active=1\r\n"
              "\r\n");
    int keys = 0;
    for (std::size_t p = 0; (p = out.find('=', p)) != std::string::npos; ++p)
        ++keys;
    EXPECT_EQ(keys, 46);
    const auto at = [&](const char* s) { return out.find(s); };
    EXPECT_LT(at("[Times]"), at("[Options]"));
    EXPECT_LT(at("[Options]"), at("[Sound]"));
    EXPECT_LT(at("[Sound]"), at("[Windows]"));
    EXPECT_LT(at("[Windows]"), at("[Colours]"));
    EXPECT_LT(at("[Colours]"), at("[Message]"));
}

TEST(SettingsBinding, ReadingAndRewritingRules) {
    struct Case {
        const char* name;
        const char* file;
        std::function<void(const TTimerEngine&)> check;
        const char* written; // a line the saved file must hold
    } cases[] = {
        {"lower-case section and key", "[times]\r\nstart time=90\r\n",
         [](const TTimerEngine& e) { EXPECT_EQ(e.Counter.StartTime, 90); },
         "[times]\r\nStart Time=90\r\n"},
        {"hex colour written back in decimal", "[Colours]\r\nRun=0x0000FF\r\n",
         [](const TTimerEngine& e) { EXPECT_EQ(e.Controls.EdRunColour.Selected(), 0xFFu); },
         "Run=255\r\n"},
        {"yes is no integer", "[Options]\r\nStay On Top=yes\r\n",
         [](const TTimerEngine& e) { EXPECT_FALSE(e.Controls.cbStayOnTop.Checked()); },
         "Stay On Top=0\r\n"},
        {"2 is true and written as 1", "[Options]\r\nStay On Top=2\r\n",
         [](const TTimerEngine& e) { EXPECT_TRUE(e.Controls.cbStayOnTop.Checked()); },
         "Stay On Top=1\r\n"},
        {"interval clamped", "[Times]\r\nCounter Interval=20\r\n",
         [](const TTimerEngine& e) { EXPECT_EQ(e.Controls.edCounterInterval.Value(), 50); },
         "Counter Interval=50\r\n"},
        {"font size clamped", "[Options]\r\nFont Size=10\r\n",
         [](const TTimerEngine& e) { EXPECT_EQ(e.Controls.edTimeFontSize.Value(), 24); },
         "Font Size=24\r\n"},
        {"timeout clamped", "[Message]\r\nTimeout=60\r\n",
         [](const TTimerEngine& e) { EXPECT_EQ(e.Controls.edMessageTime.Value(), 10); },
         "Timeout=10\r\n"},
        {"unknown counter mode ignored", "[Options]\r\nCounter Mode=8\r\n",
         [](const TTimerEngine& e) { EXPECT_EQ(e.Controls.edCounterMode.ItemIndex(), -1); },
         "Counter Mode=-1\r\n"},
        {"-1 clears the message mode", "[Message]\r\nMessage Mode=-1\r\n",
         [](const TTimerEngine& e) { EXPECT_EQ(e.Controls.edMessageMode.ItemIndex(), -1); },
         "Message Mode=-1\r\n"},
        {"unknown keys and sections survive", "[Times]\r\nMine=1\r\n[Extra]\r\nA=b\r\n",
         [](const TTimerEngine&) {}, "[Extra]\r\nA=b\r\n\r\n"},
        {"an uninstalled font name is written back", "[Message]\r\nFont Name=No Such Font\r\n",
         [](const TTimerEngine& e) {
             EXPECT_EQ(e.Controls.edMessageFontName.Text(), "No Such Font");
         },
         "Font Name=No Such Font\r\n"},
        {"windows width is not the text width", "[Windows]\r\nDisplay Width=800\r\n",
         [](const TTimerEngine& e) {
             EXPECT_EQ(e.DisplayGeometry.Width, 800);
             EXPECT_EQ(e.Controls.edDisplayWidth.ItemIndex(), 0);
         },
         "Display Width=800\r\n"},
    };
    for (const auto& k : cases) {
        Loaded w(k.file);
        k.check(w.engine);
        const std::string out = w.Saved(k.file);
        EXPECT_NE(out.find(k.written), std::string::npos) << k.name << "\n" << out;
    }
}

TEST(SettingsBinding, CommentIsDroppedAndMaximisedComesFromTheLiveWindow) {
    Loaded w("[Windows]\r\n; note\r\nDisplay Maximised=1\r\n");
    EXPECT_TRUE(w.engine.DisplayGeometry.Maximised);
    const std::string out = w.Saved("[Windows]\r\n; note\r\nDisplay Maximised=1\r\n");
    EXPECT_EQ(out.find("; note"), std::string::npos);
    EXPECT_NE(out.find("Display Maximised=0"), std::string::npos);
}

TEST(SettingsBinding, StringBytesAreKeptAndShownAsUtf8OrElseWindows1252) {
    const struct {
        const char* name;
        std::string bytes;
        std::string shown;
    } cases[] = {
        {"ASCII as it is", "Arial", "Arial"},
        {"valid UTF-8 as it is", "/m\xC3\xBCsik/gong \xE2\x82\xAC.wav",
         "/m\xC3\xBCsik/gong \xE2\x82\xAC.wav"},
        {"a Latin-1 letter", "/caf\xE9.wav", "/caf\xC3\xA9.wav"},
        {"the Windows-1252 euro and quotes", "\x80 \x93x\x94",
         "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D"},
        {"a byte Windows-1252 leaves undefined", "a\x81", "a\xC2\x81"},
        {"one bad byte turns the whole text to Windows-1252", "\xC3\xBC\xFC",
         "\xC3\x83\xC2\xBC\xC3\xBC"},
        {"an overlong slash is not UTF-8", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"an encoded surrogate is not UTF-8", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"a sequence cut short is not UTF-8", "x\xE2\x82", "x\xC3\xA2\xE2\x80\x9A"},
    };
    for (const auto& c : cases) {
        Loaded w("[Sound]\r\nTiming=" + c.bytes + "\r\n");
        TTextEdit& edit = w.engine.Controls.edSoundTiming;
        EXPECT_EQ(edit.Text(), c.bytes) << c.name;
        EXPECT_EQ(edit.ShownText(), c.shown) << c.name;
        // The widget's echo of what it shows keeps the bytes; an edit replaces them.
        edit.SetShownText(c.shown);
        EXPECT_NE(w.Saved("").find("Timing=" + c.bytes + "\r\n"), std::string::npos) << c.name;
        edit.SetShownText(c.shown + "x");
        EXPECT_EQ(edit.Text(), c.shown + "x") << c.name;
    }
}
