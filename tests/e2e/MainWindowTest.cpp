// The main window as a user meets it: the screens in their order, a rotation, and the
// full-screen option decided in the registry.

#include "platform/core/Paths.h"
#include "platform/imaging/ImageDecoder.h"
#include "platform/registry/Registry.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class MainWindow : public testing::Test {
protected:
    void SetUp() override { test::useFreshDevice(); }

    test::ProcessResult run(const std::string& text) {
        fs::path file = platform::programFolder() / "main.script";
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
        return test::runProcess({(test::binaryFolder() / "app" / "vantrel").string(), "--headless",
                                 "--script", file.string()},
                                20s);
    }

    static void setFullScreenOption(uint32_t on) {
        ASSERT_TRUE(platform::registry::writeDword(platform::registry::Root::currentUser,
                                                   u"Software\\Vantrel\\Contact", u"Fullscreen", on));
    }
};

} // namespace

TEST_F(MainWindow, StartsOnTheContactScreenWithTheOthersHiddenBehindTheGestureLayer) {
    fs::path dump = platform::programFolder() / "start.json";
    auto result = run("dump " + dump.string() + "\n"
                      "expect contactcontainer.visible true\n"
                      "expect contactdetail.visible false\n"
                      "expect smspanel.visible false\n"
                      "expect contactcontainer.rect \"[0, 0, 480, 800]\"\n"
                      "post g_vtrGoToContacts\n"
                      "expect contactcontainer.visible true\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;

    // Input meets the gesture layer first; painting puts the detail over the container.
    std::string json;
    ASSERT_TRUE(platform::readWholeFile(dump, json));
    std::vector<size_t> at;
    for (const char* name : {"gesture", "contactdetail", "contactcontainer", "smspanel"})
        at.push_back(json.find(std::string("\"name\":\"") + name + "\""));
    for (size_t i = 0; i + 1 < at.size(); ++i) {
        ASSERT_NE(at[i], std::string::npos);
        EXPECT_LT(at[i], at[i + 1]);
    }
}

TEST_F(MainWindow, TheHeaderMenuOpensPagesIntoItsSubmenuAndClosesOnATapBesideIt) {
    // Entries are 64 pixels high from y 4 on a 480 x 800 screen.
    auto result = run("tap 240 20\n"
                      "expect contactcontainer/menupanel.visible true\n"
                      "expect contactcontainer/menupanel/choosesip.texts \"[\\\"Choose SIP\\\"]\"\n"
                      "expect contactcontainer/menupanel/cancel.rect \"[80, 132, 400, 196]\"\n"
                      "tap 240 700\n"
                      "expect-missing contactcontainer/menupanel\n"
                      "tap 240 20\n"
                      "tap 240 36\n"
                      "expect contactcontainer/menupanel/nosip.texts \"[\\\"No sip\\\"]\"\n"
                      "expect-missing contactcontainer/menupanel/showsip\n"
                      "tap 240 700\n"
                      "tap 240 20\n"
                      "tap 240 164\n"
                      "expect-missing contactcontainer/menupanel\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(MainWindow, RotatingLaysTheScreensOutAgain) {
    auto result = run("size 800x480\n"
                      "expect window.rect \"[0, 0, 800, 480]\"\n"
                      "expect contactcontainer.rect \"[0, 0, 800, 480]\"\n"
                      "expect contactdetail.rect \"[0, 0, 800, 480]\"\n"
                      "size 480x800\n"
                      "expect contactcontainer.rect \"[0, 0, 480, 800]\"\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(MainWindow, TheFullScreenOptionDecidesTheWindowTop) {
    setFullScreenOption(0);
    auto below = run("expect taskbar.visible true\n"
                     "expect window.top 52\n"
                     "expect contactcontainer.rect \"[0, 0, 480, 748]\"\n");
    EXPECT_EQ(below.exitCode, 0) << below.err;

    setFullScreenOption(1);
    auto over = run("expect taskbar.visible false\nexpect window.top 0\n");
    EXPECT_EQ(over.exitCode, 0) << over.err;
}

TEST_F(MainWindow, AFailedExpectationNamesWhatWasFound) {
    auto result = run("expect contactdetail.visible true\n");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "script: line 1: expect: contactdetail.visible is false, not true: "
                          "expect contactdetail.visible true\n");
}

TEST_F(MainWindow, TheHeaderShowsWhatTheDeviceToolSets) {
    std::string device = (test::binaryFolder() / "tools" / "vantrel-device").string();
    for (auto args : {std::vector<std::string>{"battery", "81"}, {"signal", "40"}, {"operator", "Sunrise"}})
        ASSERT_EQ(test::runProcess({device, "state", args[0], args[1]}, 10s).exitCode, 0);
    fs::path dump = platform::programFolder() / "header.json";
    auto result = run("expect contactcontainer/header.battery 81\n"
                      "expect contactcontainer/header.signal 40\n"
                      "dump " + dump.string() + "\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::string json;
    ASSERT_TRUE(platform::readWholeFile(dump, json));
    EXPECT_NE(json.find("\"texts\":[\"\",\"Sunrise\","), std::string::npos) << json;
    EXPECT_EQ(test::runProcess({device, "state", "battery", "lots"}, 10s).exitCode, 2);
}

TEST_F(MainWindow, ABatteryChangeWhileRunningReachesTheHeader) {
    fs::path file = platform::programFolder() / "live.script";
    std::ofstream(file) << "print ready\nexpect-soon contactcontainer/header.battery 20 5000\nquit\n";
    test::BackgroundProcess app({(test::binaryFolder() / "app" / "vantrel").string(), "--headless",
                                 "--script", file.string()});
    ASSERT_TRUE(app.waitForLine("ready", 10s)) << app.errors();
    std::string device = (test::binaryFolder() / "tools" / "vantrel-device").string();
    ASSERT_EQ(test::runProcess({device, "state", "battery", "20"}, 10s).exitCode, 0);
    EXPECT_EQ(app.wait(10s), 0) << app.errors();
}

// Loading settings clears the store's caches, freeing every box, font and background the
// controls were lent; they must all take new ones before anything draws or ticks (the
// header's clock timer reads a box). Under AddressSanitizer a stale one is a crash.
TEST_F(MainWindow, LoadedSettingsReachEveryControlWithoutStaleValues) {
    fs::path settings = platform::programFolder() / "blue.ini";
    std::ofstream(settings) << "header.*.background=fill(#0000FF)\n";
    fs::path shot = platform::programFolder() / "blue.png";
    auto result = run("settings-load " + settings.string() + "\n"
                      "wait 13000\n"
                      "screenshot " + shot.string() + "\n"
                      "size 800x480\n"
                      "settings-load " + settings.string() + "\n"
                      "wait 13000\n");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    platform::DecodedImage screen = platform::decodeImageFile(shot);
    ASSERT_TRUE(screen.ok()) << screen.error;
    EXPECT_EQ(screen.image.at(240, 60), platform::argb(255, 0, 0, 255));
}
