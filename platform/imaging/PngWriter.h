#pragma once
// Writing PNG files: the screenshots of the headless display and test pictures. Plain
// 8-bit RGBA (or RGB for an RGB565 surface), no filtering, zlib-compressed.

#include "platform/gfx/ArgbImage.h"
#include "platform/gfx/Surface.h"

#include <filesystem>
#include <string>

namespace vantrel::platform {

// The complete PNG file; empty when the image is empty or compression fails.
std::string encodePng(const ArgbImage& image);
std::string encodePng(const Surface& surface);

// Encodes and writes the file atomically; false when either fails.
bool writePng(const std::filesystem::path& file, const ArgbImage& image);
bool writePng(const std::filesystem::path& file, const Surface& surface);

} // namespace vantrel::platform
