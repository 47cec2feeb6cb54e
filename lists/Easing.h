#pragma once
// Position tables for animations: one integer position per 5 ms of an animation,
// following a curve that starts linear and eases out at the end.

#include <span>
#include <vector>

namespace vantrel {

// Milliseconds between two entries of a position table.
constexpr int easeStepMs = 5;

// The default curve: 0.0 to 0.80 in steps of 0.05, then easing out to 0.995.
std::span<const double> defaultEaseCurve();

// `entries` positions from `from` toward `to` (the last one is `to` exactly); a table
// for zero entries has one.
std::vector<int> easeTable(int from, int to, int entries,
                           std::span<const double> curve = defaultEaseCurve());

// The number of entries for a duration: one per 5 ms, plus the end.
constexpr int easeEntries(int durationMs) {
    return durationMs / easeStepMs + 1;
}

} // namespace vantrel
