#pragma once
// The four format readers behind decodeImage. Each is handed a whole file whose header
// already passed the size limit, and sets its library's own limits before the library
// allocates anything, since a header can lie about what follows it.

#include "platform/imaging/ImageDecoder.h"

#include <string_view>

namespace vantrel::platform::imaging {

DecodedImage decodePng(std::string_view bytes);
DecodedImage decodeJpeg(std::string_view bytes);
// The first frame, on a canvas as large as the logical screen and the frame together.
DecodedImage decodeGif(std::string_view bytes);
// Uncompressed and bit-field BMPs of 1, 4, 8, 16, 24 and 32 bits per pixel.
DecodedImage decodeBmp(std::string_view bytes);

// True when a picture of this size may be decoded at all.
inline bool sizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

inline DecodedImage decodeFailure(std::string error) {
    return {ArgbImage{}, std::move(error)};
}

} // namespace vantrel::platform::imaging
