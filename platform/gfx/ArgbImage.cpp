#include "platform/gfx/ArgbImage.h"

#include <algorithm>
#include <cmath>

namespace vantrel::platform {

ArgbImage::ArgbImage(int w, int h, uint32_t fill)
    : width(std::max(w, 0)), height(std::max(h, 0)),
      pixels(static_cast<size_t>(width) * height, fill) {}

Rgb565Image toRgb565(const ArgbImage& image) {
    Rgb565Image out;
    out.pixels = Surface(image.width, image.height);
    bool opaque = true;
    for (int y = 0; y < out.pixels.height(); ++y) {
        const uint32_t* src = image.pixels.data() + static_cast<size_t>(y) * image.width;
        Pixel565* dst = out.pixels.row(y);
        for (int x = 0; x < image.width; ++x) {
            dst[x] = argbToPixel565(src[x]);
            opaque = opaque && alphaOf(src[x]) == 255;
        }
    }
    if (!opaque) {
        out.alphaMask.resize(image.pixels.size());
        std::transform(image.pixels.begin(), image.pixels.end(), out.alphaMask.begin(),
                       [](uint32_t p) { return static_cast<uint8_t>(alphaOf(p)); });
    }
    return out;
}

ArgbImage fromRgb565(const Surface& surface) {
    ArgbImage out(surface.width(), surface.height());
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            Colour c = fromPixel565(surface.at(x, y));
            out.set(x, y, argb(255, redOf(c), greenOf(c), blueOf(c)));
        }
    return out;
}

namespace {

// One output sample of a 1-D resampling: the source taps and their weights (summing to 1).
struct Taps {
    int first = 0;
    std::vector<float> weights;
};

// The taps for each output position along one axis of length `from` resampled to `to`.
std::vector<Taps> axisTaps(int from, int to) {
    std::vector<Taps> taps(to);
    const double scale = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        Taps& t = taps[i];
        if (scale > 1.0) {
            // Shrinking: average the source span the output pixel covers, counting
            // partly covered source pixels by their share.
            const double begin = i * scale, end = (i + 1) * scale;
            t.first = static_cast<int>(begin);
            const int last = std::min(from - 1, static_cast<int>(std::ceil(end)) - 1);
            for (int s = t.first; s <= last; ++s) {
                double cover = std::min<double>(end, s + 1) - std::max<double>(begin, s);
                t.weights.push_back(static_cast<float>(std::max(cover, 0.0) / scale));
            }
        } else {
            // Growing (or the same size): bilinear between the two nearest centres.
            double centre = std::clamp((i + 0.5) * scale - 0.5, 0.0, from - 1.0);
            t.first = std::min(static_cast<int>(centre), from - 1);
            const float frac = static_cast<float>(centre - t.first);
            t.weights.push_back(1.0f - frac);
            if (t.first + 1 < from)
                t.weights.push_back(frac);
        }
    }
    return taps;
}

// Premultiplied channels as floats: alpha, red, green, blue.
struct Sample {
    float a = 0, r = 0, g = 0, b = 0;

    void add(const Sample& s, float w) {
        a += s.a * w;
        r += s.r * w;
        g += s.g * w;
        b += s.b * w;
    }
};

Sample premultiplied(uint32_t p) {
    const float a = alphaOf(p) / 255.0f;
    return {a, ((p >> 16) & 0xFF) * a, ((p >> 8) & 0xFF) * a, (p & 0xFF) * a};
}

uint32_t straight(const Sample& s) {
    if (s.a <= 0.0f)
        return 0;
    auto channel = [&](float v) {
        return static_cast<int>(std::clamp(v / s.a, 0.0f, 255.0f) + 0.5f);
    };
    const int a = static_cast<int>(std::clamp(s.a, 0.0f, 1.0f) * 255.0f + 0.5f);
    return argb(a, channel(s.r), channel(s.g), channel(s.b));
}

} // namespace

ArgbImage scaleArgb(const ArgbImage& image, int width, int height) {
    if (width <= 0 || height <= 0 || image.isEmpty() ||
        static_cast<int64_t>(width) * height > kMaxArgbPixels)
        return {};
    const std::vector<Taps> columns = axisTaps(image.width, width);
    const std::vector<Taps> rows = axisTaps(image.height, height);

    // Horizontal pass into premultiplied samples, then the vertical pass.
    std::vector<Sample> wide(static_cast<size_t>(width) * image.height);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < width; ++x) {
            Sample sum;
            const Taps& t = columns[x];
            for (size_t k = 0; k < t.weights.size(); ++k)
                sum.add(premultiplied(image.at(t.first + static_cast<int>(k), y)), t.weights[k]);
            wide[static_cast<size_t>(y) * width + x] = sum;
        }
    ArgbImage out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Sample sum;
            const Taps& t = rows[y];
            for (size_t k = 0; k < t.weights.size(); ++k)
                sum.add(wide[static_cast<size_t>(t.first + k) * width + x], t.weights[k]);
            out.set(x, y, straight(sum));
        }
    return out;
}

} // namespace vantrel::platform
