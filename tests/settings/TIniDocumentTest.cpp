#include "TIniDocument.hpp"

#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace quorvane;

namespace {

enum class Kind { Text, Integer, Bool };

// One key as the settings code uses it: read with a default, then written back with the value
// read, spelled as here.
struct KeyUse {
    const char* section;
    const char* key;
    Kind kind;
    const char* defaultValue;
    const char* expectedRead;
};

struct DocumentCase {
    const char* name;
    std::string input;
    std::vector<KeyUse> keys;
    std::string expectedOutput;
};

std::string ReadAs(const TIniDocument& document, const KeyUse& use) {
    switch (use.kind) {
    case Kind::Text:
        return document.ReadString(use.section, use.key, use.defaultValue);
    case Kind::Integer:
        return std::to_string(
            document.ReadInteger(use.section, use.key, std::stoi(use.defaultValue)));
    case Kind::Bool:
        return document.ReadBool(use.section, use.key, std::string(use.defaultValue) == "1") ? "1"
                                                                                             : "0";
    }
    return {};
}

void WriteAs(TIniDocument& document, const KeyUse& use, const std::string& value) {
    switch (use.kind) {
    case Kind::Text:
        document.WriteString(use.section, use.key, value);
        break;
    case Kind::Integer:
        document.WriteInteger(use.section, use.key, std::stoi(value));
        break;
    case Kind::Bool:
        document.WriteBool(use.section, use.key, value == "1");
        break;
    }
}

const DocumentCase documentCases[] = {
    {"a lower-case section and key are found; the key takes the given spelling, the section "
     "keeps its case",
     "[options]\r\nstay on top=1\r\n",
     {{"Options", "Stay On Top", Kind::Bool, "0", "1"}},
     "[options]\r\nStay On Top=1\r\n\r\n"},
    {"hexadecimal colours read with $ and 0x are written back in decimal; LF ends become CR LF",
     "[Colours]\nRun=0x0000FF\nStop=$C0C0C0\n",
     {{"Colours", "Run", Kind::Integer, "32768", "255"},
      {"Colours", "Stop", Kind::Integer, "0", "12632256"}},
     "[Colours]\r\nRun=255\r\nStop=12632256\r\n\r\n"},
    {"a word reads as the default, 2 reads as true and is written back as 1",
     "[Options]\r\nStay On Top=yes\r\nEnable Quick Restart=yes\r\nShow Time Pie=2\r\n",
     {{"Options", "Stay On Top", Kind::Bool, "0", "0"},
      {"Options", "Enable Quick Restart", Kind::Bool, "1", "1"},
      {"Options", "Show Time Pie", Kind::Bool, "0", "1"}},
     "[Options]\r\nStay On Top=0\r\nEnable Quick Restart=1\r\nShow Time Pie=1\r\n\r\n"},
    {"values that are no integer give the default",
     "[Times]\r\nCounter Interval=\r\nStart Time=12abc\r\nWarning Time=99999999999\r\n",
     {{"Times", "Counter Interval", Kind::Integer, "1000", "1000"},
      {"Times", "Start Time", Kind::Integer, "10", "10"},
      {"Times", "Warning Time", Kind::Integer, "5", "5"}},
     "[Times]\r\nCounter Interval=1000\r\nStart Time=10\r\nWarning Time=5\r\n\r\n"},
    {"unknown keys and sections survive in order, comments and blank lines do not, new keys and "
     "sections are appended",
     "; written by hand\r\n[Times]\r\n; a comment\r\nStart Time=20\r\nCustom Key = kept value \r\n"
     "\r\n\r\n[Plugin]\r\nAlpha=1\r\nfree text line\r\n",
     {{"Times", "Start Time", Kind::Integer, "10", "20"},
      {"Times", "Warning Time", Kind::Integer, "5", "5"},
      {"Message", "Timeout", Kind::Integer, "3", "3"}},
     "[Times]\r\nStart Time=20\r\nCustom Key=kept value\r\nWarning Time=5\r\n\r\n"
     "[Plugin]\r\nAlpha=1\r\nfree text line\r\n\r\n[Message]\r\nTimeout=3\r\n\r\n"},
    {"lines before the first section are dropped",
     "Start Time=99\r\nloose text\r\n[Times]\r\nWarning Time=7\r\n",
     {{"Times", "Start Time", Kind::Integer, "10", "10"}},
     "[Times]\r\nWarning Time=7\r\nStart Time=10\r\n\r\n"},
    {"of repeated keys and sections the last is read and replaced, the others stay",
     "[Times]\r\nStart Time=1\r\nStart Time=2\r\nAuto Pause Time=9\r\n"
     "[TIMES]\r\nStart Time=3\r\nstart time=4\r\nWarning Time=8\r\n",
     {{"Times", "Start Time", Kind::Integer, "10", "4"},
      {"Times", "Warning Time", Kind::Integer, "5", "8"},
      {"Times", "Auto Pause Time", Kind::Integer, "0", "0"}},
     "[Times]\r\nStart Time=1\r\nStart Time=2\r\nAuto Pause Time=9\r\n\r\n"
     "[TIMES]\r\nStart Time=3\r\nStart Time=4\r\nWarning Time=8\r\nAuto Pause Time=0\r\n\r\n"},
    {"blanks and control characters are trimmed from lines, names, keys and values; UTF-8 passes "
     "unchanged; an empty value is a value",
     "\t [ Sound ] \x01\r\n \tTiming =\t/home/j\xC3\xBCrgen/gong 1.wav \x1f\r\nAt End=\r\n"
     "  just words  \r\n",
     {{"Sound", "Timing", Kind::Text, "-", "/home/j\xC3\xBCrgen/gong 1.wav"},
      {"Sound", "At End", Kind::Text, "-", ""}},
     "[Sound]\r\nTiming=/home/j\xC3\xBCrgen/gong 1.wav\r\nAt End=\r\njust words\r\n\r\n"},
    {"a value keeps every = after the first; a line without = stays in its section",
     "[Times]\r\n[broken\r\nname=a=b\r\n",
     {{"Times", "Name", Kind::Text, "-", "a=b"}},
     "[Times]\r\n[broken\r\nName=a=b\r\n\r\n"},
    {"lone CR and LF end lines, the last line needs none, a byte-order mark is skipped",
     "\xEF\xBB\xBF[Times]\rStart Time=5\n\nWarning Time=6",
     {{"Times", "Start Time", Kind::Integer, "10", "5"},
      {"Times", "Warning Time", Kind::Integer, "0", "6"}},
     "[Times]\r\nStart Time=5\r\nWarning Time=6\r\n\r\n"},
    {"an empty file stays empty", "", {}, ""},
};

} // namespace

