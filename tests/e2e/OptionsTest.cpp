// The options page as a user meets it: boxes that show the kept options and keep what
// OK saves, a Cancel that keeps nothing, themes and languages from the program's folder
// that change the running program at once and again after a restart, and the settings
// dump with its box.

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/imaging/ImageDecoder.h"
#include "platform/registry/Registry.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"
#include "tests/zip/ZipBuilder.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;
namespace registry = platform::registry;

namespace {

constexpr std::u16string_view optionsKey = u"Software\\Vantrel\\Contact";

// Where the page's rows are before it scrolls (480x800, rows of 84 pixels below the
// about lines), and the answers at the bottom.
constexpr const char* openOptions = "go-to options\nwait 1000\n";
constexpr const char* tapSelectTheme = "tap 240 246\nwait 1000\n";
constexpr const char* tapSelectLanguage = "tap 240 330\nwait 1000\n";
constexpr const char* tapFullScreen = "tap 240 414\n";
constexpr const char* tapNoKeyboard = "tap 240 498\n";
constexpr const char* tapFirstChoice = "tap 240 36\nwait 1000\n";
constexpr const char* tapOk = "tap 120 760\nwait 1000\n";
constexpr const char* tapCancel = "tap 360 760\nwait 1000\n";

// The dumped state of the page's row `row` (0 is the about line).
std::string row(int index, const char* property) {
    return "options/optionspanel.list.items#" + std::to_string(index) + ".control#0." + property;
}

class OptionsScreen : public testing::Test {
protected:
    void SetUp() override { test::useFreshDevice(); }

    static fs::path home() { return platform::programFolder(); }

    // Runs the program on a script; its standard output.
    static std::string run(const std::string& text) {
        fs::path file = home() / "options.script";
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "quit\n";
        auto result = test::runProcess({(test::binaryFolder() / "app" / "vantrel").string(),
                                        "--headless", "--script", file.string()},
                                       20s);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.out;
    }

    static uint32_t storedOption(std::u16string_view name) {
        uint32_t value = 0xDEAD;
        EXPECT_TRUE(registry::readDword(registry::Root::currentUser, optionsKey, name, value))
            << platform::toUtf8(name);
        return value;
    }

    static uint32_t headerPixel(const fs::path& shot) {
        platform::DecodedImage screen = platform::decodeImageFile(shot);
        EXPECT_TRUE(screen.ok()) << screen.error;
        return screen.ok() ? screen.image.at(240, 60) : 0;
    }
};

size_t count(const std::string& text, const std::string& word) {
    size_t n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++n;
    return n;
}

} // namespace

TEST_F(OptionsScreen, OkKeepsTheBoxesForTheNextStartAndCancelKeepsNothing) {
    const auto user = registry::Root::currentUser;
    // A value of the wrong type reads as its default (off); the others as stored.
    ASSERT_TRUE(registry::writeString(user, optionsKey, u"showallcontact", u"1"));
    ASSERT_TRUE(registry::writeDword(user, optionsKey, u"favoriteicon", 1));
    ASSERT_TRUE(registry::writeDword(user, optionsKey, u"callloginsms", 0));

    std::string out = run(
        std::string(openOptions) + "expect " + row(5, "name") + " option.fullscreen\n" + "expect " +
        row(5, "checked") + " true\n" + "expect " + row(13, "checked") + " false\n" + "expect " +
        row(16, "checked") + " true\n" + "expect " + row(10, "checked") + " false\n" +
        // No archive in the folder: the theme menu does not open.
        tapSelectTheme + "expect-missing options/choosetheme\n" + tapFullScreen + tapNoKeyboard +
        "expect " + row(5, "checked") + " false\n" + "expect " + row(6, "checked") + " true\n" +
        tapCancel + "expect-missing options\n" + "expect contactcontainer.visible true\n" +
        // Cancel changed nothing: a new page shows the old state.
        openOptions + "expect " + row(5, "checked") + " true\n" + "expect " + row(6, "checked") +
        " false\n" + tapFullScreen + tapNoKeyboard + tapOk + "expect-missing options\n" +
        // Full screen went off: the task bar shows again above the window.
        "expect taskbar.visible true\n" + "received\n");
    // Once at start-up, once for OK; Cancel posted nothing.
    EXPECT_EQ(count(out, "VantrelDoFullScreen"), 2u) << out;

    EXPECT_EQ(storedOption(u"fullscreen"), 0u);
    EXPECT_EQ(storedOption(u"hidesiplandscape"), 1u);
    EXPECT_EQ(storedOption(u"showallcontact"), 0u);
    EXPECT_EQ(storedOption(u"favoriteicon"), 1u);
    EXPECT_EQ(storedOption(u"callloginsms"), 0u);
    EXPECT_EQ(storedOption(u"showcontactseparator"), 1u);

    run(std::string(openOptions) + "expect " + row(5, "checked") + " false\n" + "expect " +
        row(6, "checked") + " true\n" + "expect " + row(16, "checked") + " true\n" +
        "expect window.top 52\n" + tapCancel);
}

