#include "platform/imaging/FormatDecoders.h"

#include <gif_lib.h>

#include <cstring>
#include <memory>
#include <vector>

namespace vantrel::platform::imaging {

namespace {

struct GifSource {
    std::string_view bytes;
    size_t at = 0;
};

int readBytes(GifFileType* gif, GifByteType* out, int length) {
    auto* source = static_cast<GifSource*>(gif->UserData);
    const size_t n =
        std::min(static_cast<size_t>(std::max(length, 0)), source->bytes.size() - source->at);
    std::memcpy(out, source->bytes.data() + source->at, n);
    source->at += n;
    return static_cast<int>(n);
}

DecodedImage gifFailure(int code) {
    const char* reason = GifErrorString(code);
    return decodeFailure(std::string("cannot decode the GIF image: ") +
                         (reason ? reason : "damaged data"));
}

struct GifCloser {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};

// The transparent colour of the next frame, from its graphics control extension.
int transparentIndexOf(int code, GifByteType* data, int current) {
    GraphicsControlBlock control;
    if (code == GRAPHICS_EXT_FUNC_CODE && data &&
        DGifExtensionToGCB(data[0], data + 1, &control) == GIF_OK)
        return control.TransparentColor;
    return current;
}

} // namespace

DecodedImage decodeGif(std::string_view bytes) {
    GifSource source{bytes};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&source, readBytes, &error));
    if (!gif)
        return gifFailure(error);
    auto failed = [&] { return gifFailure(gif->Error); };
    // Only the first frame is shown. The library is asked for one record at a time so
    // that the frame's size is checked before it allocates anything for the pixels.
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif.get(), &record) != GIF_OK)
            return failed();
        if (record == TERMINATE_RECORD_TYPE)
            return decodeFailure("the GIF image has no frame");
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* data = nullptr;
            if (DGifGetExtension(gif.get(), &code, &data) != GIF_OK)
                return failed();
            transparent = transparentIndexOf(code, data, transparent);
            while (data)
                if (DGifGetExtensionNext(gif.get(), &data) != GIF_OK)
                    return failed();
            continue;
        }
        if (record == IMAGE_DESC_RECORD_TYPE)
            break;
    }
    if (DGifGetImageDesc(gif.get()) != GIF_OK)
        return failed();
    const GifImageDesc& frame = gif->Image;
    // The canvas holds the logical screen and the frame, which may reach beyond it.
    const int64_t width = std::max<int64_t>(gif->SWidth, int64_t(frame.Left) + frame.Width);
    const int64_t height = std::max<int64_t>(gif->SHeight, int64_t(frame.Top) + frame.Height);
    if (frame.Width <= 0 || frame.Height <= 0 || !sizeAllowed(width, height))
        return decodeFailure("the GIF frame is too large or empty");
    const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colours)
        return decodeFailure("the GIF image has no colours");

    // Rows in file order; an interlaced frame stores every 8th row from 0, every 8th
    // from 4, every 4th from 2, then every 2nd from 1.
    std::vector<int> order;
    order.reserve(static_cast<size_t>(frame.Height));
    if (frame.Interlace) {
        for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int y = start; y < frame.Height; y += step)
                order.push_back(y);
    } else {
        for (int y = 0; y < frame.Height; ++y)
            order.push_back(y);
    }
    ArgbImage image(static_cast<int>(width), static_cast<int>(height), 0);
    std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
    for (int y : order) {
        if (DGifGetLine(gif.get(), line.data(), frame.Width) != GIF_OK)
            return failed();
        uint32_t* out =
            &image.pixels[static_cast<size_t>(frame.Top + y) * image.width + frame.Left];
        for (int x = 0; x < frame.Width; ++x) {
            const int index = line[x];
            if (index == transparent)
                continue;
            // An index past the colour table is data damage: black, not a read past it.
            const GifColorType c =
                index < colours->ColorCount ? colours->Colors[index] : GifColorType{0, 0, 0};
            out[x] = argb(255, c.Red, c.Green, c.Blue);
        }
    }
    return {std::move(image), {}};
}

} // namespace vantrel::platform::imaging
