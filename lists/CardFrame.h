#pragma once
// The frames of the card transitions (switch and flip): pictures drawn as cards turned
// about a vertical axis, in front of a backdrop.
//
// A turned card scales every column by its own factor, so the frame is built transposed:
// each column of the area is a row of pixels that the pieces of the cards and the
// backdrop covering it fill by plain stretches of the pictures' (transposed) columns,
// and a transpose turns the columns back. The transposed pictures are made on first use
// and kept, which is why a frame of a run may take its pictures as fixed.

#include "lists/TransitionBackdrop.h"
#include "platform/core/Geometry.h"
#include "platform/gfx/ScratchSurface.h"
#include "platform/gfx/Surface.h"

#include <initializer_list>
#include <vector>

namespace vantrel {

// A picture's area as a card: the card spans `width` columns from `left` (relative to
// the area), and its left and right edges are shortened by their insets at the top and at
// the bottom. Columns are sampled in perspective (the far half of the card is squeezed),
// rows evenly over the column's height.
struct Card {
    const platform::Surface* picture = nullptr;
    int left = 0;
    int width = 0;
    int leftInset = 0;
    int rightInset = 0;
};

class CardFrame {
public:
    explicit CardFrame(const Background& backdrop) : backdrop_(backdrop) {}

    // Draws the cards, the first one in front, over the backdrop into `area` of `frame`.
    // Every pixel of the area is written; the pictures have the frame's size, and a
    // picture at the same address with the same geometry is taken to be unchanged.
    void draw(platform::Surface& frame, const platform::Rect& area,
              std::initializer_list<Card> cards);

private:
    // Where each column of the area shows a card: the picture column (a row of the
    // transposed picture), the rows [top, bottom) and the 16.16 picture row of the area's
    // row 0 with its step per row. Columns the card misses have top == bottom.
    struct Columns {
        const platform::Surface* transposed = nullptr;
        std::vector<int> source, top, bottom, start, step;
    };
    void mapColumns(const Card& card, const platform::Rect& area, Columns& columns);
    // Rows [from, to) of column c of the area into `out`, a row of a transposed frame.
    void drawColumn(int c, platform::Pixel565* out, int from, int to,
                    const std::vector<Columns>& cards);
    const platform::Surface& transposedOf(const platform::Surface& picture,
                                          const platform::Rect& area);

    // A picture's area transposed, and what it was made from.
    struct Transposed {
        const platform::Pixel565* pixels = nullptr;
        int stride = 0;
        platform::Rect area;
        platform::ScratchSurface surface;
    };

    TransitionBackdrop backdrop_;
    // The two pictures of a run.
    Transposed pictures_[2];
    int lastUsed_ = 0;
    std::vector<Columns> columns_;
    // A strip of columns of the frame, transposed: the width of a transpose tile.
    static constexpr int stripColumns = 32;
    platform::ScratchSurface strip_;
};

} // namespace vantrel
