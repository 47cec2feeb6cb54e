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
//   dump FILE                     writes the window's controls (and the window, task
//                                 bar and input panel) as JSON
//   expect PATH VALUE             fails unless the dumped value at PATH reads VALUE
//                                 ("contactcontainer.visible true", "window.top 0")
//   expect-soon PATH VALUE [MS]   holds until the value reads VALUE (real time, for
//                                 changes made by other processes), else fails
//   sip-rect L T R B              places the input panel
//   expect-box TEXT               fails unless a message box with that "caption: text"
//                                 was shown
void addAppScriptCommands(platform::ScriptRunner& runner);

} // namespace vantrel
