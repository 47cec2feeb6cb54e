#include "settings/ThemeManager.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/imaging/PngWriter.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "tests/support/TestFolders.h"
#include "tests/zip/ZipBuilder.h"
#include "graphics/Image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace vantrel {
namespace {

using namespace platform;

constexpr Pixel565 red = 0xF800;

std::filesystem::path inProgramFolder(const char* name) {
    return programFolder() / name;
}

ArgbImage solidPicture(int width, int height, Colour colour) {
    return ArgbImage(width, height, argb(255, redOf(colour), greenOf(colour), blueOf(colour)));
}

// Paints the background a store hands out for "label.<instance>.background".
Surface paint(SettingStore& store, std::u16string_view instance) {
    Surface surface(8, 8);
    store.background(u"label", instance, u"background")
        .draw(surface, {0, 0, 8, 8}, surface.bounds());
    return surface;
}

class ThemeTest : public testing::Test {
protected:
    ~ThemeTest() override {
        ThemeManager::instance().closeArchive();
        ImageCache::instance().clear();
    }
    ThemeManager& themes = ThemeManager::instance();
    SettingStore store;
};

TEST_F(ThemeTest, ThemeArchiveAddsItsSettingsAndImagesWhateverTheirLetterCase) {
    const Colour blue = rgb(0, 0, 255);
    ASSERT_TRUE(
        test::writeZip(inProgramFolder("blue.zip"),
                       {{"SETTINGS.INI", "label.pic.background=stretchimage(images\\back.png)\r\n"
                                         "label.gone.background=stretchimage(gone.png)\r\n"
                                         "label.file.background=fillimage(beside.png)\r\n"
                                         "label.pic.text=Blue\r\n"},
                        {"Images/BACK.PNG", encodePng(solidPicture(2, 2, blue))}}));
    ASSERT_TRUE(writePng(inProgramFolder("beside.png"), solidPicture(8, 8, rgb(0, 255, 0))));

    EXPECT_TRUE(themes.applyTheme(store, u"blue.zip"));
    ASSERT_TRUE(themes.archive());
    EXPECT_EQ(store.text(u"label", u"pic", u"text"), u"Blue");
    // The built-in lines are still there underneath.
    EXPECT_TRUE(store.resolve(u"default", u"", u"red"));

    EXPECT_EQ(paint(store, u"pic").at(4, 4), toPixel565(blue));
    EXPECT_EQ(paint(store, u"gone").at(4, 4), red);
    // Names the archive lacks come from the program's folder.
    EXPECT_EQ(paint(store, u"file").at(4, 4), toPixel565(rgb(0, 255, 0)));
    EXPECT_TRUE(ImageCache::instance().contains(u"images\\back.png"));
}

TEST_F(ThemeTest, ApplyingAnotherThemeStartsAgainFromTheBuiltInLook) {
    ASSERT_TRUE(test::writeZip(inProgramFolder("one.zip"),
                               {{"settings.ini", "label.one.text=One\r\n"},
                                {"pic.png", encodePng(solidPicture(1, 1, 0))}}));
    ASSERT_TRUE(
        test::writeZip(inProgramFolder("two.zip"), {{"settings.ini", "label.two.text=Two"}}));
    ASSERT_TRUE(themes.applyTheme(store, u"one.zip"));
    store.addLine(u"label.pic.background=fillimage(pic.png)");
    EXPECT_EQ(paint(store, u"pic").at(0, 0), 0);

    ASSERT_TRUE(themes.applyTheme(store, u"two.zip"));
    EXPECT_EQ(store.text(u"label", u"two", u"text"), u"Two");
    EXPECT_FALSE(store.resolve(u"label", u"one", u"text"));
    // The first theme's images went with its archive and the cleared caches.
    store.addLine(u"label.pic.background=fillimage(pic.png)");
    EXPECT_EQ(paint(store, u"pic").at(0, 0), red);
}

TEST_F(ThemeTest, BrokenThemesFallBackToTheBuiltInLookWithALineOnStandardError) {
    size_t builtIn = [&] {
        SettingStore plain;
        plain.loadDefaults();
        return plain.lines(false).size();
    }();

    std::ofstream(inProgramFolder("notzip.zip")) << "this is not a zip archive";
    ASSERT_TRUE(test::writeZip(inProgramFolder("climbing.zip"),
                               {{"../settings.ini", "label.evil.text=Evil"}}));
    ASSERT_TRUE(
        test::writeZip(inProgramFolder("huge.zip"), {{"settings.ini", "label.huge.text=Huge"}}));
    test::patchDeclaredSize(inProgramFolder("huge.zip"), 0xFFFFFFF0u);
    std::string damaged = test::readBytes(inProgramFolder("climbing.zip"));
    test::writeBytes(inProgramFolder("truncated.zip"), damaged.substr(0, damaged.size() / 2));

    for (const char16_t* theme :
         {u"notzip.zip", u"climbing.zip", u"huge.zip", u"truncated.zip", u"absent.zip"}) {
        store.addLine(u"label.stale.text=Stale");
        testing::internal::CaptureStderr();
        EXPECT_FALSE(themes.applyTheme(store, theme));
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("using the built-in look"), std::string::npos) << said;
        EXPECT_EQ(store.lines(false).size(), builtIn);
    }
    // No theme chosen: the built-in look, silently.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(themes.applyTheme(store, u""));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(themes.archive());
}

