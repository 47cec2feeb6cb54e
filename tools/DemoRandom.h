#pragma once
// The demo data's random numbers: SplitMix64, because the same seed must give the same
// device on every machine and library, which the standard distributions do not promise.

#include <cstdint>
#include <vector>

namespace vantrel::tools {

class DemoRandom {
public:
    explicit DemoRandom(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 <= result < bound; 0 for a bound of 0.
    uint64_t below(uint64_t bound) { return bound ? next() % bound : 0; }
    bool chance(uint32_t percent) { return below(100) < percent; }
    template <typename T> const T& pick(const std::vector<T>& from) {
        return from[below(from.size())];
    }

private:
    uint64_t state_;
};

} // namespace vantrel::tools
