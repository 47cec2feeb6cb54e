// The SMS API and the phone library as the product calls them, over the simulated
// modem: what a send records and answers, a failure it was told of, the call log read
// newest first, and a placed call.
#include "platform/core/Clock.h"
#include "platform/modem/Phone.h"
#include "platform/modem/SimulatedModem.h"
#include "platform/modem/Sms.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace vantrel::platform;
using namespace vantrel::platform::modem;

namespace {

std::vector<uint8_t> utf16Bytes(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
    }
    return bytes;
}

// The send as the product makes it: open, send, close.
int32_t send(const std::u16string& number, std::u16string_view text, bool report,
             uint32_t* messageId = nullptr) {
    SmsHandle handle = 0;
    if (int32_t opened = SmsOpen(textSmsProvider, smsModeSend, handle); opened < 0)
        return opened;
    SmsAddress to{
        number.starts_with(u"+") ? SmsAddressType::international : SmsAddressType::unknown, number};
    TextProviderData data;
    data.messageOptions = report ? smsOptionStatusReport : 0;
    uint32_t id = 0;
    int32_t result =
        SmsSendMessage(handle, nullptr, to, utf16Bytes(text), data, SmsEncoding::optimal, 0, id);
    EXPECT_EQ(SmsClose(handle), smsOk);
    if (messageId)
        *messageId = id;
    return result;
}

std::vector<SentSms> outbox() {
    std::vector<SentSms> sends;
    EXPECT_TRUE(SimulatedModem::sends(sends));
    return sends;
}

std::vector<CallLogEntry> readLog() {
    std::vector<CallLogEntry> entries;
    CallLogHandle log = 0;
    if (PhoneOpenCallLog(log) < 0)
        return entries;
    CallLogEntry entry;
    int32_t result;
    while ((result = PhoneGetCallLogEntry(log, entry)) == phoneOk)
        entries.push_back(entry);
    EXPECT_EQ(result, phoneNoMoreEntries);
    EXPECT_EQ(PhoneCloseCallLog(log), phoneOk);
    return entries;
}

} // namespace

TEST(Sms, EverySendIsRecordedWithItsEncodingAndReportAndAnsweredWithAnId) {
    size_t before = outbox().size();
    uint32_t first = 0, second = 0;
    ASSERT_EQ(send(u"+41 79 123 45 67", u"Grüße, 10€", true, &first), smsOk);
    ASSERT_EQ(send(u"0791234567", u"Привет", false, &second), smsOk);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    auto sends = outbox();
    ASSERT_EQ(sends.size(), before + 2);
    const SentSms& gsm = sends[before];
    EXPECT_EQ(gsm.id, first);
    EXPECT_EQ(gsm.number, u"+41 79 123 45 67");
    EXPECT_EQ(gsm.text, u"Grüße, 10€");
    EXPECT_EQ(gsm.encoding, SmsEncoding::gsm7bit) << "every character is in the GSM alphabet";
    EXPECT_TRUE(gsm.statusReport);
    EXPECT_EQ(gsm.result, 0);
    EXPECT_EQ(sends[before + 1].encoding, SmsEncoding::ucs2);
    EXPECT_FALSE(sends[before + 1].statusReport);
}

TEST(Sms, TheModemFailsExactlyTheNextSendItWasToldOfAndTakesTheTimeItWasGiven) {
    ASSERT_TRUE(SimulatedModem::failNextSend(int32_t(0x80004005)));
    EXPECT_EQ(send(u"123", u"first", false), int32_t(0x80004005));
    EXPECT_EQ(send(u"123", u"second", false), smsOk);
    auto sends = outbox();
    ASSERT_GE(sends.size(), 2u);
    EXPECT_EQ(sends[sends.size() - 2].result, int32_t(0x80004005)) << "the failed try is recorded";
    EXPECT_EQ(sends.back().result, 0);

    ASSERT_TRUE(SimulatedModem::setSendDelay(300));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(send(u"123", u"slow", false), smsOk);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    ASSERT_TRUE(SimulatedModem::setSendDelay(0));
}

