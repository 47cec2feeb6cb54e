#include "platform/imaging/ImageDecoder.h"

#include "platform/core/Paths.h"
#include "platform/imaging/ImageHeader.h"
#include "platform/imaging/PngWriter.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>

#include <array>
#include <atomic>
#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <thread>

using namespace vantrel::platform;
using namespace vantrel::test;

namespace {

void putLittleEndian(std::string& b, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b[at + i] = static_cast<char>(v >> (8 * i));
}

// A 24-bit BMP of 2 x 2 pixels: red, green on the top row, blue, white below. Rows are
// stored bottom-up (or top-down when `topDown`), padded to 4 bytes.
std::string bmp2x2(bool topDown) {
    std::string b(54 + 16, '\0');
    b[0] = 'B';
    b[1] = 'M';
    putLittleEndian(b, 2, static_cast<uint32_t>(b.size()), 4);
    putLittleEndian(b, 10, 54, 4);
    putLittleEndian(b, 14, 40, 4);
    putLittleEndian(b, 18, 2, 4);
    putLittleEndian(b, 22, topDown ? static_cast<uint32_t>(-2) : 2u, 4);
    putLittleEndian(b, 26, 1, 2);
    putLittleEndian(b, 28, 24, 2);
    const char top[] = {0, 0, '\xFF', 0, '\xFF', 0, 0, 0};              // red, green (BGR)
    const char bottom[] = {'\xFF', 0, 0, '\xFF', '\xFF', '\xFF', 0, 0}; // blue, white
    b.replace(54, 8, topDown ? top : bottom, 8);
    b.replace(62, 8, topDown ? bottom : top, 8);
    return b;
}

// The one-pixel transparent GIF every web page once carried.
const std::string kTransparentGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00"
                                  "!\xF9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01"
                                  "\x00\x00\x02\x02\x44\x01\x00;",
                                  43);

// A baseline JPEG of one colour, written by libjpeg.
std::string flatJpeg(int width, int height, std::array<uint8_t, 3> rgb) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row;
    for (int x = 0; x < width; ++x)
        row.insert(row.end(), rgb.begin(), rgb.end());
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(out), size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

// The pixel size PngSuite's naming gives: "sNN" files are NN x NN, the three
// pixel-aspect files have their own sizes, the rest are 32 x 32.
Size pngSuiteSize(const std::string& name) {
    if (std::smatch m; std::regex_match(name, m, std::regex("s(\\d\\d)[in].*")))
        return {std::stoi(m[1]), std::stoi(m[1])};
    if (name.starts_with("cdf"))
        return {8, 32};
    if (name.starts_with("cdh"))
        return {32, 8};
    if (name.starts_with("cds"))
        return {8, 8};
    return {32, 32};
}

TEST(ImageDecoder, EveryValidPngSuiteFileDecodesToItsSizeAndEveryBrokenOneIsRefused) {
    VT_REQUIRE_SHARED_TESTDATA(suite, "pngsuite");
    int valid = 0, broken = 0;
    for (const auto& entry : std::filesystem::directory_iterator(suite)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".png")
            continue;
        DecodedImage decoded = decodeImageFile(entry.path());
        if (name[0] == 'x') {
            ++broken;
            EXPECT_FALSE(decoded.ok()) << name;
            EXPECT_TRUE(decoded.image.isEmpty()) << name;
            continue;
        }
        ++valid;
        ASSERT_TRUE(decoded.ok()) << name << ": " << decoded.error;
        EXPECT_EQ(Size(decoded.image.width, decoded.image.height), pngSuiteSize(name)) << name;
    }
    EXPECT_GT(valid, 100);
    EXPECT_GT(broken, 10);
}

TEST(ImageDecoder, InterlacedAndPlainPngSuiteFilesGiveTheSamePixels) {
    VT_REQUIRE_SHARED_TESTDATA(suite, "pngsuite");
    for (const char* kind : {"0g01", "0g16", "2c08", "2c16", "3p02", "4a08", "6a16"}) {
        DecodedImage plain = decodeImageFile(suite / (std::string("basn") + kind + ".png"));
        DecodedImage interlaced = decodeImageFile(suite / (std::string("basi") + kind + ".png"));
        ASSERT_TRUE(plain.ok() && interlaced.ok()) << kind;
        EXPECT_EQ(plain.image.pixels, interlaced.image.pixels) << kind;
    }
}

