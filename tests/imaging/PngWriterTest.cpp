#include "platform/imaging/PngWriter.h"

#include "platform/imaging/ImageDecoder.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <random>

using namespace vantrel::platform;

namespace {

TEST(PngWriter, ArgbImagesRoundTripThroughTheDecoder) {
    ArgbImage image(7, 5);
    std::mt19937 random(41);
    for (auto& p : image.pixels)
        p = random() | 0xFF000000u; // straight alpha only survives exactly when opaque
    image.set(3, 2, argb(0, 0, 0, 0));
    image.set(4, 2, argb(128, 10, 20, 30));
    DecodedImage decoded = decodeImage(encodePng(image));
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.image.width, 7);
    EXPECT_EQ(decoded.image.height, 5);
    EXPECT_EQ(decoded.image.pixels, image.pixels);
}

TEST(PngWriter, SurfacesAreWrittenAsTheirColours) {
    Surface surface(3, 2);
    surface.set(0, 0, toPixel565(rgb(255, 128, 0)));
    surface.set(2, 1, 0xFFFF);
    auto file = vantrel::test::freshFolder("png") / "shot.png";
    ASSERT_TRUE(writePng(file, surface));
    DecodedImage decoded = decodeImageFile(file);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.image.pixels, fromRgb565(surface).pixels);
    EXPECT_FALSE(writePng(file, Surface{})) << "nothing to write";
}

} // namespace
