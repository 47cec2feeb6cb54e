#include "contacts/AddContactDialog.h"

#include "contacts/ContactListItem.h"
#include "contacts/ContactRecord.h"
#include "contacts/ContactSmartListControl.h"
#include "contacts/ContactStoreAccess.h"
#include "contacts/EditContactDialog.h"
#include "lists/LeftSearchPanel.h"
#include "lists/SmartListControl.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimItem.h"
#include "settings/SettingStore.h"
#include "settings/TextFormatter.h"
#include "ui/ControlDump.h"

namespace vantrel {

namespace pim = platform::pim;

namespace {

class ChooseContactAction : public ItemAction {
public:
    explicit ChooseContactAction(AddContactDialog& dialog) : dialog_(dialog) {}
    void execute(IListItem* item, int, int) override {
        if (auto* contact = dynamic_cast<ContactListItem*>(item))
            dialog_.chooseContact(*contact);
    }

private:
    AddContactDialog& dialog_;
};

class ChooseTypeAction : public ItemAction {
public:
    explicit ChooseTypeAction(AddContactDialog& dialog) : dialog_(dialog) {}
    void execute(IListItem* item, int, int) override {
        if (auto* type = dynamic_cast<SimplePhoneItem*>(item))
            dialog_.chooseType(*type);
    }

private:
    AddContactDialog& dialog_;
};

} // namespace

AddContactDialog::AddContactDialog(platform::WindowHandle window, ContactStoreAccess& store,
                                   const SmartListControl& contacts, std::u16string number)
    : SimpleDialog(window, u"addcontact"), store_(store), mainList_(contacts),
      number_(std::move(number)) {
    // Input goes to the children in order: the answer buttons before the strip, which
    // takes touches along both screen edges at any height, and the strip before the
    // list it lies over.
    addAnswerButtons();
    auto list = std::make_unique<ContactSmartListControl>(window, u"addcontact.list");
    strip_ = addChild(std::make_unique<LeftSearchPanel>(window, u"addcontact.index", *list));
    contacts_ = addChild(std::move(list));
    types_ = addChild(
        std::make_unique<SmartListControl>(window, u"addcontact.phonetype", u"contactlist"));
    for (const ItemRef& item : mainList_.allItems()) {
        auto* contact = dynamic_cast<const ContactListItem*>(item.get());
        if (!contact || contact->kind() != ContactListItem::Kind::sms)
            contacts_->appendItem(item);
    }
    contacts_->setClickAction(std::make_unique<ChooseContactAction>(*this));
    types_->setClickAction(std::make_unique<ChooseTypeAction>(*this));
    types_->setVisible(false);
}

AddContactDialog::~AddContactDialog() {
    // The strip unhooks itself from the list, which must still be there.
    removeChild(strip_);
}

void AddContactDialog::chooseContact(ContactListItem& contact) {
    chosenIsNew_ = contact.kind() == ContactListItem::Kind::newContact;
    chosenId_ = contact.record().objectId;
    types_->removeAllItems();
    const SettingStore& settings = SettingStore::instance();
    const std::u16string add = settings.text(u"list", u"addcontact.phonetype", u"add.phone.text");
    const std::u16string replace =
        settings.text(u"list", u"addcontact.phonetype", u"replace.phone.text");
    for (uint32_t id : phoneProperties) {
        std::u16string number;
        for (const PhoneEntry& phone : contact.record().phones)
            if (phone.propertyId == id)
                number = phone.number;
        const std::u16string type = formatText(
            settings.text(u"button", u"call." + std::u16string(phoneTypeName(id)), u"text"),
            {std::u16string_view(number)});
        types_->appendItem(makeItem<SimplePhoneItem>(
            formatText(number.empty() ? add : replace, {std::u16string_view(type)}), id,
            std::move(number)));
    }
    contacts_->setVisible(false);
    strip_->cancelPress();
    strip_->setVisible(false);
    types_->setVisible(true);
    types_->layout(rect());
    types_->scrollToTop();
    platform::invalidateRect(window());
}

void AddContactDialog::chooseType(const SimplePhoneItem& type) {
    pim::PimApp* app = store_.app();
    const pim::PropValue value = pim::PropValue::ofString(type.propertyId(), number_);
    if (chosenIsNew_) {
        const platform::WindowHandle window = this->window();
        ContactStoreAccess& store = store_;
        const SmartListControl& contacts = mainList_;
        close();
        goToNewContact(window, store, &contacts, {value});
        return;
    }
    std::unique_ptr<pim::Item> item = app ? app->getItemFromOidEx(chosenId_, 0) : nullptr;
    if (item && (!item->setProps(0, std::span(&value, 1)) || !item->save())) {
        platform::messageBox(window(), u"The contact could not be saved.", u"Error");
        return;
    }
    close();
}

void AddContactDialog::describe(DumpWriter& out) const {
    SimpleDialog::describe(out);
    out.add("number", std::u16string_view(number_));
}

void goToAddContact(platform::WindowHandle window, ContactStoreAccess& store,
                    const SmartListControl& contacts, std::u16string number) {
    SimpleDialog::open(
        std::make_unique<AddContactDialog>(window, store, contacts, std::move(number)));
}

} // namespace vantrel
