#include "SettingKeys.hpp"
#include "TIniDocument.hpp"

#include <gtest/gtest.h>

using namespace quorvane;

namespace {

void WriteDefault(TIniDocument& document, const SettingKey& key) {
    switch (key.Type) {
    case SettingType::String:
        document.WriteString(key.Section, key.Key, key.DefaultText);
        break;
    case SettingType::Boolean:
        document.WriteBool(key.Section, key.Key, key.DefaultNumber != 0);
        break;
    case SettingType::Integer:
    case SettingType::ColourValue:
        document.WriteInteger(key.Section, key.Key, key.DefaultNumber);
        break;
    }
}

} // namespace

// Typed out from the documented table on purpose: a misspelt key or a wrong default in the code
// would otherwise go unnoticed until a user's file stopped loading.
TEST(SettingKeys, AFileWrittenFromScratchHoldsEveryKeyWithItsDefault) {
    TIniDocument document;
    for (const SettingKey& key : SettingKeys()) {
        WriteDefault(document, key);
    }
    EXPECT_EQ(document.SaveToBytes(), "[Times]\r\n"
                                      "Counter Interval=1000\r\n"
                                      "Start Time=10\r\n"
                                      "Warning Time=5\r\n"
                                      "Auto Pause Time=0\r\n"
                                      "Warning Active=0\r\n"
                                      "Auto Pause Active=0\r\n"
                                      "End Active=1\r\n"
                                      "\r\n"
                                      "[Options]\r\n"
                                      "Counter Mode=0\r\n"
                                      "Display Width=0\r\n"
                                      "Minimise Controls To Tray=0\r\n"
                                      "Stay On Top=0\r\n"
                                      "Enable Quick Restart=0\r\n"
                                      "Show Countdown In Title Bar=0\r\n"
                                      "Show Time Pie=0\r\n"
                                      "Font Name=Arial\r\n"
                                      "Font Size=36\r\n"
                                      "Display Mode At Counter Stop=0\r\n"
                                      "Display Mode At Counter End=0\r\n"
                                      "Display Mode At Counter Pause=0\r\n"
                                      "Display Mode At Counter Warning=0\r\n"
                                      "\r\n"
                                      "[Sound]\r\n"
                                      "Timing=\r\n"
                                      "At End=\r\n"
                                      "At End Loop=0\r\n"
                                      "\r\n"
                                      "[Windows]\r\n"
                                      "Main Top=0\r\n"
                                      "Main Left=0\r\n"
                                      "Display Visible=0\r\n"
                                      "Display Borderless=0\r\n"
                                      "Display Maximised=0\r\n"
                                      "Display Top=0\r\n"
                                      "Display Left=0\r\n"
                                      "Display Width=500\r\n"
                                      "Display Height=200\r\n"
                                      "\r\n"
                                      "[Colours]\r\n"
                                      "Stop=12632256\r\n"
                                      "Run=32768\r\n"
                                      "Warn=65535\r\n"
                                      "Pause=16711680\r\n"
                                      "Expired=255\r\n"
                                      "Back=0\r\n"
                                      "Transparent Back=0\r\n"
                                      "Message=16776960\r\n"
                                      "\r\n"
                                      "[Message]\r\n"
                                      "Timeout=3\r\n"
                                      "Auto Clear Editor=0\r\n"
                                      "Message Mode=0\r\n"
                                      "Display Mode=0\r\n"
                                      "Font Name=Arial\r\n"
                                      "Font Size=36\r\n"
                                      "\r\n");
}

TEST(SettingKeys, DisplayMaximisedIsReadAfterDisplayHeightAndTheRestInTableOrder) {
    std::vector<SettingId> expected;
    for (const SettingKey& key : SettingKeys()) {
        if (key.Id != SettingId::DisplayMaximised) {
            expected.push_back(key.Id);
        }
        if (key.Id == SettingId::DisplayHeight) {
            expected.push_back(SettingId::DisplayMaximised);
        }
    }
    std::vector<SettingId> loadOrder;
    for (const SettingKey* key : SettingKeysInLoadOrder()) {
        loadOrder.push_back(key->Id);
    }
    EXPECT_EQ(loadOrder, expected);
}

TEST(SettingKeys, RangesOfTheClampedKeysAndTheSelectors) {
    struct Range {
        SettingId id;
        LoadRule rule;
        std::int32_t minimum;
        std::int32_t maximum;
    };
    const Range ranges[] = {
        {SettingId::CounterInterval, LoadRule::Clamped, 50, 5000},
        {SettingId::TimeFontSize, LoadRule::Clamped, 24, 999},
        {SettingId::MessageTimeout, LoadRule::Clamped, 0, 10},
        {SettingId::MessageFontSize, LoadRule::Clamped, 24, 200},
        {SettingId::CounterMode, LoadRule::ItemIndex, -1, 7},
        {SettingId::DisplayWidthMode, LoadRule::ItemIndex, -1, 3},
        {SettingId::StopDisplayMode, LoadRule::ItemIndex, -1, 2},
        {SettingId::ExpiredDisplayMode, LoadRule::ItemIndex, -1, 2},
        {SettingId::PauseDisplayMode, LoadRule::ItemIndex, -1, 2},
        {SettingId::WarningDisplayMode, LoadRule::ItemIndex, -1, 1},
        {SettingId::MessageMode, LoadRule::ItemIndex, -1, 4},
        {SettingId::MessageDisplayMode, LoadRule::ItemIndex, -1, 1},
    };
    for (const Range& range : ranges) {
        const SettingKey& key = SettingKeyOf(range.id);
        EXPECT_EQ(key.Rule, range.rule) << key.Key;
        EXPECT_EQ(key.Minimum, range.minimum) << key.Key;
        EXPECT_EQ(key.Maximum, range.maximum) << key.Key;
    }
}
