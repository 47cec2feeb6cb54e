#pragma once
// A box places a control or a part of one inside its parent: "12p,42p,100%,-30p" gives
// left, top, right and bottom, each a number (doubled for "p" on a high-resolution
// screen), a percentage of the parent, or, when negative, a distance from the parent's
// far edge.

#include "settings/SettingValue.h"

#include <array>

namespace vantrel {

class Box : public SettingValue {
public:
    // Text that is not exactly four pieces covers the whole screen.
    explicit Box(std::u16string_view text);

    // The box inside a parent rectangle (right and bottom exclusive).
    platform::Rect rectangle(const platform::Rect& parent) const;

    enum Edge { left, top, right, bottom };
    int value(Edge edge) const { return values_[edge]; }
    bool isPercentage(Edge edge) const { return percentages_[edge]; }

private:
    std::array<int, 4> values_{};
    std::array<bool, 4> percentages_{};
};

} // namespace vantrel
