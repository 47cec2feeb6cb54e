#pragma once
// Shortcuts the message store tests share: the SMS store's folders by name and a
// received or sent SMS written the way the product and the device write them.

#include "platform/msgstore/MessageStore.h"

#include <memory>
#include <string>

namespace vantrel::test {

using namespace platform::msgstore;

inline std::unique_ptr<MsgStore> openSmsStore(Session& session) {
    auto rows = session.storesTable()->queryRows(1);
    return rows.empty() ? nullptr : session.openStore(rows[0][1].asBinary());
}

inline std::unique_ptr<Folder> openFolder(PropTag folderTag) {
    auto session = Session::logon();
    auto store = session ? openSmsStore(*session) : nullptr;
    return store ? store->openFolder(store->getProps({folderTag})[0].asBinary()) : nullptr;
}

// A received SMS, unread unless `read`, all four times (and the creation time) `time`.
inline EntryId receiveSms(Folder& inbox, std::u16string sender, std::u16string text, uint64_t time,
                          bool read = false) {
    auto message = inbox.createMessage();
    bool ok = message->setProps({Property::text(tag::messageClass, u"IPM.SMStext"),
                                 Property::text(tag::subject, std::move(text)),
                                 Property::text(tag::senderEmailAddress, sender),
                                 Property::text(tag::senderName, sender),
                                 Property::number(tag::messageFlags, read ? flag::read : 0),
                                 Property::time(tag::messageDeliveryTime, time),
                                 Property::time(tag::creationTime, time)}) &&
              message->saveChanges();
    return ok ? message->entryId() : EntryId();
}

} // namespace vantrel::test
