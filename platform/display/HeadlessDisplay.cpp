#include "platform/display/HeadlessDisplay.h"

#include "platform/core/Clock.h"
#include "platform/core/Utf.h"

#include <chrono>
#include <cstdio>

namespace vantrel::platform {

HeadlessDisplay::HeadlessDisplay(Size screen) : composer_(screen) {
    useVirtualClock(true);
    composer_.recompose();
}

void HeadlessDisplay::waitForEvents(int timeoutMs) {
    // Only posts from other threads and processes can arrive here; time itself is moved
    // by whoever drives the headless screen (a script or a test).
    std::unique_lock lock(mutex_);
    auto woken = [this] { return wakeRequested_; };
    if (timeoutMs < 0)
        woken_.wait(lock, woken);
    else
        woken_.wait_for(lock, std::chrono::milliseconds(timeoutMs), woken);
    wakeRequested_ = false;
}

void HeadlessDisplay::wake() {
    {
        std::lock_guard lock(mutex_);
        wakeRequested_ = true;
    }
    woken_.notify_one();
}

void HeadlessDisplay::present(WindowHandle window, const Surface& buffer, Rect windowRect,
                              Rect damaged) {
    composer_.present(window, buffer, windowRect, damaged);
}

void HeadlessDisplay::messageBox(WindowHandle, const std::u16string& text,
                                 const std::u16string& caption) {
    std::fprintf(stderr, "MESSAGEBOX %s: %s\n", toUtf8(caption).c_str(), toUtf8(text).c_str());
    std::fflush(stderr);
}

} // namespace vantrel::platform
