#pragma once
// Windows, message queues, timers and painting: the small window system the product
// runs on. A window has a class name, a title, a procedure and an owning thread; every
// thread that creates windows has one queue. postMessage is safe from any thread and
// reaches windows of other processes of the same device; sendMessage calls the
// procedure directly and belongs to the owning thread.
//
// Message numbers follow the phone platform's, so the private repaint message is still
// user + 1000 = 2024 and registered names live at 0xC000 and above.

#include "platform/core/Geometry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::platform {

class Surface;

// 0 is no window. The high 32 bits are the owning process id, the low 32 bits a number
// unique within that process, so a handle names a window across the device.
using WindowHandle = uint64_t;

namespace msg {
constexpr uint32_t create = 0x0001;
constexpr uint32_t destroy = 0x0002;
constexpr uint32_t size = 0x0005;         // lParam: client width | height << 16
constexpr uint32_t activate = 0x0006;     // wParam: 0 inactive, 1 active, 2 click-active
constexpr uint32_t setFocus = 0x0007;
constexpr uint32_t killFocus = 0x0008;
constexpr uint32_t paint = 0x000F;
constexpr uint32_t close = 0x0010;
constexpr uint32_t quit = 0x0012;         // wParam: exit code
constexpr uint32_t eraseBackground = 0x0014;
constexpr uint32_t settingChange = 0x001A;
constexpr uint32_t keyDown = 0x0100;      // wParam: virtual key, lParam: keyFlag bits
constexpr uint32_t keyUp = 0x0101;
constexpr uint32_t character = 0x0102;    // wParam: UTF-16 code unit
constexpr uint32_t imeComposition = 0x010F; // the text being composed: compositionText()
constexpr uint32_t command = 0x0111;      // wParam: notification << 16 | id, lParam: child
constexpr uint32_t timer = 0x0113;        // wParam: timer id
constexpr uint32_t ctlColorEdit = 0x0133; // wParam: the edit's colour request, lParam: edit
constexpr uint32_t mouseMove = 0x0200;    // lParam: signed 16-bit x | y << 16
constexpr uint32_t leftButtonDown = 0x0201;
constexpr uint32_t leftButtonUp = 0x0202;
constexpr uint32_t imeCharacter = 0x0286;
constexpr uint32_t user = 0x0400;
constexpr uint32_t app = 0x8000;
constexpr uint32_t firstRegistered = 0xC000;
} // namespace msg

// Virtual key codes the product uses.
namespace key {
constexpr uint32_t back = 0x08;
constexpr uint32_t tab = 0x09;
constexpr uint32_t enter = 0x0D;
constexpr uint32_t escape = 0x1B;
constexpr uint32_t space = 0x20;
constexpr uint32_t pageUp = 0x21;
constexpr uint32_t pageDown = 0x22;
constexpr uint32_t end = 0x23;
constexpr uint32_t home = 0x24;
constexpr uint32_t left = 0x25;
constexpr uint32_t up = 0x26;
constexpr uint32_t right = 0x27;
constexpr uint32_t down = 0x28;
constexpr uint32_t deleteKey = 0x2E;
constexpr uint32_t action = 0x86; // the phone's centre (action) key
} // namespace key

// Modifier keys held with a key, in msg::keyDown's lParam. The phone's keypad had none;
// a desktop keyboard selects with shift and copies with control.
namespace keyFlag {
constexpr intptr_t shift = 0x1;
constexpr intptr_t control = 0x2;
} // namespace keyFlag

constexpr intptr_t packPoint(int x, int y) {
    return static_cast<intptr_t>(static_cast<uint32_t>(static_cast<uint16_t>(x)) |
                                 (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16));
}
constexpr Point unpackPoint(intptr_t lParam) {
    return {static_cast<int16_t>(lParam & 0xFFFF), static_cast<int16_t>((lParam >> 16) & 0xFFFF)};
}

struct Message {
    WindowHandle window = 0;
    uint32_t id = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    bool fromOtherProcess = false;
};

using WindowProcedure =
    std::function<intptr_t(WindowHandle window, uint32_t id, uintptr_t wParam, intptr_t lParam)>;

struct WindowClass {
    std::u16string name;
    WindowProcedure procedure;
};

// Use for every field of createWindow's rectangle to let the system place the window:
// a top-level window then covers the work area.
constexpr int useDefault = INT32_MIN;

enum class Show { hide, normal, minimize };

// Classes are per process. False when the name is taken or the procedure is empty.
bool registerClass(const WindowClass& windowClass);
// False when the class is unknown or a window of it still exists.
bool unregisterClass(std::u16string_view className);

// Creates a top-level window owned by the calling thread and sends it msg::create and
// msg::size. Returns 0 when the class is unknown or the procedure answers msg::create
// with -1 (the window is then gone before anyone could see it).
WindowHandle createWindow(std::u16string_view className, std::u16string_view title, Rect rect,
                          bool visible);
