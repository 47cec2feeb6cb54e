#include "platform/shell/Shell.h"

#include "platform/core/Backend.h"

#include <mutex>
#include <optional>

namespace vantrel::platform::shell {

namespace {

// The two methods the emulated phone offers: the on-screen keyboard, and the letter
// recogniser that reads handwriting (here: the same keyboard input).
const std::vector<InputMethod> methods = {
    {u"{42429667-AE04-11D0-A4F8-00AA00A749B9}", u"Keyboard"},
    {u"{42429690-AE04-11D0-A4F8-00AA00A749B9}", u"Letter Recognizer"},
};

struct PanelState {
    std::mutex mutex;
    bool visible = false;
    bool buttonVisible = true;
    std::optional<Rect> rect; // unset: the default strip of the current screen
    std::u16string method = methods.front().id;
};

PanelState& state() {
    static auto* s = new PanelState;
    return *s;
}

Rect defaultPanelRect() {
    Size screen = screenSize();
    int height = screen.height / 5;
    return {0, screen.height - height, screen.width, screen.height};
}

} // namespace

void setFullScreen(WindowHandle, uint32_t flags) {
    if (flags & fullscreen::hideTaskBar)
        setTaskBarVisible(false);
    if (flags & fullscreen::showTaskBar)
        setTaskBarVisible(true);
    if (flags & fullscreen::hideSipButton)
        setSipButtonVisible(false);
    if (flags & fullscreen::showSipButton)
        setSipButtonVisible(true);
}

bool inputPanelVisible() {
    std::lock_guard lock(state().mutex);
    return state().visible;
}

void setInputPanelVisible(bool visible) {
    std::lock_guard lock(state().mutex);
    state().visible = visible;
}

Rect inputPanelRect() {
    std::lock_guard lock(state().mutex);
    return state().rect.value_or(defaultPanelRect());
}

void moveInputPanel(const Rect& rect) {
    std::lock_guard lock(state().mutex);
    state().rect = rect;
}

bool sipButtonVisible() {
    std::lock_guard lock(state().mutex);
    return state().buttonVisible;
}

void setSipButtonVisible(bool visible) {
    std::lock_guard lock(state().mutex);
    state().buttonVisible = visible;
}

std::vector<InputMethod> inputMethods() { return methods; }

std::u16string currentInputMethod() {
    std::lock_guard lock(state().mutex);
    return state().method;
}

bool setCurrentInputMethod(std::u16string_view id) {
    for (const auto& method : methods) {
        if (method.id == id) {
            std::lock_guard lock(state().mutex);
            state().method = method.id;
            return true;
        }
    }
    return false;
}

} // namespace vantrel::platform::shell
