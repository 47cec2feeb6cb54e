// The SMS and call counters of the contact list on the demo device: what the list shows
// agrees with the device's own listing of its messages and calls, and messages and a
// call that arrive while the program runs raise the right rows, once.

#include "platform/core/Paths.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

struct Counts {
    int unread = 0;
    int messages = 0;
    int calls = 0;
    std::string last;
};

class MessageCounters : public testing::Test {
protected:
    void SetUp() override {
        test::useFreshDevice();
        auto seeded = device({"seed-demo", "--messages", "240", "--seed", "1"});
        ASSERT_EQ(seeded.exitCode, 0) << seeded.err;
    }

    static std::string binary(const char* path) { return (test::binaryFolder() / path).string(); }

    static test::ProcessResult device(std::vector<std::string> words) {
        return test::runDevice(std::move(words));
    }

    static std::string script(const std::string& name, const std::string& text) {
        fs::path file = platform::programFolder() / name;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
        return file.string();
    }

    static fs::path dumpFile(const std::string& name) { return platform::programFolder() / name; }

    // Every contact-list row of a dump (shown and filtered out), with its first line;
    // two contacts may share a name.
    static std::multimap<std::string, Counts> rows(const fs::path& dump) {
        std::ifstream in(dump);
        std::stringstream json;
        json << in.rdbuf();
        std::string text = json.str();
        static const std::regex row(
            R"re("type":"(?:contact|sms)","first":"((?:[^"\\]|\\.)*)".*?"unread":(\d+),"messages":(\d+),"calls":(\d+),"last":"((?:[^"\\]|\\.)*)")re");
        std::multimap<std::string, Counts> out;
        for (std::sregex_iterator it(text.begin(), text.end(), row), end; it != end; ++it)
            out.emplace((*it)[1], Counts{std::stoi((*it)[2]), std::stoi((*it)[3]),
                                         std::stoi((*it)[4]), (*it)[5]});
        return out;
    }

    // The one row named `first`.
    static Counts row(const std::multimap<std::string, Counts>& rows, const std::string& first) {
        EXPECT_EQ(rows.count(first), 1u) << first;
        auto found = rows.find(first);
        return found == rows.end() ? Counts() : found->second;
    }

    // The device's lines: one a message or call.
    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> out;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    }

    // What the rows add up to must be what the device holds: each received message and
    // each incoming or missed call counted once, letters-only senders in one row.
    static void expectTotalsMatchTheDevice(const std::multimap<std::string, Counts>& shown) {
        auto inbox = lines(device({"sms", "list", "--folder", "Inbox"}).out);
        auto calls = lines(device({"call", "list"}).out);
        int messages = 0, unread = 0, counted = 0;
        for (const auto& [name, counts] : shown) {
            messages += counts.messages;
            unread += counts.unread;
            counted += counts.calls;
        }
        int inboxUnread = 0, lettersOnly = 0, notOutgoing = 0;
        for (const std::string& line : inbox) {
            std::vector<std::string> fields;
            std::istringstream split(line);
            for (std::string field; std::getline(split, field, '\t');)
                fields.push_back(field);
            ASSERT_GE(fields.size(), 3u) << line;
            inboxUnread += fields[1] == "unread";
            lettersOnly += fields[2].find_first_of("0123456789") == std::string::npos;
        }
        for (const std::string& line : calls)
            notOutgoing += line.find("\tout") == std::string::npos;
        EXPECT_EQ(messages, int(inbox.size()));
        EXPECT_EQ(unread, inboxUnread);
        EXPECT_EQ(counted, notOutgoing);
        EXPECT_EQ(row(shown, "Service Messages").messages, lettersOnly);
    }
};

constexpr const char* settled = "expect-loaded 15000\n"
                                "expect-soon counts.busy false 15000\n";

} // namespace

TEST_F(MessageCounters, TheListsCountersMatchTheDevicesMessagesAndCalls) {
    auto run = test::runProcess(
        {binary("app/vantrel"), "--headless", "--script",
         script("counts.script", std::string(settled) + "dump " + dumpFile("d.json").string() +
                                     "\n"
                                     // A contact's row by its name: Grace Smith's number
                                     // sent 15 of the demo's messages.
                                     "text \"smith\"\n"
                                     "expect contactcontainer/contactlist.items#0.first "
                                     "\"Smith, Grace\"\n"
                                     "expect contactcontainer/contactlist.items#0.messages 15\n"
                                     "quit\n")},
        30s);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto shown = rows(dumpFile("d.json"));
    expectTotalsMatchTheDevice(shown);
    // Grace Smith (+1 514 089-0568): her messages, as the device lists them.
    int hers = 0;
    for (const std::string& line : lines(device({"sms", "list", "--folder", "Inbox"}).out))
        hers += line.find("\t+1 514 089-0568\t") != std::string::npos;
    EXPECT_EQ(row(shown, "Smith, Grace").messages, hers);
}

TEST_F(MessageCounters, MessagesAndAMissedRoamingCallArrivingWhileItRunsRaiseTheirRowsOnce) {
    test::BackgroundProcess app(
        {binary("app/vantrel"), "--headless", "--script",
         script("arrivals.script", std::string(settled) + "dump " +
                                       dumpFile("before.json").string() +
                                       "\n"
                                       "print ready\n"
                                       // The device says when it is done; the counts then settle.
                                       "expect-message g_vtrGoToContacts 30000\n"
                                       "expect-soon counts.busy false 15000\n"
                                       "dump " +
                                       dumpFile("after.json").string() + "\nquit\n")});
    ASSERT_TRUE(app.waitForLine("ready", 20s)) << app.errors();

    EXPECT_EQ(device({"sms", "receive", "--from", "+1 514 089-0568", "Dinner at 8?"}).exitCode, 0);
    EXPECT_EQ(device({"sms", "receive", "--from", "+41 76 123 45 67", "Who is this?"}).exitCode, 0);
    EXPECT_EQ(device({"call", "add", "missed", "+15140890568", "--roaming"}).exitCode, 0);
    // Another change of the unread count: one more scan, which finds nothing new.
    EXPECT_EQ(device({"state", "unread", "40"}).exitCode, 0);
    EXPECT_EQ(device({"post", "g_vtrGoToContacts"}).exitCode, 0);
    ASSERT_EQ(app.wait(40s), 0) << app.errors();

    auto before = rows(dumpFile("before.json"));
    auto after = rows(dumpFile("after.json"));
    Counts grace = row(before, "Smith, Grace");
    Counts graceAfter = row(after, "Smith, Grace");
    EXPECT_EQ(graceAfter.messages, grace.messages + 1);
    EXPECT_EQ(graceAfter.unread, grace.unread + 1);
    EXPECT_EQ(graceAfter.calls, grace.calls + 1);
    EXPECT_EQ(graceAfter.last, "Dinner at 8?");
    EXPECT_EQ(before.count("<+41 76 123 45 67>"), 0u);
    Counts stranger = row(after, "<+41 76 123 45 67>");
    EXPECT_EQ(stranger.messages, 1);
    EXPECT_EQ(stranger.unread, 1);
    EXPECT_EQ(stranger.calls, 0);
    expectTotalsMatchTheDevice(after);
}