TEST(ImageDecoder, PngTransparencyBecomesAlpha) {
    VT_REQUIRE_SHARED_TESTDATA(suite, "pngsuite");
    auto alphas = [&](const char* name) {
        std::set<int> seen;
        for (uint32_t p : decodeImageFile(suite / name).image.pixels)
            seen.insert(alphaOf(p));
        return seen;
    };
    EXPECT_EQ(alphas("basn2c08.png"), std::set<int>{255});
    EXPECT_TRUE(alphas("tbbn3p08.png").count(0)) << "palette transparency";
    EXPECT_TRUE(alphas("tbrn2c08.png").count(0)) << "colour-key transparency";
    EXPECT_GT(alphas("basn6a08.png").size(), 16u) << "a real alpha channel";

    Rgb565Image opaque = toRgb565(decodeImageFile(suite / "basn2c08.png").image);
    EXPECT_FALSE(opaque.hasAlpha()) << "opaque pictures take the plain copy";
    EXPECT_TRUE(toRgb565(decodeImageFile(suite / "basn6a08.png").image).hasAlpha());
}

TEST(ImageDecoder, BmpRowsComeOutUprightInEitherOrder) {
    for (bool topDown : {false, true}) {
        DecodedImage decoded = decodeImage(bmp2x2(topDown));
        ASSERT_TRUE(decoded.ok()) << decoded.error;
        ASSERT_EQ(decoded.image.width, 2);
        ASSERT_EQ(decoded.image.height, 2);
        EXPECT_EQ(decoded.image.at(0, 0), argb(255, 255, 0, 0));
        EXPECT_EQ(decoded.image.at(1, 0), argb(255, 0, 255, 0));
        EXPECT_EQ(decoded.image.at(0, 1), argb(255, 0, 0, 255));
        EXPECT_EQ(decoded.image.at(1, 1), argb(255, 255, 255, 255));
    }
}

TEST(ImageDecoder, GifAndJpegDecode) {
    DecodedImage gif = decodeImage(kTransparentGif);
    ASSERT_TRUE(gif.ok()) << gif.error;
    EXPECT_EQ(gif.image.width, 1);
    EXPECT_EQ(alphaOf(gif.image.at(0, 0)), 0);

    // A JPEG written by the codec library itself, with a flat orange 40 x 24 picture.
    const std::string jpeg = flatJpeg(40, 24, {255, 128, 0});
    auto header = readImageHeader(jpeg);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->format, ImageFormat::Jpeg);
    EXPECT_EQ(header->width, 40);
    EXPECT_EQ(header->height, 24);
    DecodedImage photo = decodeImage(jpeg);
    ASSERT_TRUE(photo.ok()) << photo.error;
    const uint32_t middle = photo.image.at(20, 12);
    EXPECT_NEAR(static_cast<int>((middle >> 16) & 0xFF), 255, 8);
    EXPECT_NEAR(static_cast<int>((middle >> 8) & 0xFF), 128, 8);
    EXPECT_NEAR(static_cast<int>(middle & 0xFF), 0, 8);
}

