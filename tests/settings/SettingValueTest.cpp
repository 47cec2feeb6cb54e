#include "settings/Background.h"
#include "settings/Box.h"
#include "settings/Font.h"
#include "tests/settings/ScreenForTest.h"
#include "graphics/Image.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vantrel {

namespace {

using platform::Rect;
using platform::rgb;
using test::ScreenForTest;

TEST(Measure, PUnitDoublesOnlyOnHighResolutionScreens) {
    {
        ScreenForTest screen(480, 800);
        EXPECT_EQ(parseMeasure(u"12p"), 24);
        EXPECT_EQ(parseMeasure(u"12"), 12);
        EXPECT_EQ(parseMeasure(u"p"), 0);
    }
    ScreenForTest screen(240, 320);
    EXPECT_EQ(parseMeasure(u"12p"), 12);
    EXPECT_EQ(parseMeasure(u"12"), 12);
}

TEST(Measure, ScreenClassIsDecidedOnceUntilTheSourceChanges) {
    int width = 480;
    ScreenMetrics::setSizeSource([&] { return platform::Size{width, 800}; });
    EXPECT_EQ(parseMeasure(u"10p"), 20);
    width = 240; // a rotation or a resize does not change the screen class
    EXPECT_EQ(parseMeasure(u"10p"), 20);
    ScreenMetrics::setSizeSource({});
}

TEST(Measure, NegativeCountsFromScreenHeightPlusMagnitude) {
    ScreenForTest screen(480, 800);
    EXPECT_EQ(parseMeasure(u"-30"), 830);
    EXPECT_EQ(parseMeasure(u"-30p"), 860);
}

TEST(Measure, NumbersReadLikeTheCLibraryAndSaturate) {
    ScreenForTest screen(240, 320);
    EXPECT_EQ(readNumber(u"  +42abc"), 42);
    EXPECT_EQ(readNumber(u"50%"), 50);
    EXPECT_EQ(readNumber(u"abc"), 0);
    EXPECT_EQ(readNumber(u"-"), 0);
    EXPECT_EQ(readNumber(u"99999999999999999999999"), INT_MAX);
    EXPECT_EQ(readNumber(u"-99999999999999999999999"), INT_MIN);
    EXPECT_EQ(parseMeasure(u"-99999999999999999999999"), INT_MAX);
}

TEST(Colour, BothFormsGiveTheSameColour) {
    EXPECT_EQ(parseColour(u"#FFFFFF"), rgb(255, 255, 255));
    EXPECT_EQ(parseColour(u"255,255,255"), rgb(255, 255, 255));
    EXPECT_EQ(parseColour(u"#FF6A00"), rgb(0xFF, 0x6A, 0x00));
    EXPECT_EQ(parseColour(u"#ff6a00"), rgb(0xFF, 0x6A, 0x00));
    EXPECT_EQ(parseColour(u"100,100,100"), rgb(100, 100, 100));
    // Pieces are cut to their low eight bits.
    EXPECT_EQ(parseColour(u"256,257,-1"), rgb(0, 1, 255));
}

TEST(Colour, MalformedTextsMeanNoColour) {
    for (std::u16string_view text : {u"#12", u"1,2", u"", u"#", u"#GGGGGG", u"red", u"#12345"})
        EXPECT_EQ(parseColour(text), noColour) << platform::toUtf8(text);
}

TEST(Box, FourPiecesWithUnitsAndPercentages) {
    ScreenForTest screen(480, 800);
    Box box(u"12p,42p,100%,-30p");
    EXPECT_EQ(box.value(Box::left), 24);
    EXPECT_EQ(box.value(Box::top), 84);
    EXPECT_TRUE(box.isPercentage(Box::right));
    EXPECT_EQ(box.value(Box::bottom), -60);
    EXPECT_EQ(box.rectangle({0, 0, 480, 800}), (Rect{24, 84, 480, 740}));
}

TEST(Box, NegativeEdgesCountFromTheFarEdge) {
    ScreenForTest screen(480, 800);
    Rect rect = Box(u"-21p,5p,-2,26p").rectangle({0, 0, 100, 50});
    EXPECT_EQ(rect.left, 58);
    EXPECT_EQ(rect.right, 98);
    EXPECT_EQ(rect.top, 10);
    EXPECT_EQ(rect.bottom, 52);
}

TEST(Box, PercentagesAndOffsetsFollowTheParent) {
    ScreenForTest screen(240, 320);
    EXPECT_EQ(Box(u"50%,0,100%,100%").rectangle({10, 0, 111, 10}).left, 60);
    // A top strip, a bottom strip and a corner box inside a parent that does not start at 0.
    Rect parent{10, 20, 110, 220};
    EXPECT_EQ(Box(u"0,0p,100%,42p").rectangle(parent), (Rect{10, 20, 110, 62}));
    EXPECT_EQ(Box(u"0,-40p,100%,100%").rectangle(parent), (Rect{10, 180, 110, 220}));
    EXPECT_EQ(Box(u"-20p,2p,-2p,10p").rectangle(parent), (Rect{90, 22, 108, 30}));
}

TEST(Box, WrongPieceCountCoversTheWholeScreen) {
    ScreenForTest screen(240, 320);
    for (std::u16string_view text : {u"1,2,3", u"1,2,3,4,5", u"", u"none"}) {
        Box box(text);
        EXPECT_EQ(box.rectangle({5, 5, 50, 50}), (Rect{5, 5, 245, 325})) << platform::toUtf8(text);
    }
}

TEST(Box, HostileNumbersDoNotOverflow) {
    ScreenForTest screen(480, 800);
    Rect rect = Box(u"99999999999p,-99999999999%,2147483647%,-2147483648")
                    .rectangle({-2000000000, -2000000000, 2000000000, 2000000000});
    EXPECT_EQ(rect.left, -2000000000 + INT_MAX); // the doubled number saturated first
    EXPECT_EQ(rect.top, INT_MIN);
    EXPECT_EQ(rect.right, INT_MAX);
    EXPECT_EQ(rect.bottom, 2000000000 + INT_MIN);
}

TEST(Font, AllSixPieces) {
    ScreenForTest screen(480, 800);
    Font font(u"9p,bold,Verdana,#555555,right,20");
    EXPECT_FALSE(font.isNone());
    EXPECT_EQ(font.description().height, -18);
    EXPECT_EQ(font.pixelSize(), 18);
    EXPECT_EQ(font.description().weight, 700);
    EXPECT_FALSE(font.description().italic);
    EXPECT_EQ(font.description().face, u"Verdana");
    EXPECT_EQ(font.colour(), rgb(0x55, 0x55, 0x55));
    EXPECT_EQ(font.alignment(), Font::right);
    EXPECT_EQ(font.indent(), 20); // the indent is pixels, never doubled
}

TEST(Font, DefaultsForMissingPieces) {
    ScreenForTest screen(240, 320);
    Font font(u"10p,italic");
    EXPECT_EQ(font.description().face, u"Tahoma");
    EXPECT_TRUE(font.description().italic);
    EXPECT_EQ(font.description().weight, 400);
    EXPECT_EQ(font.colour(), 0u);
    EXPECT_EQ(font.alignment(), Font::left);
    EXPECT_EQ(font.pixelSize(), 10);
    EXPECT_EQ(Font(u"10p,regular,Segoe UI,#000000,center").alignment(), Font::centre);
    EXPECT_EQ(Font(u"10p,regular,Segoe UI,#000000,middle").alignment(), Font::left);
    EXPECT_EQ(Font(u"10p,regular,Segoe UI,#12").colour(), noColour);
    EXPECT_TRUE(Font(u"none").isNone());
}

TEST(Font, RegistersTheFaceFileFromTheProgramFolderOnce) {
    ScreenForTest screen(240, 320);
    std::ofstream(platform::programFolder() / "Brand.ttf") << "not really a font";
    std::vector<std::filesystem::path> registered;
    Font::setFaceRegistrar([&](const std::filesystem::path& file) { registered.push_back(file); });
    Font(u"10p,regular,Brand");
    Font(u"12p,bold,Brand,#000000");
    Font(u"10p,regular,Missing");
    Font(u"10p,regular,../Brand");
    Font(u"10p,regular"); // Tahoma without a file registration
    Font::setFaceRegistrar({});
    ASSERT_EQ(registered.size(), 1u);
    EXPECT_EQ(registered[0], platform::programFolder() / "Brand.ttf");
}

TEST(ImageHolder, NameFlagsAndCacheKey) {
    ImageHolder holder(u"contact.png,mirror,preload");
    EXPECT_EQ(holder.name(), u"contact.png");
    EXPECT_TRUE(holder.isMirrored());
    EXPECT_TRUE(holder.wantsPreload());
    EXPECT_EQ(holder.cacheKey(), u"contact.png_m");
    EXPECT_EQ(ImageHolder(u"bar.png").cacheKey(), u"bar.png");
}

TEST(ImageCache, LoadsOnceAndRetriesAFailedLoadOnlyAfterAClear) {
    auto& cache = ImageCache::instance();
    cache.clear();
    int loads = 0;
    bool available = false;
    cache.setLoader([&](const std::u16string&, bool) -> std::shared_ptr<Image> {
        ++loads;
        return available ? Image::FromArgb(platform::ArgbImage(1, 1), u"a.png", false) : nullptr;
    });
    ImageHolder holder(u"a.png,mirror");
    EXPECT_EQ(holder.image(), nullptr);
    EXPECT_EQ(cache.size(), 0u);
    available = true;
    // A bad image named by many lines is decoded once, until the theme changes.
    EXPECT_EQ(holder.image(), nullptr);
    EXPECT_EQ(loads, 1);
    cache.clear();
    Image* image = holder.image();
    EXPECT_NE(image, nullptr);
    EXPECT_EQ(holder.image(), image);
    EXPECT_EQ(loads, 2);
    EXPECT_TRUE(cache.contains(u"a.png_m"));
    cache.clear();
    cache.setLoader({});
}

TEST(Background, NoneAndFillFamilyOrder) {
    EXPECT_TRUE(Background(u"none").none);
    // fill is tested before fillalpha, wherever the calls stand.
    Background both(u"fillalpha(#00FF00,100),fill(#FF0000)");
    EXPECT_EQ(both.fillColour, rgb(255, 0, 0));
    EXPECT_EQ(both.fillAlpha, 255);
    Background alpha(u"fillalpha(#000000, 127),margin(1)");
    EXPECT_EQ(alpha.fillColour, rgb(0, 0, 0));
    EXPECT_EQ(alpha.fillAlpha, 127);
    EXPECT_EQ(alpha.margin.left, 1);
    EXPECT_EQ(Background(u"fill(255,255,255)").fillColour, rgb(255, 255, 255));
}

TEST(Background, GradientsKeepEveryColour) {
    Background gradient(u"vgradient(#AAAAAA,#FFFFFF,#000000)");
    EXPECT_TRUE(gradient.verticalGradient);
    EXPECT_FALSE(gradient.horizontalGradient);
    ASSERT_EQ(gradient.gradientColours.size(), 3u);
    EXPECT_EQ(gradient.gradientColours[1], rgb(255, 255, 255));
    EXPECT_TRUE(Background(u"hgradient(#AAAAAA, #FFFFFF)").horizontalGradient);
}

TEST(Background, MainImageKinds) {
    Background stretched(u"stretchimage(bg.png,mirror),rop(inverse)");
    ASSERT_TRUE(stretched.mainImage);
    EXPECT_EQ(stretched.mainImage->cacheKey(), u"bg.png_m");
    EXPECT_TRUE(stretched.stretch);
    EXPECT_EQ(stretched.drawingMode, Background::invertedCopyMode);
    EXPECT_TRUE(Background(u"tileimage(t.png)").tile);
    EXPECT_TRUE(Background(u"mapimage(m.png)").map);
    Background alpha(u"alphaimage(a.png),rop(copy)");
    EXPECT_FALSE(alpha.stretch || alpha.tile || alpha.map);
    EXPECT_EQ(alpha.drawingMode, Background::copyMode);
}

TEST(Background, CallsCountOnlyAtTheStartOrAfterAComma) {
    Background tiled(u"lefttileimage(l.png)");
    ASSERT_TRUE(tiled.leftImage.image);
    EXPECT_TRUE(tiled.leftImage.tiled);
    EXPECT_FALSE(tiled.mainImage); // "tileimage(" inside "lefttileimage(" is no call
    EXPECT_TRUE(Background(u"fill(#000000),leftimage(l.png)").leftImage.image);
    EXPECT_FALSE(Background(u"fill(#000000)xleftimage(l.png)").leftImage.image);
    // Only the first occurrence counts, even when a proper call follows.
    EXPECT_EQ(Background(u"xfill(#000000),fill(#FFFFFF)").fillColour, noColour);
    // A tiled side replaces the untiled one of the same side.
    Background sides(u"leftimage(a.png),lefttileimage(b.png,mirror)");
    EXPECT_EQ(sides.leftImage.image->name(), u"b.png");
    EXPECT_FALSE(sides.leftImage.image->isMirrored()); // side images take only the name
}

TEST(Background, BordersMarginsPaddingsAndCorners) {
    Background bg(u"fill(#666666),margin(4),margintop(1),padding(2),paddingright(7),"
                  u"outerborder(#666666,3),solidborder(#333333),topborder(#111111,2),"
                  u"bottomborder(#000000,1),lefttopimage(c1.png),rightbottomimage(c4.png)");
    EXPECT_EQ(bg.margin.top, 1);
    EXPECT_EQ(bg.margin.left, 4);
    EXPECT_EQ(bg.margin.bottom, 4);
    EXPECT_EQ(bg.padding.right, 7);
    EXPECT_EQ(bg.padding.top, 2);
    EXPECT_EQ(bg.outerBorder.width, 3);
    EXPECT_EQ(bg.solidBorder.width, 1); // width 1 when omitted
    EXPECT_EQ(bg.solidBorder.colour, rgb(0x33, 0x33, 0x33));
    EXPECT_EQ(bg.topBorder.width, 2);
    EXPECT_EQ(bg.bottomBorder.colour, rgb(0, 0, 0));
    ASSERT_TRUE(bg.leftTopImage && bg.rightBottomImage);
    EXPECT_FALSE(bg.rightTopImage || bg.leftBottomImage);
}

TEST(Background, MalformedCallsAreIgnored) {
    // No closing parenthesis, an unknown function, and an unbalanced nest.
    Background open(u"fill(#FF0000");
    EXPECT_EQ(open.fillColour, noColour);
    Background unknown(u"border(#777777,1)");
    EXPECT_EQ(unknown.solidBorder.width, 0);
    EXPECT_EQ(unknown.fillColour, noColour);
    Background nested(u"fill((#FF0000)),margin(");
    EXPECT_EQ(nested.fillColour, noColour);
    EXPECT_EQ(nested.margin.top, 0);
    Background emptyArgs(u"fillalpha(),vgradient(),solidborder()");
    EXPECT_EQ(emptyArgs.fillColour, noColour);
    EXPECT_EQ(emptyArgs.fillAlpha, 255);
    EXPECT_EQ(Background(u"fillalpha(#FFFFFF,999)").fillAlpha, 255);
}

TEST(Background, PreloadFetchesEveryNamedImage) {
    auto& cache = ImageCache::instance();
    cache.clear();
    std::vector<std::u16string> asked;
    cache.setLoader([&](const std::u16string& name, bool mirror) -> std::shared_ptr<Image> {
        asked.push_back(ImageCache::keyFor(name, mirror));
        return nullptr;
    });
    Background(u"stretchimage(main.png,mirror),toptileimage(top.png),leftimage(l.png),"
               u"righttopimage(rt.png)")
        .preload();
    cache.setLoader({});
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::u16string>{u"l.png", u"main.png_m", u"rt.png", u"top.png"}));
}

} // namespace
} // namespace vantrel
