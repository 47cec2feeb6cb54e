// The main screen on the demo device, as a user meets it: the demo contacts by name, the
// index strip that jumps to a letter, typing that filters, and contacts that another
// program adds or deletes appearing and going while the list is shown.

#include "platform/core/Paths.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class ContactScreen : public testing::Test {
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

    static std::string script(const std::string& text) {
        fs::path file = platform::programFolder() / "contacts.script";
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
        return file.string();
    }
};

// The full load has ended (the rows below come from the store, not only the cache).
constexpr const char* loaded = "expect-soon contactcontainer/contactlist.loading false 10000\n";

} // namespace

TEST_F(ContactScreen, ShowsTheDemoContactsByNameUnderTheirLetters) {
    auto result = test::runProcess(
        {vantrel(), "--headless", "--script",
         script(std::string(loaded) +
                "expect contactcontainer/contactlist.items#0.first \"<New Contact>\"\n"
                "expect contactcontainer/contactlist.items#1.text A\n"
                "expect contactcontainer/contactlist.items#2.first \"Abächerli, Jörg\"\n"
                "expect contactcontainer/contactlist.items#2.second \"+41 79 568 53 46 (Münchner "
                "Brauhaus)\"\n"
                "expect contactcontainer/contactlist.items#6.first \"Álvarez, Álvaro\"\n"
                "expect contactcontainer/contactlist.items#7.text B\n"
                "expect contactcontainer/contactlist.filter \"All Contacts\"\n"
                "expect contactcontainer/filterlabel.texts \"[\\\"All Contacts\\\"]\"\n")},
        20s);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    // The next start reads the cache the first one wrote.
    EXPECT_TRUE(fs::exists(platform::programFolder() / "contact.cache.txt"));
}

TEST_F(ContactScreen, TheStripJumpsToALetterAndTypingFilters) {
    auto result = test::runProcess(
        {vantrel(), "--headless", "--script",
         script(std::string(loaded) +
                // "C" on the strip: the view starts at the C header.
                "tap 10 141\n"
                "wait 1000\n"
                "expect contactcontainer/contactlist.top C\n"
                "text \"bbo\"\n"
                "expect contactcontainer/contactlist.names \"[\\\"Abbott, Emma\\\", \\\"Abbott, "
                "Grace\\\"]\"\n"
                "expect contactcontainer/filterlabel.texts \"[\\\"> bbo\\\"]\"\n"
                "expect contactcontainer/contactlist.hiddenCount 95\n"
                // Four seconds later a key starts a new search.
                "wait 4100\n"
                "key back\n"
                "expect contactcontainer/contactlist.typed \"\"\n"
                "expect contactcontainer/contactlist.filter \"All Contacts\"\n"
                // A tap on a contact opens its detail screen.
                "tap 200 215\n"
                "expect contactcontainer/contactlist.route \"detail Abächerli, Jörg\"\n"
                "expect contactdetail.visible true\n")},
        20s);
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(ContactScreen, AContactAddedOrDeletedElsewhereAppearsAndGoesWithoutARestart) {
    test::BackgroundProcess app(
        {vantrel(), "--headless", "--script",
         script(std::string(loaded) +
                "print ready\n"
                "expect-soon contactcontainer/contactlist.items#2.first \"Aalto, Aino\" 10000\n"
                "expect contactcontainer/contactlist.items#2.second \"+358 40 123 4567\"\n"
                "print added\n"
                "expect-soon contactcontainer/contactlist.items#2.first \"Abächerli, Jörg\" 10000\n"
                "quit\n")});
    ASSERT_TRUE(app.waitForLine("ready", 20s)) << app.errors();
    auto added =
        device({"contacts", "add", "--fileas", "Aalto, Aino", "--mobile", "+358 40 123 4567"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    ASSERT_TRUE(app.waitForLine("added", 20s)) << app.output() << app.errors();
    std::string id = added.out.substr(0, added.out.find('\n'));
    auto deleted = device({"contacts", "delete", id});
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(app.wait(20s), 0) << app.errors();
}