TEST(ImageDecoder, PaletteAndBitFieldBmpsKeepTheirColoursAndAlpha) {
    // 8 bits: a palette of two entries (blue, red), pixels 1 then 0.
    std::string palette = bmp2x2(false);
    putLittleEndian(palette, 10, 54 + 8, 4);
    putLittleEndian(palette, 28, 8, 2);
    putLittleEndian(palette, 46, 2, 4);
    palette.replace(54, 16, std::string("\xFF\0\0\0\0\0\xFF\0\1\0\0\0\1\0\0\0", 16));
    DecodedImage decoded = decodeImage(palette);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.image.at(0, 0), argb(255, 255, 0, 0));
    EXPECT_EQ(decoded.image.at(1, 1), argb(255, 0, 0, 255));

    // 32 bits with masks for R, G, B and A: a half-transparent green over bottom-up rows.
    std::string fields(54 + 16 + 16, '\0');
    fields.replace(0, 2, "BM");
    putLittleEndian(fields, 10, 54 + 16, 4);
    putLittleEndian(fields, 14, 40, 4);
    putLittleEndian(fields, 18, 2, 4);
    putLittleEndian(fields, 22, 2, 4);
    putLittleEndian(fields, 28, 32, 2);
    putLittleEndian(fields, 30, 6, 4); // bit fields with alpha
    for (auto [at, mask] : {std::pair{54, 0xFF000000u}, {58, 0x00FF0000u}, {62, 0x0000FF00u},
                            {66, 0x000000FFu}})
        putLittleEndian(fields, at, mask, 4);
    for (int p = 0; p < 4; ++p)
        putLittleEndian(fields, 70 + 4 * p, 0x00FF0080u, 4);
    decoded = decodeImage(fields);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.image.at(1, 0), argb(0x80, 0, 255, 0));

    // Plain 32 bits whose fourth byte is zero everywhere: opaque, not invisible.
    putLittleEndian(fields, 30, 0, 4);
    for (int p = 0; p < 4; ++p)
        putLittleEndian(fields, 70 + 4 * p, 0x00123456u, 4);
    decoded = decodeImage(fields);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.image.at(0, 1), argb(255, 0x12, 0x34, 0x56));

    putLittleEndian(fields, 30, 1, 4); // run-length compression
    EXPECT_FALSE(decodeImage(fields).ok());
}

// Two GIFs that once made the decoder ask for two gigabytes and free memory it never
// allocated. Their size is small, so they pass the header scan; the frame reader itself
// must hold.
TEST(ImageDecoder, GifsThatBrokeTheOldDecoderAreSafe) {
    const std::filesystem::path corpus =
        std::filesystem::path(VANTREL_SOURCE_DIR) / "fuzz" / "corpus" / "fuzz_imaging_decode";
    for (const char* name : {"huge-frame-request.gif", "bad-free.gif"}) {
        std::string bytes;
        ASSERT_TRUE(readWholeFile(corpus / name, bytes)) << name;
        DecodedImage decoded = decodeImage(bytes);
        if (decoded.ok()) {
            EXPECT_LE(int64_t(decoded.image.width) * decoded.image.height, 300) << name;
        } else {
            EXPECT_TRUE(decoded.image.isEmpty()) << name;
        }
    }
    // A frame that reaches past the logical screen widens the canvas; the rest of the
    // canvas is transparent.
    std::string wide = kTransparentGif;
    wide[28] = 2; // the frame starts at x = 2 of a 1 x 1 screen
    DecodedImage decoded = decodeImage(wide);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.image.width, 3);
    EXPECT_EQ(decoded.image.at(0, 0), 0u);
}

TEST(ImageDecoder, EnormousDeclaredSizesAreRefusedFromTheHeader) {
    // PNG: a real file with its IHDR size rewritten (the checksum no longer matters: the
    // size is refused before the decoder reads on).
    std::string png = encodePng(ArgbImage(4, 4, argb(255, 1, 2, 3)));
    png[16] = '\x00', png[17] = '\x01', png[18] = '\x00', png[19] = '\x00'; // 65536 wide
    png[20] = '\x00', png[21] = '\x01', png[22] = '\x00', png[23] = '\x00'; // 65536 high
    DecodedImage decoded = decodeImage(png);
    EXPECT_FALSE(decoded.ok());
    EXPECT_NE(decoded.error.find("too large"), std::string::npos) << decoded.error;

    std::string bmp = bmp2x2(false);
    putLittleEndian(bmp, 18, 30000, 4);
    putLittleEndian(bmp, 22, 30000, 4);
    EXPECT_NE(decodeImage(bmp).error.find("too large"), std::string::npos);
    putLittleEndian(bmp, 18, static_cast<uint32_t>(-5), 4);
    EXPECT_FALSE(decodeImage(bmp).ok());

    std::string gif = kTransparentGif;
    gif[6] = gif[7] = gif[8] = gif[9] = '\xFF'; // the screen
    EXPECT_NE(decodeImage(gif).error.find("too large"), std::string::npos);
    gif = kTransparentGif;
    gif[35] = gif[36] = gif[37] = gif[38] = '\xFF'; // only the frame
    EXPECT_NE(decodeImage(gif).error.find("too large"), std::string::npos);

    // JPEG: a start of frame declaring 65535 x 65535 after an application segment.
    const std::string jpeg("\xFF\xD8\xFF\xE0\x00\x04\x00\x00\xFF\xFF\xC0\x00\x0B\x08\xFF\xFF"
                           "\xFF\xFF\x01\x01\x11\x00",
                           22);
    auto header = readImageHeader(jpeg);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, 65535);
    EXPECT_NE(decodeImage(jpeg).error.find("too large"), std::string::npos);
}

