#pragma once
// Lets the processes of one device find and reach each other's windows. Every process
// that has windows listens on a socket named after its process id in the device's
// "run" folder (mode 0700, so only this user gets in; the peer's user id is checked
// again on every connection). findWindow, postMessage and setForegroundWindow of
// platform/core use it for handles of other processes.

#include <string_view>

namespace vantrel::platform::ipc {

// Opens this process's socket and plugs the channel into the window system. Safe to
// call more than once. False (with a line on standard error) when the run folder or
// the socket cannot be made; windows of this process are then unreachable from others.
bool startWindowChannel();

enum class PostResult { posted, noProgram, failed };

// Posts the registered message `name` to the running program's main window from any
// process of the device (the device tool, the SMS interceptor): found by the class
// and title the program gives it. noProgram when no program runs on the device.
PostResult postToProgram(std::u16string_view name);

} // namespace vantrel::platform::ipc
