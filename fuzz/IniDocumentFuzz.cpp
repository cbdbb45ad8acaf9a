// libFuzzer target: arbitrary bytes as a settings file. Loading and saving must not crash or
// hang, and a rewrite must be stable: saving a loaded document and loading the result reads the
// same sections, keys and values, also after the program's own keys were written into it; and
// loading the file into the controls, saving them and loading the result gives the same controls.

#include "EngineHarness.hpp"
#include "SettingKeys.hpp"
#include "SettingsBinding.hpp"
#include "TIniDocument.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace quorvane;

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "rewrite not stable: %s\n", what);
        std::abort();
    }
}

void RequireSameValues(const TIniDocument& first, const TIniDocument& second) {
    const auto sections = first.SectionNames();
    Require(sections == second.SectionNames(), "section names");
    for (const std::string& section : sections) {
        const auto keys = first.KeyNames(section);
        Require(keys == second.KeyNames(section), "key names");
        for (const std::string& key : keys) {
            Require(first.ReadString(section, key, "\n") == second.ReadString(section, key, "\n"),
                    "string value");
            Require(first.ReadInteger(section, key, -7) == second.ReadInteger(section, key, -7),
                    "integer value");
        }
    }
}

// Saves, loads the result and checks both agree; returns the reloaded document.
TIniDocument RequireStableRewrite(const TIniDocument& document) {
    const std::string saved = document.SaveToBytes();
    TIniDocument reloaded = TIniDocument::FromBytes(saved);
    Require(reloaded.SaveToBytes() == saved, "second save differs from the first");
    RequireSameValues(document, reloaded);
    return reloaded;
}

// The settings as the controls and variables hold them after a load, as the file would say.
std::string SavedValues(TTimerEngine& engine, const TWindowPlace& place) {
    TIniDocument document;
    SaveSettings(document, engine, place, engine.DisplayGeometry.Maximised);
    return document.SaveToBytes();
}

void RequireStableBinding(std::string_view bytes) {
    testing::EngineWorld first;
    TWindowPlace firstPlace;
    LoadSettings(TIniDocument::FromBytes(bytes), first.engine, firstPlace);
    TIniDocument saved = TIniDocument::FromBytes(bytes);
    SaveSettings(saved, first.engine, firstPlace, first.engine.DisplayGeometry.Maximised);

    testing::EngineWorld second;
    TWindowPlace secondPlace;
    LoadSettings(TIniDocument::FromBytes(saved.SaveToBytes()), second.engine, secondPlace);
    Require(SavedValues(first.engine, firstPlace) == SavedValues(second.engine, secondPlace),
            "controls differ after a save and a load");

    // Whatever bytes a string holds, a widget is given valid UTF-8 for them.
    const TControls& c = first.engine.Controls;
    for (const TTextEdit* edit :
         {&c.edSoundTiming, &c.edSoundAtEnd, &c.edTimeFontName, &c.edMessageFontName}) {
        const std::string shown = edit->ShownText();
        Require(TextShownFor(shown) == shown, "a string is not shown as UTF-8");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TIniDocument document = TIniDocument::FromBytes(bytes);
    RequireStableRewrite(document);

    // What a save at close does: every key of the table read with its default and written back.
    std::string values[kSettingKeyCount];
    std::size_t index = 0;
    for (const SettingKey& key : SettingKeys()) {
        std::string& value = values[index++];
        if (key.Type == SettingType::String) {
            value = document.ReadString(key.Section, key.Key, key.DefaultText);
            document.WriteString(key.Section, key.Key, value);
        } else {
            const std::int32_t number =
                document.ReadInteger(key.Section, key.Key, key.DefaultNumber);
            value =
                std::to_string(key.Type == SettingType::Boolean ? (number != 0 ? 1 : 0) : number);
            document.WriteString(key.Section, key.Key, value);
        }
    }
    const TIniDocument reloaded = RequireStableRewrite(document);
    index = 0;
    for (const SettingKey& key : SettingKeys()) {
        Require(reloaded.ReadString(key.Section, key.Key, "\n") == values[index++],
                "a written key reads back differently");
    }
    RequireStableBinding(bytes);
    return 0;
}
