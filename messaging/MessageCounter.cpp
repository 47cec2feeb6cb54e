#include "messaging/MessageCounter.h"

#include "contacts/ContactSmartListControl.h"
#include "mapi/MAPIMessage.h"
#include "messaging/CallLog.h"
#include "settings/SettingStore.h"

#include <algorithm>

namespace vantrel {

namespace store = platform::msgstore;
namespace tag = store::tag;

namespace {

const std::vector<store::PropTag> countColumns{
    tag::rowId,   tag::senderEmailAddress, tag::senderName,         tag::messageFlags,
    tag::subject, tag::creationTime,       tag::messageDeliveryTime};

CountedEvent smsEvent(const store::Row& row) {
    CountedEvent event;
    event.rowId = row[0].asNumber();
    event.number = row[1].asText();
    event.senderName = row[2].asText();
    event.unread = (row[3].asNumber() & store::flag::read) == 0;
    event.text = row[4].asText();
    event.time = row[5].found() ? row[5].asTime() : row[6].asTime();
    return event;
}

// Large passes (a recount) find rows through an index of the whole list; a refresh with
// a few new messages walks the list, which costs less than building the index.
constexpr size_t indexFrom = 64;

} // namespace

MessageCounter::MessageCounter(platform::WindowHandle window) : window_(window) {}

// ---------------------------------------------------------------------------- the scans

void MessageCounter::scanSmsCounts() {
    std::lock_guard lock(scanMutex_);
    scanSmsLocked(true);
}

void MessageCounter::scanCallLogCounts() {
    std::lock_guard lock(scanMutex_);
    scanCallsLocked();
}

void MessageCounter::recountMessages() {
    std::lock_guard lock(scanMutex_);
    smsCutoff_ = 0;
    callCutoff_ = 0;
    push({Batch::Kind::reset, {}, 0});
    scanSmsLocked(true);
    push({Batch::Kind::endRecount, {}, 0});
}

void MessageCounter::scanSmsLocked(bool thenCalls) {
    auto session = mapi::MAPISession::logon();
    auto inbox = session ? session->openSmsFolder(mapi::inboxFolder) : nullptr;
    auto table = inbox ? inbox->contentsTable() : nullptr;
    if (table && table->setColumns(countColumns) && table->restrictToRowsAfter(smsCutoff_)) {
        Batch batch;
        for (std::vector<store::Row> rows; !stopping_ && !(rows = table->queryRows(256)).empty();) {
            for (const store::Row& row : rows) {
                batch.events.push_back(smsEvent(row));
                smsCutoff_ = std::max(smsCutoff_, batch.events.back().rowId);
            }
            if (batch.events.size() >= rowsPerBatch) {
                batch.rowsReadTo = smsCutoff_;
                push(std::move(batch));
                batch = {};
            }
        }
        batch.rowsReadTo = smsCutoff_;
        if (!batch.events.empty())
            push(std::move(batch));
    }
    if (thenCalls && !stopping_)
        scanCallsLocked();
}

void MessageCounter::scanCallsLocked() {
    if (!callLogCounting_)
        return;
    CallLogReader log;
    if (!log.isOpen())
        return;
    Batch batch;
    platform::modem::CallLogEntry call;
    uint64_t newest = callCutoff_;
    for (bool first = true; !stopping_ && log.next(call); first = false) {
        if (first)
            newest = std::max(newest, call.startTime);
        // Newest first: the first call the last scan saw ends this one.
        if (call.startTime <= callCutoff_)
            break;
        if (isOutgoing(call))
            continue;
        CountedEvent event;
        event.isCall = true;
        event.number = call.number;
        event.senderName = call.number;
        event.time = call.startTime;
        batch.events.push_back(std::move(event));
    }
    callCutoff_ = newest;
    if (!batch.events.empty())
        push(std::move(batch));
}

void MessageCounter::push(Batch batch) {
    bool wake = false;
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back(std::move(batch));
        wake = !std::exchange(wakePosted_, true);
    }
    if (wake)
        platform::postMessage(window_, wakeMessage);
}

// ---------------------------------------------------------------------------- applying

bool MessageCounter::hasQueued() {
    std::lock_guard lock(queueMutex_);
    return !queue_.empty();
}

bool MessageCounter::apply(ContactSmartListControl& list) {
    if (list.isLoading())
        return false;
    std::deque<Batch> batches;
    {
        std::lock_guard lock(queueMutex_);
        batches.swap(queue_);
        wakePosted_ = false;
    }
    if (batches.empty())
        return false;
    auto eachContact = [&](auto&& change) {
        for (const ItemRef& ref : list.allItems())
            if (ContactListItem* contact = asContact(ref.get()))
                change(contact->counters());
    };
    // One pass for everything queued: the index of the list is built once.
    size_t events = 0;
    for (const Batch& batch : batches)
        events += batch.events.size();
    beginPass(list, events);
    for (Batch& batch : batches) {
        switch (batch.kind) {
        case Batch::Kind::reset:
            // Rows made so far join the list first, so they are reset with it.
            endPass(list);
            eachContact([](ContactCounters& c) { c = ContactCounters(); });
            rowsAppliedTo_ = 0;
            countedAhead_.clear();
            beginPass(list, events);
            break;
        case Batch::Kind::events:
            for (const CountedEvent& event : batch.events) {
                if (!event.isCall &&
                    (event.rowId <= rowsAppliedTo_ || countedAhead_.count(event.rowId)))
                    continue;
                count(list, event);
            }
            rowsAppliedTo_ = std::max(rowsAppliedTo_, batch.rowsReadTo);
            countedAhead_.erase(countedAhead_.begin(), countedAhead_.upper_bound(rowsAppliedTo_));
            break;
        case Batch::Kind::endRecount:
            endPass(list);
            eachContact([](ContactCounters& c) { c.newCalls = 0; });
            beginPass(list, events);
            break;
        }
    }
    endPass(list);
    list.refilter();
    list.invalidate(list.rect());
    return true;
}

