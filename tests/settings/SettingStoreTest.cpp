#include "settings/SettingStore.h"
#include "tests/settings/ScreenForTest.h"

#include "platform/core/Backend.h"
#include "platform/core/Paths.h"
#include "platform/core/Utf.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using platform::rgb;
using test::ScreenForTest;

class SettingStoreTest : public ::testing::Test {
protected:
    ScreenForTest screen{480, 800};
    SettingStore store;
};

TEST_F(SettingStoreTest, InstanceLineBeatsStarLineAndDefaultIsTheLastFallback) {
    store.addLine(u"default.font=8p,regular,Arial");
    EXPECT_EQ(store.text(u"button", u"ok", u"font"), u"8p,regular,Arial");
    EXPECT_EQ(store.text(u"button", u"cancel", u"font"), u"8p,regular,Arial");
    store.addLine(u"button.*.font=10p,regular,Arial");
    store.addLine(u"button.ok.font=12p,bold,Arial");
    SettingStore::Match match;
    EXPECT_EQ(*store.resolve(u"button", u"ok", u"font", &match), u"12p,bold,Arial");
    EXPECT_EQ(match, SettingStore::Match::instanceProperty);
    EXPECT_EQ(*store.resolve(u"button", u"cancel", u"font", &match), u"10p,regular,Arial");
    EXPECT_EQ(match, SettingStore::Match::anyInstance);
    EXPECT_EQ(*store.resolve(u"label", u"x", u"font", &match), u"8p,regular,Arial");
    EXPECT_EQ(match, SettingStore::Match::defaultProperty);
    EXPECT_EQ(store.resolve(u"label", u"x", u"box", &match), nullptr);
    EXPECT_EQ(match, SettingStore::Match::none);
}

TEST_F(SettingStoreTest, GlobalValuesAreFoundWithAnEmptyInstance) {
    store.addLine(u"global.slide.duration=250");
    SettingStore::Match match;
    ASSERT_NE(store.resolve(u"global", u"", u"slide.duration", &match), nullptr);
    EXPECT_EQ(match, SettingStore::Match::typeProperty);
    EXPECT_EQ(store.globalMeasure(u"slide.duration"), 250);
    // An instance name never reaches the two-part key.
    EXPECT_EQ(store.measure(u"global", u"x", u"slide.duration"), 0);
}

TEST_F(SettingStoreTest, AnEmptyValueCountsAsFound) {
    store.addLine(u"header.*.text=Fallback");
    store.addLine(u"header.main.text=");
    EXPECT_EQ(store.text(u"header", u"main", u"text"), u"");
}

TEST_F(SettingStoreTest, OrientationPrefixesAndLaterLinesOverride) {
    store.addLine(u"list.*.item.height=30p");
    store.addLine(u"landscape.list.*.item.height=20p");
    EXPECT_EQ(store.measure(u"list", u"a", u"item.height"), 60);
    store.setLandscape(true);
    EXPECT_EQ(store.measure(u"list", u"a", u"item.height"), 40);
    store.addLine(u"portrait.list.*.item.height=10p");
    EXPECT_EQ(store.measure(u"list", u"a", u"item.height"), 40);
    store.addLine(u"list.*.item.height=5");
    EXPECT_EQ(store.measure(u"list", u"a", u"item.height"), 5);
    store.setLandscape(false);
    EXPECT_EQ(store.measure(u"list", u"a", u"item.height"), 5);
}

TEST_F(SettingStoreTest, VariablesAreSubstitutedWhenALineIsAdded) {
    store.addLine(u"$accent=#FF6A00");
    store.addLine(u"label.title.font=12p,bold,Arial,$accent");
    EXPECT_EQ(store.text(u"label", u"title", u"font"), u"12p,bold,Arial,#FF6A00");
    EXPECT_EQ(store.font(u"label", u"title", u"font").colour(), rgb(0xFF, 0x6A, 0));
    // A variable defined or changed later does not touch lines already added.
    store.addLine(u"label.other.font=10p,regular,Arial,$late");
    store.addLine(u"$late=#000000");
    store.addLine(u"$accent=#000000");
    EXPECT_EQ(store.text(u"label", u"other", u"font"), u"10p,regular,Arial,$late");
    EXPECT_EQ(store.text(u"label", u"title", u"font"), u"12p,bold,Arial,#FF6A00");
    // Variables are not lines.
    EXPECT_EQ(store.lines(false).count(u"$late"), 0u);
}

