#pragma once
// The soft input panel (SIP) for the main window: shown when a text field wants it and
// the user allows it, kept at the bottom of the screen with the window shrunk above it,
// and hidden again with the window restored.

#include "platform/core/Window.h"
#include "ui/Action.h"

#include <string>

namespace vantrel {

// The timer that shows the panel once more after it was moved into place.
constexpr uintptr_t sipRepositionTimer = 1235468;

// Shows the remembered input method's panel unless the user chose "nosip" or the
// screen is in landscape with the keyboard switched off there.
void showSip(platform::WindowHandle window);
// Hides the panel if it shows and gives the window its full height back.
void hideSip(platform::WindowHandle window);
// On "g_vtrRepositionKeyboard": the panel to the bottom, the window above it.
void repositionSip(platform::WindowHandle window);
// On the reposition timer: shows the panel once more and stops the timer.
void onSipTimer(platform::WindowHandle window);
// Stores the chosen input method, or "nosip" for an empty identifier.
void rememberSip(std::u16string_view inputMethod);

class ShowSipAction : public Action {
public:
    explicit ShowSipAction(platform::WindowHandle window) : window_(window) {}
    void execute() override { showSip(window_); }

private:
    platform::WindowHandle window_;
};

// Hides the panel and remembers that the user wants none.
class DisableSipAction : public Action {
public:
    explicit DisableSipAction(platform::WindowHandle window) : window_(window) {}
    void execute() override;

private:
    platform::WindowHandle window_;
};

// Switches to one input method, remembers it and shows its panel.
class SwitchSipAction : public Action {
public:
    explicit SwitchSipAction(std::u16string inputMethod) : inputMethod_(std::move(inputMethod)) {}
    void execute() override;

private:
    std::u16string inputMethod_;
};

} // namespace vantrel
