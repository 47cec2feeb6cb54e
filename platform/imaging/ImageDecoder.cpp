#include "platform/imaging/ImageDecoder.h"

#include "platform/core/Paths.h"
#include "platform/imaging/FormatDecoders.h"
#include "platform/imaging/ImageHeader.h"

namespace vantrel::platform {

DecodedImage decodeImage(std::string_view bytes) {
    // The header scan is the fast refusal: a hostile size, or a PNG whose chunks run past
    // the end, never reaches a decoder. The decoders still set their own limits, since
    // what follows a header may not match it.
    const auto header = readImageHeader(bytes);
    if (!header)
        return imaging::decodeFailure(
            "not a PNG, JPEG, GIF or BMP image, or its header is cut short");
    if (header->width <= 0 || header->height <= 0)
        return imaging::decodeFailure("the image has no pixels");
    if (!imaging::sizeAllowed(header->width, header->height))
        return imaging::decodeFailure("the image is too large: " + std::to_string(header->width) +
                                      " x " + std::to_string(header->height) + " pixels");
    switch (header->format) {
    case ImageFormat::Png:
        return imaging::decodePng(bytes);
    case ImageFormat::Jpeg:
        return imaging::decodeJpeg(bytes);
    case ImageFormat::Gif:
        return imaging::decodeGif(bytes);
    case ImageFormat::Bmp:
        return imaging::decodeBmp(bytes);
    }
    return imaging::decodeFailure("unknown format");
}

DecodedImage decodeImageFile(const std::filesystem::path& file) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec)
        return imaging::decodeFailure("cannot open " + file.string());
    if (size > kMaxImageFileSize)
        return imaging::decodeFailure("the image file is too large: " + file.string());
    std::string bytes;
    if (!readWholeFile(file, bytes))
        return imaging::decodeFailure("cannot read " + file.string());
    return decodeImage(bytes);
}

} // namespace vantrel::platform
