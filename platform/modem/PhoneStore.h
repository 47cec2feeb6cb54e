#pragma once
// The phone's own file ("phone.db", private to platform/modem): the call log and what
// the simulated modem was asked to do. Shared by every process of the device like the
// other stores (see platform/registry/SqliteFile.h).

#include "platform/modem/SimulatedModem.h"
#include "platform/registry/SqliteFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::platform::modem {

// A call as the log keeps it.
struct CallRecord {
    int64_t id = 0;
    uint64_t startTime = 0; // file times, UTC
    uint64_t endTime = 0;
    uint32_t direction = 0; // 0 missed, 1 incoming, 2 outgoing
    uint32_t flags = 0;     // bit 0 outgoing, 1 connected, 2 ended, 3 roaming
    uint32_t callerIdType = 0;
    std::u16string number, name, nameType, note;
};

class PhoneStore {
public:
    static PhoneStore& instance();
    // Opens the file when needed; false when it cannot be used.
    bool available();

    bool addCall(const CallRecord& call);
    // Up to `limit` calls older than (before start time, before id), newest first;
    // from the newest when `fromNewest`.
    bool readCalls(bool fromNewest, uint64_t beforeTime, int64_t beforeId, size_t limit,
                   std::vector<CallRecord>& out);

    // Records a send with the result the modem was told to give (0 when none), which
    // is used up; `id` is the message's id.
    bool recordSend(const OutgoingSms& sms, uint64_t time, int32_t& result, uint32_t& id);
    bool sends(std::vector<SentSms>& out);
    bool setFailNextSend(int32_t code);
    bool setSendDelay(uint32_t milliseconds);
    uint32_t sendDelay();
    // The SMS service can be switched off, as a phone without network or in flight
    // mode has it: no handle for sending can then be opened.
    bool setSmsServiceOff(bool off);
    bool smsServiceOff();
    // Records a dial unless the modem was told to refuse the next one: `result` is then
    // that code (used up) and nothing is recorded.
    bool recordDial(const DialRequest& request, int32_t& result);
    bool setFailNextDial(int32_t code);
    bool dials(std::vector<DialRequest>& out);

private:
    PhoneStore();
    bool setSetting(const char* name, int64_t value);
    SqliteFile::Outcome takeSetting(const char* name, int64_t& value);
    // 0 when the setting is not there or cannot be read.
    int64_t setting(const char* name);

    SqliteFile file_;
};

} // namespace vantrel::platform::modem
