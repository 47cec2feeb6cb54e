#pragma once
// The commands of the contact detail screen: its buttons, the contact menu's entries
// and the confirmations behind them. Each holds the detail screen (which lives as long
// as the program) and, for the call, SMS and mail buttons, the one number or address it
// is for; the contact is always the one the screen shows when the command runs.
//
// A contact another program deleted meanwhile makes every store command fail quietly:
// the screen change it asks for still happens, nothing else.

#include "phone/PhoneCall.h"
#include "platform/core/Window.h"
#include "ui/Action.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vantrel {

class ContactDetailPanel;

// The base of the screen's commands: the screen they act on.
class DetailAction : public Action {
public:
    explicit DetailAction(ContactDetailPanel* panel) : panel_(panel) {}

protected:
    ContactDetailPanel* panel_;
};

// A call to the number with the contact's name; the main screen returns afterwards.
class CallAction : public DetailAction {
public:
    CallAction(ContactDetailPanel* panel, std::u16string number)
        : DetailAction(panel), number_(std::move(number)) {}
    void execute() override;

private:
    std::u16string number_;
};

// The call button's long press: the main screen, then the dialer with the number.
class EditBeforeCallAction : public DetailAction {
public:
    EditBeforeCallAction(ContactDetailPanel* panel, std::u16string number)
        : DetailAction(panel), number_(std::move(number)) {}
    void execute() override;

private:
    std::u16string number_;
};

// "SMS & History": the conversation with the contact on its message number or, with the
// option "useoldappforsms", the device's configured messaging program addressed to it
// (none configured, or one that cannot start: nothing happens).
class SMSAction : public DetailAction {
public:
    // The configured program's role among the device's programs.
    static constexpr std::u16string_view messagingRole = u"Messaging";
    SMSAction(ContactDetailPanel* panel, std::u16string number)
        : DetailAction(panel), number_(std::move(number)) {}
    void execute() override;

private:
    std::u16string number_;
};

// A new mail to the address in the desktop's composer, addressed with the contact's
// first line as the name; the screen fades out and the main screen returns.
class MailAction : public DetailAction {
public:
    MailAction(ContactDetailPanel* panel, std::u16string address)
        : DetailAction(panel), address_(std::move(address)) {}
    void execute() override;

private:
    std::u16string address_;
};

// The contact's editor, then the screen filled again.
class EditContactAction : public DetailAction {
public:
    using DetailAction::DetailAction;
    void execute() override;
};

// The read-only card of every field the store holds for the contact.
class ViewContactAction : public DetailAction {
public:
    using DetailAction::DetailAction;
    void execute() override;
};

// Deletes the contact from the store and returns to the main screen; the list loses
// the row through the store's delete notification.
class RemoveContactAction : public DetailAction {
public:
    using DetailAction::DetailAction;
    void execute() override;
};

// With a picture shown: asks whether to remove it. Without: the picture chooser, whose
// choice becomes the contact's picture.
class SetPictureAction : public DetailAction {
public:
    using DetailAction::DetailAction;
    void execute() override;
};

class RemovePictureAction : public DetailAction {
public:
    using DetailAction::DetailAction;
    void execute() override;
};

// The favourite flag turned over in the store; the stripe follows when the store took it.
class FavoriteToggleAction : public DetailAction {
public:
    using DetailAction::DetailAction;
    void execute() override;
};

// Back to the main screen with its transition.
class MoveToBackAction : public DetailAction {
public:
    using DetailAction::DetailAction;
    void execute() override;
};

class MoveToNoteAction : public DetailAction {
public:
    using DetailAction::DetailAction;
    void execute() override;
};

class ShowContactMenuAction : public DetailAction {
public:
    using DetailAction::DetailAction;
    void execute() override;
};

} // namespace vantrel
