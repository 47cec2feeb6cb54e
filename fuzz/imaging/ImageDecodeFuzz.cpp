// Feeds arbitrary bytes to the image decoder as a theme archive entry would: every input
// must give an image within the size limit, converted for drawing, or an error.

#include "platform/imaging/ImageDecoder.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vantrel::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodedImage decoded = decodeImage(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!decoded.ok())
        return 0;
    const ArgbImage& image = decoded.image;
    if (image.isEmpty() || static_cast<int64_t>(image.width) * image.height > kMaxImagePixels ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height)
        std::abort();
    toRgb565(image);
    return 0;
}
