#pragma once
// What the main window does when an SMS arrives ("VantrelNewSMS"): the interceptor has
// put the new message's entry id and sender into "SmsBuffer"; the message is counted on
// its contact's row and on the icon bar's badge, shown in the conversation when that
// sender's is open, and the contact list turns to the contacts with SMS, at its top.
// The block comes from another process: it is read within its bounds, and a block that
// breaks them is passed by with an error line.

#include "messaging/SMSMessage.h"
#include "platform/core/Window.h"

#include <string>

namespace vantrel {

// The whole sequence, on the main window's thread.
void onNewSms(platform::WindowHandle window);

// Appends `message` to the conversation on screen when it is `sender`'s.
void showInOpenConversation(const std::u16string& sender, SMSMessage message);

} // namespace vantrel
