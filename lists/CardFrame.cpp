#include "lists/CardFrame.h"

#include "platform/gfx/PixelKernels.h"
#include "platform/gfx/WarpKernels.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vantrel {

using platform::Pixel565;
using platform::Rect;
using platform::Surface;

namespace {

// The area of `picture` transposed into `out`: row c of `out` is column area.left + c.
void transposeArea(const Surface& picture, const Rect& area, platform::ScratchSurface& out) {
    out.resize(area.height(), area.width());
    platform::kernels::transposePixels(picture.row(area.top) + area.left, picture.stride(),
                                       out.surface().row(0), out.surface().stride(), area.width(),
                                       area.height());
}

} // namespace

const Surface& CardFrame::transposedOf(const Surface& picture, const Rect& area) {
    const Pixel565* pixels = picture.row(0);
    for (int i = 0; i < 2; ++i) {
        Transposed& t = pictures_[i];
        if (t.pixels == pixels && t.stride == picture.stride() && t.area == area) {
            lastUsed_ = i;
            return t.surface.surface();
        }
    }
    lastUsed_ = 1 - lastUsed_;
    Transposed& t = pictures_[lastUsed_];
    transposeArea(picture, area, t.surface);
    t.pixels = pixels;
    t.stride = picture.stride();
    t.area = area;
    return t.surface.surface();
}

void CardFrame::mapColumns(const Card& card, const Rect& area, Columns& columns) {
    const int areaWidth = area.width();
    const int height = area.height();
    for (auto* map :
         {&columns.source, &columns.top, &columns.bottom, &columns.start, &columns.step})
        map->assign(static_cast<size_t>(areaWidth), 0);
    const int first = std::max(0, card.left);
    const int last = std::min(areaWidth, card.left + card.width);
    columns.transposed =
        card.picture && first < last ? &transposedOf(*card.picture, area) : nullptr;
    if (!columns.transposed)
        return;
    // Insets stay within a quarter of the height, so a column keeps at least half the
    // rows: a row step of at most two pixels, which the stretch kernel draws fastest.
    const int leftInset = std::clamp(card.leftInset, 0, height / 4);
    const int rightInset = std::clamp(card.rightInset, 0, height / 4);
    const double leftHeight = height - 2.0 * leftInset;
    const double rightHeight = height - 2.0 * rightInset;
    for (int c = first; c < last; ++c) {
        const double x = (c - card.left + 0.5) / card.width;
        const double columnHeight = leftHeight + (rightHeight - leftHeight) * x;
        // Perspective: equal steps on the screen cover more of the picture where the card
        // is far (short), less where it is near (tall).
        const double t = x * rightHeight / ((1.0 - x) * leftHeight + x * rightHeight);
        const int rows = std::max(1, static_cast<int>(columnHeight + 0.5));
        const int top = (height - rows) / 2;
        const int step = (height << 16) / rows;
        columns.source[c] = std::min(areaWidth - 1, static_cast<int>(t * areaWidth));
        columns.top[c] = top;
        columns.bottom[c] = top + rows;
        columns.step[c] = step;
        // Row y shows picture row ((y - top) * step + step / 2) >> 16, the middle of the
        // rows it stands for.
        columns.start[c] = step / 2 - top * step;
    }
}

void CardFrame::drawColumn(int c, Pixel565* out, int from, int to,
                           const std::vector<Columns>& cards) {
    // From the top down: each stretch of rows shows the frontmost card that covers it, or
    // the backdrop, up to where that changes.
    for (int y = from; y < to;) {
        const Columns* owner = nullptr;
        int end = to;
        for (const Columns& card : cards) {
            const int top = card.top[c], bottom = card.bottom[c];
            if (top <= y && y < bottom) {
                owner = &card;
                end = std::min(end, bottom);
                break;
            }
            if (top > y && top < bottom)
                end = std::min(end, top);
        }
        if (owner) {
            const Surface& picture = *owner->transposed;
            platform::kernels::stretchRow(out + y, end - y, picture.row(owner->source[c]),
                                          picture.width(), owner->start[c] + y * owner->step[c],
                                          owner->step[c]);
        } else {
            backdrop_.fillColumn(out, c, y, end);
        }
        y = end;
    }
}

void CardFrame::draw(Surface& frame, const Rect& area, std::initializer_list<Card> cards) {
    if (area.isEmpty())
        return;
    backdrop_.prepare(area);
    columns_.resize(cards.size());
    size_t i = 0;
    for (const Card& card : cards)
        mapColumns(card, area, columns_[i++]);

    // NOTE: the frame is built a strip of columns at a time and each strip transposed at
    // once, while it is still in the cache; a whole transposed frame would go out to
    // memory and come back. Only the rows some card reaches go through the strip: above
    // and below them the backdrop goes straight into the frame.
    const int width = area.width(), height = area.height();
    strip_.resize(height, stripColumns);
    Surface& strip = strip_.surface();
    // The first strip ends where the frame's rows reach a cache line, so that the others
    // write whole lines.
    const auto address = reinterpret_cast<uintptr_t>(frame.row(area.top) + area.left);
    const int lead = static_cast<int>((-address & 63) / sizeof(Pixel565));
    for (int c0 = 0; c0 < width;) {
        const int columns = std::min(c0 == 0 && lead > 0 ? lead : stripColumns, width - c0);
        int top = height, bottom = 0;
        for (const Columns& card : columns_)
            for (int c = c0; c < c0 + columns; ++c)
                if (card.top[c] < card.bottom[c]) {
                    top = std::min(top, card.top[c]);
                    bottom = std::max(bottom, card.bottom[c]);
                }
        // Whole tiles of the transpose, which then reads whole cache lines of the strip.
        bottom = std::min(height, (bottom + stripColumns - 1) / stripColumns * stripColumns);
        top = std::min(top, bottom) / stripColumns * stripColumns;
        for (int c = c0; c < c0 + columns; ++c)
            drawColumn(c, strip.row(c - c0), top, bottom, columns_);
        platform::kernels::transposePixels(strip.row(0) + top, strip.stride(),
                                           frame.row(area.top + top) + area.left + c0,
                                           frame.stride(), bottom - top, columns);
        auto backdropRows = [&](int from, int to) {
            for (int y = from; y < to; ++y)
                backdrop_.fillRow(frame.row(area.top + y) + area.left, y, c0, c0 + columns);
        };
        backdropRows(0, top);
        backdropRows(bottom, height);
        c0 += columns;
    }
}

} // namespace vantrel
