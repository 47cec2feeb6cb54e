// The bottom of the main screen on the demo device, as a user meets it: the icon bar's
// filters, the filter menu's folders, the phone pad typing into the search, the swipe
// back to all contacts, the symbol pad's "Close", and the dial pad start option.

#include "platform/core/Paths.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class MainScreenBar : public testing::Test {
protected:
    void SetUp() override {
        test::useFreshDevice();
        auto seeded = device({"seed-demo"});
        ASSERT_EQ(seeded.exitCode, 0) << seeded.err;
    }

    static std::string vantrel() { return (test::binaryFolder() / "app" / "vantrel").string(); }

    static test::ProcessResult device(std::vector<std::string> words) {
        return test::runDevice(std::move(words), 20s);
    }

    std::string script(const std::string& text) {
        fs::path file =
            platform::programFolder() / ("bar-" + std::to_string(scripts_++) + ".script");
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "expect-soon contactcontainer/contactlist.loading false 10000\n"
                            << text;
        return file.string();
    }

    test::ProcessResult run(const std::string& text, std::vector<std::string> options = {}) {
        std::vector<std::string> words{vantrel(), "--headless", "--script", script(text)};
        words.insert(words.end(), options.begin(), options.end());
        return test::runProcess(words, 30s);
    }

    int scripts_ = 0;
};

// On the 480 x 800 screen: the bar's buttons at y 770, a quarter of the width each; the
// menu's rows 84 pixels high from y 84; the pad's keys 70 pixels high from y 460.
constexpr const char* list = "contactcontainer/contactlist";

std::string expectFilter(const std::string& kind, const std::string& label) {
    return std::string("expect ") + list + ".filterKind " + kind + "\nexpect " + list +
           ".filter \"" + label + "\"\nexpect contactcontainer/filterlabel.texts \"[\\\"" + label +
           "\\\"]\"\n";
}

} // namespace

TEST_F(MainScreenBar, TheIconBarSwitchesFiltersAndASecondPressReturnsToAll) {
    test::BackgroundProcess app(
        {vantrel(), "--headless", "--script",
         script("tap 60 770\n" + expectFilter("favorite", "Favorite") +
                // Every row shown is a favourite.
                "expect " + list + ".items#0.favorite true\n" +
                // SMS while favourites are set switches to SMS.
                "tap 180 770\n" + expectFilter("sms", "Contacts with SMS") + "tap 180 770\n" +
                expectFilter("all", "All Contacts") + "tap 60 770\ntap 60 770\n" +
                expectFilter("all", "All Contacts") +
                // The badge follows the unread count the system keeps.
                "expect contactcontainer/iconpanel.badge \"\"\n"
                "print badge\n"
                "expect-soon contactcontainer/iconpanel.badge 12 10000\n")});
    ASSERT_TRUE(app.waitForLine("badge", 30s)) << app.errors();
    EXPECT_EQ(device({"state", "unread", "12"}).exitCode, 0);
    EXPECT_EQ(app.wait(20s), 0) << app.errors();
}

