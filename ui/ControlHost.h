#pragma once
// The control host of a window: its ordered list of top-level controls (screens,
// overlays, the main bar) and the one off-screen RGB565 buffer they paint into. The
// window procedure hands its paint, size, stylus, key and timer messages to the static
// functions below, which find the window's host (a window without one does nothing).
//
// Order matters: input goes to the visible controls from the first to the last and the
// first that handles it wins; painting runs from the last to the first, so the first
// control is drawn on top. The host never owns the controls it lists.

#include "platform/core/Geometry.h"
#include "platform/core/Window.h"
#include "platform/gfx/Surface.h"

#include <memory>
#include <vector>

namespace vantrel {

class LightControl;
class Panel;

class ControlHost {
public:
    // ---- the list of top-level controls ----

    // Appends (creating the window's host on first use).
    static void addControl(platform::WindowHandle window, LightControl* control);
    // Inserts before the first entry, so it is painted on top and sees input first.
    static void addControlFront(platform::WindowHandle window, LightControl* control);
    // Takes the entry out of the list without deleting the control.
    static void removeControl(platform::WindowHandle window, LightControl* control);
    // The first visible Panel of the list, or null.
    static Panel* findActivePanel(platform::WindowHandle window);
    // The window's host, or null when nothing was ever added for it.
    static ControlHost* find(platform::WindowHandle window);
    // Drops the window's host when the window goes away; its controls are not deleted.
    static void forgetWindow(platform::WindowHandle window);

    // ---- settings and layout ----

    // Every top-level control of every window reloads its settings, is laid out to its
    // window's client area, and the window is repainted. The setting store's cache clear
    // listener, installed at start-up: after a clear no control may keep what it lent.
    static void reloadAllWindows();
    // Lays every top-level control out to the new client rectangle and drops the buffer;
    // nothing happens when the rectangle is the one the buffer was made for.
    static void layoutAll(platform::WindowHandle window, const platform::Rect& client);

    // ---- painting ----

    // Paints the damaged rectangle (from beginPaint) into the off-screen buffer and
    // copies that rectangle, and only it, into the window buffer.
    static void paintWindow(platform::WindowHandle window, const platform::Rect& damaged);
    // Every top-level control ends its screen change, then the whole client area is
    // painted into the off-screen buffer without reaching the window.
    static void renderAll(platform::WindowHandle window);
    // Every top-level control begins a screen change (last to first).
    static void beginScreenChangeAll(platform::WindowHandle window);

    // ---- input and timers ----

    // Client coordinates. Down captures the stylus for the window, up releases it.
    static void stylusDown(platform::WindowHandle window, int x, int y);
    static void stylusMove(platform::WindowHandle window, int x, int y);
    static void stylusUp(platform::WindowHandle window, int x, int y);
    // A virtual key (character 0) or a character (key 0); the index strip sends letters
    // with the virtual key -2.
    static void key(platform::WindowHandle window, int virtualKey, char16_t character);
    // Offers the timer to every top-level control, visible or not; a timer nobody
    // claims is killed.
    static void timer(platform::WindowHandle window, uintptr_t id);

    // A control that must go away while one of its own handlers (or its action) is
    // still running is handed here; it is deleted once the host's current input or
    // timer dispatch has returned, or at once when none is running.
    static void deleteLater(platform::WindowHandle window, std::unique_ptr<LightControl> control);

    // ---- what the host holds ----

    const std::vector<LightControl*>& controls() const { return controls_; }
    // The client rectangle the buffer was made for (empty until the first layout or paint).
    const platform::Rect& backRect() const { return backRect_; }
    // The off-screen buffer; empty until the first paint after a size change.
    const platform::Surface& backBuffer() const { return back_; }
    platform::WindowHandle window() const { return window_; }

    explicit ControlHost(platform::WindowHandle window) : window_(window) {}
    ~ControlHost();

private:
    static ControlHost& obtain(platform::WindowHandle window);
    void ensureBuffer();
    // Paints the visible controls into the buffer inside `clip`; returns the paint count.
    int paintControls(const platform::Rect& clip);
    // Runs an input walk where the first visible control with a non-empty answer wins,
    // then repaints that answer.
    template <class Call> void firstHandler(Call&& call);
    void flushGraveyard();

    // Keeps deleteLater's promise across nested dispatches (a handler that sends a
    // message which is dispatched again).
    struct Dispatch {
        explicit Dispatch(ControlHost& host);
        ~Dispatch();
        ControlHost& host;
    };

    platform::WindowHandle window_;
    std::vector<LightControl*> controls_;
    platform::Surface back_;
    platform::Rect backRect_;
    // The rectangle of the last layout. Kept apart from backRect_, which a paint before
    // the first layout also sets, so that such a paint cannot make that layout a no-op.
    platform::Rect laidOutRect_;
    int dispatchDepth_ = 0;
    std::vector<std::unique_ptr<LightControl>> graveyard_;
};

} // namespace vantrel
