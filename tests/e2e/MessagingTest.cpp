// The device's messaging side as a user drives it: `vantrel-device` receives an SMS,
// tells the modem what to do, adds calls and seeds demo threads, and the running
// program, the interceptor library and every other process of the device see it.
#include "platform/core/Paths.h"
#include "platform/ipc/SharedMemory.h"
#include "platform/modem/Phone.h"
#include "platform/modem/Sms.h"
#include "platform/msgstore/MessageStore.h"
#include "platform/msgstore/SmsBuffer.h"
#include "platform/registry/Registry.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

using namespace vantrel;
using namespace vantrel::platform;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class Messaging : public testing::Test {
protected:
    void SetUp() override { test::useFreshDevice(); }

    static std::string binary(const char* path) { return (test::binaryFolder() / path).string(); }

    static test::ProcessResult device(std::vector<std::string> words) {
        return test::runDevice(std::move(words));
    }

    std::string script(const std::string& text) {
        fs::path file = programFolder() / "script.txt";
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
        return file.string();
    }

    static mode_t modeOf(const fs::path& path) {
        struct stat status {};
        return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & 0777 : 0;
    }
};

// Each line without its first field (the time), so two seeded devices compare.
std::string withoutTimes(const std::string& listing) {
    std::istringstream in(listing);
    std::string line, out;
    while (std::getline(in, line))
        out += line.substr(line.find('\t') + 1) + "\n";
    return out;
}

} // namespace

