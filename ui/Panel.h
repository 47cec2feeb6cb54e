#pragma once
// A full page: a background over its rectangle, a title header as its first child, and
// whatever the screen adds after it.

#include "ui/ContainerPanel.h"

#include <vector>

namespace vantrel {

class HeaderLabel;
struct MenuEntry;

class Panel : public ContainerPanel {
public:
    // Creates the header with the same window and instance name.
    Panel(platform::WindowHandle window, std::u16string name);
    ~Panel() override;

    // The background "background" over the rectangle, then the children.
    int paint(PaintContext& context, platform::Rect clip) override;
    // Lets the screen put its own entries into its header's menu; none by default.
    virtual void addHeaderMenuEntries(std::vector<MenuEntry>& entries);

    HeaderLabel* header() const { return header_; }

private:
    HeaderLabel* header_;
};

} // namespace vantrel
