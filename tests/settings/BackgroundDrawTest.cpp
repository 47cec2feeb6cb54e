#include "settings/Background.h"

#include "tests/gfx/GfxReference.h"
#include "graphics/Image.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>

namespace vantrel {
namespace {

using namespace platform;

constexpr Pixel565 white = 0xFFFF;
constexpr Pixel565 red = 0xF800;

// Pictures the tests name in backgrounds, handed out through the image cache.
class PicturesForTest {
public:
    PicturesForTest() {
        ImageCache::instance().clear();
        ImageCache::instance().setLoader([this](const std::u16string& name, bool mirror) {
            std::shared_ptr<Image> image;
            if (auto found = pictures_.find(name); found != pictures_.end()) {
                ++loads;
                image = Image::FromArgb(found->second, name, true);
                if (mirror)
                    image = image->createReflection();
            }
            return image;
        });
    }
    ~PicturesForTest() {
        ImageCache::instance().clear();
        ImageCache::instance().setLoader({});
    }
    void add(const std::u16string& name, ArgbImage picture) {
        pictures_[name] = std::move(picture);
    }
    int loads = 0;

private:
    std::map<std::u16string, ArgbImage> pictures_;
};

ArgbImage solid(int width, int height, Colour colour) {
    return ArgbImage(width, height, argb(255, redOf(colour), greenOf(colour), blueOf(colour)));
}

// Every pixel different: (x, y) maps to a unique colour.
ArgbImage patterned(int width, int height) {
    ArgbImage picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.set(x, y, argb(255, 40 + x * 8, 40 + y * 8, 200));
    return picture;
}

Surface filled(int width, int height, Pixel565 pixel = white) {
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        std::fill_n(s.row(y), width, pixel);
    return s;
}

void draw(std::u16string_view value, Surface& surface, const Rect& rect) {
    Background(value).draw(surface, rect, surface.bounds());
}

// The pixels inside `area` that are not `expected`, as text for the failure message.
std::string mismatches(const Surface& s, const Rect& area, Pixel565 expected) {
    std::string found;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (s.at(x, y) != expected && found.size() < 200)
                found += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
    return found;
}

// Pixels outside `area` that changed from white.
std::string changedOutside(const Surface& s, const Rect& area) {
    std::string found;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (!area.contains({x, y}) && s.at(x, y) != white && found.size() < 200)
                found += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
    return found;
}

TEST(BackgroundDraw, NoneAndAMissedClipLeaveTheSurfaceAlone) {
    Surface surface = filled(20, 20);
    draw(u"none", surface, {0, 0, 20, 20});
    Background(u"fill(#000000)").draw(surface, {0, 0, 10, 10}, {10, 10, 20, 20});
    EXPECT_EQ(changedOutside(surface, {}), "");
}

TEST(BackgroundDraw, FillLandsInTheMarginRectangleAndOuterBorderOnThePaddingOne) {
    Surface surface = filled(30, 30);
    draw(u"fill(#000000),margin(4),outerborder(#FF0000,1)", surface, {5, 5, 25, 25});
    EXPECT_EQ(mismatches(surface, {9, 9, 21, 21}, 0), "");
    EXPECT_EQ(surface.at(5, 5), red);
    EXPECT_EQ(surface.at(24, 15), red);
    EXPECT_EQ(surface.at(15, 24), red);
    EXPECT_EQ(surface.at(6, 6), white);
    EXPECT_EQ(surface.at(8, 15), white);
    EXPECT_EQ(changedOutside(surface, {5, 5, 25, 25}), "");
}

TEST(BackgroundDraw, TranslucentFillBlendsWithItsAlpha) {
    Surface surface = filled(10, 10, 0);
    draw(u"fillalpha(#FFFFFF,180)", surface, {0, 0, 10, 10});
    EXPECT_EQ(mismatches(surface, {0, 0, 10, 10}, test::referenceBlend(0, white, 180)), "");
    // A fill call comes first even when a fillalpha follows it.
    draw(u"fill(255,0,0),fillalpha(#00FF00,100)", surface, {0, 0, 10, 10});
    EXPECT_EQ(mismatches(surface, {0, 0, 10, 10}, red), "");
}

TEST(BackgroundDraw, GradientsUseTheFirstTwoColoursOnly) {
    Surface surface = filled(10, 10);
    draw(u"vgradient(#000000,#FF0000,#00FF00)", surface, {0, 0, 10, 10});
    EXPECT_EQ(mismatches(surface, {0, 0, 10, 1}, 0), "");
    EXPECT_EQ(mismatches(surface, {0, 9, 10, 10}, red), "");
    EXPECT_NE(surface.at(0, 5), 0);
    EXPECT_NE(surface.at(0, 5), red);

    draw(u"hgradient(#FF0000,#000000),margin(2)", surface, {0, 0, 10, 10});
    EXPECT_EQ(mismatches(surface, {2, 2, 3, 8}, red), "");
    EXPECT_EQ(mismatches(surface, {7, 2, 8, 8}, 0), "");
}

TEST(BackgroundDraw, BordersFollowTheMarginRectangle) {
    Surface surface = filled(20, 20);
    draw(u"margin(2),solidborder(#000000,2)", surface, {0, 0, 20, 20});
    EXPECT_EQ(mismatches(surface, {2, 2, 18, 4}, 0), "");
    EXPECT_EQ(mismatches(surface, {2, 16, 18, 18}, 0), "");
    EXPECT_EQ(mismatches(surface, {2, 4, 4, 16}, 0), "");
    EXPECT_EQ(mismatches(surface, {4, 4, 16, 16}, white), "");
    EXPECT_EQ(changedOutside(surface, {2, 2, 18, 18}), "");

    surface = filled(20, 20);
    draw(u"topborder(#FF0000,1),bottomborder(#000000,1),margin(1)", surface, {0, 0, 20, 20});
    EXPECT_EQ(mismatches(surface, {1, 1, 19, 2}, red), "");
    EXPECT_EQ(mismatches(surface, {1, 18, 19, 19}, 0), "");
    EXPECT_EQ(mismatches(surface, {1, 2, 19, 18}, white), "");
    EXPECT_EQ(changedOutside(surface, {1, 1, 19, 19}), "");
}

TEST(BackgroundDraw, MissingMainImageShowsRedInTheMarginRectangle) {
    PicturesForTest pictures;
    Surface surface = filled(20, 20);
    Background(u"stretchimage(gone.png),margin(3)").draw(surface, {0, 0, 20, 20}, {0, 0, 10, 20});
    EXPECT_EQ(mismatches(surface, {3, 3, 10, 17}, red), "");
    EXPECT_EQ(changedOutside(surface, {3, 3, 10, 17}), "");
}

TEST(BackgroundDraw, MainImageIsPlacedStretchedTiledMappedOrAtItsCorner) {
    PicturesForTest pictures;
    ArgbImage tile = patterned(3, 2);
    pictures.add(u"tile.png", tile);
    pictures.add(u"black.png", solid(4, 4, 0));

    Surface surface = filled(30, 30);
    draw(u"tileimage(tile.png),margin(1)", surface, {4, 6, 14, 11});
    for (int y = 7; y < 10; ++y)
        for (int x = 5; x < 13; ++x)
            ASSERT_EQ(surface.at(x, y), argbToPixel565(tile.at((x - 5) % 3, (y - 7) % 2)))
                << x << "," << y;
    EXPECT_EQ(changedOutside(surface, {5, 7, 13, 10}), "");

    // Mapped images line up with the surface's origin, whatever the control's place.
    ArgbImage screen = patterned(20, 20);
    pictures.add(u"screen.png", screen);
    surface = filled(30, 30);
    draw(u"mapimage(screen.png)", surface, {5, 6, 9, 10});
    EXPECT_EQ(surface.at(5, 6), argbToPixel565(screen.at(5, 6)));
    EXPECT_EQ(surface.at(8, 9), argbToPixel565(screen.at(8, 9)));
    EXPECT_EQ(changedOutside(surface, {5, 6, 9, 10}), "");

    surface = filled(30, 30);
    draw(u"stretchimage(black.png),margin(2)", surface, {0, 0, 20, 12});
    EXPECT_EQ(mismatches(surface, {2, 2, 18, 10}, 0), "");
    EXPECT_EQ(changedOutside(surface, {2, 2, 18, 10}), "");

    surface = filled(30, 30);
    draw(u"fillimage(black.png),rop(inverse)", surface, {3, 3, 20, 20});
    EXPECT_EQ(mismatches(surface, {3, 3, 7, 7}, white), ""); // black inverted
    surface = filled(30, 30, 0x1234);
    draw(u"alphaimage(black.png)", surface, {3, 3, 20, 20});
    EXPECT_EQ(mismatches(surface, {3, 3, 7, 7}, 0), "");
    EXPECT_EQ(surface.at(7, 7), 0x1234);
}

TEST(BackgroundDraw, TiledTopEdgeFillsExactlyTheSpanBetweenItsCorners) {
    PicturesForTest pictures;
    pictures.add(u"top.png", solid(4, 2, rgb(0, 0, 255)));
    pictures.add(u"lt.png", solid(3, 3, rgb(255, 0, 0)));
    pictures.add(u"rt.png", solid(5, 3, rgb(0, 255, 0)));
    Surface surface = filled(40, 20);
    draw(u"toptileimage(top.png),lefttopimage(lt.png),righttopimage(rt.png),padding(1)", surface,
         {0, 0, 30, 20});
    const Pixel565 blue = toPixel565(rgb(0, 0, 255));
    EXPECT_EQ(mismatches(surface, {1, 1, 4, 4}, red), "");
    EXPECT_EQ(mismatches(surface, {4, 1, 24, 3}, blue), "");
    EXPECT_EQ(mismatches(surface, {24, 1, 29, 4}, toPixel565(rgb(0, 255, 0))), "");
    EXPECT_EQ(changedOutside(surface, {1, 1, 29, 4}), "");
    EXPECT_EQ(mismatches(surface, {4, 3, 24, 4}, white), "");
}

TEST(BackgroundDraw, BottomImageSplitsTheRectangleBetweenUpperAndLowerImages) {
    PicturesForTest pictures;
    // Tall corner and side pictures show where the halves are cut.
    pictures.add(u"lt.png", solid(2, 30, rgb(255, 0, 0)));
    pictures.add(u"lb.png", solid(2, 30, rgb(0, 0, 255)));
    pictures.add(u"bottom.png", solid(6, 2, 0));
    pictures.add(u"side.png", solid(2, 3, rgb(0, 255, 0)));
    Surface surface = filled(20, 20);
    // The bottom image comes first: only the first "bottomimage(" of a value counts, and
    // the one inside "leftbottomimage(" would hide a later one.
    draw(u"bottomimage(bottom.png),lefttopimage(lt.png),leftbottomimage(lb.png)", surface,
         {0, 0, 20, 20});
    // The upper corner stops at the middle line, the lower one starts there.
    EXPECT_EQ(mismatches(surface, {0, 0, 2, 10}, red), "");
    EXPECT_EQ(mismatches(surface, {0, 10, 2, 20}, toPixel565(rgb(0, 0, 255))), "");
    // The untiled bottom image is centred on the bottom edge.
    EXPECT_EQ(mismatches(surface, {7, 18, 13, 20}, 0), "");
    EXPECT_EQ(changedOutside(surface, Rect{0, 0, 2, 20}.united({7, 18, 13, 20})), "");

    // Tiled sides run from below the upper corner to above the lower one, each corner
    // counted at most up to the middle line.
    pictures.add(u"small.png", solid(2, 4, rgb(255, 0, 0)));
    surface = filled(20, 20);
    draw(u"righttileimage(side.png),righttopimage(small.png)", surface, {0, 0, 20, 20});
    const Pixel565 green = toPixel565(rgb(0, 255, 0));
    EXPECT_EQ(mismatches(surface, {18, 0, 20, 4}, red), "");
    EXPECT_EQ(mismatches(surface, {18, 4, 20, 20}, green), "");
    EXPECT_EQ(changedOutside(surface, {18, 0, 20, 20}), "");

    // Untiled sides are centred vertically.
    surface = filled(20, 20);
    draw(u"leftimage(side.png)", surface, {0, 0, 20, 20});
    EXPECT_EQ(mismatches(surface, {0, 8, 2, 11}, green), "");
    EXPECT_EQ(changedOutside(surface, {0, 8, 2, 11}), "");
}

TEST(BackgroundDraw, DrawingThroughAClipEqualsTheFullDrawingCutToTheClip) {
    PicturesForTest pictures;
    pictures.add(u"tile.png", patterned(5, 3));
    pictures.add(u"edge.png", patterned(3, 2));
    pictures.add(u"corner.png", patterned(4, 4));
    ArgbImage translucent = patterned(6, 6);
    for (uint32_t& p : translucent.pixels)
        p = (p & 0x00FFFFFF) | 0x80000000;
    pictures.add(u"glass.png", translucent);
    const std::u16string_view values[] = {
        u"tileimage(tile.png),margin(3),solidborder(#102030,2),toptileimage(edge.png),"
        u"lefttopimage(corner.png),bottomimage(glass.png),rightbottomimage(corner.png)",
        u"fillalpha(#336699,90),padding(2),outerborder(#FF0000,3),lefttileimage(glass.png),"
        u"righttileimage(edge.png),bottomtileimage(edge.png),leftbottomimage(glass.png)",
        u"stretchimage(glass.png),margin(5),topborder(#00FF00,3),bottomborder(#0000FF,2)",
        u"vgradient(#000000,#FFFFFF),mapimage(tile.png),leftimage(edge.png),topimage(corner.png)",
    };
    std::mt19937 random(99);
    for (std::u16string_view value : values) {
        Background background(value);
        for (int round = 0; round < 25; ++round) {
            Surface original = test::randomSurface(random, 48, 40);
            Rect rect =
                Rect::fromSize(test::randomIn(random, -10, 20), test::randomIn(random, -10, 20),
                               test::randomIn(random, 0, 40), test::randomIn(random, 0, 40));
            Rect clip =
                Rect::fromSize(test::randomIn(random, -5, 40), test::randomIn(random, -5, 35),
                               test::randomIn(random, 0, 30), test::randomIn(random, 0, 30));
            Surface full = original, clipped = original;
            background.draw(full, rect, full.bounds());
            background.draw(clipped, rect, clip);
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 48; ++x) {
                    Pixel565 expected = clip.contains({x, y}) ? full.at(x, y) : original.at(x, y);
                    ASSERT_EQ(clipped.at(x, y), expected)
                        << "pixel " << x << "," << y << " round " << round;
                }
        }
    }
}

TEST(BackgroundDraw, APlainColourIsClaimedOnlyWhereDrawingPaintsJustThat) {
    PicturesForTest pictures;
    pictures.add(u"dot.png", solid(2, 2, rgb(0, 0, 255)));
    const Rect rect{0, 0, 40, 30};
    for (const char16_t* text :
         {u"fill(#00FF00)", u"fill(#FFFFFF)", u"fillalpha(#00FF00,200)",
          u"vgradient(#FF0000,#0000FF)", u"fill(#00FF00),solidborder(#000000,1)",
          u"fill(#00FF00),margin(2)", u"fill(#00FF00),topimage(dot.png)", u"stretchimage(dot.png)",
          u"none"}) {
        SCOPED_TRACE(std::string(text, text + std::char_traits<char16_t>::length(text)));
        const Background background(text);
        Surface drawn(rect.width(), rect.height());
        for (int y = 0; y < drawn.height(); ++y)
            std::fill_n(drawn.row(y), drawn.width(), Pixel565(0x1234));
        background.draw(drawn, rect, rect);
        bool oneColour = true;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                oneColour = oneColour && drawn.at(x, y) == drawn.at(0, 0);
        const auto plain = background.plainColour();
        if (plain) {
            EXPECT_TRUE(oneColour && drawn.at(0, 0) == toPixel565(*plain));
        }
        // The plain fills are recognised, not just the absence of a claim.
        const bool plainFill = text == std::u16string_view(u"fill(#00FF00)") ||
                               text == std::u16string_view(u"fill(#FFFFFF)");
        EXPECT_EQ(plain.has_value(), plainFill);
    }
}

TEST(BackgroundDraw, PreloadingLoadsEveryNamedImageOnce) {
    PicturesForTest pictures;
    pictures.add(u"a.png", solid(2, 2, 0));
    pictures.add(u"b.png", solid(2, 2, 0));
    pictures.add(u"c.png", solid(2, 2, 0));
    Background background(u"stretchimage(a.png,mirror),leftimage(b.png),righttopimage(c.png)");
    background.preload();
    EXPECT_EQ(pictures.loads, 3);
    EXPECT_TRUE(ImageCache::instance().contains(u"a.png_m"));
    EXPECT_TRUE(ImageCache::instance().contains(u"b.png"));
    EXPECT_TRUE(ImageCache::instance().contains(u"c.png"));
    Surface surface = filled(10, 10);
    background.draw(surface, {0, 0, 10, 10}, surface.bounds());
    EXPECT_EQ(pictures.loads, 3);
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

// Numbers at the ends of the 32-bit range, in every place a background takes one, and
// rectangles as wide as the range: drawing must neither overflow nor touch a pixel
// outside the clip.
TEST(BackgroundDraw, ExtremeNumbersAndRectanglesDrawWithinTheClip) {
    PicturesForTest pictures;
    pictures.add(u"p.png", patterned(4, 4));
    const std::u16string_view values[] = {
        u"fill(#000000),margin(-2147483648)",
        u"fill(#000000),margin(2147483647,-2147483648,2147483647,-2147483648)",
        u"fillalpha(#000000,99),padding(-2147483648),outerborder(#000000,2147483647)",
        u"solidborder(#000000,2147483647),topborder(#000000,-2147483648)",
        u"bottomborder(#000000,2147483647),margin(-2147483647)",
        u"stretchimage(p.png),margin(-2147483648,0,2147483647,0)",
        u"tileimage(p.png),padding(2147483647),lefttileimage(p.png),toptileimage(p.png)",
        u"mapimage(p.png),righttopimage(p.png),leftbottomimage(p.png)",
        u"vgradient(#000000,#FFFFFF),margin(-2147483648,-2147483648,-2147483648,-2147483648)",
    };
    const Rect rects[] = {{0, 0, 40, 30},
                          {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                          {INT_MAX - 5, INT_MIN, INT_MIN, INT_MAX},
                          {-10, -10, INT_MAX, 20}};
    for (auto value : values) {
        for (const Rect& rect : rects) {
            Surface surface = filled(40, 30);
            Background(value).draw(surface, rect, {10, 10, 20, 20});
            for (int y = 0; y < 30; ++y) {
                for (int x = 0; x < 40; ++x) {
                    if (!Rect{10, 10, 20, 20}.contains({x, y})) {
                        ASSERT_EQ(surface.at(x, y), white) << x << "," << y;
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace vantrel
