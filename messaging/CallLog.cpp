#include "messaging/CallLog.h"

namespace vantrel {

namespace modem = platform::modem;

CallLogReader::CallLogReader() : open_(modem::PhoneOpenCallLog(handle_) >= 0) {}

CallLogReader::~CallLogReader() {
    if (open_)
        modem::PhoneCloseCallLog(handle_);
}

bool CallLogReader::next(modem::CallLogEntry& entry) {
    if (!open_)
        return false;
    entry = {};
    return modem::PhoneGetCallLogEntry(handle_, entry) == modem::phoneOk;
}

std::u16string callText(const modem::CallLogEntry& call) {
    std::u16string text;
    switch (call.direction) {
    case modem::callMissed:
        text = u"Missed Call";
        break;
    case modem::callOutgoing:
        text = call.flags & modem::callFlag::connected ? u"Call" : u"Failed Call";
        break;
    default:
        // The log knows three directions; anything else was at least not ours.
        text = u"Incoming Call";
        break;
    }
    if (call.flags & modem::callFlag::roaming)
        text += u" (Roaming)";
    return text;
}

SMSMessage callEntry(const modem::CallLogEntry& call) {
    SMSMessage entry;
    entry.text = callText(call);
    entry.isCall = true;
    entry.sent = (call.flags & modem::callFlag::outgoing) != 0;
    entry.read = true;
    entry.time = call.startTime;
    entry.row.senderAddress = call.number;
    entry.row.displayName = call.name;
    return entry;
}

} // namespace vantrel