TEST_F(ThemeTest, SettingsEntryMayBeUtf16OrInTheSystemCodePage) {
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : std::u16string(u"label.u.text=\u00C9t\u00E9\r\nlabel.v.text=Z")) {
        utf16 += static_cast<char>(c & 0xFF);
        utf16 += static_cast<char>(c >> 8);
    }
    ASSERT_TRUE(test::writeZip(inProgramFolder("wide.zip"), {{"Settings.ini", utf16}}));
    ASSERT_TRUE(themes.applyTheme(store, u"wide.zip"));
    EXPECT_EQ(store.text(u"label", u"u", u"text"), u"\u00C9t\u00E9");
    EXPECT_EQ(store.text(u"label", u"v", u"text"), u"Z");

    ASSERT_TRUE(test::writeZip(inProgramFolder("narrow.zip"),
                               {{"settings.ini", "label.u.text=\xC9t\xE9\r\n"}}));
    ASSERT_TRUE(themes.applyTheme(store, u"narrow.zip"));
    EXPECT_EQ(store.text(u"label", u"u", u"text"), u"\u00C9t\u00E9");
}

TEST_F(ThemeTest, StartUpOrderLetsTheLanguageOverTheThemeAndTheUserOverBoth) {
    ASSERT_TRUE(test::writeZip(inProgramFolder("order.zip"),
                               {{"settings.ini", "label.a.text=theme\r\nlabel.b.text=theme\r\n"
                                                 "label.c.text=theme\r\n"}}));
    // The language is UTF-16 with a byte-order mark, the user's file 8-bit.
    std::string language = "\xFF\xFE";
    for (char16_t c : std::u16string(u"label.b.text=langue\r\nlabel.c.text=langue\r\n")) {
        language += static_cast<char>(c & 0xFF);
        language += static_cast<char>(c >> 8);
    }
    test::writeBytes(inProgramFolder("fr.lang.ini"), language);
    test::writeBytes(inProgramFolder("settings.ini"), "label.c.text=mine\n");

    SettingManager manager;
    manager.setTheme(u"order.zip");
    manager.setLanguage(u"fr.lang.ini");
    themes.loadAll(store, manager);
    EXPECT_EQ(store.text(u"label", u"a", u"text"), u"theme");
    EXPECT_EQ(store.text(u"label", u"b", u"text"), u"langue");
    EXPECT_EQ(store.text(u"label", u"c", u"text"), u"mine");

    EXPECT_FALSE(themes.loadLanguage(store, u"missing.lang.ini"));
    EXPECT_FALSE(themes.loadLanguage(store, u""));
    std::filesystem::remove(inProgramFolder("settings.ini"));
    EXPECT_FALSE(themes.loadUserSettings(store));
}

// The choosers read the program's folder itself, so this test gets one of its own.
class ChooserFolder {
public:
    ChooserFolder() : saved_(programFolder()), folder_(test::freshFolder("chooser")) {
        setenv("VANTREL_HOME", folder_.c_str(), 1);
    }
    ~ChooserFolder() { setenv("VANTREL_HOME", saved_.c_str(), 1); }
    std::filesystem::path operator/(const char* name) const { return folder_ / name; }

private:
    std::filesystem::path saved_;
    std::filesystem::path folder_;
};

TEST_F(ThemeTest, ChoosersListTheFolderFilesByNameWithoutTheirSuffix) {
    ChooserFolder folder;
    for (const char* name :
         {"Night.zip", "autumn.ZIP", ".zip", "notes.zip.txt", "fr.lang.ini", "de.LANG.INI",
          "fr.lang.ini.bak", "lang.ini", "settings.ini", "bad\xFFname.zip"})
        test::writeBytes(folder / name, "x");
    std::filesystem::create_directories(folder / "folder.zip");

    std::vector<ChooserFile> themes{{u"autumn.ZIP", u"autumn"}, {u"Night.zip", u"Night"}};
    EXPECT_EQ(ThemeManager::listThemes(), themes);
    std::vector<ChooserFile> languages{{u"de.LANG.INI", u"de"}, {u"fr.lang.ini", u"fr"}};
    EXPECT_EQ(ThemeManager::listLanguages(), languages);

    for (int i = 0; i < 250; ++i)
        test::writeBytes(folder / ("t" + std::to_string(1000 + i) + ".zip").c_str(), "x");
    std::vector<ChooserFile> many = ThemeManager::listThemes();
    ASSERT_EQ(many.size(), ThemeManager::maximumChoices);
    EXPECT_EQ(many.front().caption, u"autumn");
    EXPECT_EQ(many.back().caption, u"t1197");
}

