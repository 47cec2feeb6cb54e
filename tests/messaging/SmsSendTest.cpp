// Sending an SMS through the simulated modem of a fresh device: what the modem is
// asked (address type, status report, text), the Sent copy the platform's settings ask
// for, the bubbles of a failed send and of a service that cannot be opened, and one
// send at a time.

#include "tests/messaging/MessagingFixture.h"

#include "mapi/MAPIMessage.h"
#include "messaging/SmsSend.h"
#include "platform/modem/SimulatedModem.h"
#include "platform/registry/Registry.h"

#include <chrono>
#include <thread>

using namespace vantrel;
using namespace vantrel::test;
using platform::modem::SentSms;
using platform::modem::SimulatedModem;
namespace registry = platform::registry;

namespace {

constexpr std::u16string_view inboxSettings = u"Software\\Microsoft\\Inbox\\Settings";

std::vector<SentSms> outbox() {
    std::vector<SentSms> sends;
    EXPECT_TRUE(SimulatedModem::sends(sends));
    return sends;
}

void setInboxValue(std::u16string_view name, uint32_t value) {
    ASSERT_TRUE(registry::writeDword(registry::Root::currentUser, inboxSettings, name, value));
}

size_t sentFolderSize(Folder& sent) {
    auto table = sent.contentsTable();
    return table ? table->rowCount() : 0;
}

SmsSendRequest request(std::u16string number, std::u16string text) {
    return {std::move(number), std::move(text), u"Anna", u"Not sent"};
}

} // namespace

TEST_F(Messaging, ASendCarriesTheAddressTypeTheStatusReportTheRegistryAsksAndTheText) {
    registry::deleteKey(registry::Root::currentUser, inboxSettings);
    bool opened = false;
    // No settings key at all: a report is asked for.
    EXPECT_EQ(sendSmsText(u"+41791112233", u"Grüezi ☺", opened), 0);
    EXPECT_TRUE(opened);
    // The key without the value: none.
    setInboxValue(u"SaveSent", 1);
    EXPECT_EQ(sendSmsText(u"0791112233", u"plain", opened), 0);
    setInboxValue(u"SMSDeliveryNotify", 1);
    EXPECT_EQ(sendSmsText(u"0041791112233", u"asked", opened), 0);
    setInboxValue(u"SMSDeliveryNotify", 2);
    EXPECT_EQ(sendSmsText(u"+41791112233", u"other value", opened), 0);

    auto sends = outbox();
    ASSERT_EQ(sends.size(), 4u);
    EXPECT_EQ(sends[0].number, u"+41791112233");
    EXPECT_TRUE(sends[0].international);
    EXPECT_TRUE(sends[0].statusReport);
    EXPECT_EQ(sends[0].text, u"Grüezi ☺");
    EXPECT_EQ(sends[0].encoding, platform::modem::SmsEncoding::ucs2);
    EXPECT_FALSE(sends[1].international);
    EXPECT_FALSE(sends[1].statusReport);
    EXPECT_EQ(sends[1].encoding, platform::modem::SmsEncoding::gsm7bit);
    EXPECT_FALSE(sends[2].international);
    EXPECT_TRUE(sends[2].statusReport);
    EXPECT_TRUE(sends[3].international);
    EXPECT_FALSE(sends[3].statusReport);

    // Nothing to send: nothing attempted.
    EXPECT_EQ(sendSmsText(u"+41791112233", u"", opened), 0);
    EXPECT_FALSE(opened);
    EXPECT_EQ(sendSmsText(u"", u"to nobody", opened), 0);
    EXPECT_EQ(outbox().size(), 4u);
}

