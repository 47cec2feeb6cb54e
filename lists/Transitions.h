#pragma once
// Animated screen changes. Callers first change the screens (visibility flags, added
// controls, layout) without repainting, then call one of the entry points below: it reads
// its duration from the setting store, builds the animation and runs it to the end before
// returning. While it runs no message is handled; input that arrived meanwhile is handled
// afterwards.
//
// Every frame is drawn straight into the window buffer (which is the frame picture, so
// no frame is copied twice) and handed to the display backend. With the real clock frames
// come as fast as they are produced; in virtual time each frame moves the clock by
// transitionFrameStepMs, so a test sees the same frames on every run.

#include "lists/ScreenAnimation.h"
#include "platform/core/Geometry.h"
#include "platform/core/Window.h"

#include <optional>

namespace vantrel {

// Virtual milliseconds between two frames of a transition or a fade-out.
constexpr int transitionFrameStepMs = 16;

// How long the fade-out of the whole window lasts.
constexpr int fadeOutDurationMs = 1000;

// Animates from what the window shows (the host's off-screen buffer, still holding the
// last painted screen) to the controls' new state, inside `area` (the client rectangle
// when none is given), then leaves the new state in the host's buffer and the window and
// asks for a repaint. A window that was never painted only renders. Returns the number
// of frames drawn.
int runTransition(platform::WindowHandle window, ScreenAnimation& animation,
                  std::optional<platform::Rect> area = std::nullopt);

// Screen changes of the main window and submenus: direction 0 brings the new screen in
// from the right, 1 from the left ("slide.duration").
void slideTransition(platform::WindowHandle window, int direction, const platform::Rect& area);
// The perspective card swap ("switch.duration", "switch.background").
void switchTransition(platform::WindowHandle window, int direction, const platform::Rect& area);
// The flip of the phone pad and the dialer ("flip.duration", "flip.background").
void flipTransition(platform::WindowHandle window, int direction);
// Dialogs opening: the new picture rises while fading in ("fade.duration").
void slideFadeTransition(platform::WindowHandle window);
// Dialogs closing: the opening played backwards.
void reverseSlideFadeTransition(platform::WindowHandle window);
// Picture changes: a cross-fade of the whole window ("fade.duration").
void fadeTransition(platform::WindowHandle window);
// The filter menu opening out of the control at `source`, and closing back into it
// ("genie.duration").
void genieTransition(platform::WindowHandle window, const platform::Rect& source);
void reverseGenieTransition(platform::WindowHandle window, const platform::Rect& source);

// Before the program hides itself or starts another one: the whole window is tinted
// toward "fadecolor" for a second, each frame tinting the previous one further.
// Returns the number of frames drawn.
int fadeOutWindow(platform::WindowHandle window);

} // namespace vantrel
