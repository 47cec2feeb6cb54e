#include "app/ScreenSwitch.h"

#include "app/Screens.h"
#include "app/Startup.h"
#include "contacts/AddContactDialog.h"
#include "contacts/ContactDetailPanel.h"
#include "contacts/ContactFilters.h"
#include "contacts/ContactNote.h"
#include "contacts/ContactSmartListControl.h"
#include "contacts/ContactStoreAccess.h"
#include "contacts/EditContactDialog.h"
#include "graphics/Image.h"
#include "lists/LeftSearchPanel.h"
#include "lists/SmartListControl.h"
#include "lists/Transitions.h"
#include "messaging/SMSPanel.h"
#include "phone/PhoneCall.h"
#include "phone/PhoneCallEditPanel.h"
#include "phone/PhonePad.h"
#include "settings/SettingStore.h"
#include "ui/ControlHost.h"
#include "ui/LightControl.h"
#include "ui/Panel.h"

namespace vantrel {

namespace {

bool visible(const LightControl* control) {
    return control && control->isVisible();
}

void setVisible(LightControl* control, bool on) {
    if (control)
        control->setVisible(on);
}

// Shows the new state of the screens: animated by `transition` over `area`, or rendered
// at once.
void present(bool animate,
             void (*transition)(platform::WindowHandle, int direction, const platform::Rect&),
             int direction, const platform::Rect& area) {
    platform::WindowHandle window = mainWindow();
    if (animate) {
        transition(window, direction, area);
        return;
    }
    ControlHost::beginScreenChangeAll(window);
    ControlHost::renderAll(window);
    platform::invalidateRect(window);
}

} // namespace

void goToContacts(bool animate) {
    Screens& s = screens();
    if (!s.contactContainer)
        return;
    if (!s.contactContainer->isVisible()) {
        bool detailOrFilter = visible(s.contactDetail) || visible(s.filterMenu);
        if (!detailOrFilter && !visible(s.smsPanel))
            return;
        setVisible(s.smsPanel, false);
        setVisible(s.contactDetail, false);
        s.contactContainer->setVisible(true);
        if (detailOrFilter) {
            setVisible(s.filterMenu, false);
            setVisible(s.contactList, true);
        }
        // The card swap back from the detail screen.
        const LightControl* from = s.contactDetail ? s.contactDetail : s.contactContainer;
        present(animate, switchTransition, 1, from->rect());
    } else {
        setVisible(s.smsPanel, false);
        setVisible(s.contactDetail, false);
        setVisible(s.filterMenu, false);
        setVisible(s.contactList, true);
        // Until the list exists, the container slides in.
        const LightControl* list = s.contactList ? s.contactList : s.contactContainer;
        present(animate, slideTransition, contactListSlideDirection(), list->rect());
    }
}

int contactListSlideDirection() {
    const auto* list = dynamic_cast<const SmartListControl*>(screens().contactList);
    bool all = !list || !list->filter() || dynamic_cast<const AllContactsFilterItem*>(list->filter());
    return all ? 1 : 0;
}

namespace {

// Sets the filter of type F on the main list, or all contacts again when toggling
// while it is already set. A drag on the index strip ends first: the list under it
// changes.
template <class F> void toggleFilter(bool toggle) {
    Screens& s = screens();
    if (auto* strip = dynamic_cast<LeftSearchPanel*>(s.indexStrip))
        strip->cancelPress();
    ContactSmartListControl* list = mainContactList();
    if (!list || !s.contactContainer || !s.contactContainer->isVisible())
        return;
    if (toggle && dynamic_cast<F*>(list->filter()))
        list->resetFilter();
    else
        list->setFilter(std::make_unique<F>());
}

// Hides every screen but `shown` and swaps the cards.
void showScreen(Panel* shown) {
    Screens& s = screens();
    if (!shown || shown->isVisible())
        return;
    for (Panel* screen : {s.contactContainer, s.contactDetail, s.smsPanel})
        setVisible(screen, screen == shown);
    present(true, switchTransition, 0, shown->rect());
}

} // namespace

void goToSmsList(bool toggle) {
    toggleFilter<SmsFilterItem>(toggle);
    goToContacts(true);
}

void goToFavorites(bool toggle) {
    toggleFilter<FavoriteFilterItem>(toggle);
    goToContacts(true);
}

void toggleDialpad() {
    if (auto* pad = dynamic_cast<PhonePad*>(screens().phonePad))
        pad->toggle();
}

void goToDialpad() {
    goToContacts(false);
    toggleDialpad();
}

void goToContactDetail(ContactListItem& contact) {
    Screens& s = screens();
    if (!s.detail)
        return;
    s.detail->showContact(contact);
    showScreen(s.detail);
}

namespace {

// Whether the conversation was opened from the detail screen, where it goes back to.
bool conversationFromDetail = false;

} // namespace

void goToConversation(ContactListItem* contact, const std::u16string& number) {
    Screens& s = screens();
    if (!s.conversation)
        return;
    ItemRef bare;
    if (!contact) {
        // A typed number: a row of its own that takes the contact list's settings but
        // is not shown in it, with nothing counted.
        auto row = new SmsContactListItem(
            number, number, false, SettingStore::instance().globalText(u"servicemessage.text"));
        bare = ItemRef(row);
        row->counters() = {};
        if (ContactSmartListControl* list = mainContactList())
            row->updateHeight(*list);
        contact = row;
    }
    conversationFromDetail = visible(s.contactDetail);
    s.conversation->open(*contact, number);
    showScreen(s.smsPanel);
}

void goBackFromConversation() {
    Screens& s = screens();
    if (!conversationFromDetail || !s.detail || !s.detail->contact()) {
        goToContacts(true);
        return;
    }
    setVisible(s.smsPanel, false);
    s.detail->setVisible(true);
    present(true, switchTransition, 1, s.detail->rect());
}

ConversationRoutes conversationRoutes() {
    ConversationRoutes routes;
    routes.back = [] { goBackFromConversation(); };
    routes.contactDetail = [](ContactListItem& contact) { goToContactDetail(contact); };
    routes.addContact = [](const std::u16string& number) { goToAddContact(number); };
    routes.call = [](const std::u16string& number, const std::u16string& name) {
        telephonyCall(mainWindow(), number, name);
    };
    routes.unreadChanged = [](int change) {
        setUnreadSmsCount(std::max(unreadSmsCount() + change, 0));
        platform::invalidateRect(mainWindow());
    };
    routes.picture = [](ContactListItem& contact, platform::Size size) -> std::unique_ptr<Image> {
        ContactSmartListControl* list = mainContactList();
        if (!list || !list->store() || !contact.hasPicture() || contact.objectId() == noObjectId)
            return nullptr;
        return Image::FromArgb(
            list->store()->loadPicture(contact.objectId(), size.width, size.height), u"contactsms",
            true);
    };
    return routes;
}

void goToDialer(const ContactListItem* contact, const std::u16string& number) {
    Screens& s = screens();
    if ((contact && contact->record().phones.empty()) || !s.contactContainer)
        return;
    // The dialer covers the main screen, and only it: it comes back when the dialer goes.
    setVisible(s.contactDetail, false);
    setVisible(s.smsPanel, false);
    s.contactContainer->setVisible(true);
    PhoneCallEditPanel::open(mainWindow(), number, contact ? contact->record().firstLine : number,
                             s.contactContainer);
}

ContactDetailRoutes contactDetailRoutes() {
    ContactDetailRoutes routes;
    routes.back = [](bool animate) { goToContacts(animate); };
    routes.conversation = [](ContactListItem& contact, const std::u16string& number) {
        goToConversation(&contact, number);
    };
    routes.note = [](ContactListItem& contact) {
        if (ContactSmartListControl* list = mainContactList(); list && list->store())
            goToContactNote(mainWindow(), *list->store(), contact.objectId());
    };
    routes.editBeforeCall = [](ContactListItem& contact, const std::u16string& number) {
        goToDialer(&contact, number);
    };
    routes.editContact = [](ContactListItem& contact) {
        goToEditContact(contact.record().objectId);
    };
    return routes;
}

ContactRoutes contactRoutes() {
    ContactRoutes routes;
    routes.openDetail = [](ContactListItem& contact) { goToContactDetail(contact); };
    routes.openConversation = [](ContactListItem& contact, const std::u16string& number) {
        goToConversation(&contact, number);
    };
    routes.sms = [](const std::u16string& number) { goToConversation(nullptr, number); };
    routes.call = [](const std::u16string& number) { goToDialer(nullptr, number); };
    routes.callContact = [](ContactListItem& contact, const std::u16string& number) {
        goToDialer(&contact, number);
    };
    routes.newContact = [](ContactListItem* contact) {
        // A sender's row becomes a contact through the add page, with its number.
        if (contact && contact->kind() == ContactListItem::Kind::newContact)
            goToNewContact();
        else if (contact && !contact->record().preferredNumber().empty())
            goToAddContact(std::u16string(contact->record().preferredNumber()));
    };
    routes.addContact = [](const std::u16string& number) { goToAddContact(number); };
    return routes;
}

bool goToEditContact(uint32_t objectId) {
    ContactSmartListControl* list = mainContactList();
    return list && list->store() &&
           goToEditContact(mainWindow(), *list->store(), objectId, list);
}

bool goToAddContact(const std::u16string& number) {
    ContactSmartListControl* list = mainContactList();
    if (!list || !list->store())
        return false;
    goToAddContact(mainWindow(), *list->store(), *list, number);
    return true;
}

bool goToNewContact() {
    ContactSmartListControl* list = mainContactList();
    return list && list->store() && goToNewContact(mainWindow(), *list->store(), list);
}

} // namespace vantrel
