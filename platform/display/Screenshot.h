#pragma once

#include "platform/gfx/Surface.h"

#include <string>

namespace vantrel::platform {

// Writes the surface as a PNG file; false with a reason when it cannot.
bool saveScreenshot(const Surface& screen, const std::string& file, std::string& error);

} // namespace vantrel::platform