TEST_F(SettingStoreTest, LongerVariableNamesWinAndReplacementsAreNotRescanned) {
    store.addLine(u"$c=#111111");
    store.addLine(u"$cc=#222222");
    store.addLine(u"$self=x$self");
    store.addLine(u"a.b.c=$cc $c $self");
    EXPECT_EQ(store.text(u"a", u"b", u"c"), u"#222222 #111111 x$self");
}

TEST_F(SettingStoreTest, VariablesReferToVariablesWhateverOrderTheyWereDefinedIn) {
    store.addLine(u"$frame=$accent,margin(2)");
    store.addLine(u"$accent=fill($red)");
    store.addLine(u"$red=#FF0000");
    store.addLine(u"a.b.background=$frame");
    EXPECT_EQ(store.text(u"a", u"b", u"background"), u"fill(#FF0000),margin(2)");
    // Two variables that name each other stop where the first comes round again.
    store.addLine(u"$ping=<$pong>");
    store.addLine(u"$pong=[$ping]");
    store.addLine(u"a.b.c=$ping");
    EXPECT_EQ(store.text(u"a", u"b", u"c"), u"<[$ping]>");
}

// A theme is outside data: variables that double at every level would expand to 2^40
// copies, and tens of thousands of them must not make loading slow. Before the budgets
// these lines ran for hours.
TEST_F(SettingStoreTest, HostileVariablesKeepTheirTextInsteadOfExpandingWithoutLimit) {
    auto name = [](int level) {
        char text[8];
        std::snprintf(text, sizeof text, "$v%02d", level);
        return platform::toUtf16(text);
    };
    for (int level = 0; level < 40; ++level)
        store.addLine(name(level) + u"=" + name(level + 1) + name(level + 1));
    store.addLine(name(40) + u"=x");
    // Below the size budget the chain expands in full: 2^15 copies of "x".
    store.addLine(u"a.b.d=$v25");
    EXPECT_TRUE(store.text(u"a", u"b", u"d") == std::u16string(1 << 15, u'x'));
    store.addLine(u"a.b.c=$v00");
    EXPECT_EQ(store.text(u"a", u"b", u"c"), u"$v00");
    // $v20 is 2^20 copies, within the nesting budget but not the size budget. Used by
    // line after line it uses up the store's budget; from then on every value keeps its
    // text, until the store is emptied.
    for (int line = 0; line < 2000; ++line)
        store.addLine(u"a.b.c" + platform::toUtf16(std::to_string(line)) + u"=$v20");
    EXPECT_EQ(store.text(u"a", u"b", u"c1999"), u"$v20");
    store.addLine(u"a.b.e=$v40");
    EXPECT_EQ(store.text(u"a", u"b", u"e"), u"$v40");
    store.reset();

    // Forty thousand variables, each naming the one before: one map insert each, and a
    // line using the last one resolves only as deep as the nesting budget allows.
    for (int i = 1; i <= 40000; ++i)
        store.addLine(u"$w" + platform::toUtf16(std::to_string(i)) + u"=" +
                      (i == 1 ? u"y" : u"$w" + platform::toUtf16(std::to_string(i - 1))));
    store.addLine(u"a.b.e=$w20");
    EXPECT_EQ(store.text(u"a", u"b", u"e"), u"y");
    store.addLine(u"a.b.f=$w1 is $w1");
    EXPECT_EQ(store.text(u"a", u"b", u"f"), u"y is y");
    store.addLine(u"a.b.f=$w40000");
    EXPECT_EQ(store.text(u"a", u"b", u"f"), u"$w40000");

    // One line of a million variable names stays as written.
    std::u16string huge = u"a.b.g=";
    for (int i = 0; i < 200000; ++i)
        huge += u"$w1$v";
    store.addLine(huge);
    EXPECT_TRUE(store.text(u"a", u"b", u"g") == huge.substr(6));
}

