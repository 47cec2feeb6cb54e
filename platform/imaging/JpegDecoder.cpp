#include "platform/imaging/FormatDecoders.h"

#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace vantrel::platform::imaging {

namespace {

// NOTE: the decoder's working memory beyond the output rows: a progressive picture of
// the largest allowed size keeps its coefficients, 2 bytes for each sample of its three
// components (96 MiB), so this is the limit plus room for tables.
constexpr long maxWorkingMemory = 100l << 20;
// A progressive file may repeat scans without end, each costing a pass over the whole
// picture; real encoders write about ten.
constexpr int maxScans = 500;

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// What the decode changes lives outside the function that calls setjmp (see PngDecoder).
struct JpegRead {
    jpeg_decompress_struct info;
    JpegError error;
    jpeg_progress_mgr progress;
    ArgbImage image;
    std::vector<uint8_t> row;
    std::string refusal;
};

void onError(j_common_ptr info) {
    auto* error = reinterpret_cast<JpegError*>(info->err);
    error->manager.format_message(info, error->message);
    std::longjmp(error->jump, 1);
}

void onMessage(j_common_ptr, int) {}

void limitScans(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number <= maxScans)
        return;
    auto* read = static_cast<JpegRead*>(info->client_data);
    read->refusal = "too many scans";
    std::longjmp(read->error.jump, 1);
}

// CMYK as Adobe writes it (inverted) to RGB.
uint32_t fromInvertedCmyk(const uint8_t* s) {
    auto mix = [k = s[3]](uint8_t c) { return c * k / 255; };
    return argb(255, mix(s[0]), mix(s[1]), mix(s[2]));
}

bool readInto(JpegRead& read, std::string_view bytes) {
    if (setjmp(read.error.jump))
        return false;
    jpeg_create_decompress(&read.info);
    read.info.client_data = &read;
    read.info.mem->max_memory_to_use = maxWorkingMemory;
    read.progress.progress_monitor = limitScans;
    read.info.progress = &read.progress;
    jpeg_mem_src(&read.info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&read.info, TRUE);
    if (!sizeAllowed(read.info.image_width, read.info.image_height)) {
        read.refusal = "the image is too large";
        return false;
    }
    const bool cmyk =
        read.info.jpeg_color_space == JCS_CMYK || read.info.jpeg_color_space == JCS_YCCK;
    read.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    jpeg_start_decompress(&read.info);
    const int width = static_cast<int>(read.info.output_width);
    const int height = static_cast<int>(read.info.output_height);
    if (!sizeAllowed(width, height) || read.info.output_components != 4) {
        read.refusal = "unexpected output layout";
        return false;
    }
    read.image = ArgbImage(width, height);
    read.row.resize(static_cast<size_t>(width) * 4);
    while (read.info.output_scanline < read.info.output_height) {
        const int y = static_cast<int>(read.info.output_scanline);
        JSAMPROW rows[1] = {read.row.data()};
        if (jpeg_read_scanlines(&read.info, rows, 1) != 1)
            break;
        uint32_t* out = &read.image.pixels[static_cast<size_t>(y) * width];
        for (int x = 0; x < width; ++x) {
            const uint8_t* s = &read.row[static_cast<size_t>(x) * 4];
            out[x] = cmyk ? fromInvertedCmyk(s) : argb(255, s[0], s[1], s[2]);
        }
    }
    jpeg_finish_decompress(&read.info);
    return true;
}

} // namespace

DecodedImage decodeJpeg(std::string_view bytes) {
    JpegRead read{};
    read.info.err = jpeg_std_error(&read.error.manager);
    read.error.manager.error_exit = onError;
    read.error.manager.emit_message = onMessage;
    const bool ok = readInto(read, bytes);
    jpeg_destroy_decompress(&read.info);
    if (!ok)
        return decodeFailure(
            "cannot decode the JPEG image: " +
            (read.refusal.empty() ? std::string(read.error.message) : read.refusal));
    return {std::move(read.image), {}};
}

} // namespace vantrel::platform::imaging
