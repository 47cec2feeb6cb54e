#pragma once
// The product's road into the messaging store: a session, a store found by its name,
// the folders a store names by property, and the rows of their contents tables. Each
// wrapper owns one object of platform/msgstore and lets it go when destroyed; nothing
// stays open between operations, and no wrapper crosses threads (each thread logs on
// by itself).

#include "platform/msgstore/MessageStore.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::mapi {

namespace store = platform::msgstore;
using EntryId = store::EntryId;
using PropTag = store::PropTag;

// The SMS account's store and the store properties naming its two folders.
inline constexpr std::u16string_view smsStoreName = u"SMS";
inline constexpr PropTag inboxFolder = store::tag::inboxEntryId;
inline constexpr PropTag sentFolder = store::tag::sentMailEntryId;

// One row of a contents table. The row id is the store's identity of the message: it
// only grows, so a reader that remembers the last one it saw reads each message once.
struct MessageRow {
    std::u16string displayName;
    std::u16string senderAddress; // an SMS sender's number
    EntryId entryId;
    uint32_t flags = 0;
    uint32_t rowId = 0;
};

struct RecipientRow {
    std::u16string displayName;
    std::u16string address; // the phone number
    std::u16string addressType;
    uint32_t recipientType = 0;
};

class MAPIMessage;
class MAPIFolder;

class MAPIMsgStore {
public:
    explicit MAPIMsgStore(std::unique_ptr<store::MsgStore> store) : store_(std::move(store)) {}
    // The folder whose entry id the store property `folderTag` holds, or null.
    std::unique_ptr<MAPIFolder> openFolder(PropTag folderTag);

private:
    std::unique_ptr<store::MsgStore> store_;
};

class MAPIFolder {
public:
    explicit MAPIFolder(std::unique_ptr<store::Folder> folder) : folder_(std::move(folder)) {}
    // Rows oldest first; null when the folder cannot give a table.
    std::unique_ptr<store::Table> contentsTable() { return folder_->contentsTable(); }
    std::unique_ptr<MAPIMessage> openMessage(const EntryId& id);
    // A new message of this folder, stored by its save.
    std::unique_ptr<MAPIMessage> createMessage();
    bool deleteMessage(const EntryId& id) { return folder_->deleteMessages({id}); }

private:
    std::unique_ptr<store::Folder> folder_;
};

class MAPISession {
public:
    // Null when the store cannot be opened.
    static std::unique_ptr<MAPISession> logon();
    explicit MAPISession(std::unique_ptr<store::Session> session) : session_(std::move(session)) {}

    // The first store whose display name equals `name` ignoring case, or null.
    std::unique_ptr<MAPIMsgStore> openStore(std::u16string_view name);
    // The SMS store's folder named by `folderTag`, or null.
    std::unique_ptr<MAPIFolder> openSmsFolder(PropTag folderTag);
    std::unique_ptr<MAPIMessage> openMessage(const EntryId& id);

private:
    std::unique_ptr<store::Session> session_;
};

// The next rows of `table` as MessageRows; the table's columns must be rowColumns.
inline const std::vector<PropTag> rowColumns{store::tag::displayName, store::tag::entryId,
                                             store::tag::senderEmailAddress,
                                             store::tag::messageFlags, store::tag::rowId};
MessageRow toMessageRow(const store::Row& row);

} // namespace vantrel::mapi