TEST_F(SettingStoreTest, LinesWithoutAKeyAndCommentsAddNothing) {
    for (std::u16string_view line : {u"=value", u"#key=value", u"   ", u"", u"no equals sign",
                                     u"  # indented=comment", u"\t=x"})
        store.addLine(line);
    EXPECT_TRUE(store.lines(false).empty());
    EXPECT_TRUE(store.lines(true).empty());
    store.addLine(u"  key.with.spaces = a=b  ");
    EXPECT_EQ(store.text(u"key", u"with", u"spaces "), u" a=b");
}

TEST_F(SettingStoreTest, AMissingTextShowsItsKey) {
    EXPECT_EQ(store.text(u"button", u"ok", u"text"), u"button.ok.text");
    EXPECT_EQ(store.globalText(u"missing.text"), u"global..missing.text");
    EXPECT_EQ(store.colour(u"a", u"b", u"c"), 0u);
    EXPECT_FALSE(store.flag(u"a", u"b", u"c"));
    EXPECT_EQ(store.number(u"a", u"b", u"c"), 0.0);
}

TEST_F(SettingStoreTest, FlagsAndNumbers) {
    store.addLine(u"a.*.on=1");
    store.addLine(u"a.*.yes=true");
    store.addLine(u"a.*.two=1 ");
    store.addLine(u"a.*.friction= 1.01xyz");
    store.addLine(u"a.*.negative=-2.5e1");
    EXPECT_TRUE(store.flag(u"a", u"x", u"on"));
    EXPECT_FALSE(store.flag(u"a", u"x", u"yes"));
    EXPECT_TRUE(store.flag(u"a", u"x", u"two")); // the line is trimmed
    EXPECT_DOUBLE_EQ(store.number(u"a", u"x", u"friction"), 1.01);
    EXPECT_DOUBLE_EQ(store.number(u"a", u"x", u"negative"), -25.0);
}

TEST_F(SettingStoreTest, AboutAndWebTextsCannotBeChanged) {
    store.addLine(u"label.option.about.text=Stolen");
    store.addLine(u"landscape.label.option.www.text=elsewhere");
    EXPECT_EQ(store.text(u"label", u"option", u"about.text"), SettingStore::aboutText);
    store.setLandscape(true);
    EXPECT_EQ(store.text(u"label", u"option", u"www.text"), SettingStore::webAddressText);
}

TEST_F(SettingStoreTest, ParsedObjectsAreCachedPerOrientationUntilCleared) {
    store.addLine(u"contactlist.*.box=12p,42p,100%,-30p");
    const Box& first = store.box(u"contactlist", u"contactlist", u"box");
    EXPECT_EQ(&store.box(u"contactlist", u"contactlist", u"box"), &first);
    EXPECT_EQ(store.cachedCount(false), 1u);
    store.addLine(u"contactlist.*.box=0,0,10,10");
    // Still the cached object until the caches are cleared.
    EXPECT_EQ(store.box(u"contactlist", u"contactlist", u"box").value(Box::right), 100);
    store.clearCaches();
    EXPECT_EQ(store.cachedCount(false), 0u);
    EXPECT_EQ(store.box(u"contactlist", u"contactlist", u"box").value(Box::right), 10);
}

TEST_F(SettingStoreTest, MissingObjectsAreTheFallbacks) {
    const Box& box = store.box(u"x", u"y", u"box");
    EXPECT_EQ(box.rectangle({10, 10, 20, 30}), (platform::Rect{10, 10, 20, 30}));
    const Font& font = store.font(u"x", u"y", u"font");
    EXPECT_EQ(font.description().face, u"Arial");
    EXPECT_EQ(font.pixelSize(), 24);
    const Background& background = store.background(u"x", u"y", u"background");
    EXPECT_EQ(background.fillColour, rgb(255, 255, 255));
    // Fallbacks survive a cache clear.
    store.clearCaches();
    EXPECT_EQ(&store.font(u"x", u"y", u"font"), &font);
}

TEST_F(SettingStoreTest, AKindMismatchShowsTheErrorBoxAndLendsTheAskedKind) {
    store.addLine(u"label.x.font=10p,bold,Verdana");
    const Font& font = store.font(u"label", u"x", u"font");
    size_t boxesBefore = platform::messageBoxLog().size();
    const Box& box = store.box(u"label", u"x", u"font");
    auto log = platform::messageBoxLog();
    ASSERT_EQ(log.size(), boxesBefore + 1);
    EXPECT_EQ(log.back(), u"error: label.x.font");
    EXPECT_EQ(box.rectangle({0, 0, 10, 10}), (platform::Rect{0, 0, 10, 10}));
    EXPECT_EQ(&store.font(u"label", u"x", u"font"), &font);
}

