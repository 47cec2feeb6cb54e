// The counters of the contact rows: what a full recount gives, and that a refresh reads
// only what is new and counts each message and call once.

#include "tests/messaging/MessagingFixture.h"

#include "messaging/CallLog.h"

using namespace vantrel;
using namespace vantrel::test;
namespace modem = vantrel::platform::modem;

TEST_F(Messaging, ARecountGivesContactsTheirMessagesAndCallsAndUnknownSendersRowsOfTheirOwn) {
    add(u"Anna", {{prop::mobile, u"+41 79 555 01 02"}});
    add(u"Bob", {{prop::home, u"044 123 45 67"}, {prop::mobile, u"079 999 88 77"}});
    load();
    receive(u"079 555 01 02", u"hi", 1, true); // Anna, national form
    receive(u"+41 44 123 45 67", u"dinner?", 2);
    receive(u"+41795550102", u"later", 3);
    receive(u"+41 76 000 00 00", u"who is this", 4);
    receive(u"Swisscom", u"data renewed", 5, true);
    receive(u"Salt", u"promo", 6);
    send(u"+41 79 555 01 02", u"to Anna", 7);
    call(modem::callMissed, u"0795550102", 8, modem::callFlag::roaming);
    call(modem::callOutgoing, u"044 123 45 67", 9, modem::callFlag::connected);
    call(modem::callIncoming, u"+41 78 111 22 33", 10, modem::callFlag::connected);

    counter->recountMessages();
    ASSERT_TRUE(counter->apply(*list));

    ContactCounters anna = counts(u"Anna");
    EXPECT_EQ(anna.messages, 2);
    EXPECT_EQ(anna.unread, 1);
    EXPECT_EQ(anna.lastMessage, u"later");
    EXPECT_EQ(anna.calls, 1);
    EXPECT_TRUE(anna.newestIsCall);
    EXPECT_EQ(anna.newCalls, 0) << "a recount ends with no new calls";
    ContactCounters bob = counts(u"Bob");
    EXPECT_EQ(bob.messages, 1);
    EXPECT_EQ(bob.unread, 1);
    EXPECT_EQ(bob.calls, 0) << "outgoing calls are not counted";
    ContactCounters unknown = counts(u"<+41 76 000 00 00>");
    EXPECT_EQ(unknown.messages, 1);
    EXPECT_EQ(unknown.unread, 1);
    // Both letters-only senders share one row.
    ContactCounters service = counts(u"Service Messages");
    EXPECT_EQ(service.messages, 2);
    EXPECT_EQ(service.unread, 1);
    ContactCounters caller = counts(u"<+41 78 111 22 33>");
    EXPECT_EQ(caller.messages, 0);
    EXPECT_EQ(caller.calls, 1);
    EXPECT_EQ(counter->findItemByNumber(*list, u"+41 44 123 45 67"), row(u"Bob"));
    EXPECT_EQ(counter->findItemByNumber(*list, u"+41 44 123 45 67", row(u"Bob")), nullptr);
    EXPECT_EQ(counter->findItemByNumber(*list, u""), row(u"Service Messages"))
        << "an empty number belongs to no contact, only to the row of senders without digits";

    // Without "callloginsms" rows have no call counts.
    counter->setCallLogCounting(false);
    counter->recountMessages();
    counter->apply(*list);
    EXPECT_EQ(counts(u"Anna").calls, 0);
    EXPECT_EQ(counts(u"Anna").messages, 2);
    EXPECT_EQ(counts(u"<+41 78 111 22 33>").calls, 0);
}

TEST_F(Messaging, ARefreshCountsEachNewMessageAndCallOnceWhateverTimeItCarries) {
    add(u"Anna", {{prop::mobile, u"+41 79 555 01 02"}});
    load();
    receive(u"+41795550102", u"one", 100);
    call(modem::callMissed, u"+41795550102", 100);
    counter->recountMessages();
    counter->apply(*list);
    ASSERT_EQ(counts(u"Anna").messages, 1);

    // Stored after the scan: one late delivery older than everything counted, one new.
    receive(u"+41795550102", u"sent yesterday", 10);
    receive(u"+41795550102", u"now", 200);
    call(modem::callIncoming, u"+41795550102", 201, modem::callFlag::connected);
    counter->scanSmsCounts();
    counter->scanSmsCounts();
    counter->scanCallLogCounts();
    counter->apply(*list);
    ContactCounters anna = counts(u"Anna");
    EXPECT_EQ(anna.messages, 3);
    EXPECT_EQ(anna.unread, 3);
    EXPECT_EQ(anna.lastMessage, u"now") << "the newest by time, not by arrival";
    EXPECT_EQ(anna.calls, 2);
    EXPECT_EQ(anna.newCalls, 1);

    // The new-message notification counts at once; the scan that reads it passes it by.
    EntryId fourth = receive(u"+41795550102", u"fourth", 300);
    EXPECT_TRUE(counter->countReceived(*list, fourth));
    EXPECT_FALSE(counter->countReceived(*list, fourth));
    counter->scanSmsCounts();
    counter->apply(*list);
    EXPECT_EQ(counts(u"Anna").messages, 4);

    // A restart counts everything afresh, once.
    MessageCounter restarted(window);
    restarted.recountMessages();
    restarted.apply(*list);
    EXPECT_EQ(counts(u"Anna").messages, 4);
    EXPECT_EQ(counts(u"Anna").calls, 2);
}

TEST(CallLog, TextsSayTheDirectionWhetherAnsweredAndRoaming) {
    auto text = [](uint32_t direction, uint32_t flags) {
        modem::CallLogEntry call;
        call.direction = direction;
        call.flags = flags;
        return callText(call);
    };
    using namespace modem::callFlag;
    EXPECT_EQ(text(modem::callMissed, roaming), u"Missed Call (Roaming)");
    EXPECT_EQ(text(modem::callIncoming, connected), u"Incoming Call");
    EXPECT_EQ(text(modem::callOutgoing, outgoing | connected), u"Call");
    EXPECT_EQ(text(modem::callOutgoing, outgoing), u"Failed Call");
    modem::CallLogEntry out;
    out.direction = modem::callOutgoing;
    out.flags = outgoing;
    out.startTime = 42;
    SMSMessage entry = callEntry(out);
    EXPECT_TRUE(entry.isCall && entry.sent && entry.read);
    EXPECT_EQ(entry.time, 42u);
}
