#include "lists/ScreenAnimation.h"

#include "lists/Easing.h"
#include "platform/gfx/KernelClones.h"
#include "platform/gfx/PixelKernels.h"
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

// The width of the column blocks that the column arithmetic works on.
constexpr int columnBlock = 8;

// The value a fraction `f` of the way from `a` to `b`, rounded.
int mix(int a, int b, double f) {
    return a + static_cast<int>(std::lround((b - a) * f));
}

// The columns of a horizontal stretch in 16.16 steps: columns[i] = (start + i * step) >> 16
// for a `count` that is a multiple of columnBlock.
// NOTE: worked out a block at a time in vector registers and kept while the width stays,
// so that a stretched pixel is a load of its column, a load of the pixel and a store.
VT_KERNEL void stretchColumns(int* columns, int count, int start, int step) {
    for (int c = 0; c < count; c += columnBlock) {
        // Unsigned, so that the padding past the last column wraps instead of overflowing.
        for (int i = c; i < c + columnBlock; ++i)
            columns[i] =
                static_cast<int>((static_cast<unsigned>(start) +
                                  static_cast<unsigned>(i) * static_cast<unsigned>(step)) >>
                                 16);
    }
}

// A horizontal stretch, dst[i] = src[(start + i * step) >> 16], for a step of at most
// 9/8 of a pixel, where the picture pixels come in runs of consecutive ones. Index i reads
// i plus the skip count (start + i * (step - 1.0)) >> 16, so a run lasts while that count
// stays and ends where it reaches the next whole number.
// NOTE: one division per run of at least 8 pixels buys a memcpy of the run instead of a
// gather per pixel; a wider row (the picture nearly at its width) is one or two copies.
void stretchRowByRuns(Pixel565* dst, int count, const Pixel565* src, int start, int step) {
    const int extra = step - (1 << 16);
    int i = 0;
    while (i < count) {
        const int skipped = (start + i * extra) >> 16;
        int end = count;
        if (extra > 0) {
            // The first index whose skip count reaches the next one. The skip count stays
            // below an eighth of the row, so this fits 32 bits for any row a surface has.
            const int reach = ((skipped + 1) << 16) - start;
            end = std::min(count, (reach + extra - 1) / extra);
        }
        std::memcpy(dst + i, src + i + skipped, static_cast<size_t>(end - i) * sizeof(Pixel565));
        i = end;
    }
}

// Moves the card columns [from, to) down one row: offsets[c] becomes the picture pixel of
// column c at the current 16.16 row rows[c], which then advances by the column's step.
// `from` and `to` are multiples of columnBlock.
// NOTE: this is the arithmetic of a card pixel, done for a whole block of columns at once
// so that it runs in vector registers (the fixed-size inner loop is what the compiler
// vectorises); what is left per pixel is the load gatherRow does, a fraction of the cost
// of working out each pixel's address on its own.
VT_KERNEL void advanceColumns(int* __restrict offsets, int* __restrict rows,
                              const int* __restrict steps, const int* __restrict sources,
                              int stride, int from, int to) {
    for (int c = from; c < to; c += columnBlock) {
        for (int i = c; i < c + columnBlock; ++i) {
            offsets[i] = (rows[i] >> 16) * stride + sources[i];
            rows[i] += steps[i];
        }
    }
}

// out[c] = base[offsets[c]] for the columns [from, to) of one row.
// NOTE: the picture rows of neighbouring columns are at most a few rows apart, so the loads
// hit cache lines the previous rows brought in; a gather is one load and one store.
VT_KERNEL void gatherRow(Pixel565* out, const Pixel565* base, const int* offsets, int from,
                         int to) {
    for (int c = from; c < to; ++c)
        out[c] = base[offsets[c]];
}

