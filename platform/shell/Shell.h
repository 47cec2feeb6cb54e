#pragma once
// The phone shell's services for a full-screen program: the task bar, the soft input
// panel (SIP) and its button, and the choice of input method. The panel is a strip at
// the bottom of the screen that the program must leave room for; typing itself arrives
// as characters through the display (SDL text input).

#include "platform/core/Geometry.h"
#include "platform/core/Window.h"

#include <string>
#include <vector>

namespace vantrel::platform::shell {

// Full-screen flags, combined as the shell takes them.
namespace fullscreen {
constexpr uint32_t showTaskBar = 0x01;
constexpr uint32_t hideTaskBar = 0x02;
constexpr uint32_t showSipButton = 0x04;
constexpr uint32_t hideSipButton = 0x08;
constexpr uint32_t showStartIcon = 0x10;
constexpr uint32_t hideStartIcon = 0x20;
} // namespace fullscreen

// Shows or hides the task bar and the SIP button as the flags say.
void setFullScreen(WindowHandle window, uint32_t flags);

// The input panel. Its rectangle is in screen coordinates; it starts as a strip of a
// fifth of the screen height at the bottom, and a script may set another.
bool inputPanelVisible();
void setInputPanelVisible(bool visible);
Rect inputPanelRect();
void moveInputPanel(const Rect& rect);
bool sipButtonVisible();
void setSipButtonVisible(bool visible);

// Input methods by their identifier in registry string form ("{…}").
struct InputMethod {
    std::u16string id;
    std::u16string name;
};
std::vector<InputMethod> inputMethods();
std::u16string currentInputMethod();
// False for an identifier no method has.
bool setCurrentInputMethod(std::u16string_view id);

} // namespace vantrel::platform::shell
