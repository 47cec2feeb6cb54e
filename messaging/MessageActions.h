#pragma once
// What the user does to one message of a conversation, in the store and on the
// counters of its contact row: mark it read or unread, delete it; and the copy of a sent
// SMS kept in the Sent folder. Interface thread: they change the row's counters.
// Nothing changes in memory unless the store took the change.

#include "messaging/SMSMessage.h"

#include <cstdint>
#include <string>

namespace vantrel {

// Marks the message read or unread. Returns the change to the program's unread-SMS
// count (the icon bar's): +1 when a received message became unread, -1 when one became
// read, else 0. Calls, messages already in that state and messages that cannot be
// re-opened change nothing.
int setMessageRead(SMSMessage& message, bool read);

// Deletes the message from its folder (Sent for a sent one, else the Inbox), marking an
// unread one read first so the counters stay right. False, changing nothing, for a call
// or when the store refused. `unreadChange` gets the change to the program's
// unread-SMS count.
bool deleteMessage(SMSMessage& message, int& unreadChange);

// Writes a sent SMS into the Sent folder when the platform's "SaveSent" setting is on:
// to `name` at `number`, sent, at `sendTime` (UTC file time). False when the setting is
// off or the store refused. `row`, when given, gets the copy's row, so its bubble can be
// marked or deleted later like any loaded one.
bool keepSentCopy(std::u16string_view name, std::u16string_view number, std::u16string_view text,
                  uint64_t sendTime, mapi::MessageRow* row = nullptr);

} // namespace vantrel
