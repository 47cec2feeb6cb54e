#include "settings/DefaultSettings.h"
#include "settings/DefaultSettingProvider.h"
#include "tests/settings/ScreenForTest.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

namespace vantrel {
namespace {

using platform::rgb;

std::u16string keyOf(std::u16string_view line) {
    return std::u16string(line.substr(0, line.find(u'=')));
}

TEST(DefaultSettings, ThreeListsOf520KeysWithThreeDefinedTwice) {
    EXPECT_EQ(baseSettingLines().size(), 119u);
    EXPECT_EQ(screenSettingLines().size(), 235u);
    EXPECT_EQ(textSettingLines().size(), 169u);
    std::map<std::u16string, int> uses;
    for (auto list : {baseSettingLines(), screenSettingLines(), textSettingLines()})
        for (std::u16string_view line : list) {
            ASSERT_NE(line.find(u'='), std::u16string_view::npos);
            ++uses[keyOf(line)];
        }
    EXPECT_EQ(uses.size(), 520u);
    std::set<std::u16string> twice;
    for (const auto& [key, count] : uses)
        if (count > 1)
            twice.insert(key);
    EXPECT_EQ(twice,
              (std::set<std::u16string>{u"button.*.background.pressed",
                                        u"label.buttons.bg.background", u"propertybutton.*.text"}));
}

class LoadedDefaults : public ::testing::Test {
protected:
    void SetUp() override {
        platform::registry::deleteKey(platform::registry::Root::currentUser,
                                      SettingManager::registryKey);
        store.setDefaultProvider(&provider);
        store.suspendRehashing();
        store.loadDefaults();
        store.resumeRehashing();
    }
    test::ScreenForTest screen{480, 800};
    SettingStore store;
    SettingManager manager;
    DefaultSettingProvider provider{manager, store};
};

TEST_F(LoadedDefaults, EveryKeyIsLoadedInBothOrientations) {
    EXPECT_EQ(store.lines(false).size(), 520u);
    EXPECT_EQ(store.lines(true).size(), 520u);
}

TEST_F(LoadedDefaults, LaterListsWinForTheKeysDefinedTwice) {
    EXPECT_EQ(store.text(u"button", u"ok", u"background.pressed"),
              u"fillalpha(#FFFFFF,120),margin(4)");
    EXPECT_EQ(store.text(u"label", u"buttons.bg", u"background"), u"fill(#FFB73D)");
    EXPECT_EQ(store.text(u"propertybutton", u"add", u"text"), u"+");
}

TEST_F(LoadedDefaults, TheIconBarReadsItsTextsOnAnOrangeStrip) {
    EXPECT_EQ(store.background(u"iconpanel", u"iconpanel", u"background").fillColour,
              rgb(0xFF, 0xB7, 0x3D));
    EXPECT_EQ(store.text(u"iconbutton", u"favoritebutton", u"text"), u"Favorites");
    EXPECT_EQ(store.text(u"iconbutton", u"smsbutton", u"text"), u"SMS");
    EXPECT_EQ(store.text(u"iconbutton", u"filterbutton", u"text"), u"Filter...");
    EXPECT_EQ(store.text(u"iconbutton", u"phonebutton", u"text"), u"Phone");
    EXPECT_EQ(store.text(u"checkbutton", u"option.sms.bringtofront", u"text"),
              u"Bring Vantrel to front");
    EXPECT_EQ(store.box(u"iconbutton", u"smsbutton", u"box").rectangle({0, 0, 480, 800}),
              (platform::Rect{120, 740, 240, 800}));
}

TEST_F(LoadedDefaults, TellingValuesAreExact) {
    EXPECT_EQ(store.globalMeasure(u"slide.duration"), 250);
    EXPECT_DOUBLE_EQ(store.number(u"contactlist", u"contactlist", u"scroll.friction"), 1.01);
    EXPECT_EQ(store.measure(u"contactlist", u"contactlist", u"item.height"), 64);
    EXPECT_EQ(store.text(u"phonepad", u"pad", u"keys.map"),
              u"1,2abc,3def\u00E9\u00E8\u00EB\u00EA,4ghi\u00EF\u00EE,5jkl,6mno\u00F6\u00F4,"
              u"7pqrs,8tuv\u00FB\u00FC,9wxyz,#,*");
    EXPECT_EQ(store.text(u"label", u"contactdetail", u"detaillines.format"),
              u"%categories\\n\\n%addressstreet\\n%addresscity %addresspostalcode\\n"
              u"%addressstate\\n%addresscountry");
    EXPECT_EQ(store.text(u"header", u"main", u"text"), u"");
    EXPECT_EQ(store.text(u"headerbutton", u"backbutton", u"background"), u"border(#777777,1)");
    const Font& header = store.font(u"header", u"main", u"font");
    EXPECT_EQ(header.pixelSize(), 40);
    EXPECT_EQ(header.description().face, u"Segoe UI");
    EXPECT_EQ(store.text(u"label", u"option", u"about.text"), SettingStore::aboutText);
}

TEST_F(LoadedDefaults, EveryFontIsReadableOnBothScreens) {
    // Fonts below 8 pixels cannot be read on the small screen; the large one doubles them.
    for (const auto& [key, value] : store.lines(false)) {
        if (!key.ends_with(u".font") && key.find(u".font.") == std::u16string::npos)
            continue;
        // "none" draws no text at all (a bar behind buttons), so there is nothing to read.
        if (value == u"none")
            continue;
        EXPECT_GE(Font(value).pixelSize(), 16) << platform::toUtf8(key);
    }
}

TEST_F(LoadedDefaults, ALanguageFileChangesOnlyItsOwnKeys) {
    std::ofstream(platform::programFolder() / "es.lang.ini")
        << "iconbutton.smsbutton.text=Mensajes\n";
    auto before = store.lines(false);
    ASSERT_TRUE(store.loadFile(u"es.lang.ini"));
    auto after = store.lines(false);
    EXPECT_EQ(store.text(u"iconbutton", u"smsbutton", u"text"), u"Mensajes");
    after[u"iconbutton.smsbutton.text"] = before[u"iconbutton.smsbutton.text"];
    EXPECT_EQ(after, before);
}

TEST_F(LoadedDefaults, TheProviderReadsTheOptionsAndDecidesTheInputPanel) {
    EXPECT_TRUE(provider.sipAllowed());
    platform::registry::writeDword(platform::registry::Root::currentUser,
                                   SettingManager::registryKey, u"hidesiplandscape", 1);
    store.reset();
    store.loadDefaults();
    EXPECT_EQ(manager.options().hideSipLandscape, 1u);
    EXPECT_TRUE(provider.sipAllowed());
    store.setLandscape(true);
    EXPECT_FALSE(provider.sipAllowed());
}

} // namespace
} // namespace vantrel
