#pragma once
// The conversation query: the newest SMS (received and sent) and calls of one contact,
// newest first, for the conversation screen. It runs on the conversation loader's
// thread: it takes a copy of what it needs of the contact row (its numbers), never the
// row itself, and hands each entry to a sink that may stop it.
//
// Messages are found through the store's reduced-number index (a query per number of
// the contact, a few rows each), then each is checked with the contact's exact number
// rule, so the result is what a walk over every message of both folders would give.
// The call log, when merged, is read newest first only as far as the entries go.

#include "messaging/SMSMessage.h"

#include <functional>
#include <string>
#include <vector>

namespace vantrel {

class ContactListItem;

struct ConversationRequest {
    // The contact's phone numbers as stored.
    std::vector<std::u16string> numbers;
    // An unknown-sender row: a number given as empty text matches it too.
    bool emptyMatches = false;
    // "item.sms.history.size" of the contact list.
    int historySize = 20;
    // The option "callloginsms".
    bool withCallLog = true;

    // The contact row's number rule (matchesNumber) over the copied numbers.
    bool matches(std::u16string_view number) const;
};

// On the interface thread: the request for `item` with the list's history size and the
// current "callloginsms" option.
ConversationRequest conversationRequest(const ContactListItem& item);

// Takes each entry; returning false stops the query (another contact was chosen, the
// screen closed).
using ConversationSink = std::function<bool(SMSMessage)>;

// The newest `historySize` entries of the contact, and one more, as the walk this
// replaces held one entry back: with the call log off and 30 received messages of the
// contact, a history of 20 gives the 21 newest. Entries come newest first (ties: calls
// before messages, then the later stored message first). A store or log that cannot be
// opened gives what the other source has.
void loadConversation(const ConversationRequest& request, const ConversationSink& sink);

} // namespace vantrel
