#include "settings/Box.h"

namespace vantrel {

Box::Box(std::u16string_view text) {
    auto pieces = splitAtComma(text);
    if (pieces.size() != 4) {
        platform::Size screen = ScreenMetrics::size();
        values_ = {0, 0, screen.width, screen.height};
        return;
    }
    bool doubled = ScreenMetrics::isHighResolution();
    for (size_t i = 0; i < 4; ++i) {
        int64_t number = readNumber(pieces[i]);
        if (hasUnit(pieces[i], u'p') && doubled)
            number *= 2;
        values_[i] = clampToInt(number);
        percentages_[i] = hasUnit(pieces[i], u'%');
    }
}

namespace {

// One edge along one axis: a percentage of the parent's extent, a negative number from
// the far edge, or an offset from the near edge. 64-bit arithmetic keeps hostile numbers
// from overflowing.
int placeEdge(int value, bool percentage, int nearEdge, int farEdge) {
    if (percentage)
        return clampToInt(nearEdge + (static_cast<int64_t>(farEdge) - nearEdge) * value / 100);
    if (value < 0)
        return clampToInt(static_cast<int64_t>(farEdge) + value);
    return clampToInt(static_cast<int64_t>(nearEdge) + value);
}

} // namespace

platform::Rect Box::rectangle(const platform::Rect& parent) const {
    return {placeEdge(values_[left], percentages_[left], parent.left, parent.right),
            placeEdge(values_[top], percentages_[top], parent.top, parent.bottom),
            placeEdge(values_[right], percentages_[right], parent.left, parent.right),
            placeEdge(values_[bottom], percentages_[bottom], parent.top, parent.bottom)};
}

} // namespace vantrel
