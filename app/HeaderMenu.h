#pragma once
// The menu a page's header opens: the page's own entries, then the input panel's
// ("Choose SIP" with one entry per installed input method, "Show SIP") and "Cancel".

#include "platform/core/Window.h"

namespace vantrel {

// Makes every header of the program open this menu.
void installHeaderMenu(platform::WindowHandle mainWindow);

} // namespace vantrel
