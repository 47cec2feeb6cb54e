#include "lists/ScreenAnimation.h"

#include "lists/Easing.h"
#include "platform/gfx/PixelKernels.h"
#include "platform/gfx/WarpKernels.h"
#include "settings/Background.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

namespace vantrel {

using platform::Pixel565;
using platform::Rect;
using platform::Surface;

namespace {

// Copies columns [from, to) of the area's row `y` (frame coordinates).
void copySpan(Surface& frame, const Surface& picture, int y, int from, int to) {
    if (to > from)
        std::memcpy(frame.row(y) + from, picture.row(y) + from,
                    static_cast<size_t>(to - from) * sizeof(Pixel565));
}

// Copies rows [top, bottom) of the area unchanged.
void copyRows(Surface& frame, const Surface& picture, const Rect& area, int top, int bottom) {
    for (int y = top; y < bottom; ++y)
        copySpan(frame, picture, y, area.left, area.right);
}

// The value a fraction `f` of the way from `a` to `b`, rounded.
int mix(int a, int b, double f) {
    return a + static_cast<int>(std::lround((b - a) * f));
}

} // namespace

// ---- the base ----

int ScreenAnimation::settle(bool& done, int elapsed) const {
    // The frame that reaches the duration is the end state and the last one.
    done = elapsed >= duration_;
    return std::clamp(elapsed, 0, duration_);
}

int ScreenAnimation::positionAt(const std::vector<int>& table, int elapsed) {
    size_t index = static_cast<size_t>(elapsed / easeStepMs);
    return table[std::min(index, table.size() - 1)];
}

// ---- slide ----

SlideScreenAnimation::SlideScreenAnimation(int durationMs, int direction, int areaWidth)
    : ScreenAnimation(durationMs), positions_(easeTable(0, areaWidth, easeEntries(duration()))),
      direction_(direction) {}

void SlideScreenAnimation::drawFrame(bool& done, int elapsed, const Surface& oldPicture,
                                     const Surface& newPicture, Surface& frame, const Rect& area) {
    elapsed = settle(done, elapsed);
    const int width = area.width();
    const int x = std::clamp(positionAt(positions_, elapsed), 0, width);
    const size_t pixel = sizeof(Pixel565);
    for (int y = area.top; y < area.bottom; ++y) {
        Pixel565* out = frame.row(y) + area.left;
        const Pixel565* before = oldPicture.row(y) + area.left;
        const Pixel565* after = newPicture.row(y) + area.left;
        if (direction_ == 0) {
            // The old screen leaves to the left, the new one follows from the right.
            std::memcpy(out, before + x, static_cast<size_t>(width - x) * pixel);
            std::memcpy(out + width - x, after, static_cast<size_t>(x) * pixel);
        } else {
            std::memcpy(out + x, before, static_cast<size_t>(width - x) * pixel);
            std::memcpy(out, after + width - x, static_cast<size_t>(x) * pixel);
        }
    }
}

// ---- slide-and-fade, fade ----

SlideFadeInOutAnimation::SlideFadeInOutAnimation(int durationMs, int areaHeight)
    : SlideFadeInOutAnimation(durationMs, easeTable(0, areaHeight, easeEntries(durationMs))) {}

SlideFadeInOutAnimation::SlideFadeInOutAnimation(int durationMs, std::vector<int> heights)
    : ScreenAnimation(durationMs), heights_(std::move(heights)) {}

void SlideFadeInOutAnimation::drawFrame(bool& done, int elapsed, const Surface& oldPicture,
                                        const Surface& newPicture, Surface& frame,
                                        const Rect& area) {
    elapsed = settle(done, elapsed);
    const int alpha = duration() > 0 ? std::min(256, elapsed * 256 / duration()) : 256;
    const int height = area.height();
    const int risen = std::clamp(positionAt(heights_, elapsed), 0, height);
    const int split = area.bottom - risen;
    copyRows(frame, oldPicture, area, area.top, split);
    // The top rows of the new picture, shown in the lower part of the area.
    for (int y = split; y < area.bottom; ++y)
        platform::kernels::mixRow(frame.row(y) + area.left, oldPicture.row(y) + area.left,
                                  newPicture.row(y - split + area.top) + area.left, area.width(),
                                  alpha);
}

FadeInOutAnimation::FadeInOutAnimation(int durationMs, int windowHeight)
    : SlideFadeInOutAnimation(durationMs,
                              easeTable(windowHeight, windowHeight, easeEntries(durationMs))) {}

// ---- switch ----

SwitchScreenAnimation::SwitchScreenAnimation(int durationMs, int direction, int areaWidth,
                                             const Background& background)
    : ScreenAnimation(durationMs), cards_(background) {
    // Direction 0 is the mirror image of direction 1, so in both the new card starts out
    // of sight and the first frame is the old screen.
    const int entries = easeEntries(duration());
    const int side = direction == 1 ? 1 : -1;
    const int away = side * areaWidth * 2 / 3;
    const int from = -side * areaWidth * 3 / 2;
    const int turn = -side * maxSkew;
    oldPositions_ = easeTable(0, away, entries);
    oldSkews_ = easeTable(0, turn, entries);
    newPositions_ = easeTable(from, 0, entries);
    newSkews_ = easeTable(-turn, 0, entries);
}

Card SwitchScreenAnimation::cardAt(const Surface& picture, const Rect& area, int position,
                                   int skew) {
    const int turn = std::min(std::abs(skew), area.width() / 2);
    return {&picture, position, area.width() - turn, skew > 0 ? turn : 0, skew < 0 ? turn : 0};
}

void SwitchScreenAnimation::drawFrame(bool& done, int elapsed, const Surface& oldPicture,
                                      const Surface& newPicture, Surface& frame, const Rect& area) {
    elapsed = settle(done, elapsed);
    // The new card is in front.
    cards_.draw(frame, area,
                {cardAt(newPicture, area, positionAt(newPositions_, elapsed),
                        positionAt(newSkews_, elapsed)),
                 cardAt(oldPicture, area, positionAt(oldPositions_, elapsed),
                        positionAt(oldSkews_, elapsed))});
}

// ---- flip ----

FlipScreenAnimation::FlipScreenAnimation(int durationMs, int direction,
                                         const Background& background)
    : ScreenAnimation(durationMs), direction_(direction), backdrop_(background) {}

int FlipScreenAnimation::scaleAt(int elapsed) const {
    if (duration() == 0)
        return 4096;
    const double angle = std::numbers::pi * elapsed / duration();
    return static_cast<int>(std::lround(4096.0 * std::abs(std::cos(angle))));
}

FlipScreenAnimation::Span FlipScreenAnimation::spanAt(int elapsed, int areaWidth) const {
    const int scale = scaleAt(elapsed);
    const int width = (areaWidth * scale) >> 12;
    const int left = (areaWidth - width) / 2;
    // The old card turns one half away, the new one comes back with the other half
    // still far.
    const bool rightFar = (direction_ == 0) == (2 * elapsed < duration());
    const int farShare = 2048 - farSqueeze * (4096 - scale) / 4096;
    const int far = width * farShare / 4096;
    return {left, rightFar ? left + width - far : left + far, left + width};
}

void FlipScreenAnimation::drawFrame(bool& done, int elapsed, const Surface& oldPicture,
                                    const Surface& newPicture, Surface& frame, const Rect& area) {
    elapsed = settle(done, elapsed);
    const Surface& picture = 2 * elapsed < duration() ? oldPicture : newPicture;
    const int width = area.width();
    const int half = width / 2;
    const Span span = spanAt(elapsed, width);
    backdrop_.prepare(area);
    for (int y = 0; y < area.height(); ++y) {
        Pixel565* out = frame.row(area.top + y) + area.left;
        const Pixel565* in = picture.row(area.top + y) + area.left;
        backdrop_.fillRow(out, y, 0, span.left);
        // Each half of the picture squeezed into its part of the card.
        platform::kernels::stretchRowToFit(out + span.left, span.middle - span.left, in, half);
        platform::kernels::stretchRowToFit(out + span.middle, span.right - span.middle, in + half,
                                           width - half);
        backdrop_.fillRow(out, y, span.right, width);
    }
}

// ---- genie ----

GenieAnimation::GenieAnimation(int durationMs, const Rect& source)
    : ScreenAnimation(durationMs), source_(source) {}

GenieAnimation::Outline GenieAnimation::outlineAt(int elapsed, const Rect& area) const {
    Outline o;
    // The source as seen from the area: clipped into it, at least a point.
    o.from = source_.intersected(area);
    if (o.from.isEmpty()) {
        int x = std::clamp(source_.left, area.left, area.right - 1);
        int top = std::clamp(source_.top, area.top, area.bottom - 1);
        o.from = {x, top, x, top};
    }
    // The shape at the end of the first phase: full height, half the remaining width.
    o.middle = {(o.from.left + area.left) / 2, area.top, (o.from.right + area.right + 1) / 2,
                area.bottom};
    const int growEnd = duration() * 6 / 10;
    if (elapsed < growEnd) {
        const double f = static_cast<double>(elapsed) / growEnd;
        o.shape = {mix(o.from.left, o.middle.left, f), mix(o.from.top, o.middle.top, f),
                   mix(o.from.right, o.middle.right, f), mix(o.from.bottom, o.middle.bottom, f)};
    } else {
        o.shape = o.middle;
        const int rest = duration() - growEnd;
        o.stretch = rest > 0 ? static_cast<double>(elapsed - growEnd) / rest : 1.0;
    }
    o.centre = (o.from.top + o.from.bottom) / 2.0;
    o.reach = std::max(o.centre - area.top, area.bottom - o.centre);
    return o;
}

inline GenieAnimation::RowSpan GenieAnimation::spanOf(const Outline& o, const Rect& area, int y) {
    if (y < o.shape.top || y >= o.shape.bottom || o.shape.isEmpty())
        return {};
    int left = o.shape.left, right = o.shape.right;
    if (o.stretch > 0.0) {
        // Rows level with the source reach the full width first, the farthest ones last;
        // every row is there at the end.
        const double distance = o.reach > 0 ? std::abs(y + 0.5 - o.centre) / o.reach : 0.0;
        const double f = std::clamp(2.0 * o.stretch - distance, 0.0, 1.0);
        left = mix(o.middle.left, area.left, f);
        right = mix(o.middle.right, area.right, f);
    }
    // A 32-bit division where the product allows it, which is always but for huge areas.
    const int64_t scaled = static_cast<int64_t>(y - o.shape.top) * area.height();
    const int sourceRow =
        area.top + (scaled <= INT32_MAX ? static_cast<int>(scaled) / o.shape.height()
                                        : static_cast<int>(scaled / o.shape.height()));
    return {left, right, sourceRow};
}

GenieAnimation::RowSpan GenieAnimation::rowSpan(int elapsed, const Rect& area, int y) const {
    return spanOf(outlineAt(elapsed, area), area, y);
}

void GenieAnimation::drawFrame(bool& done, int elapsed, const Surface& oldPicture,
                               const Surface& newPicture, Surface& frame, const Rect& area) {
    elapsed = settle(done, elapsed);
    const int width = area.width();
    const Outline outline = outlineAt(elapsed, area);
    for (int y = area.top; y < area.bottom; ++y) {
        const RowSpan span = spanOf(outline, area, y);
        if (span.right <= span.left) {
            copySpan(frame, oldPicture, y, area.left, area.right);
            continue;
        }
        copySpan(frame, oldPicture, y, area.left, span.left);
        copySpan(frame, oldPicture, y, span.right, area.right);
        platform::kernels::stretchRowToFit(frame.row(y) + span.left, span.right - span.left,
                                           newPicture.row(span.sourceRow) + area.left, width);
    }
}

// ---- reverse ----

ReverseAnimation::ReverseAnimation(std::unique_ptr<ScreenAnimation> wrapped)
    : ScreenAnimation(wrapped->duration()), wrapped_(std::move(wrapped)) {}

void ReverseAnimation::drawFrame(bool& done, int elapsed, const Surface& oldPicture,
                                 const Surface& newPicture, Surface& frame, const Rect& area) {
    elapsed = settle(done, elapsed);
    bool ignored = false;
    wrapped_->drawFrame(ignored, duration() - elapsed, newPicture, oldPicture, frame, area);
}

} // namespace vantrel
