// A contact's conversation found through the store's number index equals the walk over
// every message of both folders and the whole call log, on seeded random stores; and it
// stops at the history size.

#include "tests/messaging/MessagingFixture.h"

#include "mapi/MAPIMessage.h"
#include "messaging/CallLog.h"
#include "messaging/Conversation.h"

#include <algorithm>
#include <random>

using namespace vantrel;
using namespace vantrel::test;
namespace modem = vantrel::platform::modem;

namespace {

std::vector<SMSMessage> conversation(const ConversationRequest& request) {
    std::vector<SMSMessage> out;
    loadConversation(request, [&](SMSMessage entry) {
        out.push_back(std::move(entry));
        return true;
    });
    return out;
}

// Every message of the folder, each opened and read the way the phone did.
void walkFolder(mapi::PropTag folderTag, bool sent, const ConversationRequest& request,
                std::vector<SMSMessage>& out) {
    auto session = mapi::MAPISession::logon();
    auto folder = session->openSmsFolder(folderTag);
    auto table = folder->contentsTable();
    table->setColumns(mapi::rowColumns);
    for (std::vector<Row> rows; !(rows = table->queryRows(1)).empty();) {
        mapi::MessageRow row = mapi::toMessageRow(rows.front());
        auto message = folder->openMessage(row.entryId);
        bool matched = !sent && request.matches(message->senderAddress());
        for (const mapi::RecipientRow& recipient :
             sent ? message->recipients() : std::vector<mapi::RecipientRow>())
            matched = matched || request.matches(recipient.address);
        if (!matched)
            continue;
        SMSMessage entry;
        entry.row = row;
        entry.sent = sent;
        entry.text = message->subject();
        entry.read = message->isRead();
        message->messageTime(entry.time);
        out.push_back(entry);
    }
}

// The plain walk: everything read, then the newest taken.
std::vector<SMSMessage> walk(const ConversationRequest& request) {
    std::vector<SMSMessage> all;
    walkFolder(mapi::inboxFolder, false, request, all);
    walkFolder(mapi::sentFolder, true, request, all);
    if (request.withCallLog) {
        CallLogReader log;
        for (modem::CallLogEntry call; log.next(call);)
            if (request.matches(call.number))
                all.push_back(callEntry(call));
    }
    std::stable_sort(all.begin(), all.end(), [](const SMSMessage& a, const SMSMessage& b) {
        if (a.time != b.time)
            return a.time > b.time;
        if (a.isCall != b.isCall)
            return a.isCall;
        return a.row.rowId > b.row.rowId;
    });
    all.resize(std::min(all.size(), size_t(request.historySize) + 1));
    return all;
}

std::string describe(const std::vector<SMSMessage>& entries) {
    std::string text;
    for (const SMSMessage& e : entries)
        text += std::to_string(e.time) +
                (e.isCall ? " call "
                 : e.sent ? " sent "
                          : " received ") +
                std::to_string(e.row.rowId) + (e.read ? " read" : " unread") + "\n";
    return text;
}

} // namespace

TEST_F(Messaging, AHistoryOfTwentyGivesTheTwentyOneNewestMessages) {
    for (int i = 0; i < 30; ++i) {
        receive(u"+41 79 555 01 02", u"to Anna " + std::u16string(1, char16_t(u'A' + i)), 10 * i);
        receive(u"+41 79 555 99 99", u"to someone else", 10 * i + 5);
    }
    ConversationRequest request{{u"079 555 01 02"}, false, 20, false};
    std::vector<SMSMessage> entries = conversation(request);
    ASSERT_EQ(entries.size(), 21u);
    EXPECT_EQ(entries.front().text, u"to Anna ^") << "newest first"; // 'A' + 29
    EXPECT_EQ(entries.back().text, u"to Anna J");
    EXPECT_EQ(entries.back().time, at(90));
    // A sink that stops ends the query at once.
    int taken = 0;
    loadConversation(request, [&](SMSMessage) { return ++taken < 3; });
    EXPECT_EQ(taken, 3);
}

TEST_F(Messaging, TheConversationThroughTheNumberIndexEqualsTheWalkOverEveryMessage) {
    // Each contact's number in the forms its senders use; a service sender; strangers.
    const std::vector<std::vector<std::u16string>> people{
        {u"+41 79 555 01 02", u"079 555 01 02", u"0795550102"},
        {u"+33 6 12 34 56 78", u"06 12 34 56 78"},
        {u"1234567", u"4567", u"+1234567"},
        {u"Swisscom", u"Salt"},
        {u"+41 76 000 00 00", u"+49 151 2345 6789", u"555"}};
    std::mt19937 random(7);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    {
        WriteBatch batch;
        for (int i = 0; i < 400; ++i) {
            const auto& forms = people[pick(people.size())];
            std::u16string number = forms[pick(forms.size())];
            int minute = int(pick(300)); // equal times happen
            if (pick(3) == 0) {
                send(number, u"sent", minute);
            } else if (pick(8) == 0) {
                // No creation time: the delivery time stands in.
                auto message = inbox->createMessage();
                message->setProps({Property::text(tag::senderEmailAddress, number),
                                   Property::time(tag::messageDeliveryTime, at(minute))});
                message->saveChanges();
            } else {
                receive(number, u"received", minute, pick(2) == 0);
            }
        }
    }
    for (int i = 0; i < 60; ++i) {
        const auto& forms = people[pick(people.size())];
        call(uint32_t(pick(3)), forms[pick(forms.size())], int(pick(300)),
             pick(2) ? modem::callFlag::connected : 0);
    }
    for (const auto& forms : people) {
        for (int history : {5, 20, 1000}) {
            for (bool calls : {false, true}) {
                ConversationRequest request{
                    {forms.front()}, forms.front() == u"Swisscom", history, calls};
                std::vector<SMSMessage> found = conversation(request);
                ASSERT_EQ(describe(found), describe(walk(request)))
                    << "number of " << forms.front().size() << " characters, history " << history;
                if (history == 1000) {
                    EXPECT_GT(found.size(), 20u);
                }
            }
        }
    }
}
