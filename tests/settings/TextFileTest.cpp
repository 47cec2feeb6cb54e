#include "settings/TextFile.h"
#include "settings/SettingStore.h"
#include "tests/settings/ScreenForTest.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace vantrel {
namespace {

void writeBytes(const std::string& name, std::string_view bytes) {
    std::ofstream(platform::programFolder() / name, std::ios::binary) << bytes;
}

std::string utf16(std::u16string_view text, bool littleEndian) {
    std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t c : text) {
        char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
        bytes += littleEndian ? low : high;
        bytes += littleEndian ? high : low;
    }
    return bytes;
}

std::vector<std::u16string> linesOf(std::string_view bytes) {
    std::vector<std::u16string> lines;
    decodeTextLines(bytes, [&](std::u16string_view line) { lines.emplace_back(line); });
    return lines;
}

TEST(TextFile, LinesEndAtCrLfOrCrLf) {
    EXPECT_EQ(linesOf("a\r\nb\nc\rd"), (std::vector<std::u16string>{u"a", u"b", u"c", u"d"}));
    EXPECT_EQ(linesOf("a\n\nb\r\n"), (std::vector<std::u16string>{u"a", u"", u"b"}));
    EXPECT_EQ(linesOf("\r\n\r\n"), (std::vector<std::u16string>{u"", u""}));
    EXPECT_TRUE(linesOf("").empty());
}

TEST(TextFile, Utf16InBothByteOrders) {
    std::u16string text = u"button.ok.text=Ok \u00E9\u4E2D\r\nx.y.z=\U0001F600";
    std::vector<std::u16string> expected = {u"button.ok.text=Ok \u00E9\u4E2D", u"x.y.z=\U0001F600"};
    EXPECT_EQ(linesOf(utf16(text, true)), expected);
    EXPECT_EQ(linesOf(utf16(text, false)), expected);
}

TEST(TextFile, TheLocaleChoosesTheCodePage) {
    EXPECT_STREQ(codePageForLocale("en_US"), "windows-1252");
    EXPECT_STREQ(codePageForLocale("fr_FR"), "windows-1252");
    EXPECT_STREQ(codePageForLocale("ru_RU"), "windows-1251");
    EXPECT_STREQ(codePageForLocale("pl_PL"), "windows-1250");
    EXPECT_STREQ(codePageForLocale("zh_TW"), "windows-950");
    EXPECT_STREQ(codePageForLocale("zh_CN"), "windows-936");
    EXPECT_STREQ(codePageForLocale("en_US_POSIX"), "windows-1252");
}

TEST(TextFile, EightBitTextUsesTheSystemCodePage) {
    if (std::string_view(systemCodePage()) != "windows-1252")
        GTEST_SKIP() << "this machine's locale uses " << systemCodePage();
    // Windows-1252: 0xE9 is é, 0x80 is the euro sign.
    EXPECT_EQ(linesOf("a=caf\xE9 \x80"), std::vector<std::u16string>{u"a=caf\u00E9 \u20AC"});
    // One byte that cannot be UTF-8 sends the whole file through the code page, so an
    // old theme's "Ã©" stays two letters.
    EXPECT_EQ(linesOf("a=\xC3\xA9\nb=\xE9"),
              (std::vector<std::u16string>{u"a=\u00C3\u00A9", u"b=\u00E9"}));
}

TEST(TextFile, ValidUtf8IsReadAsUtf8AndItsMarkIsSkipped) {
    EXPECT_EQ(linesOf("a=T\xC3\xA9l\xC3\xA9\n\xF0\x9F\x98\x80=1"),
              (std::vector<std::u16string>{u"a=T\u00E9l\u00E9", u"\U0001F600=1"}));
    // The mark must not glue itself to the first key, or that line is lost.
    writeBytes("marked.ini", "\xEF\xBB\xBFiconbutton.smsbutton.text=T\xC3\xA9l\xC3\xA9\r\n");
    test::ScreenForTest screen(240, 320);
    SettingStore store;
    ASSERT_TRUE(store.loadFile(u"marked.ini"));
    EXPECT_EQ(store.text(u"iconbutton", u"smsbutton", u"text"), u"T\u00E9l\u00E9");
    // Behind a mark, a broken sequence spoils one character, not the file.
    EXPECT_EQ(linesOf("\xEF\xBB\xBF\xC3\xA9\xC3"), std::vector<std::u16string>{u"\u00E9\uFFFD"});
    EXPECT_TRUE(linesOf("\xEF\xBB\xBF").empty());
}

TEST(TextFile, OddBytesUnpairedSurrogatesAndBareMarks) {
    EXPECT_TRUE(linesOf("\xFF\xFE").empty());
    EXPECT_TRUE(linesOf("\xFE\xFF").empty());
    // A half code unit at the end is dropped; a lone surrogate is kept as data.
    std::string bytes = utf16(u"a=\xD800z", true) + "q";
    EXPECT_EQ(linesOf(bytes), std::vector<std::u16string>{u"a=\xD800z"});
}

TEST(TextFile, LongLinesArriveWhole) {
    std::string value(5000, 'x');
    std::vector<std::u16string> lines = linesOf("key.a.b=" + value + "\r\nnext.a.b=1");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 8u + 5000u);
}

TEST(TextFile, RelativeNamesComeFromTheProgramFolder) {
    writeBytes("lang.lang.ini", utf16(u"iconbutton.smsbutton.text=Texto\r\n", true));
    test::ScreenForTest screen(240, 320);
    SettingStore store;
    EXPECT_TRUE(store.loadFile(u"lang.lang.ini"));
    EXPECT_EQ(store.text(u"iconbutton", u"smsbutton", u"text"), u"Texto");
    EXPECT_FALSE(store.loadFile(u"missing.ini"));
    EXPECT_TRUE(
        store.loadFile(platform::toUtf16((platform::programFolder() / "lang.lang.ini").string())));
}

TEST(TextFile, BinaryGarbageLoadsWithoutHarm) {
    std::mt19937 random(7);
    test::ScreenForTest screen(480, 800);
    SettingStore store;
    for (int round = 0; round < 50; ++round) {
        std::string bytes(1 + random() % 4000, '\0');
        for (auto& b : bytes)
            b = static_cast<char>(random());
        if (round % 2)
            bytes[0] = '\xFF', bytes[1 % bytes.size()] = '\xFE';
        writeBytes("garbage.ini", bytes);
        EXPECT_TRUE(store.loadFile(u"garbage.ini"));
    }
    // Whatever arrived, asking for every kind of value must be safe.
    for (const auto& [key, value] : store.lines(false)) {
        Box box(value);
        Font font(value);
        Background background(value);
        box.rectangle({0, 0, 480, 800});
        parseMeasure(value);
        parseColour(value);
    }
}

} // namespace
} // namespace vantrel