TEST_F(SettingStoreTest, EveryCacheClearReachesTheListenerAndABulkLoadOnlyAtItsEnd) {
    int reloads = 0;
    store.setCacheClearListener([&] {
        ++reloads;
        // The listener reloads: what it reads must already be the new state.
        EXPECT_EQ(store.cachedCount(store.isLandscape()), 0u);
    });
    store.addLine(u"a.*.font=10p");
    store.font(u"a", u"b", u"font");
    store.clearCaches();
    store.reset();
    EXPECT_EQ(reloads, 2);
    store.setLandscape(false);
    EXPECT_EQ(reloads, 2);
    store.font(u"a", u"b", u"font");
    store.setLandscape(true);
    EXPECT_EQ(reloads, 3);
    EXPECT_EQ(store.cachedCount(false), 0u);

    // A theme change inside a bulk load: one reload, once the last source is in.
    store.suspendRehashing();
    store.suspendRehashing();
    store.reset();
    store.clearCaches();
    store.resumeRehashing();
    EXPECT_EQ(reloads, 3);
    store.resumeRehashing();
    EXPECT_EQ(reloads, 4);
    store.resumeRehashing(); // an unbalanced resume is harmless
    store.suspendRehashing();
    store.resumeRehashing();
    EXPECT_EQ(reloads, 4) << "a bulk load without a clear reloads nothing";
    store.setLandscape(false);
}

TEST_F(SettingStoreTest, ResetEmptiesLinesAndVariables) {
    store.addLine(u"$v=1");
    store.addLine(u"a.b.c=2");
    store.reset();
    store.addLine(u"a.b.d=$v");
    EXPECT_EQ(store.text(u"a", u"b", u"d"), u"$v");
    EXPECT_EQ(store.lines(false).size(), 1u);
}

TEST_F(SettingStoreTest, PreloadMarkerLoadsTheImagesAtOnceAndKeepsTheLine) {
    std::vector<std::u16string> loaded;
    ImageCache::instance().setLoader([&](const std::u16string& name, bool) {
        loaded.push_back(name);
        return std::shared_ptr<Image>();
    });
    store.addLine(u"panel.*.background=stretchimage(big.png,preload)");
    store.addLine(u"panel.x.background=,preload"); // at index 0 the marker does not count
    ImageCache::instance().setLoader({});
    EXPECT_EQ(loaded, std::vector<std::u16string>{u"big.png"});
    EXPECT_EQ(store.text(u"panel", u"y", u"background"), u"stretchimage(big.png,preload)");
}

std::vector<std::string> dumpLines() {
    std::string content;
    EXPECT_TRUE(platform::readWholeFile(platform::programFolder() / "dump.txt", content));
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
        if (end == std::string::npos)
            break;
        lines.push_back(content.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST_F(SettingStoreTest, DumpHasItsSectionsInOrder) {
    store.addLine(u"landscape.a.*.box=1,2,3,4");
    store.addLine(u"b.*.text=Hello");
    store.addLine(u"b.*.text.box=0,0,1,1");
    store.addLine(u"portrait.c.*.font=10p");
    store.setLandscape(true);
    store.box(u"a", u"y", u"box");
    store.setLandscape(false);
    store.font(u"c", u"x", u"font"); // only the portrait cache is dumped
    ASSERT_TRUE(store.dump());
    std::vector<std::string> expected = {
        "# settings dump",
        "# use it only as reference, DO NOT USE AS SETTINGS.INI file",
        "",
        "# settings used for landscape",
        "a.*.box=1,2,3,4",
        "b.*.text.box=0,0,1,1",
        "",
        "# settings used for portrait",
        "",
        "b.*.text.box=0,0,1,1",
        "c.*.font=10p",
        "",
        "# current settings cache",
        "",
        "c.x.font",
        "",
        "# localization",
        "# DO NOT CHANGE COPYRIGHT OR ABOUT INFORMATION",
        "",
        "b.*.text=Hello",
        "",
        "# done",
    };
    EXPECT_EQ(dumpLines(), expected);
}

} // namespace
} // namespace vantrel