TEST_F(Messaging, AReceivedSmsReachesTheRunningProgramThroughTheInterceptorAndEveryProcess) {
    test::BackgroundProcess app({binary("app/vantrel"), "--headless", "--script",
                                 script("print ready\n"
                                        "expect-message VantrelNewSMS 10000\n"
                                        "expect-message VantrelRefreshSMSCounter 10000\n"
                                        "print handled\n"
                                        // "SmsBuffer" goes with the program: it stays
                                        // until the test has read it.
                                        "expect-message g_vtrGoToContacts 10000\n"
                                        "quit\n")});
    ASSERT_TRUE(app.waitForLine("ready", 10s)) << app.errors();
    // The program registered the interceptor library built beside it at start-up.
    EXPECT_TRUE(msgstore::interceptorRegistered());

    auto received = device({"sms", "receive", "--from", "+41 79 555 01 02", "See you at 8 🙂"});
    ASSERT_EQ(received.exitCode, 0) << received.err;
    ASSERT_TRUE(app.waitForLine("handled", 15s)) << app.errors();

    // What the program found in "SmsBuffer" names the stored message.
    auto block = ipc::SharedMemory::open(msgstore::smsBufferName);
    ASSERT_TRUE(block);
    auto contents = msgstore::decodeSmsBuffer(
        std::span(static_cast<const uint8_t*>(block->data()), block->size()));
    EXPECT_EQ(device({"post", "g_vtrGoToContacts"}).exitCode, 0);
    EXPECT_EQ(app.wait(15s), 0) << app.errors();
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->sender, u"+41 79 555 01 02");
    auto session = msgstore::Session::logon();
    ASSERT_TRUE(session);
    auto message = session->openMessage(contents->entryId);
    ASSERT_TRUE(message) << "another process opens the message by the entry id";
    auto props = message->getProps({msgstore::tag::subject, msgstore::tag::messageClass,
                                    msgstore::tag::messageFlags, msgstore::tag::creationTime});
    EXPECT_EQ(props[0].asText(), u"See you at 8 🙂");
    EXPECT_EQ(props[1].asText(), u"IPM.SMStext");
    EXPECT_EQ(props[2].asNumber() & msgstore::flag::read, 0u);
    EXPECT_GT(props[3].asTime(), 0u);

    uint32_t unread = 0;
    EXPECT_TRUE(registry::readDword(registry::Root::currentUser,
                                    u"System\\State\\Messages\\SMS\\Unread", u"Count", unread));
    EXPECT_EQ(unread, 1u);
    auto listed = device({"sms", "list"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(withoutTimes(listed.out), "unread\t+41 79 555 01 02\tSee you at 8 🙂\n");
}

TEST_F(Messaging, ASenderTooLongForTheBufferIsStoredButNotPassedOn) {
    ASSERT_TRUE(msgstore::registerInterceptor());
    auto block = ipc::SharedMemory::create(msgstore::smsBufferName, msgstore::smsBufferSize);
    ASSERT_TRUE(block);
    std::string sender(100, '7');
    auto result = device({"sms", "receive", "--from", sender, "long"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("longer than 99 characters"), std::string::npos) << result.err;
    EXPECT_FALSE(msgstore::decodeSmsBuffer(
                     std::span(static_cast<const uint8_t*>(block->data()), block->size()))
                     ->sender.size())
        << "nothing was written";
    EXPECT_EQ(withoutTimes(device({"sms", "list"}).out), "unread\t" + sender + "\tlong\n");
    ipc::SharedMemory::remove(msgstore::smsBufferName);
}

TEST_F(Messaging, TheModemFailsTheNextSendWhenTheDeviceSaysSoAndShowsItsOutbox) {
    ASSERT_EQ(device({"modem", "fail-next-send", "0x80004005"}).exitCode, 0);
    auto sendOne = [](const std::u16string& text) {
        modem::SmsHandle handle = 0;
        EXPECT_EQ(modem::SmsOpen(modem::textSmsProvider, modem::smsModeSend, handle), 0);
        std::vector<uint8_t> bytes;
        for (char16_t c : text) {
            bytes.push_back(uint8_t(c));
            bytes.push_back(uint8_t(c >> 8));
        }
        uint32_t id = 0;
        int32_t result = modem::SmsSendMessage(
            handle, nullptr, {modem::SmsAddressType::international, u"+41791112233"}, bytes,
            {modem::smsOptionStatusReport, 1, 0}, modem::SmsEncoding::optimal, 0, id);
        modem::SmsClose(handle);
        return result;
    };
    EXPECT_EQ(sendOne(u"first try"), int32_t(0x80004005));
    EXPECT_EQ(sendOne(u"second try"), 0);
    auto outbox = device({"modem", "outbox"});
    EXPECT_EQ(outbox.exitCode, 0);
    EXPECT_EQ(outbox.out, "1\t+41791112233\tgsm7\treport\t0x80004005\tfirst try\n"
                          "2\t+41791112233\tgsm7\treport\t0x00000000\tsecond try\n");
    EXPECT_EQ(device({"modem", "fail-next-send", "zero"}).exitCode, 2);
}

TEST_F(Messaging, ACallAddedByTheDeviceTellsTheRunningProgramToCountCallsAgain) {
    test::BackgroundProcess app({binary("app/vantrel"), "--headless", "--script",
                                 script("print ready\n"
                                        "expect-message VantrelRefreshPhoneCallLog 10000\n"
                                        "quit\n")});
    ASSERT_TRUE(app.waitForLine("ready", 10s)) << app.errors();
    ASSERT_EQ(device({"call", "add", "missed", "+41 79 000 00 09"}).exitCode, 0);
    EXPECT_EQ(app.wait(15s), 0) << app.errors();
}

TEST_F(Messaging, CallsAddedByTheDeviceAreReadNewestFirstByThePhoneLibrary) {
    ASSERT_EQ(device({"call", "add", "missed", "+41 79 000 00 01", "--roaming", "--at",
                      "2026-01-02T03:04:05Z"})
                  .exitCode,
              0);
    ASSERT_EQ(device({"call", "add", "in", "+41 79 000 00 02", "--at", "2026-01-02T04:00", "--name",
                      "Anna Meier"})
                  .exitCode,
              0);
    ASSERT_EQ(device({"call", "add", "out", "0790000003"}).exitCode, 0);
    for (auto bad : std::vector<std::vector<std::string>>{
             {"call", "add", "sideways", "1"},
             {"call", "add", "in", "1", "--at", "2026-13-01T00:00"},
             {"call", "add", "in", "1", "--at"}})
        EXPECT_EQ(device(bad).exitCode, 2);

    std::vector<modem::CallLogEntry> log;
    modem::CallLogHandle handle = 0;
    ASSERT_EQ(modem::PhoneOpenCallLog(handle), 0);
    for (modem::CallLogEntry entry; modem::PhoneGetCallLogEntry(handle, entry) == 0;)
        log.push_back(entry);
    modem::PhoneCloseCallLog(handle);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].number, u"0790000003");
    EXPECT_EQ(log[0].direction, uint32_t(modem::callOutgoing));
    EXPECT_EQ(log[1].name, u"Anna Meier");
    EXPECT_EQ(log[1].direction, uint32_t(modem::callIncoming));
    EXPECT_EQ(log[2].direction, uint32_t(modem::callMissed));
    EXPECT_TRUE(log[2].flags & modem::callFlag::roaming);
    // 2026-01-02T03:04:05Z in 100 ns units since 1601.
    EXPECT_EQ(log[2].startTime, (1767323045ull * 10000000ull) + 116444736000000000ull);
    EXPECT_EQ(log[1].startTime - log[2].startTime, 3355ull * 10000000ull);
}

