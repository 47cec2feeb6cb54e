#include "lists/Easing.h"

#include <algorithm>
#include <array>

namespace vantrel {

std::span<const double> defaultEaseCurve() {
    static constexpr std::array<double, 25> curve = {
        0.00, 0.05, 0.10, 0.15, 0.20, 0.25, 0.30,  0.35,  0.40,  0.45, 0.50, 0.55, 0.60,
        0.65, 0.70, 0.75, 0.80, 0.83, 0.86, 0.895, 0.925, 0.955, 0.98, 0.99, 0.995};
    return curve;
}

std::vector<int> easeTable(int from, int to, int entries, std::span<const double> curve) {
    entries = std::max(entries, 1);
    std::vector<int> table(static_cast<size_t>(entries));
    const int points = static_cast<int>(curve.size());
    for (int i = 0; i < entries; ++i) {
        double f = 1.0;
        if (i < entries - 1 && points > 1) {
            // The position along the curve in single precision, its blend in double.
            float t = static_cast<float>(i) * static_cast<float>(points - 1) /
                      static_cast<float>(entries);
            int k = static_cast<int>(t);
            f = curve[k] + (static_cast<double>(t) - k) * (curve[k + 1] - curve[k]);
        }
        table[static_cast<size_t>(i)] = static_cast<int>((to - from) * f + from);
    }
    return table;
}

} // namespace vantrel