TEST(TIniDocument, ReadsAndRewritesByTheRules) {
    for (const auto& c : documentCases) {
        TIniDocument document = TIniDocument::FromBytes(c.input);
        std::vector<std::string> values;
        for (const auto& use : c.keys) {
            values.push_back(ReadAs(document, use));
            EXPECT_EQ(values.back(), use.expectedRead) << c.name << ": " << use.key;
        }
        for (std::size_t i = 0; i < c.keys.size(); ++i) {
            WriteAs(document, c.keys[i], values[i]);
        }
        EXPECT_EQ(document.SaveToBytes(), c.expectedOutput) << c.name;
    }
}

TEST(TIniDocument, WritesIntoAnEmptyDocumentInTheOrderWritten) {
    TIniDocument document;
    document.WriteInteger("Times", "Start Time", -5);
    document.WriteString("Sound", "Timing", "first\nsecond");
    document.WriteBool("TIMES", "End Active", true);
    document.WriteInteger("times", "start time", INT_MIN);
    EXPECT_EQ(document.SaveToBytes(), "[Times]\r\nstart time=-2147483648\r\nEnd Active=1\r\n\r\n"
                                      "[Sound]\r\nTiming=first\r\n\r\n");
}

TEST(TIniDocument, ListsSectionsAndTheKeysOfTheSectionRead) {
    const TIniDocument document =
        TIniDocument::FromBytes("[A]\r\nx=1\r\n[b]\r\ny=2\r\nno equals\r\ny=3\r\n[a]\r\nz=4\r\n");
    EXPECT_EQ(document.SectionNames(), (std::vector<std::string>{"A", "b", "a"}));
    EXPECT_EQ(document.KeyNames("A"), (std::vector<std::string>{"z"}));
    EXPECT_EQ(document.KeyNames("B"), (std::vector<std::string>{"y", "y"}));
    EXPECT_TRUE(document.HasKey("a", "Z"));
    EXPECT_FALSE(document.HasKey("a", "x"));
    EXPECT_FALSE(document.HasKey("b", "no equals"));
    EXPECT_FALSE(document.HasSection("c"));
}

TEST(ParseIniInteger, Table) {
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"0", 0},
        {"-5", -5},
        {"+7", 7},
        {"   42", 42},
        {"-  5", std::nullopt},
        {"\t5", std::nullopt},
        {"5 ", std::nullopt},
        {"000000000000000000012", 12},
        {"2147483647", INT_MAX},
        {"2147483648", std::nullopt},
        {"-2147483648", INT_MIN},
        {"-2147483649", std::nullopt},
        {"$FF", 255},
        {"$c0c0c0", 12632256},
        {"0x0000FF", 255},
        {"0XfF", 255},
        {"-$10", -16},
        {" -0x10", -16},
        {"$FFFFFFFF", -1},
        {"$80000000", INT_MIN},
        {"$100000000", std::nullopt},
        {"0x-5", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"$G", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"1.5", std::nullopt},
        {"12abc", std::nullopt},
        {"yes", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ParseIniInteger(text), expected) << '"' << text << '"';
    }
}