TEST_F(Messaging, SeedDemoGivesTheSameLivingPhoneForTheSameSeed) {
    std::string listings[3];
    std::string contacts, calls;
    for (int run = 0; run < 3; ++run) {
        test::useFreshDevice();
        auto seeded = device(
            {"seed-demo", "--contacts", "30", "--messages", "80", "--seed", run < 2 ? "5" : "6"});
        ASSERT_EQ(seeded.exitCode, 0) << seeded.err;
        for (const char* folder : {"Inbox", "Sent"})
            listings[run] += withoutTimes(device({"sms", "list", "--folder", folder}).out);
        calls = withoutTimes(device({"call", "list"}).out);
        listings[run] += calls;
        contacts = device({"contacts", "list"}).out;
    }
    EXPECT_EQ(listings[0], listings[1]);
    EXPECT_NE(listings[0], listings[2]);
    const std::string& phone = listings[0];
    for (const char* expected : {"unread\t", "read\t", "missed", "in\t", "out\t", "roaming"})
        EXPECT_NE(phone.find(expected), std::string::npos) << expected << "\n" << phone;
    EXPECT_TRUE(phone.find("read\tSunrise\t") != std::string::npos ||
                phone.find("read\tMyBank\t") != std::string::npos ||
                phone.find("read\tParcel\t") != std::string::npos ||
                phone.find("read\tINFO\t") != std::string::npos)
        << "a letters-only sender\n"
        << phone;

    // A call that carries a name is with a contact the same run seeded: its number is
    // one the contact list holds.
    std::istringstream callLines(calls);
    std::string line;
    int named = 0;
    while (std::getline(callLines, line)) {
        size_t number = line.find('\t') + 1, name = line.find('\t', number);
        if (name == std::string::npos || name + 1 == line.size())
            continue;
        ++named;
        std::string digits = line.substr(number, name - number);
        EXPECT_NE(contacts.find(digits), std::string::npos) << line << "\n" << contacts;
    }
    EXPECT_GT(named, 0) << phone;
    EXPECT_EQ(device({"seed-demo", "--messages"}).exitCode, 2);
}

TEST_F(Messaging, StoreFilesArePrivateAndALinkInTheirPlaceIsRefused) {
    ASSERT_EQ(device({"sms", "receive", "--from", "123", "x"}).exitCode, 0);
    ASSERT_EQ(device({"call", "add", "in", "123"}).exitCode, 0);
    fs::path folder = deviceFolder();
    EXPECT_EQ(modeOf(folder), 0700u);
    for (const char* file : {"messages.db", "messages.db-wal", "phone.db"})
        EXPECT_EQ(modeOf(folder / file), 0600u) << file;

    // A file left readable by an older build is made private again when opened.
    fs::permissions(folder / "messages.db", fs::perms(0644));
    EXPECT_EQ(device({"sms", "list"}).exitCode, 0);
    EXPECT_EQ(modeOf(folder / "messages.db"), 0600u);

    // A link planted in the store's place is not followed, and what it points at stays.
    fs::path elsewhere = test::freshFolder("elsewhere") / "target";
    std::ofstream(elsewhere) << "not a store";
    for (const char* file : {"phone.db", "phone.db-wal", "phone.db-shm"})
        fs::remove(folder / file);
    fs::create_symlink(elsewhere, folder / "phone.db");
    auto refused = device({"call", "list"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("phone: cannot open"), std::string::npos) << refused.err;
    std::string kept;
    EXPECT_TRUE(readWholeFile(elsewhere, kept));
    EXPECT_EQ(kept, "not a store");
}
