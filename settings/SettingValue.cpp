#include "settings/SettingValue.h"

#include "platform/core/Window.h"

#include <climits>
#include <optional>

namespace vantrel {

namespace {

struct ScreenState {
    std::function<platform::Size()> source;
    std::optional<bool> highResolution;
};

ScreenState& screenState() {
    static ScreenState state;
    return state;
}

bool isSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace

platform::Size ScreenMetrics::size() {
    auto& state = screenState();
    return state.source ? state.source() : platform::screenSize();
}

bool ScreenMetrics::isHighResolution() {
    auto& state = screenState();
    if (!state.highResolution)
        state.highResolution = size().width > 320;
    return *state.highResolution;
}

void ScreenMetrics::setSizeSource(std::function<platform::Size()> source) {
    auto& state = screenState();
    state.source = std::move(source);
    state.highResolution.reset();
}

int clampToInt(int64_t value) {
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

int readNumber(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        // Stop growing once beyond any 32-bit value; the clamp below saturates.
        if (value <= INT64_C(1) << 40)
            value = value * 10 + (text[i] - u'0');
    }
    return clampToInt(negative ? -value : value);
}

bool hasUnit(std::u16string_view text, char16_t unit) {
    return text.size() > 1 && text.find(unit, 1) != std::u16string_view::npos;
}

std::vector<std::u16string_view> splitAtComma(std::u16string_view text) {
    std::vector<std::u16string_view> pieces;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(u',', start);
        if (comma == std::u16string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
}

int parseMeasure(std::u16string_view text) {
    int64_t value = readNumber(text);
    if (hasUnit(text, u'p') && ScreenMetrics::isHighResolution())
        value *= 2;
    if (value < 0)
        value = ScreenMetrics::size().height - value;
    return clampToInt(value);
}

platform::Colour parseColour(std::u16string_view text) {
    size_t start = 0;
    while (start < text.size() && isSpace(text[start]))
        ++start;
    text.remove_prefix(start);
    if (!text.empty() && text[0] == u'#') {
        // Six hexadecimal digits or no colour at all: "#12" must not read as a colour
        // made of whatever happens to follow.
        if (text.size() < 7)
            return noColour;
        int channel[3];
        for (int i = 0; i < 3; ++i) {
            int high = hexDigit(text[1 + 2 * i]), low = hexDigit(text[2 + 2 * i]);
            if (high < 0 || low < 0)
                return noColour;
            channel[i] = high * 16 + low;
        }
        return platform::rgb(channel[0], channel[1], channel[2]);
    }
    auto pieces = splitAtComma(text);
    if (pieces.size() < 3)
        return noColour;
    return platform::rgb(readNumber(pieces[0]) & 0xFF, readNumber(pieces[1]) & 0xFF,
                         readNumber(pieces[2]) & 0xFF);
}

} // namespace vantrel
