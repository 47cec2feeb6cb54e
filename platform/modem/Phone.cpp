#include "platform/modem/Phone.h"

#include "platform/modem/ModemBackend.h"
#include "platform/modem/PhoneStore.h"

#include <map>
#include <mutex>
#include <vector>

namespace vantrel::platform::modem {

namespace {

// An open log reads the calls in chunks, resuming below the last one handed out, so a
// call added while it is open does not shift what it reads next.
struct OpenLog {
    std::vector<CallRecord> chunk;
    size_t next = 0;
    bool started = false;
    bool ended = false;
    uint64_t lastStart = 0;
    int64_t lastId = 0;
};

std::mutex logsMutex;
std::map<CallLogHandle, OpenLog> openLogs;
CallLogHandle lastHandle = 0;

} // namespace

int32_t PhoneOpenCallLog(CallLogHandle& handle) {
    handle = 0;
    if (!PhoneStore::instance().available())
        return phoneFail;
    std::lock_guard lock(logsMutex);
    handle = ++lastHandle;
    openLogs.emplace(handle, OpenLog{});
    return phoneOk;
}

int32_t PhoneGetCallLogEntry(CallLogHandle handle, CallLogEntry& entry) {
    OpenLog* log = nullptr;
    {
        std::lock_guard lock(logsMutex);
        auto found = openLogs.find(handle);
        if (found == openLogs.end())
            return phoneInvalidHandle;
        log = &found->second;
    }
    // One handle is one reader's: the caller does not share it between threads.
    if (log->next == log->chunk.size()) {
        if (log->ended)
            return phoneNoMoreEntries;
        constexpr size_t chunkCalls = 64;
        if (!PhoneStore::instance().readCalls(!log->started, log->lastStart, log->lastId,
                                              chunkCalls, log->chunk))
            return phoneFail;
        log->next = 0;
        log->started = true;
        log->ended = log->chunk.size() < chunkCalls;
        if (log->chunk.empty())
            return phoneNoMoreEntries;
        log->lastStart = log->chunk.back().startTime;
        log->lastId = log->chunk.back().id;
    }
    const CallRecord& call = log->chunk[log->next++];
    entry = {call.startTime, call.endTime, call.direction, call.flags, call.callerIdType,
             call.number,    call.name,    call.nameType,  call.note};
    return phoneOk;
}

int32_t PhoneCloseCallLog(CallLogHandle handle) {
    std::lock_guard lock(logsMutex);
    return openLogs.erase(handle) ? phoneOk : phoneInvalidHandle;
}

int32_t PhoneMakeCall(const PhoneMakeCallInfo& info) {
    if (info.size != 28 || info.destAddress.empty() || info.destAddress.size() > maxDialAddress)
        return phoneInvalidArgument;
    ModemBackend* backend = modemBackend();
    if (!backend)
        return phoneFail;
    return backend->dial(info.destAddress, info.calledParty.value_or(u""));
}

bool addCallLogEntry(const CallLogEntry& entry) {
    CallRecord call;
    call.startTime = entry.startTime;
    call.endTime = entry.endTime;
    call.direction = entry.direction;
    call.flags = entry.flags;
    call.callerIdType = entry.callerIdType;
    call.number = entry.number;
    call.name = entry.name;
    call.nameType = entry.nameType;
    call.note = entry.note;
    return PhoneStore::instance().addCall(call);
}

} // namespace vantrel::platform::modem
