#pragma once
// The program's entry: one main window per device, the command line handed to the
// running instance or to the new one, and the one-time initialisation that builds
// everything on the window's first activation.

#include "platform/core/Window.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::u16string_view mainWindowClass =
    u"VANTREL-{15AF558C-BBDF-451e-B960-D18514426FFE}";
inline constexpr std::u16string_view mainWindowTitle = u"Vantrel Contact";

// Opens the screen; called only when this process is going to own the main window, so
// a second start that merely forwards never opens a window. False when it failed.
using DisplayOpener = std::function<bool()>;

// Returns the exit code: 0 when another instance took the command line or the window
// could not be made, else the quit message's code.
int vantrelMain(const std::u16string& commandLine, platform::Show show,
                const DisplayOpener& openDisplay);

// True when this process owns the main window and must run its loop.
bool initInstance(platform::Show show, const std::u16string& commandLine,
                  const DisplayOpener& openDisplay);

// Posts at most one go-to message to `target`, or shows the invalid-argument box.
void handleCommandLine(platform::WindowHandle target, std::u16string_view commandLine);

// Runs once per process on the first activation; true when initialised.
bool initialiseOnce(platform::WindowHandle mainWindow);

platform::WindowHandle mainWindow();
int mainWindowWidth();
// The screen height below the main window's top edge.
int screenHeightBelowWindowTop();
// The "SmsBuffer" block the program made at start-up; empty when it could not be made.
std::span<uint8_t> smsBufferBlock();
// The last unread-SMS count read from the system.
int unreadSmsCount();
void setUnreadSmsCount(int count);

} // namespace vantrel
