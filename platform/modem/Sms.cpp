#include "platform/modem/Sms.h"

#include <mutex>
#include <set>

namespace vantrel::platform::modem {

namespace {

std::mutex handlesMutex;
std::set<SmsHandle> openHandles;
SmsHandle lastHandle = 0;

bool isOpen(SmsHandle handle) {
    std::lock_guard lock(handlesMutex);
    return openHandles.count(handle) != 0;
}

// GSM 03.38: the default alphabet and the characters of its extension table.
constexpr std::u16string_view gsmAlphabet =
    u"@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
    u"¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà"
    u"\f^{}\\[~]|€";

} // namespace

SmsEncoding resolveEncoding(std::u16string_view text, SmsEncoding requested) {
    if (requested != SmsEncoding::optimal)
        return requested;
    for (char16_t c : text)
        if (gsmAlphabet.find(c) == std::u16string_view::npos)
            return SmsEncoding::ucs2;
    return SmsEncoding::gsm7bit;
}

int32_t SmsOpen(std::u16string_view provider, uint32_t mode, SmsHandle& handle) {
    handle = 0;
    // Only sending text messages is offered; receiving goes through the store.
    if (provider != textSmsProvider || mode != smsModeSend)
        return smsInvalidArgument;
    ModemBackend* backend = modemBackend();
    if (!backend || !backend->smsServiceAvailable())
        return smsFail;
    std::lock_guard lock(handlesMutex);
    handle = ++lastHandle;
    openHandles.insert(handle);
    return smsOk;
}

int32_t SmsSendMessage(SmsHandle handle, const SmsAddress* /*serviceCentre*/,
                       const SmsAddress& destination, std::span<const uint8_t> text,
                       const TextProviderData& providerData, SmsEncoding encoding,
                       uint32_t /*options*/, uint32_t& messageId) {
    messageId = 0;
    if (!isOpen(handle))
        return smsInvalidHandle;
    if (destination.address.empty() || destination.address.size() > maxSmsAddress ||
        text.size() % 2 != 0 || text.size() > maxSmsTextBytes || encoding > SmsEncoding::ucs2)
        return smsInvalidArgument;
    ModemBackend* backend = modemBackend();
    if (!backend)
        return smsFail;
    OutgoingSms sms;
    sms.number = destination.address;
    sms.international = destination.type == SmsAddressType::international;
    sms.text.resize(text.size() / 2);
    for (size_t i = 0; i < sms.text.size(); ++i)
        sms.text[i] = char16_t(text[2 * i] | text[2 * i + 1] << 8);
    sms.encoding = resolveEncoding(sms.text, encoding);
    sms.statusReport = (providerData.messageOptions & smsOptionStatusReport) != 0;
    return backend->sendSms(sms, messageId);
}

int32_t SmsClose(SmsHandle handle) {
    std::lock_guard lock(handlesMutex);
    return openHandles.erase(handle) ? smsOk : smsInvalidHandle;
}

} // namespace vantrel::platform::modem
