#include "ui/HostWindow.h"

#include "ui/ControlHost.h"
#include "ui/LightControl.h"
#include "ui/TextInputControl.h"

namespace vantrel {

using namespace platform;

intptr_t hostWindowProcedure(WindowHandle w, uint32_t id, uintptr_t wParam, intptr_t lParam) {
    Point p = unpackPoint(lParam);
    if (intptr_t result; TextInputControl::handleEditMessage(id, wParam, lParam, result))
        return result;
    switch (id) {
    case msg::paint:
        ControlHost::paintWindow(w, beginPaint(w));
        endPaint(w);
        return 0;
    case msg::size:
        ControlHost::layoutAll(w, clientRect(w));
        invalidateRect(w);
        return 0;
    case msg::timer:
        ControlHost::timer(w, wParam);
        return 0;
    case msg::leftButtonDown:
        ControlHost::stylusDown(w, p.x, p.y);
        return 0;
    case msg::mouseMove:
        ControlHost::stylusMove(w, p.x, p.y);
        return 0;
    case msg::leftButtonUp:
        ControlHost::stylusUp(w, p.x, p.y);
        return 0;
    case msg::keyDown:
        ControlHost::key(w, static_cast<int>(wParam), 0);
        return 0;
    case msg::character:
        ControlHost::key(w, 0, static_cast<char16_t>(wParam));
        return 0;
    case msg::destroy:
        ControlHost::forgetWindow(w);
        return 0;
    default:
        return defaultWindowProcedure(w, id, wParam, lParam);
    }
}

} // namespace vantrel
