#include "settings/SettingQuery.h"

#include "platform/core/Utf.h"

#include <cstdio>

namespace vantrel {

namespace {

std::string describeImage(const ImageHolder* holder) {
    return holder ? platform::toUtf8(holder->cacheKey()) : std::string("-");
}

void appendField(std::string& out, const char* name, const std::string& value) {
    if (!out.empty())
        out += ' ';
    out += name;
    out += '=';
    out += value;
}

std::string describeBorder(const BorderStyle& border) {
    return describeColour(border.colour) + "/" + std::to_string(border.width);
}

std::string describeInsets(const Insets& insets) {
    return std::to_string(insets.top) + "/" + std::to_string(insets.left) + "/" +
           std::to_string(insets.right) + "/" + std::to_string(insets.bottom);
}

std::string describeEdge(const EdgeImage& edge) {
    return edge.image ? describeImage(edge.image.get()) + (edge.tiled ? "/tiled" : "") : "-";
}

bool parseInteger(const std::u16string& word, int& value) {
    if (word.empty())
        return false;
    size_t i = word[0] == u'-' ? 1 : 0;
    if (i == word.size())
        return false;
    for (size_t j = i; j < word.size(); ++j)
        if (word[j] < u'0' || word[j] > u'9')
            return false;
    value = readNumber(word);
    return true;
}

} // namespace

std::string describeColour(platform::Colour colour) {
    if (colour == noColour)
        return "none";
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", platform::redOf(colour),
                  platform::greenOf(colour), platform::blueOf(colour));
    return text;
}

std::string describeFont(const Font& font) {
    if (font.isNone())
        return "none";
    std::string out;
    const FontDescription& description = font.description();
    appendField(out, "size", std::to_string(font.pixelSize()));
    appendField(out, "weight", std::to_string(description.weight));
    appendField(out, "italic", description.italic ? "1" : "0");
    appendField(out, "face", "\"" + platform::toUtf8(description.face) + "\"");
    appendField(out, "colour", describeColour(font.colour()));
    appendField(out, "align", std::to_string(font.alignment()));
    appendField(out, "indent", std::to_string(font.indent()));
    return out;
}

std::string describeBackground(const Background& background) {
    if (background.none)
        return "none";
    std::string out;
    appendField(out, "fill", describeColour(background.fillColour));
    appendField(out, "alpha", std::to_string(background.fillAlpha));
    std::string gradient = background.verticalGradient     ? "vertical"
                           : background.horizontalGradient ? "horizontal"
                                                           : "-";
    for (platform::Colour colour : background.gradientColours)
        gradient += "," + describeColour(colour);
    appendField(out, "gradient", gradient);
    std::string image = describeImage(background.mainImage.get());
    if (background.mainImage)
        image += background.stretch ? "/stretch"
                 : background.tile  ? "/tile"
                 : background.map   ? "/map"
                                    : "";
    appendField(out, "image", image);
    appendField(out, "rop",
                background.drawingMode == Background::invertedCopyMode ? "inverse" : "copy");
    appendField(out, "left", describeEdge(background.leftImage));
    appendField(out, "right", describeEdge(background.rightImage));
    appendField(out, "top", describeEdge(background.topImage));
    appendField(out, "bottom", describeEdge(background.bottomImage));
    appendField(out, "corners",
                describeImage(background.leftTopImage.get()) + "/" +
                    describeImage(background.rightTopImage.get()) + "/" +
                    describeImage(background.leftBottomImage.get()) + "/" +
                    describeImage(background.rightBottomImage.get()));
    appendField(out, "solidborder", describeBorder(background.solidBorder));
    appendField(out, "outerborder", describeBorder(background.outerBorder));
    appendField(out, "topborder", describeBorder(background.topBorder));
    appendField(out, "bottomborder", describeBorder(background.bottomBorder));
    appendField(out, "margin", describeInsets(background.margin));
    appendField(out, "padding", describeInsets(background.padding));
    return out;
}

bool runSettingCommand(SettingStore& store, const std::vector<std::u16string>& words,
                       std::string& output, std::string& error) {
    if (words.size() < 4) {
        error = "usage: setting KIND TYPE INSTANCE PROPERTY";
        return false;
    }
    const std::u16string& kind = words[0];
    const std::u16string &type = words[1], &instance = words[2], &property = words[3];
    size_t expected = kind == u"box" ? 8 : 4;
    if (words.size() != expected) {
        error = kind == u"box" ? "usage: setting box TYPE INSTANCE PROPERTY LEFT TOP RIGHT BOTTOM"
                               : "too many words for setting " + platform::toUtf8(kind);
        return false;
    }
    if (kind == u"text") {
        output = platform::toUtf8(store.text(type, instance, property));
    } else if (kind == u"colour" || kind == u"color") {
        output = describeColour(store.colour(type, instance, property));
    } else if (kind == u"measure") {
        output = std::to_string(store.measure(type, instance, property));
    } else if (kind == u"flag") {
        output = store.flag(type, instance, property) ? "1" : "0";
    } else if (kind == u"number") {
        char text[64];
        std::snprintf(text, sizeof text, "%g", store.number(type, instance, property));
        output = text;
    } else if (kind == u"box") {
        int edges[4];
        for (int i = 0; i < 4; ++i) {
            if (!parseInteger(words[4 + i], edges[i])) {
                error = "setting box: the parent rectangle needs four integers";
                return false;
            }
        }
        platform::Rect rect =
            store.box(type, instance, property).rectangle({edges[0], edges[1], edges[2], edges[3]});
        output = std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                 std::to_string(rect.right) + " " + std::to_string(rect.bottom);
    } else if (kind == u"font") {
        output = describeFont(store.font(type, instance, property));
    } else if (kind == u"background") {
        output = describeBackground(store.background(type, instance, property));
    } else {
        error = "unknown setting kind: " + platform::toUtf8(kind);
        return false;
    }
    return true;
}

bool runSettingCommand(const std::vector<std::u16string>& words, std::string& output,
                       std::string& error) {
    return runSettingCommand(SettingStore::instance(), words, output, error);
}

bool runSettingsLoadCommand(SettingStore& store, const std::vector<std::u16string>& words,
                            std::string& output, std::string& error) {
    if (words.size() != 1) {
        error = "usage: settings-load FILE";
        return false;
    }
    size_t before = store.lines(false).size() + store.lines(true).size();
    if (!store.loadFile(words[0])) {
        error = "settings-load: cannot read " + platform::toUtf8(words[0]);
        return false;
    }
    // Later settings must take effect on the next lookup, as after a theme change.
    store.clearCaches();
    size_t after = store.lines(false).size() + store.lines(true).size();
    output = "loaded " + platform::toUtf8(words[0]) + " (" + std::to_string(after - before) +
             " new keys)";
    return true;
}

bool runSettingsLoadCommand(const std::vector<std::u16string>& words, std::string& output,
                            std::string& error) {
    return runSettingsLoadCommand(SettingStore::instance(), words, output, error);
}

} // namespace vantrel