TEST_F(OptionsScreen, AChosenThemeAndLanguageChangeTheProgramAtOnceAndAfterARestart) {
    ASSERT_TRUE(test::writeZip(home() / "Green.zip",
                               {{"settings.ini", "header.*.background=fill(#00FF00)\r\n"}}));
    ASSERT_TRUE(test::writeZip(home() / "night.ZIP",
                               {{"settings.ini", "header.*.background=fill(#000040)\r\n"}}));
    std::ofstream(home() / "notes.txt") << "not a theme\n";
    std::ofstream(home() / "de.lang.ini", std::ios::binary)
        << "header.options.text=Optionen\r\n"
           "checkbutton.option.fullscreen.text=Vollbild\r\n"
           "global.filter.allcontact.text=Alle Kontakte\r\n";
    const fs::path before = home() / "before.png", options = home() / "options.png",
                   after = home() / "after.png", restarted = home() / "restarted.png";
    run("screenshot " + before.string() + "\n" + openOptions + tapSelectTheme +
        "expect options/choosetheme/theme#0.texts#0 Green\n" +
        "expect options/choosetheme/theme#1.texts#0 night\n" +
        "expect-missing options/choosetheme/theme#2\n" + tapFirstChoice +
        "expect-missing options/choosetheme\n" + "screenshot " + options.string() + "\n" +
        tapSelectLanguage + "expect options/chooselanguage/language#0.texts#0 de\n" +
        tapFirstChoice + "expect options/header.texts#0 Optionen\n" + "expect " +
        row(5, "texts#0") + " Vollbild\n" +
        // Chosen, not saved: Cancel keeps them.
        tapCancel + "screenshot " + after.string() + "\n" +
        "expect contactcontainer/filterlabel.texts#0 \"Alle Kontakte\"\n");
    const uint32_t green = platform::argb(255, 0, 255, 0);
    EXPECT_NE(headerPixel(before), green);
    EXPECT_EQ(headerPixel(options), green) << "the open page took the new look";
    EXPECT_EQ(headerPixel(after), green) << "the main screen took it too";

    run("screenshot " + restarted.string() + "\n" +
        "expect contactcontainer/filterlabel.texts#0 \"Alle Kontakte\"\n");
    EXPECT_EQ(headerPixel(restarted), green);
}

TEST_F(OptionsScreen, DumpSettingsWritesTheFileOrSaysItCouldNot) {
    // The last row, once the page has scrolled to its end.
    const std::string dump = std::string(openOptions) + "drag 240 700 240 100 1000\nwait 2000\n" +
                             "expect " + row(18, "name") + " optionpanel.dump\n" + "tap 240 678\n";
    // A folder in the file's place cannot be replaced: that is said, not hidden.
    fs::create_directories(home() / "dump.txt" / "keep");
    run(dump + "expect-box \"dump: Settings could not be written to dump.txt\"\n");
    fs::remove_all(home() / "dump.txt");

    run(dump + "expect-box \"dump: Settings dumped to dump.txt\"\n");
    std::string written;
    ASSERT_TRUE(platform::readWholeFile(home() / "dump.txt", written));
    EXPECT_TRUE(written.starts_with("# settings dump\r\n")) << written.substr(0, 100);
    EXPECT_NE(written.find("checkbutton.option.fullscreen.text=Fullscreen\r\n"), std::string::npos);
}
