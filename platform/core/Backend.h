#pragma once
// What the window system needs of a screen. The display backends (SDL, headless)
// implement it; without one installed, core runs on its own: a 480 × 800 screen that
// shows nothing and message boxes on standard error, which is what unit tests want.

#include "platform/core/Geometry.h"
#include "platform/core/Window.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel::platform {

class Surface;

class Backend {
public:
    virtual ~Backend() = default;

    // Called by the owning UI thread when its queue is empty. Waits at most timeoutMs
    // (negative: no limit) for outside events, turning them into posted messages.
    virtual void waitForEvents(int timeoutMs) = 0;
    // Thread-safe: makes a waitForEvents in progress return soon.
    virtual void wake() = 0;

    virtual Size screenSize() const = 0;
    // Height of the task bar strip at the top of the screen while it shows.
    virtual int taskBarHeight() const = 0;

    // The window's buffer changed inside `damaged` (client coordinates).
    virtual void present(WindowHandle window, const Surface& buffer, Rect windowRect,
                         Rect damaged) = 0;
    // Moved, sized, shown, hidden or destroyed: the screen must be recomposed.
    virtual void windowsChanged() = 0;
    // The task bar was shown or hidden.
    virtual void taskBarChanged(bool visible) = 0;

    virtual void messageBox(WindowHandle owner, const std::u16string& text,
                            const std::u16string& caption) = 0;

    // A text field took the focus: typed text (and an input method's composition) is
    // wanted, and `caret` (screen coordinates) is where a candidate list may show.
    virtual void startTextInput(Rect) {}
    // The system clipboard. A backend without one answers false and nullopt, and the
    // process keeps its own (see Clipboard.h).
    virtual bool setClipboardText(const std::u16string&) { return false; }
    virtual std::optional<std::u16string> clipboardText() { return std::nullopt; }
    // Brings the screen in front of the desktop's other windows and gives it the input,
    // restoring it when minimised. Without a desktop there is nothing to do.
    virtual void raise() {}
};

// Installs the backend for the calling thread's queue (the UI thread); nullptr removes it.
// The backend must outlive every window.
void installBackend(Backend* backend);
Backend* installedBackend();

// Brings the program's screen to the front of the desktop, as the phone brings its
// foreground program to the front; counted, so a headless run can tell it happened.
void raiseScreen();
int screenRaiseCount();

// The task bar: shown when a program is not full screen, hiding the top of the screen.
void setTaskBarVisible(bool visible);
bool isTaskBarVisible();

// Input from the backend or a script, routed like the phone does: stylus to the window
// that captured it or the visible top-level window under the point, keys and
// characters to the focus window (else the active one). Screen coordinates.
enum class StylusAction { down, move, up };
void injectStylus(StylusAction action, Point screen);
void injectKey(uint32_t virtualKey, intptr_t keyFlags = 0);
void injectCharacter(char16_t character);
// An input method's text while it is being composed (empty once it is committed or
// cancelled): kept for compositionText() and announced with msg::imeComposition.
void injectComposition(std::u16string_view text);
std::u16string compositionText();

// The earliest timer due of the calling thread, as milliseconds from now (0 when one is
// already due), or -1 when it has none. Used to step virtual time timer by timer.
int millisecondsToNextTimer();

// Dispatches every message available now (posted, due timers, paints) without waiting.
// Returns false once the quit message was taken, leaving its code in exitCode.
bool pumpMessages(int* exitCode = nullptr);

// The window handles of this process, topmost first.
std::vector<WindowHandle> localWindows();

// Message boxes shown so far in this process, as "caption: text", for dumps and tests.
std::vector<std::u16string> messageBoxLog();

// Cross-process transport for windows of other processes; installed by platform/ipc.
class RemoteWindows {
public:
    virtual ~RemoteWindows() = default;
    // No title matches a window of that class whatever its title.
    virtual WindowHandle find(std::u16string_view className,
                              std::optional<std::u16string_view> title) = 0;
    virtual bool post(WindowHandle window, uint32_t id, uintptr_t wParam, intptr_t lParam) = 0;
    virtual bool bringToFront(WindowHandle window) = 0;
    virtual bool exists(WindowHandle window) = 0;
};
void installRemoteWindows(RemoteWindows* remote);
// Queues a message that arrived from another process (see Message::fromOtherProcess).
bool postMessageFromOtherProcess(WindowHandle window, uint32_t id, uintptr_t wParam,
                                 intptr_t lParam);
// Finds a window of this process only; no title matches any title.
WindowHandle findLocalWindow(std::u16string_view className,
                             std::optional<std::u16string_view> title);

} // namespace vantrel::platform
