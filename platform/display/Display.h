#pragma once
// The screen of the emulated phone. Two backends fill in platform::Backend: `sdl`, a real
// window on X11 or Wayland, and `headless`, which keeps its frames in memory for
// scripts and tests. Both compose the same picture: the window buffers at their places
// and, while it shows, the task bar strip at the top.

#include "platform/core/Backend.h"
#include "platform/gfx/Surface.h"

#include <memory>
#include <string>

namespace vantrel::platform {

enum class BackendKind { sdl, headless };

// The default phone screen, portrait VGA.
constexpr Size defaultScreenSize{480, 800};

class Display : public Backend {
public:
    // The composed screen as it was last presented.
    virtual const Surface& screen() const = 0;
    // Changes the emulated screen (a rotation or another phone); windows are not moved.
    virtual void setScreenSize(Size size) = 0;
    virtual BackendKind kind() const = 0;
};

// Creates the backend, or nullptr with a reason in `error` (no display for SDL).
std::unique_ptr<Display> createDisplay(BackendKind kind, Size screen, std::string& error);

// True when a display server seems reachable (DISPLAY or WAYLAND_DISPLAY set).
bool displayServerAvailable();

} // namespace vantrel::platform
