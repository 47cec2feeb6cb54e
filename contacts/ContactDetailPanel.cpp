#include "contacts/ContactDetailPanel.h"

#include "contacts/ContactDetailActions.h"
#include "contacts/ContactSmartListControl.h"
#include "contacts/ContactStoreAccess.h"
#include "graphics/Image.h"
#include "lists/ButtonSmartListControl.h"
#include "lists/ControlItem.h"
#include "settings/Background.h"
#include "settings/Box.h"
#include "ui/BorderPanel.h"
#include "ui/Button.h"
#include "ui/ConfirmDialog.h"
#include "ui/ControlDump.h"
#include "ui/HeaderLabel.h"
#include "ui/Label.h"
#include "ui/PictureControl.h"

namespace vantrel {

using platform::Rect;

namespace {

enum BoxSlot { favoriteBox };
enum BackgroundSlot { favoriteLook, noFavoriteLook };

// Timer ids are control addresses; the return after a call is this control's second id.
uintptr_t returnTimerId(const ContactDetailPanel& panel) { return panel.timerId() + 1; }

template <class A, class... Args> std::unique_ptr<Action> make(Args&&... args) {
    return std::make_unique<A>(std::forward<Args>(args)...);
}

} // namespace

ContactDetailPanel::ContactDetailPanel(platform::WindowHandle window)
    : Panel(window, u"contactdetail") {
    // The back arrow sits on the header strip, which draws it over its own background.
    header()
        ->addChild(std::make_unique<HeaderButton>(window, u"backbutton"))
        ->setAction(make<MoveToBackAction>(this));
    // The bottom row goes before the button column, so it is drawn over the column's
    // end and sees taps first.
    struct RowButton {
        std::u16string_view name;
        std::unique_ptr<Action> action;
    };
    RowButton row[] = {{u"contactdetail.edit", make<EditContactAction>(this)},
                       {u"contactdetail.note", make<MoveToNoteAction>(this)},
                       {u"contactdetail.more", make<ShowContactMenuAction>(this)},
                       {u"contactdetail.back", make<MoveToBackAction>(this)}};
    for (RowButton& button : row)
        addChild(std::make_unique<Button>(window, std::u16string(button.name)))
            ->setAction(std::move(button.action));
    addChild(std::make_unique<Label>(window, u"contactdetail.buttons"));
    buttons_ = addChild(std::make_unique<ButtonSmartListControl>(window, u"callbuttons"));
    picture_ = addChild(std::make_unique<PictureControl>(window, u"contactdetail"));
    detailLines_ = addChild(std::make_unique<Label>(window, u"contactdetail.detaillines"));
}

ContactDetailPanel::~ContactDetailPanel() = default;

ContactListItem* ContactDetailPanel::contact() const {
    return static_cast<ContactListItem*>(contact_.get());
}

bool ContactDetailPanel::showsPicture() const { return picture_->image() != nullptr; }

void ContactDetailPanel::showContact(ContactListItem& contact) {
    // A return still pending from an earlier call must not take this contact away.
    if (contact_.get() != &contact && std::exchange(returnPending_, false))
        platform::killTimer(window(), returnTimerId(*this));
    contact_ = ItemRef(&contact);
    const ContactRecord& record = contact.record();
    header()->setText(record.header.empty() ? record.firstLine : record.header);
    detailLines_->setText(record.detailLines);
    std::unique_ptr<Image> picture;
    if (store_) {
        const Rect box = picture_->rect();
        platform::ArgbImage loaded =
            store_->loadPicture(record.objectId, box.width(), box.height());
        picture = Image::FromArgb(std::move(loaded), u"contactdetail", true);
    }
    picture_->setImage(std::move(picture));
    fillButtons(contact);
    invalidate(rect());
}

void ContactDetailPanel::reload() {
    if (ContactListItem* shown = contact())
        showContact(*shown);
}

void ContactDetailPanel::fillButtons(const ContactListItem& contact) {
    buttons_->removeAllItems();
    auto add = [this](std::u16string name, std::u16string argument, std::unique_ptr<Action> action,
                      std::unique_ptr<Action> longPress) {
        auto button = std::make_unique<Button>(window(), std::move(name));
        button->setTextArgument(std::move(argument));
        button->setAction(std::move(action));
        if (longPress)
            button->setLongPressAction(std::move(longPress));
        buttons_->appendItem(makeItem<ControlItem>(std::move(button)));
    };
    const ContactRecord& record = contact.record();
    std::u16string messageNumber;
    if (auto* list = dynamic_cast<ContactSmartListControl*>(contact.list()))
        messageNumber = list->messageNumber(contact);
    else if (!record.phones.empty())
        messageNumber = record.phones.front().number;
    add(u"sms", {}, make<SMSAction>(this, messageNumber), nullptr);
    for (const PhoneEntry& phone : record.phones)
        add(u"call." + std::u16string(phoneTypeName(phone.propertyId)), phone.number,
            make<CallAction>(this, phone.number), make<EditBeforeCallAction>(this, phone.number));
    for (int i = 0; i < 3; ++i)
        if (!record.emails[i].empty())
            add(u"mail" + std::u16string(1, char16_t(u'1' + i)), record.emails[i],
                make<MailAction>(this, record.emails[i]), nullptr);
    buttons_->layout(rect());
}

std::vector<MenuEntry> ContactDetailPanel::contactMenuEntries() {
    const ContactListItem* shown = contact();
    const bool favorite = shown && shown->isFavorite();
    std::vector<MenuEntry> entries;
    auto entry = [&entries](std::u16string name, std::unique_ptr<Action> action) {
        entries.push_back({std::move(name), std::move(action), false, {}, {}});
    };
    entry(u"viewcontact", make<ViewContactAction>(this));
    entry(u"editcontact", make<EditContactAction>(this));
    entry(showsPicture() ? u"removepicture" : u"setpicture", make<SetPictureAction>(this));
    entry(favorite ? u"removefavorite" : u"setfavorite", make<FavoriteToggleAction>(this));
    entry(u"removecontact", std::make_unique<ConfirmAction>(window(), u"delete.contact", [this] {
              return make<RemoveContactAction>(this);
          }));
    entry(u"cancel", nullptr);
    return entries;
}

void ContactDetailPanel::openContactMenu() {
    showMenu(this, u"contact.menu", contactMenuEntries());
}

void ContactDetailPanel::call(const std::u16string& number) {
    const ContactListItem* shown = contact();
    telephonyCall(window(), number, shown ? shown->record().firstLine : std::u16string());
    returnPending_ = true;
    platform::setTimer(window(), returnTimerId(*this), afterCallMs);
}

void ContactDetailPanel::forgetPicture() {
    picture_->setImage(nullptr);
    if (ContactListItem* shown = contact()) {
        shown->setPicture(nullptr);
        if (shown->list())
            shown->list()->invalidate(shown->list()->rect());
    }
    invalidate(rect());
}

void ContactDetailPanel::repaintFavorite() {
    invalidate(getBox(u"favorite.box", favoriteBox).rectangle(rect()));
    if (ContactListItem* shown = contact(); shown && shown->list())
        shown->list()->invalidate(shown->list()->rect());
}

void ContactDetailPanel::layout(const Rect& reference) {
    Panel::layout(reference);
    // The detail lines read their setting text again while laid out; the contact's own
    // goes back in.
    if (const ContactListItem* shown = contact())
        detailLines_->setText(shown->record().detailLines);
}

int ContactDetailPanel::paint(PaintContext& context, Rect clip) {
    drawBackground(context, getBackground(u"background", 0), rect(), clip);
    const ContactListItem* shown = contact();
    const bool favorite = shown && shown->isFavorite();
    drawBackground(context,
                   favorite ? getBackground(u"favorite.background", favoriteLook)
                            : getBackground(u"nofavorite.background", noFavoriteLook),
                   getBox(u"favorite.box", favoriteBox).rectangle(rect()), clip);
    return ContainerPanel::paint(context, clip);
}

bool ContactDetailPanel::onTimer(uintptr_t id) {
    if (id != returnTimerId(*this))
        return Panel::onTimer(id);
    platform::killTimer(window(), id);
    if (std::exchange(returnPending_, false) && routes_.back)
        routes_.back(false);
    return true;
}

void ContactDetailPanel::describe(DumpWriter& out) const {
    Panel::describe(out);
    const ContactListItem* shown = contact();
    out.add("contact", shown ? std::u16string_view(shown->record().firstLine) : u"");
    out.add("objectId", DumpValue(shown ? static_cast<int64_t>(shown->objectId()) : int64_t(-1)));
    out.add("favorite", shown && shown->isFavorite());
    out.add("picture", showsPicture());
}

} // namespace vantrel
