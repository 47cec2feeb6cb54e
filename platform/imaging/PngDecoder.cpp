#include "platform/imaging/FormatDecoders.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace vantrel::platform::imaging {

namespace {

// NOTE: the largest ancillary chunk libpng may hold in memory, compressed text and colour
// profiles included once inflated. Nothing we draw needs one; a decompression bomb in a
// text chunk is cut off here rather than inflated to gigabytes.
constexpr png_alloc_size_t maxChunkBytes = 1u << 20;
constexpr png_uint_32 maxCachedChunks = 128;

// Everything the decode changes lives here, outside the function that calls setjmp, so
// nothing of it is left indeterminate when libpng jumps back on an error.
struct PngRead {
    std::string_view bytes;
    size_t at = 0;
    std::string error;
    ArgbImage image;
    std::vector<png_bytep> rows;
};

void readBytes(png_structp png, png_bytep out, size_t length) {
    auto* read = static_cast<PngRead*>(png_get_io_ptr(png));
    // A short read is an error, never stale buffer contents: libpng would otherwise keep
    // "reading" a chunk that claims more bytes than the file holds.
    if (length > read->bytes.size() - read->at)
        png_error(png, "the file ends inside a chunk");
    std::memcpy(out, read->bytes.data() + read->at, length);
    read->at += length;
}

void onError(png_structp png, png_const_charp message) {
    static_cast<PngRead*>(png_get_error_ptr(png))->error = message;
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

bool readInto(png_structp png, png_infop info, PngRead& read) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_set_chunk_malloc_max(png, maxChunkBytes);
    png_set_chunk_cache_max(png, maxCachedChunks);
    png_set_read_fn(png, &read, readBytes);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (!sizeAllowed(width, height)) {
        read.error = "the image is too large";
        return false;
    }
    // Every colour type and depth becomes 8-bit RGBA.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) {
        read.error = "unexpected row layout";
        return false;
    }
    read.image = ArgbImage(static_cast<int>(width), static_cast<int>(height));
    read.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        read.rows[y] = reinterpret_cast<png_bytep>(&read.image.pixels[size_t(y) * width]);
    png_read_image(png, read.rows.data());
    png_read_end(png, nullptr);
    return true;
}

} // namespace

DecodedImage decodePng(std::string_view bytes) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return decodeFailure("cannot start the PNG decoder");
    }
    PngRead read{bytes};
    png_set_error_fn(png, &read, onError, onWarning);
    const bool ok = readInto(png, info, read);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok)
        return decodeFailure("cannot decode the PNG image: " + read.error);
    // The rows hold R, G, B, A bytes; the image wants 0xAARRGGBB words.
    for (uint32_t& pixel : read.image.pixels) {
        uint8_t c[4];
        std::memcpy(c, &pixel, 4);
        pixel = argb(c[3], c[0], c[1], c[2]);
    }
    return {std::move(read.image), {}};
}

} // namespace vantrel::platform::imaging
