#pragma once
// One entry of a conversation: a received or sent SMS, or a call from the call log. The
// conversation screen shows entries as bubbles; the entry keeps its store row so a
// later operation (mark read, delete) re-opens its message by entry id.

#include "lists/IListItem.h"
#include "mapi/MAPIMsgStore.h"

#include <cstdint>
#include <string>

namespace vantrel {

struct SMSMessage {
    // The body, the call's description, or the failure text of a failed send.
    std::u16string text;
    bool isCall = false;
    // A sent SMS or an outgoing call.
    bool sent = false;
    bool read = true;
    bool failed = false;
    // Read state set by the user: not marked read when the conversation is left.
    bool userChanged = false;
    // The contact row whose counters the entry feeds (set on the interface thread).
    ItemRef contact;
    // UTC file time: the message's creation (else delivery) time, or the call's start.
    uint64_t time = 0;
    mapi::MessageRow row;
};

} // namespace vantrel
