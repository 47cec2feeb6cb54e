#pragma once
// Full screen: the program over the whole phone screen with the task bar hidden, or
// below the task bar in the work area.

#include "platform/core/Window.h"

namespace vantrel {

// Records the flag and applies it: off shows the task bar and the start icon and hides
// the SIP button; on covers the whole screen and hides the task bar and the SIP button.
void setFullScreen(bool on);
bool isFullScreen();

// The "VantrelDoFullScreen" sequence: to the front, the stored option applied, the
// window placed at the top it implies and the screens laid out to it.
void doFullScreen(platform::WindowHandle window);

// Posts "VantrelDoFullScreen" to the main window.
void postFullScreen();

} // namespace vantrel
