#include "mapi/MAPIMsgStore.h"

#include "mapi/MAPIMessage.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

namespace vantrel::mapi {

namespace {

bool equalIgnoringCase(std::u16string_view a, std::u16string_view b) {
    UErrorCode error = U_ZERO_ERROR;
    return u_strCaseCompare(a.data(), int32_t(a.size()), b.data(), int32_t(b.size()),
                            U_FOLD_CASE_DEFAULT, &error) == 0 &&
           U_SUCCESS(error);
}

} // namespace

std::unique_ptr<MAPIFolder> MAPIMsgStore::openFolder(PropTag folderTag) {
    store::Property id = store_->getProps({folderTag}).front();
    if (id.tag != folderTag)
        return nullptr;
    auto folder = store_->openFolder(id.asBinary());
    return folder ? std::make_unique<MAPIFolder>(std::move(folder)) : nullptr;
}

std::unique_ptr<MAPIMessage> MAPIFolder::openMessage(const EntryId& id) {
    auto message = folder_->openMessage(id);
    return message ? std::make_unique<MAPIMessage>(std::move(message)) : nullptr;
}

std::unique_ptr<MAPIMessage> MAPIFolder::createMessage() {
    auto message = folder_->createMessage();
    return message ? std::make_unique<MAPIMessage>(std::move(message)) : nullptr;
}

std::unique_ptr<MAPISession> MAPISession::logon() {
    auto session = store::Session::logon();
    return session ? std::make_unique<MAPISession>(std::move(session)) : nullptr;
}

std::unique_ptr<MAPIMsgStore> MAPISession::openStore(std::u16string_view name) {
    auto stores = session_->storesTable();
    if (!stores || !stores->setColumns(rowColumns))
        return nullptr;
    for (std::vector<store::Row> rows; !(rows = stores->queryRows(1)).empty();) {
        MessageRow row = toMessageRow(rows.front());
        if (!equalIgnoringCase(row.displayName, name))
            continue;
        auto opened = session_->openStore(row.entryId);
        return opened ? std::make_unique<MAPIMsgStore>(std::move(opened)) : nullptr;
    }
    return nullptr;
}

std::unique_ptr<MAPIFolder> MAPISession::openSmsFolder(PropTag folderTag) {
    auto sms = openStore(smsStoreName);
    return sms ? sms->openFolder(folderTag) : nullptr;
}

std::unique_ptr<MAPIMessage> MAPISession::openMessage(const EntryId& id) {
    auto message = session_->openMessage(id);
    return message ? std::make_unique<MAPIMessage>(std::move(message)) : nullptr;
}

MessageRow toMessageRow(const store::Row& row) {
    MessageRow out;
    for (const store::Property& property : row) {
        switch (property.tag) {
        case store::tag::displayName:
            out.displayName = property.asText();
            break;
        case store::tag::senderEmailAddress:
            out.senderAddress = property.asText();
            break;
        case store::tag::entryId:
            out.entryId = property.asBinary();
            break;
        case store::tag::messageFlags:
            out.flags = property.asNumber();
            break;
        case store::tag::rowId:
            out.rowId = property.asNumber();
            break;
        default:
            break;
        }
    }
    return out;
}

} // namespace vantrel::mapi
