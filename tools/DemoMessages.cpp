#include "tools/DemoMessages.h"

#include "platform/modem/Phone.h"
#include "platform/msgstore/MessageStore.h"
#include "tools/DemoRandom.h"

#include <algorithm>

namespace vantrel::tools {

using namespace platform;
using namespace platform::msgstore;

namespace {

constexpr uint64_t minute = 600000000ull; // in file-time units
constexpr uint64_t month = 30 * 24 * 60 * minute;

const std::u16string_view texts[] = {
    u"Are you coming tonight?",
    u"Running 10 minutes late, sorry!",
    u"Can you call me back when you have a moment?",
    u"Thanks, that was great 😊",
    u"Don't forget the tickets",
    u"Où est-ce qu'on se retrouve ?",
    u"Bis später!",
    u"Привет! Как дела?",
    u"Καλημέρα, τα λέμε αύριο",
    u"好的，明天见",
    u"Happy birthday!!! 🎉",
    u"The meeting moved to 3pm, room 4.12",
    u"I'll bring the charger",
    u"OK",
    u"Landed. Taxi to the hotel now, will text when I'm there. The flight was long but fine.",
};

// Operators and services write from a name, not a number.
struct ServiceMessage {
    std::u16string_view sender;
    std::u16string_view text;
};
const ServiceMessage serviceMessages[] = {
    {u"Sunrise", u"Your data pack is renewed until the end of the month."},
    {u"MyBank", u"Your code is 482913. Do not share it."},
    {u"Parcel", u"Your parcel arrives tomorrow between 10:00 and 13:00."},
    {u"INFO", u"Roaming: calls in this country cost 0.45 a minute."},
};

std::u16string unknownNumber(DemoRandom& random) {
    // Written as people write them: "+41 76 123 45 67".
    std::u16string number = u"+41 7";
    for (int i = 0; i < 8; ++i) {
        if (i == 1 || i == 4 || i == 6)
            number += u' ';
        number += char16_t(u'0' + random.below(10));
    }
    return number;
}

struct Counterpart {
    std::u16string name;
    std::u16string number;
    const ServiceMessage* service = nullptr;
};

Counterpart pick(const std::vector<DemoContact>& contacts,
                 const std::vector<std::u16string>& strangers, DemoRandom& random) {
    uint64_t roll = random.below(100);
    if (roll < 75 && !contacts.empty()) {
        // A few contacts write a lot, most a little, as on a real phone.
        size_t index = random.below(random.chance(60) ? std::min<size_t>(contacts.size(), 5)
                                                      : contacts.size());
        const DemoContact& contact = contacts[index];
        if (!contact.numbers.empty())
            return {contact.name, contact.numbers[random.below(contact.numbers.size())]};
    }
    if (roll < 90 && !strangers.empty()) {
        const std::u16string& number = strangers[random.below(strangers.size())];
        return {number, number};
    }
    const ServiceMessage& service = serviceMessages[random.below(std::size(serviceMessages))];
    return {std::u16string(service.sender), std::u16string(service.sender), &service};
}

bool addMessage(Folder& inbox, Folder& sent, const Counterpart& who, std::u16string_view text,
                bool received, bool read, uint64_t time) {
    auto message = (received ? inbox : sent).createMessage();
    std::vector<Property> properties{Property::text(tag::messageClass, u"IPM.SMStext"),
                                     Property::text(tag::subject, std::u16string(text)),
                                     Property::time(tag::messageDeliveryTime, time),
                                     Property::time(tag::deliverTime, time),
                                     Property::time(tag::creationTime, time),
                                     Property::time(tag::receiptTime, time)};
    if (received) {
        properties.push_back(Property::text(tag::senderEmailAddress, who.number));
        properties.push_back(Property::text(tag::senderName, who.name));
        properties.push_back(Property::number(tag::messageFlags, read ? flag::read : 0));
        properties.push_back(Property::number(tag::msgStatus, 0));
    } else {
        properties.push_back(
            Property::number(tag::messageFlags, flag::read | flag::submit | flag::fromMe));
        properties.push_back(Property::number(tag::msgStatus, 0x00060000));
        message->modifyRecipients(
            Message::RecipientChange::add,
            {{Property::number(tag::recipientType, 1), Property::text(tag::addrType, u"SMS"),
              Property::text(tag::emailAddress, who.number),
              Property::text(tag::displayName, who.name)}});
    }
    return message->setProps(properties) && message->saveChanges();
}

std::unique_ptr<Folder> folderOf(MsgStore& store, PropTag tag) {
    return store.openFolder(store.getProps({tag})[0].asBinary());
}

} // namespace

bool seedDemoMessages(const std::vector<DemoContact>& contacts, int messageCount, uint32_t seed,
                      uint64_t now) {
    DemoRandom random(seed);
    auto session = Session::logon();
    if (!session)
        return false;
    auto stores = session->storesTable()->queryRows(1);
    auto store = stores.empty() ? nullptr : session->openStore(stores[0][1].asBinary());
    auto inbox = store ? folderOf(*store, tag::inboxEntryId) : nullptr;
    auto sent = store ? folderOf(*store, tag::sentMailEntryId) : nullptr;
    if (!inbox || !sent)
        return false;

    std::vector<std::u16string> strangers;
    for (int i = 0; i < 4; ++i)
        strangers.push_back(unknownNumber(random));

    // Oldest first, as messages arrive; the newest few received ones stay unread.
    std::vector<uint64_t> times;
    for (int i = 0; i < messageCount; ++i)
        times.push_back(now - 1 - random.below(month));
    std::sort(times.begin(), times.end());
    int unreadFrom = messageCount - std::max(1, messageCount / 10);

    WriteBatch batch;
    for (int i = 0; i < messageCount; ++i) {
        Counterpart who = pick(contacts, strangers, random);
        bool received = who.service || random.chance(60);
        std::u16string_view text =
            who.service ? who.service->text : texts[random.below(std::size(texts))];
        bool read = !received || i < unreadFrom || random.chance(30);
        if (!addMessage(*inbox, *sent, who, text, received, read, times[i]))
            return false;
    }
    if (!batch.commit())
        return false;

    int callCount = std::max(12, messageCount / 3);
    for (int i = 0; i < callCount; ++i) {
        Counterpart who = pick(contacts, strangers, random);
        if (who.service)
            who = {strangers[0], strangers[0]};
        modem::CallLogEntry call;
        call.number = who.number;
        call.name = who.name == who.number ? u"" : who.name;
        call.callerIdType = modem::callerIdAvailable;
        call.startTime = now - 1 - random.below(month);
        // The first four cover every kind, so even a small demo shows each.
        uint64_t kind = i < 4 ? uint64_t(i) : random.below(4);
        call.direction = kind == 3 ? modem::callOutgoing : uint32_t(kind);
        call.flags = modem::callFlag::ended;
        if (call.direction == modem::callOutgoing)
            call.flags |= modem::callFlag::outgoing;
        if (call.direction != modem::callMissed && (kind != 3 || random.chance(70)))
            call.flags |= modem::callFlag::connected;
        if (i == 1 || random.chance(8))
            call.flags |= modem::callFlag::roaming;
        call.endTime =
            call.startTime +
            (call.flags & modem::callFlag::connected ? (1 + random.below(20)) * minute : 0);
        if (!modem::addCallLogEntry(call))
            return false;
    }
    return true;
}

} // namespace vantrel::tools
