#include "ui/BorderPanel.h"

#include "lists/Animation.h"
#include "lists/Transitions.h"
#include "ui/ControlHost.h"
#include "ui/RelativeButton.h"

#include <algorithm>
#include <cstdlib>

namespace vantrel {

using platform::Rect;

namespace {

enum IntSlot {
    marginSlot,
    buttonWidthSlot,
    buttonHeightSlot,
    heightSlot,
    columnSlot,
    showSlot,
    hideSlot
};
enum BackgroundSlot { panelLook };

// A panel this close to where it should go is put there without a slide.
constexpr int snapDistance = 6;

} // namespace

std::vector<MenuEntry> pageMenuEntries(std::vector<MenuEntry> entries, int capacity) {
    capacity = std::max(capacity, 1);
    std::erase_if(entries, [](const MenuEntry& entry) { return entry.hidden; });
    const int total = static_cast<int>(entries.size());
    if (total <= capacity || capacity >= total - 1)
        return entries;
    std::vector<MenuEntry> page(std::make_move_iterator(entries.begin()),
                                std::make_move_iterator(entries.begin() + capacity));
    MenuEntry more{u"more", nullptr, false, {}, {}};
    more.children.assign(std::make_move_iterator(entries.begin() + capacity),
                         std::make_move_iterator(entries.end()));
    page.push_back(std::move(more));
    return page;
}

BorderPanel::BorderPanel(platform::WindowHandle window, std::u16string menuName)
    : ContainerPanel(window, u"menupanel", std::move(menuName)) {
    setVisible(false);
}

int BorderPanel::pageCapacity() {
    int buttonHeight = getInt(u"buttonheight", buttonHeightSlot);
    if (buttonHeight <= 0)
        return 1;
    return std::max(getInt(u"height", heightSlot) / buttonHeight - 2, 1);
}

void BorderPanel::setEntries(std::vector<MenuEntry> entries, ContainerPanel* container) {
    container_ = container;
    // The buttons may be running the very action that replaces them ("More..."), so they
    // go once the current input has been handled.
    for (auto& old : removeAllChildren())
        ControlHost::deleteLater(window(), std::move(old));
    captions_.clear();
    for (MenuEntry& entry : pageMenuEntries(std::move(entries), pageCapacity())) {
        auto button = std::make_unique<RelativeButton>(window(), entry.name, this, Rect{});
        if (!entry.children.empty() && !entry.action)
            button->setAction(
                std::make_unique<SubMenuAction>(this, container, std::move(entry.children)));
        else
            button->setAction(
                std::make_unique<DeleteProxyAction>(std::move(entry.action), this, container));
        addChild(std::move(button));
        captions_.push_back(std::move(entry.caption));
    }
}

void BorderPanel::layout(const Rect& reference) {
    reference_ = reference;
    const int margin = getInt(u"margin", marginSlot);
    const int cellWidth = getInt(u"buttonwidth", buttonWidthSlot);
    const int cellHeight = getInt(u"buttonheight", buttonHeightSlot);
    const int columns = std::max(getInt(u"buttoncolumn", columnSlot), 1);
    const int count = static_cast<int>(childCount());
    // Entries fill the columns row by row, so the first entries stay at the top.
    const int rows = (count + columns - 1) / columns;
    const int width = columns * cellWidth + 2 * margin;
    const int left = reference.left + (reference.width() - width) / 2;
    setRect({left, 0, left + width, rows * cellHeight + 2 * margin});
    for (int i = 0; i < count; ++i) {
        auto* button = static_cast<RelativeButton*>(child(i));
        button->setRelativeRect(Rect::fromSize(margin + (i % columns) * cellWidth,
                                               margin + (i / columns) * cellHeight, cellWidth,
                                               cellHeight));
        button->layout(reference);
        if (!captions_[i].empty())
            button->setText(captions_[i]);
    }
}

int BorderPanel::paint(PaintContext& context, Rect clip) {
    if (rect().intersected(clip).isEmpty())
        return 0;
    drawBackground(context, getBackground(u"background", panelLook), rect(), clip);
    return ContainerPanel::paint(context, clip);
}

Rect BorderPanel::onStylusDown(int x, int y) {
    touched_ = true;
    Rect handled = ContainerPanel::onStylusDown(x, y);
    // Modal: a touch beside the buttons is still taken, so nothing underneath reacts.
    return handled.isEmpty() ? Rect{x, y, x + 1, y + 1} : handled;
}

Rect BorderPanel::onStylusMove(int x, int y) {
    Rect dirty;
    for (size_t i = 0; i < childCount(); ++i)
        if (child(i)->isVisible())
            dirty = dirty.united(child(i)->onStylusMove(x, y));
    return dirty;
}

Rect BorderPanel::onStylusUp(int x, int y) {
    const bool touched = std::exchange(touched_, false);
    Rect handled = ContainerPanel::onStylusUp(x, y);
    if (!handled.isEmpty() || !touched)
        return handled;
    if (dismiss_) {
        dismiss_->execute();
        return {x, y, x + 1, y + 1};
    }
    Rect was = rect();
    close();
    return was;
}

void BorderPanel::close() {
    hide();
    if (container_)
        if (auto self = container_->removeChild(this))
            ControlHost::deleteLater(window(), std::move(self));
}

void BorderPanel::show() {
    setVisible(true);
    setRect(rect().offsetBy(0, -rect().bottom));
    const Rect client = platform::clientRect(window());
    runControlAnimation(window(), *this,
                        std::make_unique<VerticalSlideAnimation>(
                            *this, 0, getInt(u"show.duration", showSlot), client));
}

void BorderPanel::hide() {
    const int target = -rect().height();
    if (std::abs(rect().top - target) <= snapDistance) {
        setRect(rect().offsetBy(0, target - rect().top));
    } else {
        const Rect client = platform::clientRect(window());
        runControlAnimation(window(), *this,
                            std::make_unique<VerticalSlideAnimation>(
                                *this, target, getInt(u"hide.duration", hideSlot), client));
    }
    setVisible(false);
    invalidate(platform::clientRect(window()));
}

BorderPanel* showMenu(ContainerPanel* container, std::u16string menuName,
                      std::vector<MenuEntry> entries) {
    auto* panel = container->addChildFront(
        std::make_unique<BorderPanel>(container->window(), std::move(menuName)));
    panel->setEntries(std::move(entries), container);
    panel->layout(container->rect());
    panel->show();
    return panel;
}

void SubMenuAction::execute() {
    if (!panel_)
        return;
    BorderPanel* panel = std::exchange(panel_, nullptr);
    // This action belongs to one of the buttons being replaced: nothing of it is used
    // after the hand-over.
    const Rect before = panel->rect();
    const platform::WindowHandle window = panel->window();
    panel->setEntries(std::move(entries_), container_);
    panel->layout(container_->rect());
    slideTransition(window, 0, before.united(panel->rect()));
}

} // namespace vantrel
