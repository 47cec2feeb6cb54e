#include "graphics/Image.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/imaging/PngWriter.h"
#include "platform/zip/ZipArchive.h"
#include "tests/gfx/GfxReference.h"
#include "tests/support/TestFolders.h"
#include "tests/zip/ZipBuilder.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace platform;

constexpr Pixel565 white = 0xFFFF;
constexpr Pixel565 black = 0x0000;

Surface whiteSurface(int width, int height) {
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        std::fill_n(s.row(y), width, white);
    return s;
}

// A picture whose every pixel is different, so misplaced rows or columns show.
ArgbImage gradientPicture(int width, int height, int alpha = 255) {
    ArgbImage picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.set(x, y, argb(alpha, x * 255 / width, y * 255 / height, (x + y) % 256));
    return picture;
}

std::unique_ptr<Image> imageOf(ArgbImage picture, bool prepared = true) {
    auto image = Image::FromArgb(std::move(picture), u"test", prepared);
    EXPECT_TRUE(image);
    return image;
}

int countDifferent(const Surface& surface, const Rect& outside, Pixel565 expected) {
    int count = 0;
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x)
            if (!outside.contains({x, y}) && surface.at(x, y) != expected)
                ++count;
    return count;
}

TEST(Image, OpaquePictureIsPreparedWithoutMaskAndCopiedRowByRow) {
    ArgbImage picture = gradientPicture(7, 5);
    auto image = imageOf(picture);
    EXPECT_TRUE(image->isPrepared());
    EXPECT_FALSE(image->hasAlpha());

    Surface surface = whiteSurface(20, 20);
    image->drawAt(surface, 3, 4, surface.bounds());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(surface.at(3 + x, 4 + y), argbToPixel565(picture.at(x, y))) << x << "," << y;
    EXPECT_EQ(countDifferent(surface, Rect::fromSize(3, 4, 7, 5), white), 0);
}

TEST(Image, TranslucentPictureBlendsAndTransparentPixelsLeaveTheBuffer) {
    ArgbImage picture(3, 1);
    picture.set(0, 0, argb(0, 0, 0, 0));
    picture.set(1, 0, argb(128, 0, 0, 0));
    picture.set(2, 0, argb(255, 0, 0, 0));
    auto image = imageOf(picture);
    ASSERT_TRUE(image->hasAlpha());

    Surface surface = whiteSurface(3, 1);
    image->drawAt(surface, 0, 0, surface.bounds());
    EXPECT_EQ(surface.at(0, 0), white);
    EXPECT_EQ(surface.at(1, 0), (15 << 11) | (31 << 5) | 15);
    EXPECT_EQ(surface.at(2, 0), black);
}

TEST(Image, MaskedDrawingMatchesThePlainBlendOnRandomPictures) {
    std::mt19937 random(1234);
    for (int round = 0; round < 20; ++round) {
        int w = test::randomIn(random, 1, 40), h = test::randomIn(random, 1, 40);
        ArgbImage picture(w, h);
        for (uint32_t& p : picture.pixels)
            p = static_cast<uint32_t>(random());
        picture.pixels[0] &= 0x00FFFFFF; // at least one translucent pixel
        auto image = imageOf(picture);
        Surface surface = test::randomSurface(random, 50, 50);
        Surface expected = surface;
        int x = test::randomIn(random, -20, 45), y = test::randomIn(random, -20, 45);
        Rect clip = Rect::fromSize(test::randomIn(random, 0, 30), test::randomIn(random, 0, 30),
                                   test::randomIn(random, 0, 30), test::randomIn(random, 0, 30));
        image->drawAt(surface, x, y, clip);
        Rect visible = Rect::fromSize(x, y, w, h).intersected(clip).intersected(surface.bounds());
        for (int py = visible.top; py < visible.bottom; ++py)
            for (int px = visible.left; px < visible.right; ++px) {
                uint32_t s = picture.at(px - x, py - y);
                int alpha = alphaOf(s);
                Pixel565 d = expected.at(px, py);
                expected.set(px, py,
                             alpha == 0     ? d
                             : alpha == 255 ? argbToPixel565(s)
                                            : test::referenceBlend(d, argbToPixel565(s), alpha));
            }
        ASSERT_EQ(test::firstDifference(surface, expected), "") << "round " << round;
    }
}

