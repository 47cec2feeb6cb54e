// SMS arriving while the program runs on the demo device: the rows, the icon bar's
// badge and the contact list's filter follow at once, an unknown number gets its own
// row, the window comes to the front only when the option asks for it, and a block
// that breaks its bounds is passed by.

#include "platform/core/Paths.h"
#include "platform/ipc/SharedMemory.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class IncomingSms : public testing::Test {
protected:
    void SetUp() override {
        test::useFreshDevice();
        auto seeded = device({"seed-demo", "--messages", "240", "--seed", "1"});
        ASSERT_EQ(seeded.exitCode, 0) << seeded.err;
    }

    static test::ProcessResult device(std::vector<std::string> words) {
        return test::runDevice(std::move(words));
    }

    static void setBringToFront(bool on) {
        auto set = device({"registry", "set", "HKCU", "Software\\Vantrel\\Contact",
                           "bringtofrontonsms", "dword", on ? "1" : "0"});
        ASSERT_EQ(set.exitCode, 0) << set.err;
    }

    // The app with a script that settles, dumps, says "ready", then waits for the test
    // to post g_vtrGoToContacts once its messages are in, lets the counts settle and
    // dumps again; `checks` run in between.
    static test::BackgroundProcess start(const std::string& checks) {
        fs::path file = platform::programFolder() / "incoming.script";
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "expect-loaded 15000\n"
                               "expect-soon counts.busy false 15000\n"
                               "dump " +
                                   dumpFile("before.json").string() +
                                   "\n"
                                   "print ready\n"
                                   "expect-message g_vtrGoToContacts 30000\n"
                                   "expect-soon counts.busy false 15000\n" +
                                   checks + "dump " + dumpFile("after.json").string() + "\nquit\n";
        return test::BackgroundProcess(
            {(test::binaryFolder() / "app/vantrel").string(), "--headless", "--script", file});
    }

    static fs::path dumpFile(const std::string& name) { return platform::programFolder() / name; }

    static std::string read(const fs::path& dump) {
        std::ifstream in(dump);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The first value of a member in a dump, as written ("\"sms\"", "3").
    static std::string member(const std::string& dump, const std::string& name) {
        std::smatch found;
        std::regex pattern("\"" + name + R"(":("(?:[^"\\]|\\.)*"|[^,}\]]*))");
        return std::regex_search(dump, found, pattern) ? found[1].str() : "";
    }

    struct Row {
        int unread = -1;
        int messages = -1;
        std::string last;
    };
    // The contact-list row whose first line is `first`.
    static Row row(const std::string& dump, const std::string& first) {
        std::smatch found;
        std::regex pattern(
            "\"first\":\"" + std::regex_replace(first, std::regex(R"([+()])"), R"(\$&)") +
            R"re(".*?"unread":(\d+),"messages":(\d+),"calls":\d+,"last":"((?:[^"\\]|\\.)*)")re");
        if (!std::regex_search(dump, found, pattern))
            return {};
        return {std::stoi(found[1]), std::stoi(found[2]), found[3]};
    }

    static int badge(const std::string& dump) {
        std::string text = member(dump, "badge");
        return text == "\"\"" ? 0 : std::stoi(text.substr(1, text.size() - 2));
    }
};

} // namespace

TEST_F(IncomingSms, AContactsAndAStrangersSmsRaiseTheirRowsTheBadgeAndTheSmsFilterInTheBackground) {
    setBringToFront(false);
    // Both new messages' rows lead the SMS filter: unread first, then the newest.
    auto app = start("expect contactcontainer/contactlist.filterKind sms\n"
                     "expect contactcontainer/contactlist.items#0.first \"<+41 76 123 45 67>\"\n"
                     "expect contactcontainer/contactlist.items#1.first \"Smith, Grace\"\n"
                     "expect window.raised 0\n");
    ASSERT_TRUE(app.waitForLine("ready", 30s)) << app.errors();

    EXPECT_EQ(device({"sms", "receive", "--from", "+1 514 089-0568", "Dinner at 8?"}).exitCode, 0);
    EXPECT_EQ(device({"sms", "receive", "--from", "+41 76 123 45 67", "Who is this?"}).exitCode, 0);
    EXPECT_EQ(device({"post", "g_vtrGoToContacts"}).exitCode, 0);
    ASSERT_EQ(app.wait(60s), 0) << app.errors();

    std::string before = read(dumpFile("before.json"));
    std::string after = read(dumpFile("after.json"));
    EXPECT_EQ(member(before, "filterKind"), "\"all\"");
    EXPECT_EQ(member(after, "filterKind"), "\"sms\"");
    EXPECT_EQ(badge(after), badge(before) + 2);
    EXPECT_GT(badge(before), 0) << "the demo has unread messages";

    Row grace = row(before, "Smith, Grace");
    Row graceAfter = row(after, "Smith, Grace");
    ASSERT_GE(grace.messages, 0);
    EXPECT_EQ(graceAfter.messages, grace.messages + 1);
    EXPECT_EQ(graceAfter.unread, grace.unread + 1);
    EXPECT_EQ(graceAfter.last, "Dinner at 8?");
    EXPECT_EQ(row(before, "<+41 76 123 45 67>").messages, -1);
    Row stranger = row(after, "<+41 76 123 45 67>");
    EXPECT_EQ(stranger.messages, 1);
    EXPECT_EQ(stranger.unread, 1);
    EXPECT_EQ(stranger.last, "Who is this?");
}

TEST_F(IncomingSms, TheWindowComesToTheFrontWhenAskedAndABrokenBlockIsPassedBy) {
    setBringToFront(true);
    auto app = start("expect window.raised 1\n");
    ASSERT_TRUE(app.waitForLine("ready", 30s)) << app.errors();

    // A block whose entry id length runs past its room, as a hostile writer leaves it.
    {
        auto block = platform::ipc::SharedMemory::open(u"SmsBuffer", 1024);
        ASSERT_TRUE(block);
        std::memset(block->data(), 0xFF, block->size());
    }
    EXPECT_EQ(device({"post", "VantrelNewSMS"}).exitCode, 0);
    EXPECT_EQ(device({"sms", "receive", "--from", "+41 76 123 45 67", "Hello"}).exitCode, 0);
    EXPECT_EQ(device({"post", "g_vtrGoToContacts"}).exitCode, 0);
    ASSERT_EQ(app.wait(60s), 0) << app.errors();

    EXPECT_NE(app.errors().find("\"SmsBuffer\" breaks its bounds"), std::string::npos)
        << app.errors();
    Row stranger = row(read(dumpFile("after.json")), "<+41 76 123 45 67>");
    EXPECT_EQ(stranger.messages, 1);
    EXPECT_EQ(stranger.unread, 1);
}
