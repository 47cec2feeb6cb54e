#include "tools/MessagingCommands.h"

#include "platform/core/Clock.h"
#include "platform/core/Utf.h"
#include "platform/modem/Phone.h"
#include "platform/modem/SimulatedModem.h"
#include "platform/msgstore/MessageStore.h"
#include "platform/msgstore/SmsBuffer.h"
#include "platform/registry/Registry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

namespace vantrel::tools {

using namespace platform;
using namespace platform::msgstore;

const char* const messagingUsage =
    "       vantrel-device sms list [--folder Inbox|Sent|Outbox|Drafts|Deleted]\n"
    "       vantrel-device sms receive --from NUMBER TEXT\n"
    "       vantrel-device modem outbox\n"
    "       vantrel-device modem dials\n"
    "       vantrel-device modem fail-next-send CODE\n"
    "       vantrel-device modem fail-next-dial CODE\n"
    "       vantrel-device modem send-delay MS\n"
    "       vantrel-device modem service on|off\n"
    "       vantrel-device call add in|out|missed NUMBER [--roaming] "
    "[--at YYYY-MM-DDTHH:MM[:SS]] [--name NAME]\n"
    "       vantrel-device call list\n";

namespace {

int usage() {
    std::fprintf(stderr, "usage:\n%s", messagingUsage);
    return 2;
}

int fail(const char* what) {
    std::fprintf(stderr, "vantrel-device: %s\n", what);
    return 1;
}

constexpr uint64_t ticksPerSecond = 10000000;
constexpr uint64_t unixEpoch = 116444736000000000; // 1970-01-01 in file time

std::string formatTime(uint64_t fileTime) {
    std::time_t seconds = std::time_t((fileTime - unixEpoch) / ticksPerSecond);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

bool parseTime(const char* text, uint64_t& fileTime) {
    std::tm utc{};
    int consumed = 0;
    if (std::sscanf(text, "%4d-%2d-%2dT%2d:%2d%n", &utc.tm_year, &utc.tm_mon, &utc.tm_mday,
                    &utc.tm_hour, &utc.tm_min, &consumed) != 5)
        return false;
    const char* rest = text + consumed;
    int secondsRead = 0;
    if (*rest == ':' && std::sscanf(rest, ":%2d%n", &utc.tm_sec, &secondsRead) == 1)
        rest += secondsRead;
    if (*rest == 'Z')
        ++rest;
    if (*rest || utc.tm_year < 1970 || utc.tm_mon < 1 || utc.tm_mon > 12 || utc.tm_mday < 1 ||
        utc.tm_mday > 31 || utc.tm_hour > 23 || utc.tm_min > 59 || utc.tm_sec > 59)
        return false;
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    fileTime = uint64_t(timegm(&utc)) * ticksPerSecond + unixEpoch;
    return true;
}

std::unique_ptr<Folder> openFolder(Session& session, const std::string& name) {
    struct Named {
        const char16_t* name;
        PropTag tag;
    };
    static const Named folders[] = {{u"Inbox", tag::inboxEntryId},
                                    {u"Sent", tag::sentMailEntryId},
                                    {u"Outbox", tag::outboxEntryId},
                                    {u"Drafts", tag::draftsEntryId},
                                    {u"Deleted", tag::wastebasketEntryId}};
    auto stores = session.storesTable()->queryRows(1);
    auto store = stores.empty() ? nullptr : session.openStore(stores[0][1].asBinary());
    if (!store)
        return nullptr;
    for (const Named& folder : folders)
        if (equalsIgnoreAsciiCase(folder.name, toUtf16(name)))
            return store->openFolder(store->getProps({folder.tag})[0].asBinary());
    return nullptr;
}

int listMessages(const std::string& folderName) {
    auto session = Session::logon();
    if (!session)
        return fail("cannot open the message store");
    auto folder = openFolder(*session, folderName);
    if (!folder)
        return fail("no such folder");
    auto table = folder->contentsTable();
    table->setColumns({tag::entryId, tag::creationTime, tag::messageFlags, tag::senderEmailAddress,
                       tag::subject});
    bool sent = equalsIgnoreAsciiCase(toUtf16(folderName), u"Sent");
    for (auto rows = table->queryRows(64); !rows.empty(); rows = table->queryRows(64)) {
        for (const Row& row : rows) {
            std::u16string number = row[3].asText();
            if (sent) {
                // A sent message's counterpart is its first recipient.
                auto message = folder->openMessage(row[0].asBinary());
                auto recipients = message ? message->recipientTable() : nullptr;
                auto first = recipients ? recipients->queryRows(1) : std::vector<Row>{};
                number = first.empty() ? u"" : first[0][2].asText();
            }
            std::printf("%s\t%s\t%s\t%s\n", formatTime(row[1].asTime()).c_str(),
                        row[2].asNumber() & flag::read ? "read" : "unread", toUtf8(number).c_str(),
                        toUtf8(row[4].asText()).c_str());
        }
    }
    return 0;
}

int receive(const char* from, const char* text) {
    std::u16string sender = toUtf16(from);
    auto session = Session::logon();
    auto folder = session ? openFolder(*session, "Inbox") : nullptr;
    auto message = folder ? folder->createMessage() : nullptr;
    if (!message)
        return fail("cannot open the message store");
    uint64_t now = systemFileTime();
    bool ok =
        message->setProps(
            {Property::text(tag::messageClass, u"IPM.SMStext"),
             Property::text(tag::subject, toUtf16(text)),
             Property::text(tag::senderEmailAddress, sender),
             Property::text(tag::senderName, sender), Property::number(tag::messageFlags, 0),
             Property::number(tag::msgStatus, 0), Property::time(tag::messageDeliveryTime, now),
             Property::time(tag::deliverTime, now), Property::time(tag::creationTime, now),
             Property::time(tag::receiptTime, now)}) &&
        message->saveChanges();
    if (!ok)
        return fail("cannot store the message");
    if (!interceptorRegistered())
        return 0;
    // What the interceptor does for a message the phone received.
    SmsBufferResult result = notifyNewSms(message->entryId(), sender);
    if (result == SmsBufferResult::entryIdTooLong || result == SmsBufferResult::senderTooLong) {
        std::fprintf(stderr, "vantrel-device: stored, but not passed to the program: %s\n",
                     describe(result));
        return 1;
    }
    return 0;
}

bool parseCode(const char* text, int32_t& code) {
    char* end = nullptr;
    long long value = std::strtoll(text, &end, 0);
    if (!*text || *end || value < INT32_MIN || value > UINT32_MAX || value == 0)
        return false;
    code = int32_t(uint32_t(value));
    return true;
}

const char* encodingName(modem::SmsEncoding encoding) {
    return encoding == modem::SmsEncoding::ucs2 ? "ucs2" : "gsm7";
}

int modemCommand(int argc, char** args) {
    using modem::SimulatedModem;
    if (argc == 2 && std::strcmp(args[1], "outbox") == 0) {
        std::vector<modem::SentSms> sends;
        if (!SimulatedModem::sends(sends))
            return fail("cannot read the modem's log");
        for (const auto& sms : sends)
            std::printf("%u\t%s\t%s\t%s\t0x%08x\t%s\n", sms.id, toUtf8(sms.number).c_str(),
                        encodingName(sms.encoding), sms.statusReport ? "report" : "no-report",
                        uint32_t(sms.result), toUtf8(sms.text).c_str());
        return 0;
    }
    if (argc == 2 && std::strcmp(args[1], "dials") == 0) {
        std::vector<modem::DialRequest> dials;
        if (!SimulatedModem::dials(dials))
            return fail("cannot read the modem's log");
        for (const auto& dial : dials)
            std::printf("%s\t%s\t%s\n", formatTime(dial.time).c_str(), toUtf8(dial.number).c_str(),
                        toUtf8(dial.calledParty).c_str());
        return 0;
    }
    int32_t code = 0;
    if (argc == 3 && std::strcmp(args[1], "fail-next-send") == 0 && parseCode(args[2], code))
        return SimulatedModem::failNextSend(code) ? 0 : fail("cannot write the modem's state");
    // A dial is refused only with a failure code; a success code would pass for a call.
    if (argc == 3 && std::strcmp(args[1], "fail-next-dial") == 0 && parseCode(args[2], code) &&
        code < 0)
        return SimulatedModem::failNextDial(code) ? 0 : fail("cannot write the modem's state");
    if (argc == 3 && std::strcmp(args[1], "service") == 0 &&
        (std::strcmp(args[2], "on") == 0 || std::strcmp(args[2], "off") == 0))
        return SimulatedModem::setSmsService(std::strcmp(args[2], "on") == 0)
                   ? 0
                   : fail("cannot write the modem's state");
    char* end = nullptr;
    unsigned long delay = argc == 3 ? std::strtoul(args[2], &end, 10) : 0;
    if (argc == 3 && std::strcmp(args[1], "send-delay") == 0 && *args[2] && !*end &&
        delay <= 600000)
        return SimulatedModem::setSendDelay(uint32_t(delay))
                   ? 0
                   : fail("cannot write the modem's state");
    return usage();
}

int callCommand(int argc, char** args) {
    using namespace modem;
    if (argc == 2 && std::strcmp(args[1], "list") == 0) {
        CallLogHandle log = 0;
        if (PhoneOpenCallLog(log) < 0)
            return fail("cannot open the call log");
        CallLogEntry entry;
        static const char* directions[] = {"missed", "in", "out"};
        int32_t result;
        while ((result = PhoneGetCallLogEntry(log, entry)) == phoneOk)
            std::printf("%s\t%s%s\t%s\t%s\n", formatTime(entry.startTime).c_str(),
                        directions[entry.direction % 3],
                        entry.flags & callFlag::roaming ? " roaming" : "",
                        toUtf8(entry.number).c_str(), toUtf8(entry.name).c_str());
        PhoneCloseCallLog(log);
        return result < 0 ? fail("cannot read the call log") : 0;
    }
    if (argc < 4 || std::strcmp(args[1], "add") != 0)
        return usage();
    CallLogEntry call;
    std::string kind = args[2];
    if (kind == "in") {
        call.direction = callIncoming;
        call.flags = callFlag::connected | callFlag::ended;
    } else if (kind == "out") {
        call.direction = callOutgoing;
        call.flags = callFlag::outgoing | callFlag::connected | callFlag::ended;
    } else if (kind == "missed") {
        call.direction = callMissed;
        call.flags = callFlag::ended;
    } else {
        return usage();
    }
    call.number = toUtf16(args[3]);
    call.callerIdType = call.number.empty() ? callerIdUnavailable : callerIdAvailable;
    call.startTime = systemFileTime();
    for (int i = 4; i < argc; ++i) {
        if (std::strcmp(args[i], "--roaming") == 0)
            call.flags |= callFlag::roaming;
        else if (std::strcmp(args[i], "--at") == 0 && i + 1 < argc &&
                 parseTime(args[i + 1], call.startTime))
            ++i;
        else if (std::strcmp(args[i], "--name") == 0 && i + 1 < argc)
            call.name = toUtf16(args[++i]);
        else
            return usage();
    }
    // An answered call lasts a minute; a missed one has no length.
    call.endTime = call.startTime + (call.flags & callFlag::connected ? 60 * ticksPerSecond : 0);
    if (!addCallLogEntry(call))
        return fail("cannot write the call log");
    // As on the phone, the active call count goes up for the call and down after it;
    // its change tells the running program to count calls again. The pause lets every
    // watcher see the raised count: one that read only the end would see no change.
    constexpr std::u16string_view phoneKey = u"System\\State\\Phone";
    registry::writeDword(registry::Root::localMachine, phoneKey, u"Active Call Count", 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    registry::writeDword(registry::Root::localMachine, phoneKey, u"Active Call Count", 0);
    return 0;
}

} // namespace

int runMessagingCommand(int argc, char** args) {
    std::string command = argc > 0 ? args[0] : "";
    if (command == "sms" && argc >= 2 && std::strcmp(args[1], "list") == 0) {
        if (argc == 2)
            return listMessages("Inbox");
        if (argc == 4 && std::strcmp(args[2], "--folder") == 0)
            return listMessages(args[3]);
    }
    if (command == "sms" && argc == 5 && std::strcmp(args[1], "receive") == 0 &&
        std::strcmp(args[2], "--from") == 0)
        return receive(args[3], args[4]);
    if (command == "modem")
        return modemCommand(argc, args);
    if (command == "call")
        return callCommand(argc, args);
    return usage();
}

} // namespace vantrel::tools