TEST(Image, DrawingStaysInsideTheClipAndTheDestination) {
    auto image = imageOf(gradientPicture(10, 10));
    Surface surface = whiteSurface(30, 30);
    // A destination smaller than the picture cuts it; the clip cuts further.
    image->draw(surface, Rect::fromSize(5, 5, 6, 6), Rect{0, 0, 9, 30}, false);
    Rect painted{5, 5, 9, 11};
    EXPECT_EQ(countDifferent(surface, painted, white), 0);
    EXPECT_EQ(surface.at(5, 5), argbToPixel565(gradientPicture(10, 10).at(0, 0)));
    EXPECT_EQ(surface.at(8, 10), argbToPixel565(gradientPicture(10, 10).at(3, 5)));
}

TEST(Image, StretchToItsOwnSizeCopiesAndInvertedCopyInvertsEveryBit) {
    ArgbImage picture = gradientPicture(6, 4);
    auto image = imageOf(picture);
    Surface natural = whiteSurface(10, 10), stretched = whiteSurface(10, 10);
    image->drawAt(natural, 2, 2, natural.bounds());
    image->draw(stretched, Rect::fromSize(2, 2, 6, 4), stretched.bounds(), true);
    EXPECT_EQ(test::firstDifference(natural, stretched), "");

    Surface inverted = whiteSurface(10, 10);
    image->drawAt(inverted, 2, 2, inverted.bounds(), RasterOp::InvertedCopy);
    EXPECT_EQ(inverted.at(2, 2), static_cast<Pixel565>(~natural.at(2, 2)));
    EXPECT_EQ(inverted.at(7, 5), static_cast<Pixel565>(~natural.at(7, 5)));
}

