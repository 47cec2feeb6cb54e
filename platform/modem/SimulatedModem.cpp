#include "platform/modem/SimulatedModem.h"

#include "platform/core/Clock.h"
#include "platform/modem/PhoneStore.h"

#include <chrono>
#include <cstdlib>
#include <string_view>
#include <thread>

namespace vantrel::platform::modem {

namespace {

constexpr int32_t failed = int32_t(0x80004005);

} // namespace

ModemBackend* modemBackend() {
    static ModemBackend* backend = []() -> ModemBackend* {
        const char* name = std::getenv("VANTREL_MODEM");
        if (!name || !*name || std::string_view(name) == "simulated")
            return new SimulatedModem;
        return nullptr;
    }();
    return backend;
}

int32_t SimulatedModem::sendSms(const OutgoingSms& sms, uint32_t& messageId) {
    PhoneStore& store = PhoneStore::instance();
    // The wait is outside any transaction, so a slow send holds up nobody else.
    if (uint32_t delay = store.sendDelay())
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    int32_t result = 0;
    if (!store.recordSend(sms, systemFileTime(), result, messageId))
        return failed;
    return result;
}

int32_t SimulatedModem::dial(std::u16string_view number, std::u16string_view calledParty) {
    PhoneStore& store = PhoneStore::instance();
    uint64_t now = systemFileTime();
    int32_t refused = 0;
    if (!store.recordDial({now, std::u16string(number), std::u16string(calledParty)}, refused))
        return failed;
    if (refused != 0)
        return refused;
    // The simulated far end answers and hangs up at once.
    CallRecord call;
    call.startTime = call.endTime = now;
    call.direction = 2;
    call.flags = 0x1 | 0x2 | 0x4;
    call.callerIdType = 2;
    call.number = number;
    call.name = calledParty;
    return store.addCall(call) ? 0 : failed;
}

bool SimulatedModem::smsServiceAvailable() {
    return !PhoneStore::instance().smsServiceOff();
}

bool SimulatedModem::sends(std::vector<SentSms>& out) {
    return PhoneStore::instance().sends(out);
}

bool SimulatedModem::dials(std::vector<DialRequest>& out) {
    return PhoneStore::instance().dials(out);
}

bool SimulatedModem::failNextSend(int32_t code) {
    return PhoneStore::instance().setFailNextSend(code);
}

bool SimulatedModem::failNextDial(int32_t code) {
    return PhoneStore::instance().setFailNextDial(code);
}

bool SimulatedModem::setSendDelay(uint32_t milliseconds) {
    return PhoneStore::instance().setSendDelay(milliseconds);
}

bool SimulatedModem::setSmsService(bool on) {
    return PhoneStore::instance().setSmsServiceOff(!on);
}

} // namespace vantrel::platform::modem
