#pragma once
// Reading what an image file says about itself before anything is decoded: its format
// and its size. The decoder uses it to refuse formats it does not take and pictures whose
// size would need an absurd amount of memory, before any pixel memory is allocated.

#include <optional>
#include <string_view>

namespace vantrel::platform {

enum class ImageFormat { Png, Jpeg, Gif, Bmp };

struct ImageHeader {
    ImageFormat format = ImageFormat::Png;
    int width = 0; // as declared; may be zero or absurd in a hostile file
    int height = 0;
};

// The format and declared size; none when the bytes are not the start of a PNG, JPEG, GIF
// or BMP file or end before the size is stated.
std::optional<ImageHeader> readImageHeader(std::string_view bytes);

} // namespace vantrel::platform
