#include "platform/imaging/PngWriter.h"

#include "platform/core/Paths.h"

#include <zlib.h>

namespace vantrel::platform {

namespace {

void appendBigEndian32(std::string& out, uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

void appendChunk(std::string& out, const char* type, const std::string& data) {
    appendBigEndian32(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.append(type, 4);
    out += data;
    const auto* checked = reinterpret_cast<const Bytef*>(out.data() + typeAt);
    appendBigEndian32(out,
                      static_cast<uint32_t>(crc32(0, checked, static_cast<uInt>(4 + data.size()))));
}

// `rows` holds each row prefixed by its filter byte (0, none).
std::string assemble(int width, int height, int colourType, const std::string& rows) {
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(rows.data()), static_cast<uLong>(rows.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        return {};
    packed.resize(packedSize);

    std::string header;
    appendBigEndian32(header, static_cast<uint32_t>(width));
    appendBigEndian32(header, static_cast<uint32_t>(height));
    // Bit depth 8, the colour type, deflate, adaptive filtering, no interlace.
    header += {8, static_cast<char>(colourType), 0, 0, 0};

    std::string png("\x89PNG\r\n\x1A\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", packed);
    appendChunk(png, "IEND", {});
    return png;
}

} // namespace

std::string encodePng(const ArgbImage& image) {
    if (image.isEmpty())
        return {};
    std::string rows;
    rows.reserve(static_cast<size_t>(image.height) * (1 + 4 * image.width));
    for (int y = 0; y < image.height; ++y) {
        rows += '\0';
        for (int x = 0; x < image.width; ++x) {
            const uint32_t p = image.at(x, y);
            rows += {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p),
                     static_cast<char>(p >> 24)};
        }
    }
    return assemble(image.width, image.height, 6, rows);
}

std::string encodePng(const Surface& surface) {
    if (surface.isEmpty())
        return {};
    std::string rows;
    rows.reserve(static_cast<size_t>(surface.height()) * (1 + 3 * surface.width()));
    for (int y = 0; y < surface.height(); ++y) {
        rows += '\0';
        for (int x = 0; x < surface.width(); ++x) {
            const Colour c = fromPixel565(surface.at(x, y));
            rows += {static_cast<char>(redOf(c)), static_cast<char>(greenOf(c)),
                     static_cast<char>(blueOf(c))};
        }
    }
    return assemble(surface.width(), surface.height(), 2, rows);
}

bool writePng(const std::filesystem::path& file, const ArgbImage& image) {
    std::string png = encodePng(image);
    return !png.empty() && writeFileAtomically(file, png);
}

bool writePng(const std::filesystem::path& file, const Surface& surface) {
    std::string png = encodePng(surface);
    return !png.empty() && writeFileAtomically(file, png);
}

} // namespace vantrel::platform
