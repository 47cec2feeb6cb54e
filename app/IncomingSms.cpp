#include "app/IncomingSms.h"

#include "app/RefreshWorkers.h"
#include "app/Screens.h"
#include "app/Startup.h"
#include "contacts/ContactFilters.h"
#include "contacts/ContactSmartListControl.h"
#include "mapi/MAPIMessage.h"
#include "messaging/MessageCounter.h"
#include "messaging/SMSPanel.h"
#include "platform/core/Backend.h"
#include "platform/msgstore/SmsBuffer.h"
#include "platform/registry/Registry.h"
#include "settings/SettingManager.h"
#include "ui/Panel.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace vantrel {

namespace {

namespace msgstore = platform::msgstore;
namespace registry = platform::registry;

// The message as a received bubble of its conversation.
SMSMessage receivedBubble(mapi::MAPIMessage& stored, ContactListItem* contact) {
    SMSMessage message;
    message.text = stored.subject();
    message.read = stored.isRead();
    stored.messageTime(message.time);
    message.contact = ItemRef(contact);
    message.row.displayName = stored.senderName();
    message.row.senderAddress = stored.senderAddress();
    message.row.entryId = stored.entryId();
    message.row.rowId = stored.rowId();
    message.row.flags = message.read ? msgstore::flag::read : 0;
    return message;
}

// The store has counted the new message in the registry before the interceptor told us
// of it, and that change may have reached the window first: taking the registry's count
// keeps the badge right in either order, where adding one would count it twice.
void countUnread() {
    uint32_t count = 0;
    if (registry::readDword(registry::Root::currentUser, u"System\\State\\Messages\\SMS\\Unread",
                            u"Count", count))
        setUnreadSmsCount(static_cast<int>(count));
    else
        setUnreadSmsCount(unreadSmsCount() + 1);
}

} // namespace

void onNewSms(platform::WindowHandle window) {
    std::span<uint8_t> block = smsBufferBlock();
    if (block.size() < msgstore::smsBufferSize) {
        platform::messageBox(window, u"error, sms shared buffer is null", u"error");
        return;
    }
    // A copy, read once: the block belongs to another process too.
    std::array<uint8_t, msgstore::smsBufferSize> copy;
    std::copy_n(block.begin(), copy.size(), copy.begin());
    // What comes next may be written now, even when this block turns out broken.
    msgstore::markSmsBufferTaken(block);
    std::optional<msgstore::SmsBufferContents> contents = msgstore::decodeSmsBuffer(copy);
    if (!contents) {
        std::fprintf(stderr,
                     "vantrel: a new message's \"SmsBuffer\" breaks its bounds (entry id over %zu "
                     "bytes or sender over %zu characters); passed by\n",
                     msgstore::smsBufferMaxEntryId, msgstore::smsBufferMaxSender);
        return;
    }

    auto session = mapi::MAPISession::logon();
    auto stored = session ? session->openMessage(contents->entryId) : nullptr;
    countUnread();
    ContactSmartListControl* list = mainContactList();
    if (stored && list) {
        MessageCounter& counter = messageCounter();
        counter.countReceived(*list, contents->entryId);
        // Finding the row walks the list: only for a conversation that may show it.
        if (screens().smsPanel && screens().smsPanel->isVisible()) {
            ContactListItem* contact = counter.findItemByNumber(*list, stored->senderAddress());
            showInOpenConversation(contents->sender, receivedBubble(*stored, contact));
        }
    }
    stored.reset();

    if (list && !dynamic_cast<SmsFilterItem*>(list->filter()))
        list->setFilter(std::make_unique<SmsFilterItem>());
    if (SettingManager::instance().options().bringToFrontOnSms) {
        platform::setForegroundWindow(window);
        platform::raiseScreen();
    }
    platform::invalidateRect(window);
    if (list)
        list->scrollToTop();
}

void showInOpenConversation(const std::u16string& sender, SMSMessage message) {
    if (SMSPanel* conversation = screens().conversation)
        conversation->showIncoming(sender, std::move(message));
}

} // namespace vantrel
