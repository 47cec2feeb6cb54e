#include "messaging/SmsSend.h"

#include "messaging/MessageActions.h"
#include "platform/core/Clock.h"
#include "platform/modem/Sms.h"
#include "settings/SettingManager.h"
#include "settings/TextFormatter.h"

#include <vector>

namespace vantrel {

namespace modem = platform::modem;

int32_t sendSmsText(std::u16string_view number, std::u16string_view text, bool& opened) {
    opened = false;
    if (number.empty() || text.empty())
        return 0;
    modem::SmsHandle handle = 0;
    if (int32_t result = modem::SmsOpen(modem::textSmsProvider, modem::smsModeSend, handle);
        result < 0)
        return result;
    opened = true;
    modem::SmsAddress destination;
    destination.type = number.front() == u'+' ? modem::SmsAddressType::international
                                              : modem::SmsAddressType::unknown;
    destination.address = number.substr(0, modem::maxSmsAddress);
    modem::TextProviderData provider;
    provider.messageOptions =
        SettingManager::instance().smsDeliveryNotify() ? modem::smsOptionStatusReport : 0;
    // The API takes the text as UTF-16LE bytes without a terminator.
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
    }
    uint32_t messageId = 0;
    int32_t result = modem::SmsSendMessage(handle, nullptr, destination, bytes, provider,
                                           modem::SmsEncoding::optimal, 0, messageId);
    modem::SmsClose(handle);
    return result;
}

SmsSendResult sendSmsAndRecord(const SmsSendRequest& request) {
    SmsSendResult out;
    SMSMessage& message = out.message;
    message.sent = true;
    bool opened = false;
    int32_t result = sendSmsText(request.number, request.text, opened);
    message.time = platform::systemFileTime();
    if (result < 0 || !opened) {
        out.serviceUnavailable = !opened && !request.number.empty() && !request.text.empty();
        message.failed = true;
        // The wording comes from a theme or language and is data: only the code is
        // formatted.
        message.text = request.failedText + formatText(u" (%x)", {uint32_t(result)});
        return out;
    }
    message.text = request.text;
    keepSentCopy(request.name, request.number, request.text, message.time, &message.row);
    return out;
}

// ---------------------------------------------------------------------------- SmsSender

SmsSender::SmsSender(platform::WindowHandle window, uint32_t wakeMessage)
    : handover_(window, wakeMessage) {}

SmsSender::~SmsSender() {
    if (worker_.joinable())
        worker_.join();
}

bool SmsSender::start(SmsSendRequest request) {
    if (busy_ || request.number.empty() || request.text.empty())
        return false;
    // The previous worker has handed its result over; only its end is left to wait for.
    if (worker_.joinable())
        worker_.join();
    busy_ = true;
    worker_ = std::thread(
        [this, request = std::move(request)] { handover_.push(sendSmsAndRecord(request)); });
    return true;
}

std::optional<SmsSendResult> SmsSender::takeResult() {
    std::vector<SmsSendResult> results = handover_.take();
    if (results.empty())
        return std::nullopt;
    busy_ = false;
    return std::move(results.back());
}

} // namespace vantrel
