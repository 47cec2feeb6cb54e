// The contact detail screen on the demo device, as a user meets it: a tapped contact
// with its numbers in stored order, the contact menu that follows the contact, removal
// that asks first, a call that reaches the phone, SMS and mail handed to the desktop's
// programs, the picture chooser, and a contact another program deletes while it shows.

#include "platform/core/Paths.h"
#include "platform/imaging/PngWriter.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Where the demo screen puts things (480 x 800): the list rows of "Abächerli, Jörg"
// (home and mobile numbers, a picture) and "Abächerli, Sophie" (a home number, an
// e-mail address, no picture); the detail screen's More and Back; the contact menu's
// entries; the confirmation's answers; the button column's rows from the bottom.
constexpr const char* tapJoerg = "tap 200 215\nwait 1000\n";
constexpr const char* tapSophie = "tap 200 279\nwait 1000\n";
constexpr const char* more = "tap 420 770\nwait 1000\n";
constexpr const char* back = "tap 60 770\nwait 1000\n";
constexpr const char* menuView = "tap 240 35\nwait 1000\n";
constexpr const char* menuPicture = "tap 240 163\nwait 1000\n";
constexpr const char* menuFavorite = "tap 240 227\nwait 1000\n";
constexpr const char* menuRemove = "tap 240 291\nwait 1000\n";
constexpr const char* menuCancel = "tap 240 355\nwait 1000\n";
constexpr const char* yes = "tap 125 755\nwait 1000\n";
constexpr const char* no = "tap 355 755\nwait 1000\n";
constexpr const char* firstButton = "tap 240 530\nwait 1000\n";  // SMS & History
constexpr const char* secondButton = "tap 240 614\nwait 1000\n"; // the first number
constexpr const char* thirdButton = "tap 240 698\nwait 1000\n";  // mobile, or a mail

// The full load has ended, so the rows come from the store.
constexpr const char* loaded = "expect-rows 20 10000\nexpect-loaded 10000\n";

class ContactDetail : public testing::Test {
protected:
    void SetUp() override {
        test::useFreshDevice();
        auto seeded = device({"seed-demo"});
        ASSERT_EQ(seeded.exitCode, 0) << seeded.err;
        home_ = test::freshFolder("home");
        // The desktop the program hands work to: a home of its own, no user-dirs file.
        setenv("HOME", home_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
    }

    static std::string vantrel() { return (test::binaryFolder() / "app" / "vantrel").string(); }

    static test::ProcessResult device(std::vector<std::string> words) {
        return test::runDevice(std::move(words), 20s);
    }

    static std::string script(const std::string& text) {
        fs::path file = platform::programFolder() / "detail.script";
        fs::create_directories(file.parent_path());
        std::ofstream(file) << loaded << text;
        return file.string();
    }

    static test::ProcessResult run(const std::string& text) {
        return test::runProcess({vantrel(), "--headless", "--script", script(text)}, 60s);
    }

    static std::string contacts() { return device({"contacts", "list"}).out; }

    // The line of `contacts list` for a name, or empty.
    static std::string contactLine(const std::string& name) {
        std::istringstream lines(contacts());
        for (std::string line; std::getline(lines, line);)
            if (line.find("\t" + name + "\t") != std::string::npos)
                return line;
        return {};
    }

    // A program that writes its arguments, one a line, to `output`.
    fs::path recorder(const fs::path& file, const fs::path& output) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "#!/bin/sh\nfor word in \"$@\"; do printf '%s\\n' \"$word\"; done > "
                            << output << ".part && mv " << output << ".part " << output << "\n";
        fs::permissions(file, fs::perms::owner_all);
        return file;
    }

    static std::string waitForFile(const fs::path& file) {
        for (int i = 0; i < 100 && !fs::exists(file); ++i)
            std::this_thread::sleep_for(50ms);
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path home_;
};

} // namespace

