#pragma once
// A real sound for tests: a WAV file of a sine tone (16-bit mono PCM).

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace vantrel::test {

inline void writeToneWav(const std::filesystem::path& file, double seconds, double hertz = 440,
                         uint32_t rate = 22050) {
    const auto samples = static_cast<uint32_t>(seconds * rate);
    auto u32 = [](uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    std::string out = "RIFF" + u32(36 + samples * 2) + "WAVE" + "fmt " + u32(16) + u16(1) + u16(1) +
                      u32(rate) + u32(rate * 2) + u16(2) + u16(16) + "data" + u32(samples * 2);
    for (uint32_t i = 0; i < samples; ++i)
        out += u16(static_cast<uint16_t>(
            static_cast<int16_t>(12000 * std::sin(2 * M_PI * hertz * i / rate))));
    std::ofstream(file, std::ios::binary) << out;
}

} // namespace vantrel::test