TEST(Sms, BadArgumentsAreRefusedBeforeAnythingIsSent) {
    SmsHandle handle = 0;
    EXPECT_EQ(SmsOpen(u"Other Protocol", smsModeSend, handle), smsInvalidArgument);
    EXPECT_EQ(SmsOpen(textSmsProvider, smsModeReceive, handle), smsInvalidArgument);
    ASSERT_EQ(SmsOpen(textSmsProvider, smsModeSend, handle), smsOk);
    size_t before = outbox().size();
    uint32_t id = 0;
    TextProviderData data;
    auto text = utf16Bytes(u"x");
    EXPECT_EQ(SmsSendMessage(handle, nullptr, {SmsAddressType::unknown, u""}, text, data,
                             SmsEncoding::optimal, 0, id),
              smsInvalidArgument);
    EXPECT_EQ(SmsSendMessage(handle, nullptr, {SmsAddressType::unknown, std::u16string(257, u'1')},
                             text, data, SmsEncoding::optimal, 0, id),
              smsInvalidArgument);
    std::vector<uint8_t> odd{1, 2, 3};
    EXPECT_EQ(SmsSendMessage(handle, nullptr, {SmsAddressType::unknown, u"1"}, odd, data,
                             SmsEncoding::optimal, 0, id),
              smsInvalidArgument);
    std::vector<uint8_t> huge(maxSmsTextBytes + 2, 'a');
    EXPECT_EQ(SmsSendMessage(handle, nullptr, {SmsAddressType::unknown, u"1"}, huge, data,
                             SmsEncoding::optimal, 0, id),
              smsInvalidArgument);
    EXPECT_EQ(SmsClose(handle), smsOk);
    EXPECT_EQ(SmsSendMessage(handle, nullptr, {SmsAddressType::unknown, u"1"}, text, data,
                             SmsEncoding::optimal, 0, id),
              smsInvalidHandle);
    EXPECT_EQ(SmsClose(handle), smsInvalidHandle);
    EXPECT_EQ(outbox().size(), before);
}

TEST(Phone, TheCallLogReadsNewestFirstAcrossManyEntriesAndAPlacedCallTopsIt) {
    uint64_t base = systemFileTime() - 1000000000;
    // Added out of order, and more than one reading chunk.
    for (int i = 0; i < 150; ++i) {
        CallLogEntry entry;
        entry.startTime = base + uint64_t((i * 37) % 150) * 1000;
        entry.endTime = entry.startTime + 500;
        entry.direction = uint32_t(i % 3);
        entry.flags = (i % 3 == 2 ? callFlag::outgoing : 0) | (i % 5 == 0 ? callFlag::roaming : 0);
        entry.number = u"+4179" + std::u16string(1, char16_t(u'0' + i % 10));
        entry.name = i % 2 ? u"Anna" : u"";
        ASSERT_TRUE(addCallLogEntry(entry));
    }
    auto log = readLog();
    ASSERT_EQ(log.size(), 150u);
    for (size_t i = 1; i < log.size(); ++i)
        ASSERT_GT(log[i - 1].startTime, log[i].startTime) << i;
    EXPECT_EQ(log[0].startTime, base + 149 * 1000);
    EXPECT_EQ(log[0].endTime, log[0].startTime + 500);

    PhoneMakeCallInfo call;
    call.destAddress = u"+41 44 555 66 77";
    call.calledParty = u"Bruno Keller";
    ASSERT_EQ(PhoneMakeCall(call), phoneOk);
    log = readLog();
    ASSERT_EQ(log.size(), 151u);
    EXPECT_EQ(log[0].number, u"+41 44 555 66 77");
    EXPECT_EQ(log[0].name, u"Bruno Keller");
    EXPECT_EQ(log[0].direction, uint32_t(callOutgoing));
    EXPECT_TRUE(log[0].flags & callFlag::outgoing);
    EXPECT_TRUE(log[0].flags & callFlag::connected);
    std::vector<DialRequest> dials;
    ASSERT_TRUE(SimulatedModem::dials(dials));
    ASSERT_EQ(dials.size(), 1u);
    EXPECT_EQ(dials[0].number, u"+41 44 555 66 77");

    call.size = 24;
    EXPECT_EQ(PhoneMakeCall(call), phoneInvalidArgument);
    call.size = 28;
    call.destAddress.clear();
    EXPECT_EQ(PhoneMakeCall(call), phoneInvalidArgument);
    CallLogEntry entry;
    EXPECT_EQ(PhoneGetCallLogEntry(987654, entry), phoneInvalidHandle);
    EXPECT_EQ(PhoneCloseCallLog(987654), phoneInvalidHandle);
}
