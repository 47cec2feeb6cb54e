#include "messaging/MessageActions.h"

#include "contacts/ContactListItem.h"
#include "mapi/MAPIMessage.h"
#include "settings/SettingManager.h"

namespace vantrel {

namespace {

ContactCounters* countersOf(const SMSMessage& message) {
    ContactListItem* contact = asContact(message.contact.get());
    return contact ? &contact->counters() : nullptr;
}

} // namespace

int setMessageRead(SMSMessage& message, bool read) {
    if (message.isCall || message.read == read)
        return 0;
    auto session = mapi::MAPISession::logon();
    auto stored = session ? session->openMessage(message.row.entryId) : nullptr;
    if (!stored || !stored->setRead(read))
        return 0;
    message.read = read;
    message.userChanged = true;
    if (message.sent)
        return 0;
    if (ContactCounters* counters = countersOf(message)) {
        if (!read)
            ++counters->unread;
        else if (counters->unread > 0)
            --counters->unread;
    }
    return read ? -1 : 1;
}

bool deleteMessage(SMSMessage& message, int& unreadChange) {
    unreadChange = 0;
    if (message.isCall)
        return false;
    auto session = mapi::MAPISession::logon();
    auto folder = session
                      ? session->openSmsFolder(message.sent ? mapi::sentFolder : mapi::inboxFolder)
                      : nullptr;
    if (!folder)
        return false;
    if (!message.read)
        unreadChange = setMessageRead(message, true);
    if (!folder->deleteMessage(message.row.entryId))
        return false;
    if (ContactCounters* counters = countersOf(message); counters && counters->messages > 0)
        --counters->messages;
    return true;
}

bool keepSentCopy(std::u16string_view name, std::u16string_view number, std::u16string_view text,
                  uint64_t sendTime, mapi::MessageRow* row) {
    if (!SettingManager::instance().saveSent())
        return false;
    auto session = mapi::MAPISession::logon();
    auto sent = session ? session->openSmsFolder(mapi::sentFolder) : nullptr;
    auto copy = sent ? sent->createMessage() : nullptr;
    constexpr uint32_t recipientTo = 1;
    bool kept = copy &&
                copy->addRecipients(
                    {{std::u16string(name), std::u16string(number), u"SMS", recipientTo}}) &&
                copy->setText(text) && copy->setSentState() && copy->setTimes(sendTime) &&
                copy->save();
    if (kept && row) {
        row->displayName = name;
        row->entryId = copy->entryId();
        row->rowId = copy->rowId();
        row->flags = copy->isRead() ? platform::msgstore::flag::read : 0;
    }
    return kept;
}

} // namespace vantrel
