#pragma once
// Sending one SMS from the conversation screen: the SMS API call on a worker thread,
// the copy in the Sent folder when the platform's "SaveSent" asks for it, and the bubble
// that records the outcome (sent, or failed with its code). The worker never touches the
// screen: its result comes back to the window's thread through a Handover, and only one
// send runs at a time, so a second Send cannot send the same text twice.

#include "messaging/SMSMessage.h"
#include "platform/core/Handover.h"
#include "platform/core/Window.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace vantrel {

// The box the conversation shows when the SMS service cannot be opened.
inline constexpr std::u16string_view smsServiceUnavailableText =
    u"Could not open a handle to the SMS text message service.";
inline constexpr std::u16string_view smsServiceUnavailableCaption = u"Error";

struct SmsSendRequest {
    std::u16string number;     // the conversation's current number
    std::u16string text;       // the editor's text
    std::u16string name;       // the contact's display name: the Sent copy's recipient
    std::u16string failedText; // "sms.failed", resolved on the interface thread
};
// failedText is the contact list's text, contactList.getText(u"sms.failed") (default
// "contactlist.*.sms.failed"): a theme or language may word it per list.

struct SmsSendResult {
    SMSMessage message;              // the bubble: sent, or failed with its code
    bool serviceUnavailable = false; // SmsOpen failed: the panel shows the box above
};

// Worker-thread routines (usable from tests directly).

// Sends `text` to `number` as one SMS, asking for a status report as the platform's
// "SMSDeliveryNotify" says. Returns the send's result code (negative: failed). `opened`
// tells whether the SMS service could be opened at all: when it could not, the result is
// the open's failure code; with an empty number or text nothing is attempted and the
// result is 0.
int32_t sendSmsText(std::u16string_view number, std::u16string_view text, bool& opened);

// Sends and records: a sent bubble (with the Sent copy's row when one was kept), or a
// failed one reading `failedText` and the code in lower-case hexadecimal, "Not sent
// (80004005)". A send that could not even start is failed too: nothing is recorded as
// sent that was not.
SmsSendResult sendSmsAndRecord(const SmsSendRequest& request);

// One send at a time, on its own worker thread; the result comes back through a
// platform::Handover to `window` as `wakeMessage`. Used on the window's thread only.
class SmsSender {
public:
    static constexpr uint32_t defaultWakeMessage = 0x0400 + 1005;

    SmsSender(platform::WindowHandle window, uint32_t wakeMessage = defaultWakeMessage);
    ~SmsSender(); // waits for a running send
    SmsSender(const SmsSender&) = delete;
    SmsSender& operator=(const SmsSender&) = delete;

    // False, starting nothing, while one runs or when number or text is empty.
    bool start(SmsSendRequest request);
    bool busy() const { return busy_; }
    // On the wake-up message: the finished send's result, which ends `busy`; nullopt
    // while it still runs.
    std::optional<SmsSendResult> takeResult();

private:
    platform::Handover<SmsSendResult> handover_;
    std::thread worker_;
    // From start until its result is taken.
    bool busy_ = false;
};

} // namespace vantrel