TEST_F(ThemeTest, ChoosingKeepsTheLanguageAndTheUserFileOnTopAndReloadsOnce) {
    ASSERT_TRUE(test::writeZip(inProgramFolder("first.zip"),
                               {{"settings.ini", "label.a.text=first\r\nlabel.b.text=first\r\n"}}));
    ASSERT_TRUE(test::writeZip(inProgramFolder("second.zip"),
                               {{"settings.ini", "label.a.text=second\r\nlabel.b.text=second\r\n"
                                                 "label.c.text=second\r\n"}}));
    test::writeBytes(inProgramFolder("one.lang.ini"), "label.b.text=one\r\n");
    test::writeBytes(inProgramFolder("two.lang.ini"), "label.b.text=two\r\nlabel.c.text=two\r\n");
    test::writeBytes(inProgramFolder("settings.ini"), "label.c.text=mine\n");
    SettingManager manager;
    manager.setTheme(u"first.zip");
    manager.setLanguage(u"one.lang.ini");
    themes.loadAll(store, manager);
    int reloads = 0;
    store.setCacheClearListener([&reloads] { ++reloads; });

    EXPECT_TRUE(themes.chooseTheme(store, manager, u"second.zip"));
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(manager.currentTheme(), u"second.zip");
    EXPECT_EQ(store.text(u"label", u"a", u"text"), u"second");
    EXPECT_EQ(store.text(u"label", u"b", u"text"), u"one");
    EXPECT_EQ(store.text(u"label", u"c", u"text"), u"mine");

    std::filesystem::remove(inProgramFolder("settings.ini"));
    EXPECT_TRUE(themes.chooseLanguage(store, manager, u"two.lang.ini"));
    EXPECT_EQ(reloads, 2);
    EXPECT_EQ(manager.currentLanguage(), u"two.lang.ini");
    EXPECT_EQ(store.text(u"label", u"a", u"text"), u"second");
    EXPECT_EQ(store.text(u"label", u"c", u"text"), u"two");

    // An archive that went away leaves the built-in look, and is still what the next
    // start tries.
    EXPECT_FALSE(themes.chooseTheme(store, manager, u"gone.zip"));
    EXPECT_EQ(manager.currentTheme(), u"gone.zip");
    EXPECT_EQ(store.text(u"label", u"a", u"text"), u"label.a.text");
    EXPECT_EQ(store.text(u"label", u"b", u"text"), u"two");
    store.setCacheClearListener({});
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

// A hostile theme: big pictures preloaded under many names, and a broken one named on
// line after line. Decoding stops at the cache's budget, and a failure is tried once.
TEST_F(ThemeTest, ThemeImagesStayWithinTheBudgetAndABadImageIsDecodedOnce) {
    std::vector<test::ZipEntry> entries;
    std::string settings;
    for (int i = 0; i < 200; ++i)
        settings += "label.bad" + std::to_string(i) + ".background=stretchimage(BAD.png),preload\r\n";
    const std::string big = encodePng(solidPicture(2048, 2048, rgb(0, 0, 255)));
    for (int i = 0; i < 20; ++i) {
        std::string name = "big" + std::to_string(i) + ".png";
        entries.push_back({name, big});
        settings += "label.big" + std::to_string(i) + ".background=stretchimage(" + name +
                    "),preload\r\n";
    }
    entries.push_back({"bad.png", "\x89PNG\r\n\x1a\n broken"});
    entries.push_back({"settings.ini", settings});
    ASSERT_TRUE(test::writeZip(inProgramFolder("heavy.zip"), entries));

    std::map<std::u16string, int> loads;
    ImageCache::instance().setLoader([&](const std::u16string& name, bool mirror) {
        ++loads[name];
        return ThemeManager::instance().loadImage(name, mirror);
    });
    testing::internal::CaptureStderr();
    EXPECT_TRUE(themes.applyTheme(store, u"heavy.zip"));
    std::string errors = testing::internal::GetCapturedStderr();
    ImageCache::instance().setLoader({});

    EXPECT_LE(ImageCache::instance().bytesUsed(), ImageCache::budgetBytes);
    EXPECT_EQ(loads[u"BAD.png"], 1);
    // Six pictures of 16 MiB fit; the seventh is the one that finds the budget spent.
    int decoded = 0;
    for (int i = 0; i < 20; ++i)
        decoded += loads[u"big" + toUtf16(std::to_string(i)) + u".png"];
    EXPECT_EQ(decoded, 7);
    EXPECT_EQ(errors, "images: the theme's images need more than 96 MiB; \"big6.png\" and the "
                      "images after it keep the built-in look\n");
    // The next theme starts with the whole budget again.
    ImageCache::instance().clear();
    EXPECT_EQ(ImageCache::instance().bytesUsed(), 0u);
}

} // namespace
} // namespace vantrel
