#include "settings/Background.h"

#include "graphics/Image.h"

#include <algorithm>
#include <optional>

namespace vantrel {

namespace {

// The argument of a call "name(...)". Only the first occurrence of "name(" in the whole
// text counts, and only at the start of the text or right after a comma, so "fill"
// never matches inside "fillalpha(" and "tileimage" never inside "lefttileimage(". A
// call without its closing parenthesis does not count.
std::optional<std::u16string_view> findCall(std::u16string_view text, std::u16string_view name) {
    std::u16string pattern(name);
    pattern += u'(';
    size_t at = text.find(pattern);
    if (at == std::u16string_view::npos || (at > 0 && text[at - 1] != u','))
        return std::nullopt;
    size_t start = at + pattern.size();
    size_t end = text.find(u')', start);
    if (end == std::u16string_view::npos)
        return std::nullopt;
    return text.substr(start, end - start);
}

// ---- drawing helpers ----

using platform::Point;
using platform::Rect;

// The colour a main image that cannot be loaded shows, so a theme's missing file stands
// out instead of leaving a hole.
constexpr platform::Colour missingImageColour = platform::rgb(255, 0, 0);

Rect inset(const Rect& rect, const Insets& by) {
    return {rect.left + by.left, rect.top + by.top, rect.right - by.right, rect.bottom - by.bottom};
}

Image* imageOf(const ImageHolder* holder) {
    return holder ? holder->image() : nullptr;
}
int widthOf(const Image* image) {
    return image ? image->width() : 0;
}
int heightOf(const Image* image) {
    return image ? image->height() : 0;
}

bool isDrawn(const BorderStyle& border) {
    return border.width > 0 && border.colour != noColour;
}
platform::Pen penFor(const BorderStyle& border) {
    return {border.colour, border.width};
}

// Repeats `image` along one edge from `start` while the position is at most `end`,
// drawing only inside the span [start, end) within `clip`. The span keeps tiles off the
// corner images; the last tile is cut at the span's end.
void tileAlong(platform::Surface& surface, Image& image, bool horizontal, int fixed, int start,
               int end, const Rect& clip) {
    Rect strip = horizontal ? Rect{start, fixed, end, fixed + image.height()}
                            : Rect{fixed, start, fixed + image.width(), end};
    image.drawTiled(surface, strip, clip);
}

BorderStyle parseBorder(std::u16string_view argument) {
    auto pieces = splitAtComma(argument);
    return {parseColour(pieces[0]),
            pieces.size() > 1 ? platform::limitedForDrawing(readNumber(pieces[1])) : 1};
}

// Side and corner images take only the name; anything after a comma is ignored.
std::unique_ptr<ImageHolder> parseSideImage(std::u16string_view argument) {
    return std::make_unique<ImageHolder>(splitAtComma(argument)[0]);
}

void parseEdge(std::u16string_view text, std::u16string_view plainName,
               std::u16string_view tiledName, EdgeImage& edge) {
    if (auto argument = findCall(text, tiledName))
        edge = {parseSideImage(*argument), true};
    else if (auto argument = findCall(text, plainName))
        edge = {parseSideImage(*argument), false};
}

void parseInsets(std::u16string_view text, std::u16string_view name, Insets& insets) {
    if (auto argument = findCall(text, name)) {
        int all = platform::limitedForDrawing(readNumber(*argument));
        insets = {all, all, all, all};
    }
    std::u16string sideName(name);
    size_t baseLength = sideName.size();
    auto side = [&](std::u16string_view suffix, int& field) {
        sideName.resize(baseLength);
        sideName += suffix;
        if (auto argument = findCall(text, sideName))
            field = platform::limitedForDrawing(readNumber(*argument));
    };
    side(u"top", insets.top);
    side(u"bottom", insets.bottom);
    side(u"left", insets.left);
    side(u"right", insets.right);
}

} // namespace

Background::Background(std::u16string_view text) {
    if (text == u"none") {
        none = true;
        return;
    }

    // The fill family: the first function found in this order wins.
    if (auto argument = findCall(text, u"fill")) {
        fillColour = parseColour(*argument);
    } else if (auto argument = findCall(text, u"fillalpha")) {
        auto pieces = splitAtComma(*argument);
        fillColour = parseColour(pieces[0]);
        if (pieces.size() > 1)
            fillAlpha = static_cast<uint8_t>(std::clamp(readNumber(pieces[1]), 0, 255));
    } else if (auto argument = findCall(text, u"vgradient")) {
        verticalGradient = true;
        for (auto piece : splitAtComma(*argument))
            gradientColours.push_back(parseColour(piece));
    } else if (auto argument = findCall(text, u"hgradient")) {
        horizontalGradient = true;
        for (auto piece : splitAtComma(*argument))
            gradientColours.push_back(parseColour(piece));
    } else {
        struct ImageFill {
            std::u16string_view name;
            bool Background::*flag;
        };
        static constexpr ImageFill imageFills[] = {
            {u"fillimage", nullptr},
            {u"tileimage", &Background::tile},
            {u"stretchimage", &Background::stretch},
            {u"alphaimage", nullptr},
            {u"mapimage", &Background::map},
        };
        for (const auto& fill : imageFills) {
            if (auto argument = findCall(text, fill.name)) {
                mainImage = std::make_unique<ImageHolder>(*argument);
                if (fill.flag)
                    this->*fill.flag = true;
                break;
            }
        }
    }

    if (auto argument = findCall(text, u"rop"); argument && *argument == u"inverse")
        drawingMode = invertedCopyMode;

    parseEdge(text, u"leftimage", u"lefttileimage", leftImage);
    parseEdge(text, u"rightimage", u"righttileimage", rightImage);
    parseEdge(text, u"topimage", u"toptileimage", topImage);
    parseEdge(text, u"bottomimage", u"bottomtileimage", bottomImage);

    struct Corner {
        std::u16string_view name;
        std::unique_ptr<ImageHolder> Background::*holder;
    };
    static constexpr Corner corners[] = {
        {u"lefttopimage", &Background::leftTopImage},
        {u"righttopimage", &Background::rightTopImage},
        {u"leftbottomimage", &Background::leftBottomImage},
        {u"rightbottomimage", &Background::rightBottomImage},
    };
    for (const auto& corner : corners)
        if (auto argument = findCall(text, corner.name))
            this->*corner.holder = parseSideImage(*argument);

    parseInsets(text, u"margin", margin);
    parseInsets(text, u"padding", padding);

    struct Border {
        std::u16string_view name;
        BorderStyle Background::*style;
    };
    static constexpr Border borders[] = {
        {u"solidborder", &Background::solidBorder},
        {u"outerborder", &Background::outerBorder},
        {u"topborder", &Background::topBorder},
        {u"bottomborder", &Background::bottomBorder},
    };
    for (const auto& border : borders)
        if (auto argument = findCall(text, border.name))
            this->*border.style = parseBorder(*argument);
}

void Background::preload() const {
    const ImageHolder* holders[] = {
        mainImage.get(),      leftImage.image.get(),   rightImage.image.get(),
        topImage.image.get(), bottomImage.image.get(), leftTopImage.get(),
        rightTopImage.get(),  leftBottomImage.get(),   rightBottomImage.get()};
    for (const ImageHolder* holder : holders)
        if (holder)
            holder->image();
}

// ---- drawing ----
//
// Layers, in order: the fill (colour, translucent colour, main image or gradient) in the
// margin rectangle; the borders; the edge images along the padding rectangle, the top
// and left ones in its upper half and the bottom and right ones in its lower half when
// there is a bottom image; the corner images last, so they cover the tiles' ends.

void Background::draw(platform::Surface& surface, const Rect& area, const Rect& clip) const {
    if (none)
        return;
    // Insets and widths are within the drawing limit already; so is the rectangle now.
    const Rect rect = area.limitedForDrawing();
    const Rect paddingRect = inset(rect, padding);
    const Rect visible = clip.intersected(surface.bounds());
    if (paddingRect.intersected(visible).isEmpty())
        return;
    const Rect marginRect = inset(rect, margin);
    const Rect fillClip = marginRect.intersected(visible);
    platform::Painter painter(surface);
    painter.setClip(visible);

    // The fill layer.
    if (!mainImage && fillColour != noColour && gradientColours.empty()) {
        if (fillAlpha < 255)
            painter.fillAlpha(marginRect, fillColour, fillAlpha);
        else
            painter.fillSolid(marginRect, fillColour);
    } else if (mainImage && gradientColours.size() < 2) {
        drawMainImage(surface, marginRect, fillClip);
    } else if (gradientColours.size() >= 2) {
        painter.fillGradient(marginRect, gradientColours[0], gradientColours[1],
                             horizontalGradient ? platform::GradientDirection::LeftToRight
                                                : platform::GradientDirection::TopToBottom);
    }

    if (isDrawn(solidBorder))
        painter.drawOutline(marginRect, penFor(solidBorder));
    if (isDrawn(outerBorder))
        painter.drawOutline(paddingRect, penFor(outerBorder));
    if (isDrawn(topBorder))
        painter.drawLine({marginRect.left, marginRect.top}, {marginRect.right, marginRect.top},
                         penFor(topBorder));
    if (isDrawn(bottomBorder))
        painter.drawLine({marginRect.left, marginRect.bottom - 1},
                         {marginRect.right, marginRect.bottom - 1}, penFor(bottomBorder));

    drawEdgeImages(surface, paddingRect, visible);
}

std::optional<platform::Colour> Background::plainColour() const {
    const bool images = mainImage || leftImage.image || rightImage.image || topImage.image ||
                        bottomImage.image || leftTopImage || rightTopImage || leftBottomImage ||
                        rightBottomImage;
    const bool borders =
        isDrawn(solidBorder) || isDrawn(outerBorder) || isDrawn(topBorder) || isDrawn(bottomBorder);
    auto zero = [](const Insets& i) {
        return i.top == 0 && i.left == 0 && i.right == 0 && i.bottom == 0;
    };
    if (none || images || borders || !gradientColours.empty() || fillColour == noColour ||
        fillAlpha < 255 || !zero(margin) || !zero(padding))
        return std::nullopt;
    return fillColour;
}

void Background::drawMainImage(platform::Surface& surface, const Rect& marginRect,
                               const Rect& fillClip) const {
    Image* image = mainImage->image();
    if (!image) {
        platform::Painter painter(surface);
        painter.setClip(fillClip);
        painter.fillSolid(marginRect, missingImageColour);
        return;
    }
    const platform::RasterOp op = rasterOpFor(drawingMode);
    if (stretch) {
        image->draw(surface, marginRect, fillClip, true, op);
    } else if (map) {
        // Controls sharing one screen-sized picture each show the part beneath them.
        image->drawAt(surface, 0, 0, fillClip, op);
    } else if (tile) {
        image->drawTiled(surface, marginRect, fillClip, op);
    } else {
        image->drawAt(surface, marginRect.left, marginRect.top, fillClip, op);
    }
}

void Background::drawEdgeImages(platform::Surface& surface, const Rect& paddingRect,
                                const Rect& visible) const {
    Image* top = imageOf(topImage.image.get());
    Image* bottom = imageOf(bottomImage.image.get());
    Image* left = imageOf(leftImage.image.get());
    Image* right = imageOf(rightImage.image.get());
    Image* leftTop = imageOf(leftTopImage.get());
    Image* rightTop = imageOf(rightTopImage.get());
    Image* leftBottom = imageOf(leftBottomImage.get());
    Image* rightBottom = imageOf(rightBottomImage.get());
    if (!top && !bottom && !left && !right && !leftTop && !rightTop && !leftBottom && !rightBottom)
        return;

    // With a bottom image the padding rectangle splits at its middle: the top edge and
    // the upper corners stay above it, the bottom edge and the lower corners below.
    Rect upper = paddingRect;
    Rect lower = paddingRect;
    if (bottom)
        upper.bottom = lower.top = paddingRect.top + paddingRect.height() / 2;
    const Rect upperClip = upper.intersected(visible);
    const Rect lowerClip = lower.intersected(visible);
    const Rect& p = paddingRect;

    if (top && topImage.tiled)
        tileAlong(surface, *top, true, p.top, p.left + widthOf(leftTop),
                  p.right - widthOf(rightTop), upperClip);
    else if (top)
        top->drawAt(surface, p.left + (p.width() - top->width()) / 2, p.top, upperClip);

    if (bottom && bottomImage.tiled)
        tileAlong(surface, *bottom, true, p.bottom - bottom->height(), p.left + widthOf(leftBottom),
                  p.right - widthOf(rightBottom), lowerClip);
    else if (bottom)
        bottom->drawAt(surface, p.left + (p.width() - bottom->width()) / 2,
                       p.bottom - bottom->height(), lowerClip);

    // The side tiles start below the upper corner and stop above the lower one, but
    // never reach past the half of the rectangle that corner lives in.
    auto drawSide = [&](Image* image, bool tiled, int x, Image* upperCorner, Image* lowerCorner) {
        if (!image)
            return;
        if (!tiled) {
            image->drawAt(surface, x, p.top + (p.height() - image->height()) / 2, visible);
            return;
        }
        tileAlong(surface, *image, false, x,
                  p.top + std::min(heightOf(upperCorner), upper.height()),
                  p.bottom - std::min(heightOf(lowerCorner), lower.height()), visible);
    };
    drawSide(left, leftImage.tiled, p.left, leftTop, leftBottom);
    if (right)
        drawSide(right, rightImage.tiled, p.right - right->width(), rightTop, rightBottom);

    if (leftBottom)
        leftBottom->drawAt(surface, p.left, p.bottom - leftBottom->height(), lowerClip);
    if (rightBottom)
        rightBottom->drawAt(surface, p.right - rightBottom->width(),
                            p.bottom - rightBottom->height(), lowerClip);
    if (leftTop)
        leftTop->drawAt(surface, p.left, p.top, upperClip);
    if (rightTop)
        rightTop->drawAt(surface, p.right - rightTop->width(), p.top, upperClip);
}

} // namespace vantrel