TEST(ImageDecoder, TruncatedCorruptAndForeignDataIsRefusedWithoutACrash) {
    ArgbImage picture(16, 9);
    std::mt19937 random(31);
    for (auto& p : picture.pixels)
        p = random();
    const std::string png = encodePng(picture);
    // Cut anywhere before the end marker the picture is refused; with only the end marker
    // missing it is whole and may be taken.
    const size_t endMarker = png.size() - 12;
    for (size_t cut = 0; cut < png.size(); cut += 3) {
        DecodedImage d = decodeImage(png.substr(0, cut));
        if (cut < endMarker) {
            EXPECT_FALSE(d.ok()) << "cut at " << cut;
        } else if (d.ok()) {
            EXPECT_EQ(d.image.pixels, picture.pixels) << "cut at " << cut;
        }
    }
    for (const std::string& bytes : {bmp2x2(false), kTransparentGif})
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            DecodedImage d = decodeImage(bytes.substr(0, cut));
            if (d.ok()) { // a decoder may fill a cut-off tail; the size still holds
                EXPECT_LE(d.image.width * d.image.height, 4) << "cut at " << cut;
            }
        }

    // Random damage: a picture either decodes at its own size or is refused.
    for (int round = 0; round < 200; ++round) {
        std::string damaged = png;
        for (int i = 0; i < 3; ++i)
            damaged[8 + random() % (damaged.size() - 8)] = static_cast<char>(random());
        DecodedImage d = decodeImage(damaged);
        if (d.ok()) {
            EXPECT_LE(static_cast<int64_t>(d.image.width) * d.image.height, kMaxImagePixels);
        } else {
            EXPECT_TRUE(d.image.isEmpty());
        }
    }

    EXPECT_FALSE(decodeImage("").ok());
    EXPECT_FALSE(decodeImage("P6\n2 2\n255\n............").ok()) << "a format we do not take";
    EXPECT_FALSE(decodeImageFile(freshFolder("none") / "absent.png").ok());
}

TEST(ImageDecoder, AChunkLongerThanTheFileIsRefusedBeforeDecoding) {
    std::string png = encodePng(ArgbImage(4, 4, argb(255, 1, 2, 3)));
    ASSERT_TRUE(decodeImage(png).ok());
    // An ancillary chunk after the header that claims two gigabytes, then the real rest:
    // the decoder would read far past the end of the file.
    std::string lying = png.substr(0, 33) + std::string("\x7F\xFF\xFF\xF0gAMA\0\0\0\0", 12) +
                        png.substr(33);
    DecodedImage d = decodeImage(lying);
    EXPECT_FALSE(d.ok());
    EXPECT_TRUE(d.image.isEmpty());
}

// The contact loader decodes pictures while the interface thread decodes theme images.
TEST(ImageDecoder, ThreadsDecodeSideBySide) {
    ArgbImage picture(24, 16);
    std::mt19937 random(51);
    for (auto& p : picture.pixels)
        p = random() | 0xFF000000u;
    const std::string png = encodePng(picture);
    const std::string bmp = bmp2x2(true);
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                const bool usePng = (t + i) % 2 == 0;
                DecodedImage d = decodeImage(usePng ? png : bmp);
                const bool right = usePng ? d.image.pixels == picture.pixels
                                          : d.ok() && d.image.at(1, 1) == argb(255, 255, 255, 255);
                wrong += right ? 0 : 1;
                wrong += decodeImage(png.substr(0, 40)).ok() ? 1 : 0;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
