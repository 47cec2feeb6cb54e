#pragma once
// The phone's call log as the product reads it: newest first, one entry at a time,
// through platform/modem's phone library, and the conversation entry a call becomes.
// The product never writes the log.

#include "messaging/SMSMessage.h"
#include "platform/modem/Phone.h"

#include <string>

namespace vantrel {

// An open log, closed when destroyed (also after an early stop).
class CallLogReader {
public:
    CallLogReader();
    ~CallLogReader();
    CallLogReader(const CallLogReader&) = delete;
    CallLogReader& operator=(const CallLogReader&) = delete;

    bool isOpen() const { return open_; }
    // The next older entry; false at the end or on a read error (which ends the
    // reading like the end of the log).
    bool next(platform::modem::CallLogEntry& entry);

private:
    platform::modem::CallLogHandle handle_ = 0;
    bool open_ = false;
};

// "Missed Call", "Incoming Call", "Call" or "Failed Call", then " (Roaming)" when the
// call was made abroad.
std::u16string callText(const platform::modem::CallLogEntry& call);

// The conversation entry of a call: read, sent when outgoing, at the call's start.
SMSMessage callEntry(const platform::modem::CallLogEntry& call);

inline bool isOutgoing(const platform::modem::CallLogEntry& call) {
    return call.direction == platform::modem::callOutgoing;
}

} // namespace vantrel
