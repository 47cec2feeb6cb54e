#pragma once
// The SMS and call counters of the contact list's rows. The scans read the store and the
// call log on worker threads and never touch a row: they queue what they found and post
// one wake-up to the list's window, and the interface thread applies the queue in order
// (DESIGN.md, Threads). One scan runs at a time, so the cut-offs move in order.
//
// Each received SMS is counted once, across refreshes and restarts: the SMS scan reads
// the Inbox by the store's row identity, only the rows stored after the last one it
// read, whatever times the messages carry; a restart counts everything afresh. A
// message counted at once by the new-message notification is remembered by its row, so
// the scan that reads it later passes it by. Calls are counted back to the newest call
// the previous call-log scan saw.
//
// Index: the scans (any thread), applying (interface thread), finding a row by number.

#include "lists/IListItem.h"
#include "mapi/MAPIMsgStore.h"
#include "mapi/PhoneNumber.h"
#include "platform/core/Window.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantrel {

class ContactListItem;
class ContactSmartListControl;

// A received SMS or a counted (incoming or missed) call.
struct CountedEvent {
    bool isCall = false;
    // An SMS's row in the store.
    uint32_t rowId = 0;
    std::u16string number;
    // Names an unknown sender's row; the number when empty.
    std::u16string senderName;
    uint64_t time = 0; // UTC file time
    bool unread = false;
    std::u16string text; // an SMS's body
};

class MessageCounter {
public:
    // Posted to the window when counts wait (user + 1002); it carries nothing.
    static constexpr uint32_t wakeMessage = 0x0400 + 1002;
    // The SMS scan hands over what it read every this many rows.
    static constexpr size_t rowsPerBatch = 2000;

    explicit MessageCounter(platform::WindowHandle window);

    // ---- the scans: any thread, one at a time ----

    // The Inbox's new rows, then the call log.
    void scanSmsCounts();
    // Calls newer than the newest one the last scan saw (only with call counting on).
    void scanCallLogCounts();
    // Every counter to zero, then every message and call counted again; the new-call
    // counts end at zero.
    void recountMessages();
    // The option "callloginsms", set by the interface thread when it changes.
    void setCallLogCounting(bool on) { callLogCounting_ = on; }
    // Running scans end at their next chunk, later ones read nothing: the program ends.
    void stop() { stopping_ = true; }

    // ---- the interface thread ----

    // Counts wait to be applied.
    bool hasQueued();

    // Applies what the scans queued, in order, then filters the list again. A list that
    // is still loading keeps the queue: its rows are not all there to match against.
    // True when anything was applied.
    bool apply(ContactSmartListControl& list);
    // Counts one received message now (the new-message notification), unless a scan
    // already did; a later scan passes it by. False when it was not counted (also while
    // the list loads: the counts after the load take it in).
    bool countReceived(ContactSmartListControl& list, const mapi::EntryId& id);
    // The row a number belongs to: the first row of the list (skipping `excluded`)
    // whose numbers match, or null.
    ContactListItem* findItemByNumber(ContactSmartListControl& list, std::u16string_view number,
                                      const IListItem* excluded = nullptr);

private:
    struct Batch {
        enum class Kind { reset, events, endRecount } kind = Kind::events;
        std::vector<CountedEvent> events;
        // The SMS scan has read every row up to this one.
        uint32_t rowsReadTo = 0;
    };

    void scanSmsLocked(bool thenCalls);
    void scanCallsLocked();
    void push(Batch batch);
    void count(ContactSmartListControl& list, const CountedEvent& event);
    // Within a pass a number text found once is not looked for again (the number
    // cache); large passes look rows up in an index of the whole list.
    void beginPass(ContactSmartListControl& list, size_t events);
    void endPass(ContactSmartListControl& list);
    // The index of the list's rows, built when a large pass first looks a number up.
    void buildIndex(ContactSmartListControl& list);
    ContactListItem* findInPass(ContactSmartListControl& list, std::u16string_view number,
                                const IListItem* excluded);

    platform::WindowHandle window_;
    std::atomic<bool> callLogCounting_{true};
    std::atomic<bool> stopping_{false};

    // Worker side: the cut-offs, under scanMutex_.
    std::mutex scanMutex_;
    uint32_t smsCutoff_ = 0;
    uint64_t callCutoff_ = 0;

    std::mutex queueMutex_;
    std::deque<Batch> queue_;
    bool wakePosted_ = false;

    // Interface side: the rows applied so far (every row up to rowsAppliedTo_, and the
    // ones counted ahead of the scans), and the finding state of one pass.
    uint32_t rowsAppliedTo_ = 0;
    std::set<uint32_t> countedAhead_;
    std::unordered_map<std::u16string, ContactListItem*> numberCache_;
    std::vector<ContactListItem*> indexed_;
    mapi::NumberIndex index_;
    bool indexWanted_ = false;
    // Unknown senders' rows made in this pass; they join the list at its end, in one
    // merge.
    std::vector<ItemRef> addedThisPass_;
};

} // namespace vantrel
