#include "ui/Panel.h"

#include "ui/HeaderLabel.h"

namespace vantrel {

Panel::Panel(platform::WindowHandle window, std::u16string name)
    : ContainerPanel(window, u"panel", name),
      header_(addChild(std::make_unique<HeaderLabel>(window, std::move(name), this))) {}

Panel::~Panel() = default;

int Panel::paint(PaintContext& context, platform::Rect clip) {
    drawBackground(context, getBackground(u"background", 0), rect(), clip);
    return ContainerPanel::paint(context, clip);
}

void Panel::addHeaderMenuEntries(std::vector<MenuEntry>&) {}

} // namespace vantrel
