#pragma once
// Plain, obviously correct versions of the drawing loops, and seeded random inputs, for
// checking the fast paths pixel by pixel.

#include "platform/gfx/Surface.h"

#include <random>
#include <string>
#include <vector>

namespace vantrel::test {

using platform::Pixel565;

// D + ((S - D) * alpha) >> 8 on each 5-, 6- and 5-bit channel, as the rule says.
inline Pixel565 referenceBlend(Pixel565 d, Pixel565 s, int alpha) {
    auto channel = [&](int shift, int mask) {
        int dc = (d >> shift) & mask, sc = (s >> shift) & mask;
        return (dc + (((sc - dc) * alpha) >> 8)) << shift;
    };
    return static_cast<Pixel565>(channel(11, 0x1F) | channel(5, 0x3F) | channel(0, 0x1F));
}

inline platform::Surface randomSurface(std::mt19937& random, int width, int height) {
    platform::Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.set(x, y, static_cast<Pixel565>(random()));
    return s;
}

inline std::vector<Pixel565> randomRow(std::mt19937& random, size_t count) {
    std::vector<Pixel565> row(count);
    for (auto& p : row)
        p = static_cast<Pixel565>(random());
    return row;
}

inline int randomIn(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

// The first differing pixel, or an empty string when the surfaces are equal.
inline std::string firstDifference(const platform::Surface& a, const platform::Surface& b) {
    if (a.width() != b.width() || a.height() != b.height())
        return "sizes differ";
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.at(x, y) != b.at(x, y))
                return "pixel (" + std::to_string(x) + "," + std::to_string(y) +
                       "): " + std::to_string(a.at(x, y)) + " vs " + std::to_string(b.at(x, y));
    return {};
}

} // namespace vantrel::test
