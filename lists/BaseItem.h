#pragma once
// The plain rows: a text row with the list's item background (BaseItem), the same with
// its text drawn (SimpleItem), and a section header (SeparatorItem). They read their
// look from the list that first measured them.

#include "lists/IListItem.h"

#include <string>

namespace vantrel {

class BaseItem : public IListItem {
public:
    explicit BaseItem(std::u16string text) : text_(std::move(text)) {}

    // The list's "item.background", with ".highlighted" for the cursor row and
    // ".selected" for a selected item.
    int paint(PaintContext& context, const platform::Rect& rect, const platform::Rect& clip,
              bool highlighted) override;
    // The first character of the text, or a space.
    char16_t indexLetter() const override { return text_.empty() ? u' ' : text_.front(); }
    void describe(DumpWriter& out) const override;

    const std::u16string& text() const { return text_; }
    void setText(std::u16string text) { text_ = std::move(text); }

private:
    std::u16string text_;
};

// A row showing its text in the list's "item.text.box" with "item.font".
class SimpleItem : public BaseItem {
public:
    using BaseItem::BaseItem;
    int paint(PaintContext& context, const platform::Rect& rect, const platform::Rect& clip,
              bool highlighted) override;
};

// A section header: "separator.item.height", "separator.item.background", and the text
// in "separator.item.text.box" with "separator.item.font".
class SeparatorItem : public BaseItem {
public:
    using BaseItem::BaseItem;
    void updateHeight(SmartListControl& list) override;
    int paint(PaintContext& context, const platform::Rect& rect, const platform::Rect& clip,
              bool highlighted) override;
    void describe(DumpWriter& out) const override;
};

} // namespace vantrel