TEST_F(MainScreenBar, TheCompanyFolderNarrowsTheListAndTheButtonStepsBackOut) {
    auto result =
        run(std::string("tap 300 770\n") +
            "expect contactcontainer/filters.visible true\n"
            "expect " +
            list +
            ".visible false\n"
            "expect contactcontainer/filters/filterlist.items#0.text \"Favorite Contacts\"\n"
            "expect contactcontainer/filters/filterlist.items#6.control#0.texts "
            "\"[\\\"Go to Options...\\\"]\"\n"
            // "By Company...": the distinct companies after the no-value entry.
            "tap 200 378\n"
            "expect contactcontainer/filters.level company\n"
            "expect contactcontainer/filters/filterlist.items#0.text \"<No Category>\"\n"
            "expect contactcontainer/filters/filterlist.items#1.text \"Banco Andino\"\n"
            // The filter button inside a folder goes back to the root, then closes.
            "tap 300 770\n"
            "expect contactcontainer/filters.level root\n"
            "tap 300 770\n"
            "expect contactcontainer/filters.visible false\n"
            "expect " +
            list +
            ".visible true\n"
            // Open again and choose the second company.
            "tap 300 770\ntap 200 378\ntap 200 210\n"
            "expect contactcontainer/filters.visible false\n" +
            expectFilter("company", "Working for Banco Andino") + "expect " + list +
            ".names \"[\\\"Álvarez, Álvaro\\\"]\"\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(MainScreenBar, ThePadTypesDigitsThatNarrowTheListAndSlidesAway) {
    auto result = run(std::string("expect contactcontainer/phonepad.visible false\n") +
                      "tap 420 770\n"
                      "expect contactcontainer/phonepad.visible true\n"
                      "expect contactcontainer/phonepad.rect \"[0, 460, 480, 740]\"\n"
                      // 5, 2, 6: "Lämmli" by its letters, the others by their numbers.
                      "tap 240 565\ntap 240 495\ntap 400 565\n"
                      "expect " +
                      list + ".typed 526\n" + expectFilter("letters", "> 526") + "expect " + list +
                      ".names \"[\\\"Čapek, Paweł\\\", \\\"Garage Lämmli\\\", \\\"Weiß, "
                      "Noah\\\"]\"\n"
                      // A long press on 0 types "+", on # types "*"; C erases one.
                      "tap 240 705 600\n"
                      "expect " +
                      list +
                      ".typed 526+\n"
                      "tap 80 705 600\n"
                      "expect " +
                      list +
                      ".typed 526+*\n"
                      "tap 400 705\ntap 400 705\n"
                      "expect " +
                      list +
                      ".typed 526\n"
                      "tap 420 770\n"
                      "expect contactcontainer/phonepad.visible false\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(MainScreenBar, AWideSwipeReturnsToAllButNotOneThatDrifts35PixelsAndTheCornerTapHides) {
    auto result = run(std::string("tap 180 770\n") + expectFilter("sms", "Contacts with SMS") +
                      "drag 40 300 440 335\n" + expectFilter("sms", "Contacts with SMS") +
                      "expect gesture.gesture \"\"\n"
                      "drag 40 300 440 320\n"
                      "expect gesture.gesture swipe\n" +
                      expectFilter("all", "All Contacts") +
                      // A tap in the top-right corner held 250 ms does not minimise; a
                      // quick one does, leaving full screen.
                      "tap 475 5 250\nexpect gesture.gesture swipe\n"
                      "tap 475 5\nexpect gesture.gesture corner\n"
                      "expect window.fullscreen false\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(MainScreenBar, CloseInTheSymbolPadEndsTheProgramWithZeroAndMinimizeHidesIt) {
    // A long press on "Phone" opens the row; "Close" ends the run before its next line.
    auto result = run("tap 420 770 600\n"
                      "expect contactcontainer/iconpanel/symbol.visible true\n"
                      "expect contactcontainer/phonepad.visible false\n"
                      "tap 300 710\n"
                      "wait 100\n"
                      "print still running\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.find("still running"), std::string::npos) << result.out;
    // "Minimize" leaves full screen and takes the row away; the program runs on.
    auto minimized = run("tap 420 770 600\n"
                         "tap 420 710\n"
                         "expect-missing contactcontainer/iconpanel/symbol\n"
                         "expect window.fullscreen false\n"
                         "print still running\n");
    EXPECT_EQ(minimized.exitCode, 0) << minimized.err;
    EXPECT_NE(minimized.out.find("still running"), std::string::npos) << minimized.out;
}

TEST_F(MainScreenBar, TheDialpadOptionStartsWithThePadShownAndASecondOneClosesIt) {
    auto result = run("expect contactcontainer/phonepad.visible true\n"
                      "post g_vtrGoToDialpad\n"
                      "expect contactcontainer/phonepad.visible false\n",
                      {"-dialpad"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    auto favorites = run(expectFilter("favorite", "Favorite") +
                             // The message does not toggle: favourites stay.
                             "post g_vtrGoToFavorite\n" + expectFilter("favorite", "Favorite"),
                         {"-favorites"});
    EXPECT_EQ(favorites.exitCode, 0) << favorites.err;
}

TEST_F(MainScreenBar, ASecondStartForwardsTheDialpadAndSmsOptions) {
    test::BackgroundProcess first({vantrel(), "--headless", "--script",
                                   script("print ready\n"
                                          "expect-message g_vtrGoToDialpad 10000\n"
                                          "expect contactcontainer/phonepad.visible true\n"
                                          "expect-message g_vtrGoToSms 10000\n" +
                                          expectFilter("sms", "Contacts with SMS") + "quit\n")});
    ASSERT_TRUE(first.waitForLine("ready", 30s)) << first.errors();
    EXPECT_EQ(test::runProcess({vantrel(), "--headless", "-dialpad"}, 10s).exitCode, 0);
    EXPECT_EQ(test::runProcess({vantrel(), "--headless", "-sms"}, 10s).exitCode, 0);
    EXPECT_EQ(first.wait(20s), 0) << first.errors();
}
