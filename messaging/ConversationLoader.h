#pragma once
// The conversation loader: runs loadConversation for one contact on a thread of its
// own and hands the entries to the window's thread through a Handover, one wake-up
// message per burst. One load runs at a time. Starting another, or stopping, raises the
// running load's stop flag, which it sees at its next entry; entries of a load that was
// stopped may still sit in the queue, and are dropped when taken, so the screen only
// ever shows the entries of the contact it was last opened for.

#include "messaging/Conversation.h"
#include "platform/core/Handover.h"

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace vantrel {

class ConversationLoader {
public:
    ConversationLoader(platform::WindowHandle window, uint32_t wakeMessage);
    // Stops the running load and waits for its thread.
    ~ConversationLoader();
    ConversationLoader(const ConversationLoader&) = delete;
    ConversationLoader& operator=(const ConversationLoader&) = delete;

    // Stops the running load (waiting for its thread, which ends at its next entry)
    // and starts one for `request`.
    void start(ConversationRequest request);
    // Asks the running load to stop; nothing it still hands over will be taken.
    void stop();

    // The window's thread, on the wake-up message: the current load's entries since the
    // last call, newest first.
    std::vector<SMSMessage> take();
    // From start until the current load's last entry was taken (or it was stopped).
    bool loading() const { return loading_; }

private:
    // One value of the queue: an entry of load `generation`, or (without one) its end.
    struct Delivery {
        uint64_t generation = 0;
        std::optional<SMSMessage> entry;
    };

    void join();

    platform::Handover<Delivery> handover_;
    // Shared with the running thread only; a new load gets a new flag, so an old
    // thread that outlives its stop can never see the next load's flag cleared.
    std::shared_ptr<std::atomic<bool>> stop_;
    uint64_t generation_ = 0;
    bool loading_ = false;
    std::thread thread_;
};

} // namespace vantrel