// Creates a child window of `parent` (a window of the calling thread) at `rect` in the
// parent's client coordinates; 0 when the parent or the class is unknown. A child is
// drawn into its parent's buffer over the parent's own drawing, takes the stylus inside
// its rectangle and may take the focus; it never becomes active itself and goes away
// with its parent. windowRect and moveWindow speak of it in its parent's coordinates.
WindowHandle createChildWindow(std::u16string_view className, WindowHandle parent, Rect rect,
                               bool visible);
// The parent of a child window; 0 for a top-level window.
WindowHandle parentWindow(WindowHandle window);
// One number the window's owner keeps with it (the phone's user data slot).
void setWindowUserData(WindowHandle window, uintptr_t data);
uintptr_t windowUserData(WindowHandle window);
void destroyWindow(WindowHandle window);
bool isWindow(WindowHandle window);
bool isLocalWindow(WindowHandle window);

void showWindow(WindowHandle window, Show how);
bool isWindowVisible(WindowHandle window);
bool isMinimized(WindowHandle window);
// Moves and sizes in screen coordinates; sends msg::size when the size changed.
void moveWindow(WindowHandle window, Rect rect, bool repaint);
Rect windowRect(WindowHandle window);
Rect clientRect(WindowHandle window); // always at (0, 0)
// A point of the window's client area (a child's too) in screen coordinates.
Point clientToScreen(WindowHandle window, Point client);
std::u16string windowTitle(WindowHandle window);

// Looks in this process first, then in the other processes of the device.
WindowHandle findWindow(std::u16string_view className, std::u16string_view title);
// The same for a window of that class whatever its title.
WindowHandle findWindow(std::u16string_view className);

// Brings a window (also of another process) to the front and activates it.
bool setForegroundWindow(WindowHandle window);
WindowHandle foregroundWindow();
WindowHandle activeWindow();

void setFocus(WindowHandle window);
WindowHandle focusWindow();
void setCapture(WindowHandle window);
void releaseCapture();
WindowHandle captureWindow();

intptr_t defaultWindowProcedure(WindowHandle window, uint32_t id, uintptr_t wParam,
                                intptr_t lParam);

// Thread-safe; also posts to windows of other processes. False when no such window.
bool postMessage(WindowHandle window, uint32_t id, uintptr_t wParam = 0, intptr_t lParam = 0);
// Calls the procedure now; only from the thread that owns the window.
intptr_t sendMessage(WindowHandle window, uint32_t id, uintptr_t wParam = 0, intptr_t lParam = 0);
void postQuitMessage(int exitCode);

// The same name yields the same id in every process of the device. 0 on failure. The
// device's table of names is shared by every client and kept for good, so it takes at
// most maxRegisteredMessages names; a new name beyond that is refused (0 and a line on
// standard error).
inline constexpr uint32_t maxRegisteredMessages = 256;
uint32_t registerWindowMessage(std::u16string_view name);
// The same for a name the program itself needs: it is written even when clients have
// filled the table, so the product's own messages always work.
uint32_t registerOwnWindowMessage(std::u16string_view name);

// Waits for the next message of the calling thread (timers and paints included);
// false once the quit message arrives, whose exit code is then in message.wParam.
bool getMessage(Message& message);
// Takes the next message without waiting; false when there is none.
bool peekMessage(Message& message);
intptr_t dispatchMessage(const Message& message);
// True while the message being dispatched came from another process: its parameters
// are plain numbers there and never addresses of this process.
bool dispatchingMessageFromOtherProcess();
// Runs getMessage/dispatchMessage until quit; returns the quit exit code.
int runMessageLoop();

// Window timers: msg::timer with the id every period, through the loop. Setting an
// existing id restarts it with the new period.
void setTimer(WindowHandle window, uintptr_t id, uint32_t periodMs);
void killTimer(WindowHandle window, uintptr_t id);

// Painting. invalidateRect with no rectangle damages the whole client area. The loop
// sends msg::paint when nothing else is queued; the procedure calls beginPaint, draws
// into the window buffer inside the damaged rectangle, and calls endPaint, which
// presents that rectangle on the screen.
void invalidateRect(WindowHandle window, const Rect* rect = nullptr);
Rect beginPaint(WindowHandle window);
void endPaint(WindowHandle window);
void updateWindow(WindowHandle window); // paints now when damaged
Surface* windowBuffer(WindowHandle window);

// The emulated phone screen and the area left for programs when the task bar shows.
Size screenSize();
Rect workArea();

enum class MessageBoxResult { ok };
// SDL shows a real dialog; headless prints "MESSAGEBOX <caption>: <text>" on standard
// error, records it and answers OK.
MessageBoxResult messageBox(WindowHandle owner, std::u16string_view text,
                            std::u16string_view caption);

} // namespace vantrel::platform
