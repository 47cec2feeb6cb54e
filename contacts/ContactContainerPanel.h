#pragma once
// The main screen: a page holding the index strip, the contact list and the filter
// label, with places for the icon bar, the phone pad and the filter menu, which their
// own screens put in. Children keep the order input meets them in: phone pad, icon
// bar, index strip, contact list, filter menu; the filter label, which takes no input,
// comes first so it is painted over the page's header.
//
// FavoriteContainerPanel hosts a FavoriteContactSmartListControl the same way, for a
// page of favourites only.

#include "contacts/ContactSmartListControl.h"
#include "ui/Panel.h"

#include <memory>

namespace vantrel {

class Label;
class LeftSearchPanel;

class ContactContainerPanel : public Panel {
public:
    ContactContainerPanel(platform::WindowHandle window, std::u16string name = u"contactcontainer");
    // The strip goes before the list it serves.
    ~ContactContainerPanel() override;

    // Lays everything out; the filter label then names the list's filter.
    void layout(const platform::Rect& reference) override;

    ContactSmartListControl* list() const { return list_; }
    LeftSearchPanel* indexStrip() const { return strip_; }
    Label* filterLabel() const { return filterLabel_; }
    LightControl* iconBar() const { return iconBar_; }
    LightControl* phonePad() const { return phonePad_; }
    LightControl* filterMenu() const { return filterMenu_; }

    // The places the later screens fill; each replaces what stood there. The phone pad
    // and the filter menu start hidden.
    void setIconBar(std::unique_ptr<LightControl> control);
    void setPhonePad(std::unique_ptr<LightControl> control);
    void setFilterMenu(std::unique_ptr<LightControl> control);

private:
    // Puts the children back in their order after a place was filled.
    void reorder();
    void replace(LightControl*& slot, std::unique_ptr<LightControl> control);

    ContactSmartListControl* list_ = nullptr;
    LeftSearchPanel* strip_ = nullptr;
    Label* filterLabel_ = nullptr;
    LightControl* iconBar_ = nullptr;
    LightControl* phonePad_ = nullptr;
    LightControl* filterMenu_ = nullptr;
};

// A contact list that shows the main list's favourites: it loads nothing itself.
class FavoriteContactSmartListControl : public ContactSmartListControl {
public:
    FavoriteContactSmartListControl(platform::WindowHandle window, std::u16string name);
    // Empties the shown rows; no load of its own.
    void startLoading() override;
};

class FavoriteContainerPanel : public ContainerPanel {
public:
    FavoriteContainerPanel(platform::WindowHandle window, std::u16string name);
    FavoriteContactSmartListControl* list() const { return list_; }

private:
    FavoriteContactSmartListControl* list_;
};

} // namespace vantrel
