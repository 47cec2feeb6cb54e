#pragma once
// Decoding PNG, JPEG, GIF and BMP pictures, from a file or from memory (a theme archive
// entry), into 32-bit ARGB. Any other format, and any broken, truncated or oversized
// picture, gives an error text instead of an image; nothing is left allocated.

#include "platform/gfx/ArgbImage.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel::platform {

// NOTE: the largest picture decoded: 16 million pixels (4096 x 4096, or a 12-megapixel
// camera photo), 64 MiB as ARGB. The window is 480 x 800, so only contact photos come
// near it; a file declaring more is refused from its header, before the decoder
// allocates anything.
inline constexpr int64_t kMaxImagePixels = kMaxArgbPixels;
inline constexpr int kMaxImageSide = 16384;

// A file larger than this is not read in at all (a 16-megapixel BMP is 64 MiB).
inline constexpr uintmax_t kMaxImageFileSize = 80u << 20;

struct DecodedImage {
    ArgbImage image;
    std::string error; // empty on success

    bool ok() const { return error.empty(); }
};

DecodedImage decodeImage(std::string_view bytes);
DecodedImage decodeImageFile(const std::filesystem::path& file);

} // namespace vantrel::platform
