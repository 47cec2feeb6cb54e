#pragma once
// A background value: a list of drawing functions separated by commas, for example
// "fillalpha(#FFFFFF,180),solidborder(#333333,1)", or the single word "none". Parsing
// fills the fields below; the drawing layer paints them in layers (fill or image,
// borders, edge images, corner images) into a rectangle.

#include "settings/ImageHolder.h"
#include "graphics/utils.h"

#include <memory>
#include <optional>

namespace vantrel {

// A line or outline: drawn only when the width is above 0 and the colour is set.
struct BorderStyle {
    platform::Colour colour = noColour;
    int width = 0;
};

// Distances inward from each side of the rectangle handed to the draw call.
struct Insets {
    int top = 0;
    int left = 0;
    int right = 0;
    int bottom = 0;
};

// An image placed along one side: once and centred, or tiled along the side.
struct EdgeImage {
    std::unique_ptr<ImageHolder> image;
    bool tiled = false;
};

class Background : public SettingValue {
public:
    static constexpr uint32_t copyMode = copyRasterCode;
    static constexpr uint32_t invertedCopyMode = invertedCopyRasterCode;

    explicit Background(std::u16string_view text);

    // Paints the layers into `rect` (fill or main image, borders, edge images, corner
    // images), touching only pixels inside `clip`. A main image that cannot be loaded
    // shows as a pure red margin rectangle, so a theme's missing file is visible.
    void draw(platform::Surface& surface, const platform::Rect& rect,
              const platform::Rect& clip) const;

    // The one colour every pixel of a drawn rectangle gets, when the background is a
    // plain opaque fill and nothing else; callers may then fill instead of drawing.
    std::optional<platform::Colour> plainColour() const;

    // Loads every image the background names into the image cache.
    void preload() const;

    bool none = false;

    // Fill layer: a colour (with alpha), a gradient, or a main image.
    platform::Colour fillColour = noColour;
    uint8_t fillAlpha = 255;
    bool verticalGradient = false;
    bool horizontalGradient = false;
    std::vector<platform::Colour> gradientColours;
    std::unique_ptr<ImageHolder> mainImage;
    bool stretch = false;
    bool tile = false;
    bool map = false;
    uint32_t drawingMode = copyMode;

    EdgeImage leftImage, rightImage, topImage, bottomImage;
    std::unique_ptr<ImageHolder> leftTopImage, rightTopImage, leftBottomImage, rightBottomImage;

    BorderStyle solidBorder;  // around the margin rectangle
    BorderStyle outerBorder;  // around the padding rectangle
    BorderStyle topBorder;    // along the top of the margin rectangle
    BorderStyle bottomBorder; // along the bottom of the margin rectangle

    Insets margin;
    Insets padding;

private:
    void drawMainImage(platform::Surface& surface, const platform::Rect& marginRect,
                       const platform::Rect& fillClip) const;
    void drawEdgeImages(platform::Surface& surface, const platform::Rect& paddingRect,
                        const platform::Rect& visible) const;
};

} // namespace vantrel