TEST_F(Messaging, TheBubbleRecordsWhatHappenedAndOnlyASentMessageIsCopied) {
    registry::deleteKey(registry::Root::currentUser, inboxSettings);
    // No setting: a copy is kept, and the bubble can find it again.
    SmsSendResult kept = sendSmsAndRecord(request(u"+41795550102", u"kept"));
    EXPECT_FALSE(kept.message.failed);
    EXPECT_FALSE(kept.serviceUnavailable);
    EXPECT_TRUE(kept.message.sent);
    EXPECT_EQ(kept.message.text, u"kept");
    EXPECT_NE(kept.message.time, 0u);
    ASSERT_EQ(sentFolderSize(*sent), 1u);
    auto session = mapi::MAPISession::logon();
    auto copy = session->openMessage(kept.message.row.entryId);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->subject(), u"kept");
    auto recipients = copy->recipients();
    ASSERT_EQ(recipients.size(), 1u);
    EXPECT_EQ(recipients[0].displayName, u"Anna");
    EXPECT_EQ(recipients[0].address, u"+41795550102");

    setInboxValue(u"SaveSent", 0);
    SmsSendResult notKept = sendSmsAndRecord(request(u"+41795550102", u"not kept"));
    EXPECT_FALSE(notKept.message.failed);
    EXPECT_EQ(notKept.message.text, u"not kept");
    EXPECT_TRUE(notKept.message.row.entryId.empty());
    EXPECT_EQ(sentFolderSize(*sent), 1u);

    // A refused send: the failure text and the code, nothing in the Sent folder.
    setInboxValue(u"SaveSent", 1);
    ASSERT_TRUE(SimulatedModem::failNextSend(int32_t(0x80004005)));
    SmsSendResult refused = sendSmsAndRecord(request(u"+41795550102", u"refused"));
    EXPECT_TRUE(refused.message.failed);
    EXPECT_TRUE(refused.message.sent);
    EXPECT_FALSE(refused.serviceUnavailable);
    EXPECT_EQ(refused.message.text, u"Not sent (80004005)");
    EXPECT_EQ(sentFolderSize(*sent), 1u);

    // No service: failed too, not recorded as sent, and the modem never asked.
    size_t asked = outbox().size();
    ASSERT_TRUE(SimulatedModem::setSmsService(false));
    SmsSendResult noService = sendSmsAndRecord(request(u"+41795550102", u"no service"));
    ASSERT_TRUE(SimulatedModem::setSmsService(true));
    EXPECT_TRUE(noService.serviceUnavailable);
    EXPECT_TRUE(noService.message.failed);
    EXPECT_TRUE(noService.message.text.starts_with(u"Not sent ("));
    EXPECT_EQ(sentFolderSize(*sent), 1u);
    EXPECT_EQ(outbox().size(), asked);
}

TEST_F(Messaging, OneSendRunsAtATimeAndItsResultComesBackToTheWindow) {
    SmsSender sender(window);
    EXPECT_FALSE(sender.start(request(u"+41795550102", u""))) << "no text";
    EXPECT_FALSE(sender.busy());
    ASSERT_TRUE(SimulatedModem::setSendDelay(400));
    ASSERT_TRUE(sender.start(request(u"+41795550102", u"once")));
    EXPECT_TRUE(sender.busy());
    EXPECT_FALSE(sender.start(request(u"+41795550102", u"once"))) << "a second Send";
    // The window hears of the end through its wake-up message, and takes the result then.
    bool woken = false;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (platform::Message message; !woken && std::chrono::steady_clock::now() < until;) {
        if (!platform::peekMessage(message)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        woken = message.window == window && message.id == SmsSender::defaultWakeMessage;
        if (!woken)
            platform::dispatchMessage(message);
    }
    ASSERT_TRUE(woken) << "the send did not end";
    std::optional<SmsSendResult> result = sender.takeResult();
    ASSERT_TRUE(result);
    EXPECT_FALSE(sender.busy());
    EXPECT_EQ(result->message.text, u"once");
    EXPECT_FALSE(result->message.failed);
    ASSERT_TRUE(SimulatedModem::setSendDelay(0));
    auto sends = outbox();
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0].text, u"once");
    // Once the result is taken, the next send may start.
    EXPECT_TRUE(sender.start(request(u"+41795550102", u"again")));
}