TEST_F(ContactDetail, ATappedContactShowsItsNumbersInStoredOrderAndTheMenuFollowsIt) {
    auto result = run(
        std::string(tapJoerg) +
        "expect contactdetail.visible true\n"
        "expect contactdetail/header.texts#0 \"Abächerli, Jörg\"\n"
        // The stored order: home before mobile, under the SMS button.
        "expect contactdetail/callbuttons.count 3\n"
        "expect contactdetail/callbuttons.items#0.control#0.texts#0 \"SMS & History\"\n"
        "expect contactdetail/callbuttons.items#1.control#0.texts#0 \"Home - +41 44 743 83 17\"\n"
        "expect contactdetail/callbuttons.items#2.control#0.texts#0 \"Mobile - +41 79 568 53 46\"\n"
        "expect contactdetail.picture true\n" +
        more +
        "expect contactdetail/menupanel/removepicture.texts#0 \"Remove Picture\"\n"
        "expect-missing contactdetail/menupanel/setpicture\n"
        "expect contactdetail/menupanel/setfavorite.texts#0 \"Add to fav.\"\n" +
        menuFavorite +
        "expect-missing contactdetail/menupanel\n"
        "expect contactdetail.favorite true\n" +
        more + "expect contactdetail/menupanel/removefavorite.texts#0 \"Remove from fav.\"\n" +
        menuCancel + back +
        "expect contactcontainer.visible true\n"
        "expect contactdetail.visible false\n" +
        tapSophie +
        "expect contactdetail.contact \"Abächerli, Sophie\"\n"
        "expect contactdetail.picture false\n"
        "expect contactdetail/callbuttons.items#2.control#0.texts#0 \"Mail "
        "(sophie.abacherli@example.com)\"\n" +
        more +
        "expect contactdetail/menupanel/setpicture.texts#0 \"Set Picture...\"\n"
        "expect-missing contactdetail/menupanel/removepicture\n" +
        menuView +
        // The card: every stored field, read-only.
        "expect contactcard/header.texts#0 \"Abächerli, Sophie\"\n"
        "expect contactcard/contactcard.fields.items#3.text \"Email: "
        "sophie.abacherli@example.com\"\n"
        "expect contactcard/contactcard.fields.items#5.text \"Home Address: München, 80331, "
        "Germany\"\n"
        "tap 120 760\nwait 1000\n"
        "expect-missing contactcard\n"
        "expect contactdetail.visible true\n"
        "quit\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    // The favourite went to the store.
    EXPECT_NE(contactLine("Abächerli, Jörg").find("\t*\t"), std::string::npos) << contacts();
}

TEST_F(ContactDetail, CallButtonsFollowTheStoredOrderAndAContactWithoutAnyHasOnlySms) {
    ASSERT_EQ(device({"contacts", "add", "--fileas", "Aalto, Aino", "--mobile", "040 111", "--work",
                      "09 222", "--home", "09 333"})
                  .exitCode,
              0);
    ASSERT_EQ(device({"contacts", "add", "--fileas", "Aab, Ohne"}).exitCode, 0);
    ASSERT_EQ(device({"registry", "set", "HKCU", "Software\\Vantrel\\Contact", "showallcontact",
                      "dword", "1"})
                  .exitCode,
              0);
    auto result =
        run("tap 200 215\nwait 1000\n"
            "expect contactdetail.contact \"Aab, Ohne\"\n"
            "expect contactdetail/callbuttons.count 1\n"
            "expect contactdetail/callbuttons.items#0.control#0.name sms\n"
            // The header's back arrow.
            "tap 30 40\nwait 1000\n"
            "expect contactcontainer.visible true\n"
            "tap 200 279\nwait 1000\n"
            "expect contactdetail.contact \"Aalto, Aino\"\n"
            "expect contactdetail/callbuttons.count 4\n"
            "expect contactdetail/callbuttons.items#1.control#0.texts#0 \"Home - 09 333\"\n"
            "expect contactdetail/callbuttons.items#2.control#0.texts#0 \"Business - 09 "
            "222\"\n"
            "expect contactdetail/callbuttons.items#3.control#0.texts#0 \"Mobile - 040 111\"\n"
            "quit\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(ContactDetail, RemoveAsksFirstNoKeepsTheContactYesDeletesIt) {
    test::BackgroundProcess app(
        {vantrel(), "--headless", "--script",
         script(std::string(tapJoerg) + more + menuRemove +
                "expect confirm/confirmdialog.content.texts#0 \"Are you sure you want to remove "
                "this contact?\"\n" +
                no +
                "expect-missing confirm\n"
                "expect contactdetail.visible true\n"
                "print refused\n"
                "expect-soon contactdetail/header.battery 60 20000\n"
                "expect contactdetail.visible true\n" +
                more + menuRemove + yes +
                "expect contactcontainer.visible true\n"
                "expect-soon contactcontainer/contactlist.items#2.first \"Abächerli, Sophie\" "
                "10000\n"
                "quit\n")});
    ASSERT_TRUE(app.waitForLine("refused", 30s)) << app.errors();
    EXPECT_NE(contactLine("Abächerli, Jörg"), "") << contacts();
    // The signal to go on: a change of the phone's state only repaints the header.
    ASSERT_EQ(device({"state", "battery", "60"}).exitCode, 0);
    EXPECT_EQ(app.wait(30s), 0) << app.errors();
    EXPECT_EQ(contactLine("Abächerli, Jörg"), "") << contacts();
    EXPECT_NE(contactLine("Abächerli, Sophie"), "");
}

TEST_F(ContactDetail, ACallReachesTheModemAndTheCallLogThenTheListReturns) {
    auto result = run(std::string(tapJoerg) + thirdButton +
                      // The screen stays a moment after the call, then the list returns.
                      "expect contactdetail.visible true\n"
                      "wait 1200\n"
                      "expect contactcontainer.visible true\n"
                      "quit\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    auto dials = device({"modem", "dials"});
    EXPECT_NE(dials.out.find("\t+41 79 568 53 46\tAbächerli, Jörg\n"), std::string::npos)
        << dials.out;
    auto calls = device({"call", "list"});
    EXPECT_NE(calls.out.find("\tout\t+41 79 568 53 46\tAbächerli, Jörg\n"), std::string::npos)
        << calls.out;
}

TEST_F(ContactDetail, AContactDeletedElsewhereKeepsItsScreenAndItsCommandsOnlyChangeScreens) {
    std::string joerg = contactLine("Abächerli, Jörg");
    ASSERT_NE(joerg, "");
    test::BackgroundProcess app(
        {vantrel(), "--headless", "--script",
         script(std::string(tapJoerg) +
                "print showing\n"
                "expect-soon contactcontainer/contactlist.items#2.first \"Abächerli, Sophie\" "
                "20000\n"
                "expect contactdetail.contact \"Abächerli, Jörg\"\n" +
                more + menuView + "expect-missing contactcard\n" + more + menuFavorite +
                "expect contactdetail.favorite false\n" + more + menuRemove + yes +
                "expect contactcontainer.visible true\n"
                "quit\n")});
    ASSERT_TRUE(app.waitForLine("showing", 30s)) << app.errors();
    auto deleted = device({"contacts", "delete", joerg.substr(0, joerg.find('\t'))});
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(app.wait(30s), 0) << app.errors();
    EXPECT_EQ(contactLine("Abächerli, Jörg"), "");
}

TEST_F(ContactDetail, SmsGoesToTheConversationOrTheConfiguredOldProgramAndMailToTheComposer) {
    // Option off: the program's own conversation screen.
    auto own = run(std::string(tapJoerg) + firstButton + "expect smspanel.visible true\nquit\n");
    EXPECT_EQ(own.exitCode, 0) << own.err;

    ASSERT_EQ(device({"registry", "set", "HKCU", "Software\\Vantrel\\Contact", "useoldappforsms",
                      "dword", "1"})
                  .exitCode,
              0);
    // On, but no program configured: nothing happens.
    auto none = run(std::string(tapJoerg) + firstButton +
                    "expect contactdetail.visible true\nexpect smspanel.visible false\nquit\n");
    EXPECT_EQ(none.exitCode, 0) << none.err;

    fs::path smsWords = home_ / "sms-words";
    fs::path program = recorder(home_ / "bin" / "old messaging", smsWords);
    ASSERT_EQ(device({"registry", "set", "HKLM", "Software\\Vantrel\\Shell\\Programs", "Messaging",
                      "string", program.string()})
                  .exitCode,
              0);
    fs::path mailWords = home_ / "mail-words";
    recorder(home_ / "bin" / "xdg-email", mailWords);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    setenv("PATH", ((home_ / "bin").string() + ":" + path).c_str(), 1);
    auto handed =
        run(std::string(tapJoerg) + firstButton + "expect contactdetail.visible true\n" + back +
            tapSophie + thirdButton + "expect contactcontainer.visible true\nquit\n");
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(handed.exitCode, 0) << handed.err;
    // One word each, the number last, as the old program's command line had it.
    EXPECT_EQ(waitForFile(smsWords), "-service\nSMS\n-to\n+41 79 568 53 46\n");
    // The name is quoted: a file-as name's comma would otherwise make two recipients.
    EXPECT_EQ(waitForFile(mailWords),
              "mailto:%22Ab%C3%A4cherli%2C%20Sophie%22%20%3Csophie.abacherli@example.com%3E\n");
}

TEST_F(ContactDetail, TheChooserShowsThePicturesFolderAndItsChoiceBecomesThePicture) {
    fs::path pictures = home_ / "Pictures";
    fs::create_directories(pictures / "holiday");
    // Noise, so the picture is above the chooser's minimum file size.
    platform::ArgbImage noisy(96, 64);
    std::mt19937 random(7);
    for (uint32_t& pixel : noisy.pixels)
        pixel = 0xFF000000u | (random() & 0xFFFFFFu);
    ASSERT_TRUE(platform::writePng(pictures / "holiday" / "beach.png", noisy));
    ASSERT_TRUE(platform::writePng(pictures / "tiny.png", platform::ArgbImage(2, 2, 0xFF00FF00u)));
    std::ofstream(pictures / "notes.txt") << std::string(4000, 'x');
    std::ofstream(pictures / "renamed.png") << std::string(4000, 'x');

    auto result =
        run(std::string(tapSophie) + more + menuPicture +
            "expect picturechooser.visible true\n"
            // Only the pictures' names, not the tiny one nor the text.
            "expect picturechooser/pictures.count 2\n"
            "expect picturechooser/pictures.items#0.text \"holiday/beach.png\"\n"
            "expect picturechooser/pictures.items#1.text renamed.png\n"
            "expect-soon picturechooser/pictures.items#0.thumbnail true 10000\n"
            "expect picturechooser/pictures.items#1.thumbnail false\n"
            // A name is not a picture: the chooser stays.
            "tap 200 228\nwait 1000\n"
            "expect picturechooser.visible true\n"
            "tap 200 132\nwait 1000\n"
            "expect-missing picturechooser\n"
            "expect contactdetail.picture true\n"
            "expect-soon contactcontainer/contactlist.items#3.picture true 10000\n" +
            more + menuPicture +
            "expect confirm/confirmdialog.content.texts#0 \"Are you sure you want to remove this "
            "contact picture?\"\n" +
            no + "expect contactdetail.picture true\n" + more + menuPicture + yes +
            "expect contactdetail.picture false\n"
            "expect contactcontainer/contactlist.items#3.picture false\n"
            "quit\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    // The store holds no picture any more: the next start shows none either.
    auto again = run(std::string(tapSophie) + "expect contactdetail.picture false\nquit\n");
    EXPECT_EQ(again.exitCode, 0) << again.err;
}
