#include "settings/Background.h"

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

BorderStyle parseBorder(std::u16string_view argument) {
    auto pieces = splitAtComma(argument);
    return {parseColour(pieces[0]), pieces.size() > 1 ? readNumber(pieces[1]) : 1};
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
        int all = readNumber(*argument);
        insets = {all, all, all, all};
    }
    std::u16string sideName(name);
    size_t baseLength = sideName.size();
    auto side = [&](std::u16string_view suffix, int& field) {
        sideName.resize(baseLength);
        sideName += suffix;
        if (auto argument = findCall(text, sideName))
            field = readNumber(*argument);
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

} // namespace vantrel
