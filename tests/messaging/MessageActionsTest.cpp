// Marking a message read or unread and deleting it, in the store and on its contact's
// counters; the copy of a sent SMS and the setting that asks for it.

#include "tests/messaging/MessagingFixture.h"

#include "mapi/MAPIMessage.h"
#include "messaging/Conversation.h"
#include "messaging/MessageActions.h"
#include "platform/registry/Registry.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

bool storedRead(const EntryId& id) {
    auto session = mapi::MAPISession::logon();
    auto message = session->openMessage(id);
    return message && message->isRead();
}

} // namespace

TEST_F(Messaging, ReadAndUnreadAndDeleteKeepTheContactsCountersAndTheStoreInStep) {
    add(u"Anna", {{prop::mobile, u"+41 79 555 01 02"}});
    load();
    receive(u"+41795550102", u"first", 1);
    receive(u"+41795550102", u"second", 2);
    send(u"+41795550102", u"answer", 3);
    counter->recountMessages();
    counter->apply(*list);
    ContactListItem* anna = row(u"Anna");
    ASSERT_TRUE(anna);
    std::vector<SMSMessage> entries;
    loadConversation(conversationRequest(*anna), [&](SMSMessage entry) {
        entry.contact = ItemRef(anna);
        entries.push_back(std::move(entry));
        return true;
    });
    ASSERT_EQ(entries.size(), 3u);
    SMSMessage& answer = entries[0];
    SMSMessage& second = entries[1];
    SMSMessage& first = entries[2];
    ASSERT_TRUE(answer.sent);
    ASSERT_EQ(anna->counters().unread, 2);

    EXPECT_EQ(setMessageRead(second, true), -1);
    EXPECT_TRUE(storedRead(second.row.entryId));
    EXPECT_TRUE(second.userChanged);
    EXPECT_EQ(anna->counters().unread, 1);
    EXPECT_EQ(setMessageRead(second, true), 0) << "already read";
    EXPECT_EQ(setMessageRead(second, false), 1);
    EXPECT_EQ(anna->counters().unread, 2);
    EXPECT_FALSE(storedRead(second.row.entryId));

    // A sent message's state changes in the store only.
    EXPECT_EQ(setMessageRead(answer, false), 0);
    EXPECT_FALSE(storedRead(answer.row.entryId));
    EXPECT_FALSE(answer.read);
    EXPECT_EQ(anna->counters().unread, 2);

    int unreadChange = 0;
    EXPECT_TRUE(deleteMessage(first, unreadChange));
    EXPECT_EQ(unreadChange, -1);
    EXPECT_EQ(anna->counters().unread, 1);
    EXPECT_EQ(anna->counters().messages, 1);
    EXPECT_FALSE(deleteMessage(first, unreadChange)) << "gone from the store";
    EXPECT_EQ(anna->counters().messages, 1);
    // The next recount agrees with what the actions left.
    counter->recountMessages();
    counter->apply(*list);
    EXPECT_EQ(anna->counters().messages, 1);
    EXPECT_EQ(anna->counters().unread, 1);
}

TEST_F(Messaging, ASentCopyIsKeptOnlyWhileSaveSentIsOnAndCarriesTheSentState) {
    using platform::registry::Root;
    constexpr std::u16string_view key = u"Software\\Microsoft\\Inbox\\Settings";
    ASSERT_TRUE(platform::registry::writeDword(Root::currentUser, key, u"SaveSent", 0));
    EXPECT_FALSE(keepSentCopy(u"Anna", u"+41795550102", u"not kept", at(5)));
    EXPECT_TRUE(sent->contentsTable()->queryRows(10).empty());

    ASSERT_TRUE(platform::registry::writeDword(Root::currentUser, key, u"SaveSent", 1));
    ASSERT_TRUE(keepSentCopy(u"Anna", u"+41795550102", u"kept", at(5)));
    auto table = sent->contentsTable();
    table->setColumns({tag::subject, tag::messageClass, tag::messageFlags, tag::msgStatus,
                       tag::messageDeliveryTime, tag::deliverTime, tag::creationTime,
                       tag::receiptTime, tag::entryId});
    auto rows = table->queryRows(10);
    ASSERT_EQ(rows.size(), 1u);
    const Row& copy = rows.front();
    EXPECT_EQ(copy[0].asText(), u"kept");
    EXPECT_EQ(copy[1].asText(), u"IPM.SMStext");
    EXPECT_EQ(copy[2].asNumber(), 0x25u);
    EXPECT_EQ(copy[3].asNumber(), 0x00060000u);
    for (int i = 4; i < 8; ++i)
        EXPECT_EQ(copy[i].asTime(), at(5));
    auto session = mapi::MAPISession::logon();
    std::vector<mapi::RecipientRow> to = session->openMessage(copy[8].asBinary())->recipients();
    ASSERT_EQ(to.size(), 1u);
    EXPECT_EQ(to[0].displayName, u"Anna");
    EXPECT_EQ(to[0].address, u"+41795550102");
    EXPECT_EQ(to[0].recipientType, 1u);
    // It belongs to Anna's conversation.
    std::vector<SMSMessage> entries;
    loadConversation({{u"079 555 01 02"}, false, 20, false}, [&](SMSMessage e) {
        entries.push_back(std::move(e));
        return true;
    });
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].sent);
}
