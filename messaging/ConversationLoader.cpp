#include "messaging/ConversationLoader.h"

#include <sys/resource.h>
#include <unistd.h>

namespace vantrel {

ConversationLoader::ConversationLoader(platform::WindowHandle window, uint32_t wakeMessage)
    : handover_(window, wakeMessage) {}

ConversationLoader::~ConversationLoader() {
    stop();
    join();
}

void ConversationLoader::join() {
    if (thread_.joinable())
        thread_.join();
}

void ConversationLoader::stop() {
    if (stop_)
        stop_->store(true, std::memory_order_relaxed);
    // Whatever the stopped load still hands over belongs to no load the screen shows.
    ++generation_;
    loading_ = false;
}

void ConversationLoader::start(ConversationRequest request) {
    stop();
    // NOTE: the load checks its flag after every entry, and its store queries go
    // through the number index, so the wait is a few milliseconds at worst.
    join();
    stop_ = std::make_shared<std::atomic<bool>>(false);
    loading_ = true;
    thread_ =
        std::thread([this, request = std::move(request), stop = stop_, generation = generation_] {
            // Below the interface: painting and input come first while it reads.
            setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 5);
            loadConversation(request, [&](SMSMessage entry) {
                if (stop->load(std::memory_order_relaxed))
                    return false;
                handover_.push({generation, std::move(entry)});
                return !stop->load(std::memory_order_relaxed);
            });
            handover_.push({generation, std::nullopt});
        });
}

std::vector<SMSMessage> ConversationLoader::take() {
    std::vector<SMSMessage> entries;
    for (Delivery& delivery : handover_.take()) {
        if (delivery.generation != generation_)
            continue;
        if (delivery.entry)
            entries.push_back(std::move(*delivery.entry));
        else
            loading_ = false;
    }
    return entries;
}

} // namespace vantrel
