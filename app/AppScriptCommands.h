#pragma once

#include "platform/display/ScriptRunner.h"

namespace vantrel {

// Adds the product's own script commands to the platform's:
//   print TEXT...                 prints the words on standard output
//   received                      prints the registered messages the window handled
//   expect-message NAME [MS]      holds until the main window handled NAME (real time,
//                                 default 5000 ms), else fails
//   expect-stylus [MS]            holds until the stylus goes down on the main window
//                                 (real time, default 5000 ms) and prints
//                                 "stylus down X Y" in client coordinates
//   dump, expect, expect-soon     as for every scripted window (ui/DumpCommands.h),
//                                 with "window.", "taskbar." and "sip." paths for the
//                                 window's place, the task bar and the input panel
//   sip-rect L T R B              places the input panel
//   expect-rows N [MS]            holds (real time, default 5000 ms) until the contact list
//                                 shows at least N rows, without dumping anything
//   expect-loaded [MS]            holds until the contact list's full load has ended
//   expect-box TEXT               fails unless a message box with that "caption: text"
//                                 was shown
//   go-to options                 opens the options page over the current screen
void addAppScriptCommands(platform::ScriptRunner& runner);

} // namespace vantrel