// The end of the run of values at the start of [from, to) for which `holds` is true,
// when it holds for a prefix of the range only.
template <class Predicate> int endOfPrefix(int from, int to, Predicate holds) {
    while (from < to) {
        int middle = from + (to - from) / 2;
        if (holds(middle))
            from = middle + 1;
        else
            to = middle;
    }
    return from;
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

// ---- backdrop and card warp ----

void TransitionBackdrop::fillAround(Surface& frame, const Rect& area,
                                    std::initializer_list<const CardWarp*> cards) {
    if (picture_.width() != frame.width() || picture_.height() != frame.height() ||
        drawnFor_ != area) {
        picture_ = Surface(frame.width(), frame.height());
        background_->draw(picture_, area, area);
        drawnFor_ = area;
    }
    // The pixels under the cards would be overwritten at once; leaving them out saves most
    // of a frame copy while the cards are wide.
    for (int y = area.top; y < area.bottom; ++y) {
        const size_t row = static_cast<size_t>(y - area.top);
        // Walks the row from the left, copying up to the nearest card span that still
        // reaches past the cursor and jumping over it.
        int cursor = 0;
        for (;;) {
            const CardWarp::Span* next = nullptr;
            for (const CardWarp* card : cards) {
                const CardWarp::Span& span = card->spans()[row];
                if (span.from < span.to && span.to > cursor && (!next || span.from < next->from))
                    next = &span;
            }
            if (!next)
                break;
            copySpan(frame, picture_, y, area.left + cursor, area.left + next->from);
            cursor = next->to;
        }
        copySpan(frame, picture_, y, area.left + cursor, area.right);
    }
}

void CardWarp::draw(const Surface& picture, Surface& frame, const Rect& area, int left, int width,
                    int leftInset, int rightInset, const CardWarp* front) {
    const int areaWidth = area.width();
    const int height = area.height();
    const int first = std::max(0, left);
    const int last = std::min(areaWidth, left + width);
    spans_.assign(static_cast<size_t>(std::max(0, height)), Span{});
    if (width <= 0 || height <= 0 || first >= last)
        return;
    // Insets stay within a quarter of the height, so a column keeps at least half the
    // rows and its 16.16 row step times the row number stays far inside 32 bits.
    leftInset = std::clamp(leftInset, 0, height / 4);
    rightInset = std::clamp(rightInset, 0, height / 4);
    const double leftHeight = height - 2.0 * leftInset;
    const double rightHeight = height - 2.0 * rightInset;

    // The column arithmetic works on whole blocks; the columns of a block outside the card
    // get a zero step and are never drawn.
    const int blockFirst = first / columnBlock * columnBlock;
    const int blockLast = (last + columnBlock - 1) / columnBlock * columnBlock;
    const size_t columns = static_cast<size_t>(blockLast);
    if (sourceColumn_.size() < columns) {
        for (auto* map : {&sourceColumn_, &top_, &bottom_, &rowStep_, &row_, &pixel_})
            map->resize(columns);
    }
    for (int c = blockFirst; c < blockLast; ++c) {
        if (c < first || c >= last) {
            sourceColumn_[c] = top_[c] = bottom_[c] = rowStep_[c] = row_[c] = 0;
            continue;
        }
        const double x = (c - left + 0.5) / width;
        const double columnHeight = leftHeight + (rightHeight - leftHeight) * x;
        // Perspective: equal steps on the screen cover more of the picture where the card
        // is far (short), less where it is near (tall).
        const double t = x * rightHeight / ((1.0 - x) * leftHeight + x * rightHeight);
        const int rows = std::max(1, static_cast<int>(std::lround(columnHeight)));
        const int top = (height - rows) / 2;
        const int step = (height << 16) / rows;
        sourceColumn_[c] = area.left + std::min(areaWidth - 1, static_cast<int>(t * areaWidth));
        top_[c] = top;
        bottom_[c] = top + rows;
        rowStep_[c] = step;
        // Row y of the area shows picture row ((y - top) * step + step / 2) >> 16; this is
        // that 16.16 row for y = 0.
        row_[c] = step / 2 - top * step;
    }

    const int* tops = top_.data();
    const int* bottoms = bottom_.data();
    const Pixel565* base = picture.row(area.top);
    const bool leftFar = leftInset > rightInset;
    if (front && front->spans().size() != spans_.size())
        front = nullptr;
    Pixel565* out = frame.row(area.top) + area.left;
    for (int y = 0; y < height; ++y, out += frame.stride()) {
        advanceColumns(pixel_.data(), row_.data(), rowStep_.data(), sourceColumn_.data(),
                       picture.stride(), blockFirst, blockLast);
        // The card's columns that reach row y form one run: its tops and bottoms move
        // monotonically from the far edge to the near one.
        auto inside = [&](int c) { return tops[c] <= y && y < bottoms[c]; };
        int from = first, to = last;
        if (leftFar)
            from = endOfPrefix(first, last, [&](int c) { return !inside(c); });
        else if (leftInset < rightInset)
            to = endOfPrefix(first, last, inside);
        else if (!inside(first))
            continue;
        spans_[static_cast<size_t>(y)] = {from, to};
        const Span cover = front ? front->spans_[static_cast<size_t>(y)] : Span{};
        if (cover.from < cover.to) {
            // Only the parts left and right of the card in front.
            gatherRow(out, base, pixel_.data(), from, std::min(to, cover.from));
            gatherRow(out, base, pixel_.data(), std::max(from, cover.to), to);
        } else {
            gatherRow(out, base, pixel_.data(), from, to);
        }
    }
}

// ---- switch ----

SwitchScreenAnimation::SwitchScreenAnimation(int durationMs, int direction, int areaWidth,
                                             const Background& background)
    : ScreenAnimation(durationMs), backdrop_(background) {
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

void SwitchScreenAnimation::drawCard(CardWarp& warp, const Surface& picture, Surface& frame,
                                     const Rect& area, int position, int skew,
                                     const CardWarp* front) {
    const int turn = std::min(std::abs(skew), area.width() / 2);
    warp.draw(picture, frame, area, position, area.width() - turn, skew > 0 ? turn : 0,
              skew < 0 ? turn : 0, front);
}

void SwitchScreenAnimation::drawFrame(bool& done, int elapsed, const Surface& oldPicture,
                                      const Surface& newPicture, Surface& frame, const Rect& area) {
    elapsed = settle(done, elapsed);
    // The new card is in front: drawn first, it keeps the old one from drawing what it
    // would hide, and the backdrop goes around both.
    drawCard(newWarp_, newPicture, frame, area, positionAt(newPositions_, elapsed),
             positionAt(newSkews_, elapsed), nullptr);
    drawCard(oldWarp_, oldPicture, frame, area, positionAt(oldPositions_, elapsed),
             positionAt(oldSkews_, elapsed), &newWarp_);
    backdrop_.fillAround(frame, area, {&oldWarp_, &newWarp_});
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

void FlipScreenAnimation::drawFrame(bool& done, int elapsed, const Surface& oldPicture,
                                    const Surface& newPicture, Surface& frame, const Rect& area) {
    elapsed = settle(done, elapsed);
    const bool firstHalf = 2 * elapsed < duration();
    const int width = (area.width() * scaleAt(elapsed)) >> 12;
    // The edge turning away loses most when the card is edge-on; the old card turns its
    // leading edge away, the new one comes back with the other edge still far.
    const int turned = 4096 - scaleAt(elapsed);
    const int inset =
        static_cast<int>((static_cast<int64_t>(area.height()) * edgeInset / 4096) * turned / 4096);
    const bool rightFar = (direction_ == 0) == firstHalf;
    warp_.draw(firstHalf ? oldPicture : newPicture, frame, area, (area.width() - width) / 2, width,
               rightFar ? 0 : inset, rightFar ? inset : 0);
    backdrop_.fillAround(frame, area, {&warp_});
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
        const int count = span.right - span.left;
        const int step = static_cast<int>((static_cast<int64_t>(width) << 16) / count);
        Pixel565* out = frame.row(y) + span.left;
        const Pixel565* in = newPicture.row(span.sourceRow) + area.left;
        if (step <= (9 << 16) / 8) {
            stretchRowByRuns(out, count, in, step / 2, step);
            continue;
        }
        // While the shape grows all its rows have one width, so their columns are worked
        // out once.
        if (count != columnsCount_ || step != columnsStep_) {
            const size_t padded =
                static_cast<size_t>(count + columnBlock - 1) / columnBlock * columnBlock;
            if (columns_.size() < padded)
                columns_.resize(padded);
            stretchColumns(columns_.data(), static_cast<int>(padded), step / 2, step);
            columnsCount_ = count;
            columnsStep_ = step;
        }
        gatherRow(out, in, columns_.data(), 0, count);
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
