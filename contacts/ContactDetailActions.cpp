#include "contacts/ContactDetailActions.h"

#include "contacts/ContactCardPanel.h"
#include "contacts/ContactDetailPanel.h"
#include "contacts/ContactStoreAccess.h"
#include "contacts/PictureChooserPanel.h"
#include "lists/Transitions.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimItem.h"
#include "platform/shell/Programs.h"
#include "settings/SettingManager.h"
#include "ui/ConfirmDialog.h"

namespace vantrel {

namespace {

// The contact as the store holds it now; null when it is gone (deleted meanwhile) or
// the store cannot be used.
std::unique_ptr<platform::pim::Item> fetch(ContactDetailPanel& panel) {
    ContactStoreAccess* store = panel.store();
    ContactListItem* contact = panel.contact();
    if (!store || !store->app() || !contact || contact->objectId() == noObjectId)
        return nullptr;
    return store->app()->getItemFromOidEx(contact->objectId(), 0);
}

void goBack(ContactDetailPanel& panel, bool animate) {
    if (panel.routes().back)
        panel.routes().back(animate);
}

} // namespace

void CallAction::execute() { panel_->call(number_); }

void EditBeforeCallAction::execute() {
    ContactListItem* contact = panel_->contact();
    if (!contact)
        return;
    goBack(*panel_, false);
    if (panel_->routes().editBeforeCall)
        panel_->routes().editBeforeCall(*contact, number_);
}

void SMSAction::execute() {
    ContactListItem* contact = panel_->contact();
    if (!contact)
        return;
    if (!SettingManager::instance().options().useOldAppForSms) {
        if (panel_->routes().conversation)
            panel_->routes().conversation(*contact, number_);
        return;
    }
    // The old program's own command line, one word each: a number holding quotes or
    // blanks stays the number.
    std::filesystem::path program = platform::shell::configuredProgram(messagingRole);
    if (!program.empty())
        platform::shell::startProgram(program, {u"-service", u"SMS", u"-to", number_});
}

void MailAction::execute() {
    ContactListItem* contact = panel_->contact();
    if (!contact)
        return;
    fadeOutWindow(panel_->window());
    platform::shell::composeMail(contact->record().firstLine, address_);
    goBack(*panel_, false);
}

void EditContactAction::execute() {
    ContactListItem* contact = panel_->contact();
    if (!contact)
        return;
    if (panel_->routes().editContact)
        panel_->routes().editContact(*contact);
    panel_->reload();
}

void ViewContactAction::execute() {
    auto item = fetch(*panel_);
    if (!item)
        return;
    ContactCardPanel::open(panel_->window(), *item, panel_->contact()->record().header);
}

void RemoveContactAction::execute() {
    if (auto item = fetch(*panel_))
        item->deleteItem();
    goBack(*panel_, true);
}

void SetPictureAction::execute() {
    ContactDetailPanel* panel = panel_;
    if (panel->showsPicture()) {
        ConfirmAction(panel->window(), u"remove.contact.picture", [panel] {
            return std::make_unique<RemovePictureAction>(panel);
        }).execute();
        return;
    }
    if (!panel->contact())
        return;
    PictureChooserPanel::open(panel->window(), [panel](const std::filesystem::path& file) {
        ContactListItem* contact = panel->contact();
        if (!contact || !panel->store())
            return;
        if (panel->store()->setPicture(contact->record(), file))
            panel->reload();
        panel->repaintFavorite();
    });
}

void RemovePictureAction::execute() {
    ContactListItem* contact = panel_->contact();
    if (!contact || !panel_->showsPicture() || !panel_->store())
        return;
    if (panel_->store()->removePicture(contact->record()))
        panel_->forgetPicture();
}

void FavoriteToggleAction::execute() {
    ContactListItem* contact = panel_->contact();
    if (!contact || !panel_->store())
        return;
    ContactRecord record = contact->record();
    if (panel_->store()->setFavorite(record, !contact->isFavorite()))
        contact->setFavorite(record.favorite);
    panel_->repaintFavorite();
}

void MoveToBackAction::execute() {
    goBack(*panel_, true);
}

void MoveToNoteAction::execute() {
    if (ContactListItem* contact = panel_->contact(); contact && panel_->routes().note)
        panel_->routes().note(*contact);
}

void ShowContactMenuAction::execute() {
    panel_->openContactMenu();
}

} // namespace vantrel
