#include "platform/display/Screenshot.h"

#include <cstdio>
#include <vector>
#include <zlib.h>

namespace vantrel::platform {

namespace {

void put32(std::vector<unsigned char>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(v >> shift));
}

void chunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
    put32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

} // namespace

bool saveScreenshot(const Surface& screen, const std::string& file, std::string& error) {
    // 8-bit RGB rows, each behind a "no filter" byte.
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<size_t>(screen.height()) * (screen.width() * 3 + 1));
    for (int y = 0; y < screen.height(); ++y) {
        raw.push_back(0);
        for (int x = 0; x < screen.width(); ++x) {
            Colour c = fromPixel565(screen.at(x, y));
            raw.push_back(static_cast<unsigned char>(redOf(c)));
            raw.push_back(static_cast<unsigned char>(greenOf(c)));
            raw.push_back(static_cast<unsigned char>(blueOf(c)));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) {
        error = "cannot compress the screenshot";
        return false;
    }
    packed.resize(packedSize);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    put32(header, static_cast<uint32_t>(screen.width()));
    put32(header, static_cast<uint32_t>(screen.height()));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter, no interlace
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", packed);
    chunk(png, "IEND", {});

    FILE* out = std::fopen(file.c_str(), "wb");
    if (!out || std::fwrite(png.data(), 1, png.size(), out) != png.size()) {
        if (out)
            std::fclose(out);
        error = "cannot write the screenshot " + file;
        return false;
    }
    if (std::fclose(out) != 0) {
        error = "cannot write the screenshot " + file;
        return false;
    }
    return true;
}

} // namespace vantrel::platform
