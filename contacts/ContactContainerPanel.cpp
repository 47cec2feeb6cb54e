#include "contacts/ContactContainerPanel.h"

#include "lists/LeftSearchPanel.h"
#include "ui/HeaderLabel.h"
#include "ui/Label.h"

namespace vantrel {

ContactContainerPanel::ContactContainerPanel(platform::WindowHandle window, std::u16string name)
    : Panel(window, std::move(name)) {
    list_ = addChild(std::make_unique<ContactSmartListControl>(window));
    strip_ = addChild(std::make_unique<LeftSearchPanel>(window, u"indexcontactsearch", *list_));
    filterLabel_ = addChild(std::make_unique<Label>(window, u"filterlabel"));
    list_->setTitleLabel(filterLabel_);
    reorder();
}

ContactContainerPanel::~ContactContainerPanel() {
    // The strip unhooks itself from the list, which must still be there.
    removeChild(strip_);
}

void ContactContainerPanel::layout(const platform::Rect& reference) {
    Panel::layout(reference);
    // The label read its own (empty) text while laid out after the list.
    if (list_->filter())
        filterLabel_->setText(list_->filter()->label());
}

void ContactContainerPanel::replace(LightControl*& slot, std::unique_ptr<LightControl> control) {
    if (slot)
        removeChild(slot);
    slot = control ? addChild(std::move(control)) : nullptr;
    reorder();
}

void ContactContainerPanel::setIconBar(std::unique_ptr<LightControl> control) {
    replace(iconBar_, std::move(control));
}

void ContactContainerPanel::setPhonePad(std::unique_ptr<LightControl> control) {
    if (control)
        control->setVisible(false);
    replace(phonePad_, std::move(control));
}

void ContactContainerPanel::setFilterMenu(std::unique_ptr<LightControl> control) {
    if (control)
        control->setVisible(false);
    replace(filterMenu_, std::move(control));
}

void ContactContainerPanel::reorder() {
    std::vector<std::unique_ptr<LightControl>> children = removeAllChildren();
    auto take = [&children](LightControl* wanted) {
        for (auto& child : children)
            if (child.get() == wanted)
                return std::move(child);
        return std::unique_ptr<LightControl>();
    };
    // Children paint from the last to the first: the filter label goes before the
    // header so it is drawn over the header's strip, where it sits; it takes no input.
    for (LightControl* wanted :
         {static_cast<LightControl*>(filterLabel_), static_cast<LightControl*>(header()), phonePad_,
          iconBar_, static_cast<LightControl*>(strip_), static_cast<LightControl*>(list_),
          filterMenu_})
        if (wanted)
            addChild(take(wanted));
}

// ---- favourites ----

FavoriteContactSmartListControl::FavoriteContactSmartListControl(platform::WindowHandle window,
                                                                 std::u16string name)
    : ContactSmartListControl(window, std::move(name)) {}

void FavoriteContactSmartListControl::startLoading() {
    shownItemsRef().clear();
    resetContentHeight();
}

FavoriteContainerPanel::FavoriteContainerPanel(platform::WindowHandle window, std::u16string name)
    : ContainerPanel(window, u"panel", name) {
    list_ = addChild(std::make_unique<FavoriteContactSmartListControl>(window, u"favoritelist"));
}

} // namespace vantrel
