#include "messaging/Conversation.h"

#include "contacts/ContactListItem.h"
#include "lists/SmartListControl.h"
#include "mapi/MAPIMessage.h"
#include "mapi/PhoneNumber.h"
#include "messaging/CallLog.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"

#include <algorithm>
#include <optional>
#include <set>

namespace vantrel {

namespace store = platform::msgstore;
namespace tag = store::tag;

namespace {

const std::vector<store::PropTag> conversationColumns{
    tag::displayName, tag::entryId, tag::senderEmailAddress, tag::messageFlags,
    tag::rowId,       tag::subject, tag::creationTime,       tag::messageDeliveryTime};

SMSMessage entryOf(const store::Row& row, bool sent) {
    SMSMessage entry;
    entry.row = mapi::toMessageRow(row);
    entry.sent = sent;
    entry.read = (entry.row.flags & store::flag::read) != 0;
    entry.text = row[5].asText();
    // The creation time, else the delivery time.
    entry.time = row[6].found() ? row[6].asTime() : row[7].asTime();
    return entry;
}

// The contact's messages of one folder, found through the number index.
void collect(mapi::MAPIFolder& folder, const ConversationRequest& request, bool sent,
             mapi::MAPISession& session, std::vector<SMSMessage>& out) {
    std::set<std::u16string> forms;
    std::set<uint32_t> seen;
    for (const std::u16string& number : request.numbers) {
        if (!forms.insert(mapi::normalizePhoneNumber(number)).second)
            continue;
        auto table = folder.contentsTable();
        if (!table || !table->setColumns(conversationColumns) || !table->restrictToNumber(number))
            continue;
        for (std::vector<store::Row> rows; !(rows = table->queryRows(64)).empty();) {
            for (const store::Row& row : rows) {
                SMSMessage entry = entryOf(row, sent);
                if (!seen.insert(entry.row.rowId).second)
                    continue;
                // The index finds every message that may match; the rule decides.
                bool matched = false;
                if (!sent) {
                    matched = request.matches(entry.row.senderAddress);
                } else if (auto message = session.openMessage(entry.row.entryId)) {
                    for (const mapi::RecipientRow& recipient : message->recipients())
                        matched = matched || request.matches(recipient.address);
                }
                if (matched)
                    out.push_back(std::move(entry));
            }
        }
    }
}

} // namespace

bool ConversationRequest::matches(std::u16string_view number) const {
    if (number.empty() && !emptyMatches)
        return false;
    std::u16string other = mapi::normalizePhoneNumber(number);
    for (const std::u16string& mine : numbers)
        if (mapi::normalizedNumbersMatch(mapi::normalizePhoneNumber(mine), other))
            return true;
    return false;
}

ConversationRequest conversationRequest(const ContactListItem& item) {
    ConversationRequest request;
    for (const PhoneEntry& phone : item.record().phones)
        request.numbers.push_back(phone.number);
    request.emptyMatches = item.kind() == ContactListItem::Kind::sms;
    // In the scope of the row's list: "contactlist.*.item.sms.history.size".
    const SmartListControl* list = item.list();
    request.historySize = int(SettingStore::instance().number(
        list ? std::u16string_view(list->typeName()) : u"contactlist",
        list ? std::u16string_view(list->name()) : u"contactlist", u"item.sms.history.size"));
    request.withCallLog = SettingManager::instance().options().callLogInSms != 0;
    return request;
}

void loadConversation(const ConversationRequest& request, const ConversationSink& sink) {
    if (request.historySize <= 0)
        return;
    std::vector<SMSMessage> messages;
    if (auto session = mapi::MAPISession::logon()) {
        if (auto inbox = session->openSmsFolder(mapi::inboxFolder))
            collect(*inbox, request, false, *session, messages);
        if (auto sent = session->openSmsFolder(mapi::sentFolder))
            collect(*sent, request, true, *session, messages);
    }
    std::sort(messages.begin(), messages.end(), [](const SMSMessage& a, const SMSMessage& b) {
        return a.time != b.time ? a.time > b.time : a.row.rowId > b.row.rowId;
    });

    std::optional<CallLogReader> log;
    if (request.withCallLog)
        log.emplace();
    platform::modem::CallLogEntry call;
    std::optional<SMSMessage> nextCall;
    auto readCall = [&] {
        nextCall.reset();
        while (log && log->next(call))
            if (request.matches(call.number)) {
                nextCall = callEntry(call);
                return;
            }
        log.reset();
    };
    readCall();

    const size_t limit = size_t(request.historySize) + 1;
    size_t taken = 0;
    auto message = messages.begin();
    while (taken < limit && (message != messages.end() || nextCall)) {
        SMSMessage entry;
        if (nextCall && (message == messages.end() || nextCall->time >= message->time)) {
            entry = std::move(*nextCall);
            readCall();
        } else {
            entry = std::move(*message++);
        }
        ++taken;
        if (!sink(std::move(entry)))
            return;
    }
}

} // namespace vantrel
