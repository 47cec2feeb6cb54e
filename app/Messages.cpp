#include "app/Messages.h"

#include "platform/core/Window.h"

#include <array>
#include <utility>

namespace vantrel {

namespace {

constexpr std::array<std::u16string_view, 9> names = {
    u"VantrelNewSMS",       u"VantrelRefreshSMSCounter", u"VantrelRefreshPhoneCallLog",
    u"VantrelDoFullScreen", u"g_vtrRepositionKeyboard",  u"g_vtrGoToSms",
    u"g_vtrGoToFavorite",   u"g_vtrGoToContacts",        u"g_vtrGoToDialpad",
};

} // namespace

const RegisteredMessages& registeredMessages() {
    static const RegisteredMessages ids = [] {
        std::array<uint32_t, names.size()> id{};
        for (size_t i = 0; i < names.size(); ++i)
            id[i] = platform::registerOwnWindowMessage(names[i]);
        return RegisteredMessages{id[0], id[1], id[2], id[3], id[4], id[5], id[6], id[7], id[8]};
    }();
    return ids;
}

std::u16string_view registeredMessageName(uint32_t id) {
    if (id == 0)
        return {};
    const RegisteredMessages& m = registeredMessages();
    const uint32_t ids[] = {m.newSms,           m.refreshSmsCounter, m.refreshPhoneCallLog,
                            m.doFullScreen,     m.repositionKeyboard, m.goToSms,
                            m.goToFavorite,     m.goToContacts,      m.goToDialpad};
    for (size_t i = 0; i < names.size(); ++i)
        if (ids[i] == id)
            return names[i];
    return {};
}

} // namespace vantrel