TEST(Image, ShrinkingAveragesInsteadOfPickingPixels) {
    // Alternating black and white columns: nearest-neighbour shrinking would give
    // pure black or white, averaging gives grey.
    ArgbImage stripes(8, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            stripes.set(x, y, x % 2 ? argb(255, 255, 255, 255) : argb(255, 0, 0, 0));
    auto image = imageOf(stripes);
    Surface surface(4, 1);
    image->draw(surface, Rect{0, 0, 4, 1}, surface.bounds(), true);
    for (int x = 0; x < 4; ++x) {
        int red = redOf(fromPixel565(surface.at(x, 0)));
        EXPECT_GT(red, 100) << x;
        EXPECT_LT(red, 160) << x;
    }
}

TEST(Image, UnpreparedImageStillDraws) {
    ArgbImage picture = gradientPicture(4, 4);
    auto image = imageOf(picture, false);
    EXPECT_FALSE(image->isPrepared());
    Surface surface = whiteSurface(4, 4);
    image->drawAt(surface, 0, 0, surface.bounds());
    EXPECT_EQ(surface.at(3, 3), argbToPixel565(picture.at(3, 3)));
}

TEST(Image, ReflectionIsOnePointSixTallWithAlphaFallingFrom160ToZero) {
    ArgbImage picture = gradientPicture(4, 10);
    picture.set(1, 9, argb(128, 10, 20, 30)); // existing alpha is multiplied in
    auto image = imageOf(picture);
    auto reflection = image->createReflection();
    ASSERT_TRUE(reflection);
    ASSERT_EQ(reflection->size(), (Size{4, 16}));
    ASSERT_TRUE(reflection->hasAlpha());
    const auto& mask = reflection->alphaMask();
    auto alphaAt = [&](int x, int y) { return mask[static_cast<size_t>(y) * 4 + x]; };
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(alphaAt(0, y), 255);
    EXPECT_EQ(alphaAt(0, 10), 160);
    EXPECT_EQ(alphaAt(1, 10), 128 * 160 / 255);
    EXPECT_EQ(alphaAt(0, 15), 0);
    for (int y = 11; y < 16; ++y)
        EXPECT_LT(alphaAt(0, y), alphaAt(0, y - 1));
    // The row below the picture mirrors its last row.
    EXPECT_EQ(reflection->pixels().at(2, 10), argbToPixel565(picture.at(2, 9)));
    EXPECT_EQ(reflection->pixels().at(2, 12), argbToPixel565(picture.at(2, 7)));
    EXPECT_EQ(reflection->pixels().at(3, 4), argbToPixel565(picture.at(3, 4)));
}

TEST(Image, FittedDrawingCentresSmallPicturesAndShrinksLargeOnes) {
    auto small = imageOf(ArgbImage(10, 6, argb(255, 0, 0, 0)));
    Surface surface = whiteSurface(100, 100);
    small->drawFitted(surface, Rect{0, 0, 100, 100}, surface.bounds());
    EXPECT_EQ(countDifferent(surface, Rect::fromSize(45, 47, 10, 6), white), 0);
    EXPECT_EQ(surface.at(45, 47), black);
    EXPECT_EQ(surface.at(54, 52), black);

    auto wide = imageOf(ArgbImage(200, 100, argb(255, 0, 0, 0)));
    surface = whiteSurface(100, 100);
    wide->drawFitted(surface, Rect{0, 0, 100, 100}, surface.bounds());
    Rect fitted{0, 25, 100, 75};
    EXPECT_EQ(countDifferent(surface, fitted, white), 0);
    EXPECT_EQ(surface.at(0, 25), black);
    EXPECT_EQ(surface.at(99, 74), black);
}

TEST(Image, LoadsFromTheProgramFolderFromArchivesAndRefusesBrokenData) {
    ArgbImage picture = gradientPicture(5, 3);
    ASSERT_TRUE(writePng(programFolder() / "pic.png", picture));
    auto fromFile = Image::FromFile(u"pic.png", true);
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(fromFile->size(), (Size{5, 3}));
    EXPECT_EQ(fromFile->name(), u"pic.png");
    EXPECT_FALSE(Image::FromFile(u"missing.png", true));

    std::string png = encodePng(picture);
    auto zipFile = test::freshFolder("img") / "theme.zip";
    ASSERT_TRUE(test::writeZip(zipFile, {{"Images/Pic.PNG", png}, {"bad.png", png.substr(0, 40)}}));
    auto archive = ZipArchive::open(zipFile);
    ASSERT_TRUE(archive);
    auto fromArchive = Image::FromArchive(archive.get(), u"images\\pic.png", true);
    ASSERT_TRUE(fromArchive);
    EXPECT_EQ(fromArchive->name(), u"zip_Images/Pic.PNG");
    EXPECT_FALSE(Image::FromArchive(archive.get(), u"bad.png", true));
    EXPECT_FALSE(Image::FromArchive(archive.get(), u"none.png", true));
    EXPECT_FALSE(Image::FromArchive(nullptr, u"pic.png", true));

    EXPECT_FALSE(Image::FromMemory("not a picture", u"x", true));
    EXPECT_FALSE(Image::FromArgb(ArgbImage(), u"empty", true));
}

TEST(Image, PngSuiteFilesPrepareWithAMaskOnlyWhenTranslucentAndBrokenOnesAreRefused) {
    VT_REQUIRE_SHARED_TESTDATA(suite, "pngsuite");
    auto load = [&](const char* name) {
        return Image::FromFile(toUtf16((suite / name).string()), true);
    };
    auto opaque = load("basn2c08.png");
    ASSERT_TRUE(opaque);
    EXPECT_FALSE(opaque->hasAlpha());
    auto translucent = load("basn6a08.png");
    ASSERT_TRUE(translucent);
    EXPECT_TRUE(translucent->hasAlpha());
    for (const auto& entry : std::filesystem::directory_iterator(suite)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".png")
            continue;
        auto image = Image::FromFile(toUtf16(entry.path().string()), true);
        EXPECT_EQ(image == nullptr, name[0] == 'x') << name;
        if (image) {
            Surface surface(16, 16);
            image->drawFitted(surface, surface.bounds(), surface.bounds());
        }
    }
}

} // namespace
} // namespace vantrel
