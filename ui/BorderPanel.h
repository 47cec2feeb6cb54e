#pragma once
// The menu panel: a column of entry buttons that slides down from the top edge of the
// window, opened from a page header or a "More" button. While it is shown it is modal:
// every tap goes to it, and a tap beside its buttons closes it without reaching the
// screen below. A menu longer than one page ends with "More...", which slides the rest
// into the same panel.

#include "ui/Action.h"
#include "ui/ContainerPanel.h"

#include <memory>
#include <vector>

namespace vantrel {

// One entry: its name is the instance of the "menubutton" that shows it, so its caption
// is "menubutton.<name>.text". An entry with children and no action opens them as a
// submenu; an entry with neither only closes the menu ("cancel").
struct MenuEntry {
    std::u16string name;
    std::unique_ptr<Action> action;
    bool hidden = false;
    std::vector<MenuEntry> children;
    // A caption of its own instead of the setting (an input method's name).
    std::u16string caption;
};

// The entries of one page: the shown entries up to `capacity`, and when more than one
// further entry would follow, an entry "more" holding the rest as its children (which
// page the same way when opened). Hidden entries are left out before paging, so they
// take no place on a page.
std::vector<MenuEntry> pageMenuEntries(std::vector<MenuEntry> entries, int capacity);

class BorderPanel : public ContainerPanel {
public:
    // The menu's own name is its instance name ("menupanel.<name>.*" settings).
    BorderPanel(platform::WindowHandle window, std::u16string menuName);

    // Replaces the entry buttons by those of the first page of `entries`; choosing one
    // closes this panel (taking it out of `container`) and then runs its command.
    void setEntries(std::vector<MenuEntry> entries, ContainerPanel* container);
    // Entry cells of "buttonwidth" x "buttonheight" inside "margin", centred in the
    // reference rectangle horizontally, from y 0 down.
    void layout(const platform::Rect& reference) override;
    int paint(PaintContext& context, platform::Rect clip) override;
    platform::Rect onStylusDown(int x, int y) override;
    platform::Rect onStylusMove(int x, int y) override;
    platform::Rect onStylusUp(int x, int y) override;

    // Makes the panel visible just above the window and slides it down to y 0.
    void show();
    // Slides the panel up out of the window and hides it; a panel already within a few
    // pixels of that place jumps there.
    void hide();
    // Hides the panel and deletes it once the current input has been handled: a menu is
    // built anew at each opening, so a closed one must not stay behind.
    void close();
    // Run instead of closing when the user taps the panel beside its buttons.
    void setDismissAction(std::unique_ptr<Action> action) { dismiss_ = std::move(action); }
    // How many entries one page holds: "height" / "buttonheight" - 2, at least 1.
    int pageCapacity();

private:
    platform::Rect reference_;
    ContainerPanel* container_ = nullptr;
    // The entries' own captions, by button; empty where the setting names it.
    std::vector<std::u16string> captions_;
    bool touched_ = false;
    std::unique_ptr<Action> dismiss_;
};

// Builds the menu `menuName` with `entries` on top of `container`'s children and slides
// it in. Returns the panel, which belongs to the container.
BorderPanel* showMenu(ContainerPanel* container, std::u16string menuName,
                      std::vector<MenuEntry> entries);

// "More...": the next page of entries slides into the open panel in place of the
// current one.
class SubMenuAction : public Action {
public:
    SubMenuAction(BorderPanel* panel, ContainerPanel* container, std::vector<MenuEntry> entries)
        : panel_(panel), container_(container), entries_(std::move(entries)) {}
    void execute() override;

private:
    BorderPanel* panel_;
    ContainerPanel* container_;
    std::vector<MenuEntry> entries_;
};

} // namespace vantrel
