#pragma once
// The parsed setting values (boxes, fonts, images, backgrounds) share this base so the
// store can cache them side by side, and the small syntaxes they are built from live
// here: numbers, units, measures and colours.

#include "platform/core/Geometry.h"
#include "platform/gfx/Surface.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace vantrel {

// A colour value that means "no colour": a fill is skipped, a font keeps the device's
// text colour, a border is not drawn.
constexpr platform::Colour noColour = 0xFFFFFFFF;

// The polymorphic base of every value the setting store parses and caches.
class SettingValue {
public:
    virtual ~SettingValue() = default;
};

// The screen the values are measured against. Whether it is a high-resolution screen
// (wider than 320 pixels, where every "p" number is doubled) is decided on first need
// and kept for the life of the process.
class ScreenMetrics {
public:
    // The current screen size; the platform's screen unless a source was installed.
    static platform::Size size();
    static bool isHighResolution();

    // Lets the program (or a test) say where the screen size comes from; an empty
    // function restores the platform's screen. The resolution class is decided again
    // on the next need.
    static void setSizeSource(std::function<platform::Size()> source);
};

// Reads a number the way the C library's decimal conversion does: optional white
// space, an optional sign, digits; the first other character ends it ("12p" is 12,
// "abc" is 0). Values beyond 32 bits saturate instead of wrapping.
int readNumber(std::u16string_view text);

// True when the text holds the unit character at index 1 or later ("2p" has the unit
// p; "p" alone has not).
bool hasUnit(std::u16string_view text, char16_t unit);

// Splits at every comma; an empty text gives one empty piece.
std::vector<std::u16string_view> splitAtComma(std::u16string_view text);

// A measure in pixels, milliseconds or a count: "p" numbers are doubled on a
// high-resolution screen, and a negative result counts from the screen's height
// ("-30" gives the screen height + 30).
int parseMeasure(std::u16string_view text);

// "#RRGGBB" or "r,g,b"; anything else is noColour.
platform::Colour parseColour(std::u16string_view text);

// Saturating helpers for numbers that come from outside files.
int clampToInt(int64_t value);

} // namespace vantrel
