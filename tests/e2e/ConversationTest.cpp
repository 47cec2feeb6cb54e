// The conversation screen on the demo device, driven as a user drives it: what it shows
// is what the device's own listings hold for the contact (the newest messages of both
// folders and the calls, in time order), and what the user does in it (mark read or
// unread, delete, leave, type, send) is what the device's stores and modem then hold.

#include "platform/core/Paths.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// One entry of a conversation, as the device lists it or as the screen dumps it.
struct Entry {
    std::string time; // UTC, "2026-11-21T14:32:54Z"
    std::string kind; // received, sent, failed, call
    std::string text;
    bool read = true;
};

struct Contact {
    std::string id;
    std::string name;
    std::vector<std::string> numbers;
};

// Digits and "+", then the last eight: how the demo's numbers tell their contact.
std::string reduced(const std::string& number) {
    std::string kept;
    for (char c : number)
        if ((c >= '0' && c <= '9') || c == '+')
            kept += c;
    return kept.size() > 8 ? kept.substr(kept.size() - 8) : kept;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');)
        out.push_back(field);
    return out;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::string unescaped(const std::string& json) {
    std::string out;
    for (size_t i = 0; i < json.size(); ++i)
        out += json[i] == '\\' && i + 1 < json.size() ? json[++i] : json[i];
    return out;
}

class Conversation : public testing::Test {
protected:
    void SetUp() override {
        test::useFreshDevice();
        auto seeded = device({"seed-demo", "--contacts", "80", "--messages", "240", "--seed", "1"});
        ASSERT_EQ(seeded.exitCode, 0) << seeded.err;
    }

    static test::ProcessResult device(std::vector<std::string> words) {
        return test::runDevice(std::move(words));
    }

    // Runs the program on `script` after the contact list has loaded; the run must end
    // cleanly.
    static test::ProcessResult run(const std::string& script) {
        fs::path file = platform::programFolder() / "conversation.txt";
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "expect-loaded 20000\n" << script << "quit\n";
        auto result = test::runProcess({(test::binaryFolder() / "app/vantrel").string(),
                                        "--headless", "--script", file.string()},
                                       60s);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result;
    }

    static std::string dumpFile(const std::string& name) {
        return (platform::programFolder() / name).string();
    }

    // The bubbles of the conversation in a dump, top to bottom.
    static std::vector<Entry> bubbles(const std::string& dump) {
        std::ifstream in(dump);
        std::stringstream json;
        json << in.rdbuf();
        const std::string text = json.str();
        static const std::regex bubble(
            R"re("kind":"(\w+)","text":"((?:[^"\\]|\\.)*)","time":"([^"]*)","date":"(?:[^"\\]|\\.)*","sent":(?:true|false),"read":(true|false))re");
        std::vector<Entry> out;
        for (std::sregex_iterator it(text.begin(), text.end(), bubble), end; it != end; ++it)
            out.push_back({(*it)[3], (*it)[1], unescaped((*it)[2]), (*it)[4] == "true"});
        return out;
    }

    static std::vector<Contact> contacts() {
        std::vector<Contact> out;
        for (const std::string& line : lines(device({"contacts", "list"}).out)) {
            std::vector<std::string> f = fields(line);
            Contact contact{f.at(0), f.at(1), {}};
            for (size_t i = 3; i < f.size(); ++i)
                if (f[i].find('=') != std::string::npos && f[i].rfind("email=", 0) != 0)
                    contact.numbers.push_back(f[i].substr(f[i].find('=') + 1));
            out.push_back(contact);
        }
        return out;
    }

    static bool ofContact(const Contact& contact, const std::string& number) {
        return std::any_of(
            contact.numbers.begin(), contact.numbers.end(),
            [&](const std::string& mine) { return reduced(mine) == reduced(number); });
    }

    // Everything the device holds for the contact, oldest first.
    static std::vector<Entry> entriesOf(const Contact& contact) {
        std::vector<Entry> out;
        for (const char* folder : {"Inbox", "Sent"})
            for (const std::string& line : lines(device({"sms", "list", "--folder", folder}).out)) {
                std::vector<std::string> f = fields(line);
                if (f.size() >= 4 && ofContact(contact, f[2]))
                    out.push_back({f[0], folder == std::string("Inbox") ? "received" : "sent", f[3],
                                   f[1] == "read"});
            }
        for (const std::string& line : lines(device({"call", "list"}).out)) {
            std::vector<std::string> f = fields(line);
            if (f.size() >= 3 && ofContact(contact, f[2]))
                out.push_back({f[0], "call", f[1], true});
        }
        std::sort(out.begin(), out.end(),
                  [](const Entry& a, const Entry& b) { return a.time < b.time; });
        return out;
    }

    // The newest 21 entries the screen shows: the history of 20 and the one the walk
    // holds back.
    static std::vector<Entry> shownOf(const Contact& contact) {
        std::vector<Entry> all = entriesOf(contact);
        return std::vector<Entry>(all.end() - std::min<ptrdiff_t>(all.size(), 21), all.end());
    }

    // The contact with the most entries, and one with between 2 and 12.
    void pick() {
        size_t most = 0;
        for (const Contact& contact : contacts()) {
            size_t n = entriesOf(contact).size();
            if (n > most)
                most = n, busy = contact;
            if (n >= 2 && n <= 12 && quiet.id.empty())
                quiet = contact;
        }
        ASSERT_GE(most, 22u) << "the demo gives one contact more than the history";
        ASSERT_FALSE(quiet.id.empty());
    }

    static void expectShown(const std::vector<Entry>& shown, const std::vector<Entry>& expected) {
        ASSERT_EQ(shown.size(), expected.size());
        for (size_t i = 0; i < shown.size(); ++i) {
            SCOPED_TRACE("bubble " + std::to_string(i));
            EXPECT_EQ(shown[i].time, expected[i].time);
            EXPECT_EQ(shown[i].kind, expected[i].kind);
            if (expected[i].kind == "call")
                EXPECT_TRUE(
                    std::regex_search(shown[i].text, std::regex("^(Missed |Incoming )?Call")))
                    << shown[i].text;
            else
                EXPECT_EQ(shown[i].text, expected[i].text);
            EXPECT_EQ(shown[i].read, expected[i].read);
        }
    }

    // The index in `shown` of the last entry of `kind` read as asked, before `before`.
    static size_t lastIndex(const std::vector<Entry>& shown, const std::string& kind, bool read,
                            size_t before) {
        for (size_t i = std::min(before, shown.size()); i-- > 0;)
            if (shown[i].kind == kind && shown[i].read == read)
                return i;
        ADD_FAILURE() << "no " << kind << " entry read=" << read;
        return 0;
    }

    Contact busy;
    Contact quiet;
};

// The menu's entries from the top; the confirmation's answers.
constexpr const char* firstEntry = "tap 240 35\nwait 600\n";
constexpr const char* secondEntry = "tap 240 99\nwait 600\n";
constexpr const char* thirdEntry = "tap 240 163\nwait 600\n";
constexpr const char* yes = "tap 125 755\nwait 1000\n";
constexpr const char* no = "tap 355 755\nwait 1000\n";

} // namespace

TEST_F(Conversation, ShowsTheNewestMessagesOfBothFoldersAndTheCallsInTimeOrder) {
    pick();
    run("open-conversation " + busy.id +
        "\nexpect-conversation 10000\nwait 500\n"
        "dump " +
        dumpFile("busy.json") +
        "\n"
        "expect smspanel.visible true\nexpect smspanel.loading false\n"
        "expect smspanel.contact \"" +
        busy.name + "\"\n" + "open-conversation " + quiet.id +
        "\nexpect-conversation 10000\nwait 500\n"
        "dump " +
        dumpFile("quiet.json") + "\n");
    std::vector<Entry> expected = shownOf(busy);
    ASSERT_TRUE(std::any_of(expected.begin(), expected.end(),
                            [](const Entry& e) { return e.kind == "call"; }));
    expectShown(bubbles(dumpFile("busy.json")), expected);
    expectShown(bubbles(dumpFile("quiet.json")), shownOf(quiet));
}

TEST_F(Conversation, AnotherContactOpenedWhileTheFirstLoadsShowsOnlyItsOwn) {
    pick();
    run("open-conversation " + busy.id + "\nopen-conversation " + quiet.id +
        "\nexpect-conversation 10000\nwait 500\ndump " + dumpFile("switched.json") +
        "\n"
        "expect smspanel.contact \"" +
        quiet.name + "\"\n");
    expectShown(bubbles(dumpFile("switched.json")), shownOf(quiet));
}

TEST_F(Conversation, ReadStatesAndDeletionsReachTheStoreAndLeavingMarksTheRestRead) {
    // A conversation with an unread message and three read ones among those it shows.
    Contact contact;
    std::vector<Entry> shown;
    for (const Contact& candidate : contacts()) {
        shown = shownOf(candidate);
        auto received = [&](bool read) {
            return std::count_if(shown.begin(), shown.end(), [&](const Entry& e) {
                return e.kind == "received" && e.read == read;
            });
        };
        if (received(false) >= 1 && received(true) >= 3) {
            contact = candidate;
            break;
        }
    }
    ASSERT_FALSE(contact.id.empty()) << "the demo has such a conversation";
    const size_t unread = lastIndex(shown, "received", false, shown.size());
    const size_t toggled = lastIndex(shown, "received", true, shown.size());
    const size_t held = lastIndex(shown, "received", true, toggled);
    const size_t deleted = lastIndex(shown, "received", true, held);
    ASSERT_LT(deleted, held);
    const size_t call = lastIndex(shown, "call", true, shown.size());
    const std::string bubble = "smspanel/sms.items#";
    run("open-conversation " + contact.id +
        "\nexpect-conversation 10000\nwait 500\n"
        // A call has no menu.
        "tap-bubble " +
        std::to_string(call) +
        "\nwait 600\nexpect-missing smspanel/base\n"
        // The bubble menu offers "Mark as unread" on a read message.
        "tap-bubble " +
        std::to_string(toggled) +
        "\nwait 600\n"
        "expect smspanel/base/markasunread.texts#0 \"Mark as unread\"\n" +
        firstEntry +
        "expect-missing smspanel/base\n"
        "expect " +
        bubble + std::to_string(toggled) +
        ".read false\n"
        // A long press turns a message over as well.
        "hold-bubble " +
        std::to_string(held) +
        "\nwait 700\nup 240 400\nwait 300\n"
        "expect " +
        bubble + std::to_string(held) +
        ".read false\n"
        "tap-bubble " +
        std::to_string(deleted) + "\nwait 600\n" + secondEntry + "expect smspanel/sms.count " +
        std::to_string(shown.size() - 1) +
        "\n"
        // Back: every unread message the user did not set is read now.
        "tap 40 42\nwait 1500\n"
        "expect smspanel.visible false\nexpect contactcontainer.visible true\n");

    std::map<std::string, std::string> states; // time + text -> read state
    for (const std::string& line : lines(device({"sms", "list"}).out)) {
        std::vector<std::string> f = fields(line);
        states[f.at(0) + f.at(3)] = f.at(1);
    }
    auto state = [&](size_t i) {
        auto found = states.find(shown[i].time + shown[i].text);
        return found == states.end() ? std::string("gone") : found->second;
    };
    EXPECT_EQ(state(unread), "read");
    EXPECT_EQ(state(toggled), "unread");
    EXPECT_EQ(state(held), "unread");
    EXPECT_EQ(state(deleted), "gone");
}

TEST_F(Conversation, DeletingTheConversationAsksFirstThenEmptiesItInTheStore) {
    pick();
    std::vector<Entry> shown = shownOf(quiet);
    size_t message = 0;
    while (message < shown.size() && shown[message].kind == "call")
        ++message;
    ASSERT_LT(message, shown.size());
    const size_t calls =
        std::count_if(shown.begin(), shown.end(), [](const Entry& e) { return e.kind == "call"; });
    run("open-conversation " + quiet.id +
        "\nexpect-conversation 10000\nwait 500\n"
        "tap-bubble " +
        std::to_string(message) + "\nwait 600\n" + thirdEntry + no + "expect smspanel/sms.count " +
        std::to_string(shown.size()) +
        "\n"
        "tap-bubble " +
        std::to_string(message) + "\nwait 600\n" + thirdEntry + yes +
        "expect smspanel/sms.count 0\n");
    std::vector<Entry> left = entriesOf(quiet);
    EXPECT_EQ(left.size(), calls) << "only the calls stay, in the phone's log";
    for (const Entry& entry : left)
        EXPECT_EQ(entry.kind, "call");
}

TEST_F(Conversation, ATypedNumberThatIsNoContactOffersToBecomeOne) {
    run("open-conversation number \"+41 76 123 45 67\"\nexpect-conversation 10000\nwait 500\n"
        "expect smspanel.number \"+41 76 123 45 67\"\nexpect smspanel/sms.count 0\n"
        "expect smspanel/addcontactbutton.visible true\n"
        "tap-control smspanel/addcontactbutton\nwait 1000\n"
        "expect addcontact.number \"+41 76 123 45 67\"\n");
    pick();
    // A contact's conversation does not offer it.
    run("open-conversation " + busy.id +
        "\nexpect-conversation 10000\nwait 500\n"
        "expect smspanel/addcontactbutton.visible false\n");
}

TEST_F(Conversation, TheScreensMenuChoosesTheNumberToSendTo) {
    Contact two;
    for (const Contact& contact : contacts())
        if (contact.numbers.size() == 2 && two.id.empty())
            two = contact;
    ASSERT_FALSE(two.id.empty());
    // The header's menu, "Choose number", then each of the contact's numbers in turn.
    const std::string chooseNumber = "tap 240 60\nwait 800\n" + std::string(firstEntry);
    run("open-conversation " + two.id + "\nexpect-conversation 10000\nwait 500\n" +
        chooseNumber + "expect smspanel/smspanel/phonenumber.visible true\n" + firstEntry +
        "dump " + dumpFile("first.json") + "\n" + chooseNumber + secondEntry + "dump " +
        dumpFile("second.json") + "\n");
    auto number = [](const std::string& dump) {
        std::ifstream in(dump);
        std::stringstream json;
        json << in.rdbuf();
        std::smatch found;
        const std::string text = json.str();
        return std::regex_search(text, found, std::regex(R"re("number":"([^"]*)","counter")re"))
                   ? std::string(found[1])
                   : std::string();
    };
    std::vector<std::string> chosen{number(dumpFile("first.json")), number(dumpFile("second.json"))};
    std::sort(chosen.begin(), chosen.end());
    std::vector<std::string> numbers = two.numbers;
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(chosen, numbers);
}

TEST_F(Conversation, AMessageArrivingForTheOpenConversationShowsAtItsEnd) {
    pick();
    fs::path file = platform::programFolder() / "incoming.txt";
    std::ofstream(file) << "expect-loaded 20000\nopen-conversation " << busy.id
                        << "\nexpect-conversation 10000\nprint ready\n"
                           "expect-next-message VantrelNewSMS 20000\nwait 500\n"
                           "dump " << dumpFile("mine.json") << "\nprint mine\n"
                           "expect-next-message VantrelNewSMS 20000\nwait 500\n"
                           "dump " << dumpFile("other.json") << "\nquit\n";
    test::BackgroundProcess app(
        {(test::binaryFolder() / "app/vantrel").string(), "--headless", "--script", file.string()});
    ASSERT_TRUE(app.waitForLine("ready", 30s)) << app.errors();
    auto received = device({"sms", "receive", "--from", busy.numbers.front(), "Just landed"});
    ASSERT_EQ(received.exitCode, 0) << received.err;
    ASSERT_TRUE(app.waitForLine("mine", 30s)) << app.errors();
    received = device({"sms", "receive", "--from", quiet.numbers.front(), "For someone else"});
    ASSERT_EQ(received.exitCode, 0) << received.err;
    ASSERT_EQ(app.wait(30s), 0) << app.errors();

    std::vector<Entry> mine = bubbles(dumpFile("mine.json"));
    ASSERT_FALSE(mine.empty());
    EXPECT_EQ(mine.back().kind, "received");
    EXPECT_EQ(mine.back().text, "Just landed");
    EXPECT_FALSE(mine.back().read);
    std::vector<Entry> other = bubbles(dumpFile("other.json"));
    ASSERT_EQ(other.size(), mine.size()) << "another contact's message is not shown here";
    EXPECT_EQ(other.back().text, "Just landed");
}

TEST_F(Conversation, TypingStartsTheMessageAndTheCounterCountsItsParts) {
    pick();
    const std::string plain160(160, 'a');
    const std::string plain70(70, 'a');
    run("open-conversation " + busy.id +
        "\nexpect-conversation 10000\nwait 2100\n"
        "expect smspanel.counter \"(160/160)\"\n"
        // The screen has the focus: the first character moves into the editor.
        "text \"H\"\nwait 100\n"
        "expect smspanel/editsms.text H\nexpect smspanel/editsms.focused true\n"
        "text \"" +
        plain160 +
        "\"\nwait 2100\n"
        "expect smspanel.counter \"(145/2)\"\n"
        // The editor capitalises a first letter: this text starts with a capital.
        "key ctrl+a\ntext \"Ω" +
        plain70 +
        "\"\nwait 2100\n"
        "expect smspanel.counter \"(63/2)\"\n"
        // The same contact again keeps the text; another contact starts empty.
        "open-conversation " +
        busy.id +
        "\nexpect-conversation 10000\n"
        "expect smspanel/editsms.text \"Ω" +
        plain70 +
        "\"\n"
        "open-conversation " +
        quiet.id +
        "\nexpect-conversation 10000\nwait 2100\n"
        "expect smspanel/editsms.text \"\"\nexpect smspanel.counter \"(160/160)\"\n");
}

TEST_F(Conversation, ASentMessageReachesTheModemOnceAndEndsTheConversation) {
    pick();
    // The send takes long enough for a second tap on Send to land while it runs.
    ASSERT_EQ(device({"modem", "send-delay", "1500"}).exitCode, 0);
    run("open-conversation " + busy.id +
        "\nexpect-conversation 10000\nwait 500\n"
        "text \"See you at 8\"\n"
        "tap-control smspanel/sendsmsbutton\nwait 100\n"
        "expect smspanel.sending true\nexpect smspanel/smsprogress.visible true\n"
        "tap-control smspanel/sendsmsbutton\nwait 100\n"
        "expect-soon smspanel.sending false 10000\nwait 1000\n"
        "dump " +
        dumpFile("sent.json") +
        "\n"
        "expect smspanel/editsms.text \"\"\nexpect smspanel/smsprogress.visible false\n");
    std::vector<std::string> outbox = lines(device({"modem", "outbox"}).out);
    ASSERT_EQ(outbox.size(), 1u) << "Send while sending sends nothing";
    std::vector<std::string> sent = fields(outbox[0]);
    ASSERT_GE(sent.size(), 6u);
    EXPECT_TRUE(ofContact(busy, sent[1]));
    EXPECT_EQ(sent[3], "report") << "no delivery setting on the device: a report is asked";
    EXPECT_EQ(sent[5], "See you at 8");

    std::vector<Entry> shown = bubbles(dumpFile("sent.json"));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().kind, "sent");
    EXPECT_EQ(shown.back().text, "See you at 8");
    for (const Entry& entry : shown)
        EXPECT_TRUE(entry.read) << entry.time << " " << entry.text;
    std::vector<Entry> stored = entriesOf(busy);
    EXPECT_EQ(stored.back().kind, "sent");
    EXPECT_EQ(stored.back().text, "See you at 8");
}

TEST_F(Conversation, AFailedSendShowsAFailedBubbleAndKeepsTheText) {
    pick();
    ASSERT_EQ(device({"modem", "fail-next-send", "0x80004005"}).exitCode, 0);
    run("open-conversation " + busy.id +
        "\nexpect-conversation 10000\nwait 500\n"
        "text \"Try again\"\ntap-control smspanel/sendsmsbutton\n"
        "expect-soon smspanel.sending false 10000\nwait 500\n"
        "dump " +
        dumpFile("failed.json") +
        "\n"
        "expect smspanel/editsms.text \"Try again\"\n");
    std::vector<Entry> shown = bubbles(dumpFile("failed.json"));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().kind, "failed");
    EXPECT_EQ(shown.back().text, "Not sent (80004005)");
    EXPECT_EQ(entriesOf(busy).back().text == "Try again", false) << "nothing kept as sent";

    // Without the SMS service the box says so, and the bubble is a failed one too.
    ASSERT_EQ(device({"modem", "service", "off"}).exitCode, 0);
    run("open-conversation " + busy.id +
        "\nexpect-conversation 10000\nwait 500\n"
        "text \"No service\"\ntap-control smspanel/sendsmsbutton\n"
        "expect-soon smspanel.sending false 10000\nwait 500\n"
        "expect-box \"Error: Could not open a handle to the SMS text message service.\"\n"
        "dump " +
        dumpFile("unavailable.json") +
        "\n"
        "expect smspanel/editsms.text \"No service\"\n");
    shown = bubbles(dumpFile("unavailable.json"));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().kind, "failed");
}
