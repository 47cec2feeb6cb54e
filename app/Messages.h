#pragma once
// The registered window messages by which outside processes, the system and the
// command line talk to the main window, and the one private repaint message.

#include <cstdint>
#include <string_view>

namespace vantrel {

// user + 1000: repaint, its word parameter optionally the address of a rectangle.
constexpr uint32_t repaintMessage = 0x0400 + 1000;

struct RegisteredMessages {
    uint32_t newSms;                 // "VantrelNewSMS"
    uint32_t refreshSmsCounter;      // "VantrelRefreshSMSCounter"
    uint32_t refreshPhoneCallLog;    // "VantrelRefreshPhoneCallLog"
    uint32_t doFullScreen;           // "VantrelDoFullScreen"
    uint32_t repositionKeyboard;     // "g_vtrRepositionKeyboard"
    uint32_t goToSms;                // "g_vtrGoToSms"
    uint32_t goToFavorite;           // "g_vtrGoToFavorite"
    uint32_t goToContacts;           // "g_vtrGoToContacts"
    uint32_t goToDialpad;            // "g_vtrGoToDialpad"
};

// Registered on first use, so the ids belong to the device the process runs on.
const RegisteredMessages& registeredMessages();

// The name of a registered message of the table above, or an empty view.
std::u16string_view registeredMessageName(uint32_t id);

} // namespace vantrel
