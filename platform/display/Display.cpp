#include "platform/display/Display.h"

#include "platform/display/HeadlessDisplay.h"
#include "platform/display/SdlDisplay.h"

#include <cstdlib>

namespace vantrel::platform {

bool displayServerAvailable() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

std::unique_ptr<Display> createDisplay(BackendKind kind, Size screen, std::string& error) {
    if (kind == BackendKind::headless)
        return std::make_unique<HeadlessDisplay>(screen);
    auto sdl = std::make_unique<SdlDisplay>(screen, error);
    if (!sdl->ok())
        return nullptr;
    return sdl;
}

} // namespace vantrel::platform