bool MessageCounter::countReceived(ContactSmartListControl& list, const mapi::EntryId& id) {
    // While the contacts load, the recount that follows the load counts it.
    if (list.isLoading())
        return false;
    auto session = mapi::MAPISession::logon();
    auto message = session ? session->openMessage(id) : nullptr;
    if (!message)
        return false;
    uint32_t row = message->rowId();
    if (row == 0 || row <= rowsAppliedTo_ || !countedAhead_.insert(row).second)
        return false;
    CountedEvent event;
    event.rowId = row;
    event.number = message->senderAddress();
    event.senderName = message->senderName();
    event.unread = !message->isRead();
    event.text = message->subject();
    message->messageTime(event.time);
    beginPass(list, 1);
    count(list, event);
    endPass(list);
    list.refilter();
    list.invalidate(list.rect());
    return true;
}

void MessageCounter::beginPass(ContactSmartListControl&, size_t events) {
    // Rows come and go between passes (a contact deleted, its numbers changed): what a
    // pass found is forgotten at the next, so nothing points at a row that is gone.
    numberCache_.clear();
    addedThisPass_.clear();
    indexed_.clear();
    index_ = {};
    indexWanted_ = events >= indexFrom;
}

void MessageCounter::buildIndex(ContactSmartListControl& list) {
    indexWanted_ = false;
    for (const ItemRef& ref : list.allItems()) {
        ContactListItem* contact = asContact(ref.get());
        if (!contact || contact->kind() == ContactListItem::Kind::newContact)
            continue;
        auto entry = uint32_t(indexed_.size());
        indexed_.push_back(contact);
        for (const PhoneEntry& phone : contact->record().phones)
            index_.add(entry, phone.number, contact->kind() == ContactListItem::Kind::sms);
    }
}

void MessageCounter::endPass(ContactSmartListControl& list) {
    if (!addedThisPass_.empty())
        list.addSmsContacts(std::move(addedThisPass_));
    addedThisPass_.clear();
    numberCache_.clear();
}

void MessageCounter::count(ContactSmartListControl& list, const CountedEvent& event) {
    ContactListItem* item = findInPass(list, event.number, nullptr);
    bool created = false;
    if (!item) {
        std::u16string_view sender = event.senderName.empty() ? event.number : event.senderName;
        const std::u16string* service =
            SettingStore::instance().resolve(u"global", u"", u"servicemessage.text");
        ItemRef row = makeItem<SmsContactListItem>(sender, event.number, event.unread,
                                                   service ? *service : std::u16string());
        item = asContact(row.get());
        addedThisPass_.push_back(std::move(row));
        numberCache_[event.number] = item;
        created = true;
    }
    ContactCounters& c = item->counters();
    if (event.isCall) {
        if (created)
            c.messages = c.unread = 0;
        ++c.calls;
        ++c.newCalls;
    } else if (!created) {
        // A new row starts with this message counted.
        ++c.messages;
        c.unread += event.unread ? 1 : 0;
    }
    if (event.time >= uint64_t(c.newestTime)) {
        c.newestTime = int64_t(event.time);
        c.newestIsCall = event.isCall;
        if (!event.isCall)
            c.lastMessage = event.text;
    }
}

// ---------------------------------------------------------------------------- finding

ContactListItem* MessageCounter::findItemByNumber(ContactSmartListControl& list,
                                                  std::u16string_view number,
                                                  const IListItem* excluded) {
    beginPass(list, 0);
    ContactListItem* found = findInPass(list, number, excluded);
    numberCache_.clear();
    return found;
}

ContactListItem* MessageCounter::findInPass(ContactSmartListControl& list,
                                            std::u16string_view number, const IListItem* excluded) {
    std::u16string key(number);
    if (auto cached = numberCache_.find(key); cached != numberCache_.end())
        return cached->second == excluded ? nullptr : cached->second;
    ContactListItem* found = nullptr;
    if (indexWanted_ && !excluded)
        buildIndex(list);
    if (!indexed_.empty() && !excluded) {
        uint32_t entry = index_.find(number);
        if (entry != mapi::NumberIndex::none)
            found = indexed_[entry];
    } else {
        for (const ItemRef& ref : list.allItems()) {
            ContactListItem* contact = asContact(ref.get());
            if (contact && contact != excluded && contact->matchesNumber(number)) {
                found = contact;
                break;
            }
        }
    }
    // Rows made in this pass come after the list's.
    for (size_t i = 0; !found && i < addedThisPass_.size(); ++i) {
        ContactListItem* made = asContact(addedThisPass_[i].get());
        if (made != excluded && made->matchesNumber(number))
            found = made;
    }
    if (found)
        numberCache_.emplace(std::move(key), found);
    return found;
}

} // namespace vantrel
