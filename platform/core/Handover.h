#pragma once
// Hands values made on a worker thread to the thread that owns a window. The worker
// pushes; the first value put into an empty queue posts one wake-up message to the
// window, and the window's thread takes everything queued at once, in push order. So a
// burst of values costs one message, and the owner never sees a half-built value.

#include "platform/core/Window.h"

#include <deque>
#include <iterator>
#include <mutex>
#include <vector>

namespace vantrel::platform {

template <class T>
class Handover {
public:
    Handover(WindowHandle window, uint32_t wakeMessage) : window_(window), wakeMessage_(wakeMessage) {}
    Handover(const Handover&) = delete;
    Handover& operator=(const Handover&) = delete;

    // Any thread.
    void push(T value) {
        bool wasEmpty;
        {
            std::lock_guard lock(mutex_);
            wasEmpty = queue_.empty();
            queue_.push_back(std::move(value));
        }
        if (wasEmpty)
            postMessage(window_, wakeMessage_);
    }

    // The window's thread, on the wake-up message: everything pushed so far, oldest first.
    std::vector<T> take() {
        std::lock_guard lock(mutex_);
        std::vector<T> taken(std::make_move_iterator(queue_.begin()),
                             std::make_move_iterator(queue_.end()));
        queue_.clear();
        return taken;
    }

    WindowHandle window() const { return window_; }

private:
    WindowHandle window_;
    uint32_t wakeMessage_;
    std::mutex mutex_;
    std::deque<T> queue_;
};

} // namespace vantrel::platform
