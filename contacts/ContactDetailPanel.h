#pragma once
// The contact detail screen: the contact's name as the title, its picture, the
// favourite stripe, its detail lines, and a column of big buttons (SMS & History, one
// call button per number in the stored phone order, one mail button per address), over
// a row of Back / Edit / Note / More. "More" opens the contact menu, whose entries
// follow the contact: "Remove Picture" only while a picture shows, "Remove from fav."
// only for a favourite.
//
// The shown contact is a row of the main list; the screen keeps a reference to it, so a
// contact deleted by another program while it shows stays readable here, and every
// store write for it then simply fails.

#include "contacts/ContactListItem.h"
#include "lists/IListItem.h"
#include "ui/Panel.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class ButtonSmartListControl;
class ContactStoreAccess;
class Label;
class PictureControl;
struct MenuEntry;

// Where the screen's commands lead outside it; the screens behind them are the
// program's. An empty function does nothing.
struct ContactDetailRoutes {
    // Back to the main screen, with or without its transition.
    std::function<void(bool animate)> back;
    // The conversation with the contact on that number.
    std::function<void(ContactListItem&, const std::u16string& number)> conversation;
    std::function<void(ContactListItem&)> note;
    std::function<void(ContactListItem&)> editContact;
    // The dialer with the number, to change it before calling.
    std::function<void(ContactListItem&, const std::u16string& number)> editBeforeCall;
};

class ContactDetailPanel : public Panel {
public:
    // After a call the screen stays this long, then the main screen comes back.
    static constexpr uint32_t afterCallMs = 2000;

    explicit ContactDetailPanel(platform::WindowHandle window);
    ~ContactDetailPanel() override;

    void setStore(std::shared_ptr<ContactStoreAccess> store) { store_ = std::move(store); }
    ContactStoreAccess* store() const { return store_.get(); }
    void setRoutes(ContactDetailRoutes routes) { routes_ = std::move(routes); }
    const ContactDetailRoutes& routes() const { return routes_; }

    // ShowContact: remembers the contact, sets the title and detail lines, loads the
    // picture at the picture control's size and rebuilds the button column.
    void showContact(ContactListItem& contact);
    // The same contact again (after an edit, a picture change, a store change).
    void reload();
    // The shown contact; null before the first showContact.
    ContactListItem* contact() const;
    bool showsPicture() const;

    // The contact menu "contact.menu": view, edit, set or remove the picture, add to or
    // remove from the favourites, remove, cancel.
    std::vector<MenuEntry> contactMenuEntries();
    void openContactMenu();

    // Hands a call to the phone with the contact's name, then comes back to the main
    // screen after afterCallMs.
    void call(const std::u16string& number);
    // Drops the detail screen's picture and the list row's, as after a removal.
    void forgetPicture();
    // Repaints the favourite stripe (and the row in the list behind).
    void repaintFavorite();

    void layout(const platform::Rect& reference) override;
    // The background, the favourite stripe when the contact is a favourite, the children.
    int paint(PaintContext& context, platform::Rect clip) override;
    bool onTimer(uintptr_t id) override;
    // The contact's name, object id, favourite flag and whether a picture shows.
    void describe(DumpWriter& out) const override;

private:
    void fillButtons(const ContactListItem& contact);

    std::shared_ptr<ContactStoreAccess> store_;
    ContactDetailRoutes routes_;
    ItemRef contact_;
    ButtonSmartListControl* buttons_;
    PictureControl* picture_;
    Label* detailLines_;
    bool returnPending_ = false;
};

} // namespace vantrel
