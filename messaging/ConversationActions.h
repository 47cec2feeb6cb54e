#pragma once
// The commands of the conversation screen: its buttons, the bubble menu, the screen's
// own menu entries and the confirmation behind "Del. Conversation". Each holds the
// screen (which lives as long as the program) and, for the bubble menu, a reference to
// the bubble it was opened on, so a bubble deleted meanwhile is still safe to touch.

#include "lists/IListItem.h"
#include "ui/Action.h"

#include <string>

namespace vantrel {

class SMSPanel;
class SmsBubbleItem;

class ConversationAction : public Action {
public:
    explicit ConversationAction(SMSPanel* panel) : panel_(panel) {}

protected:
    SMSPanel* panel_;
};

// The header button: the conversation marked read, then the previous screen.
class SimpleMoveToBackAction : public ConversationAction {
public:
    using ConversationAction::ConversationAction;
    void execute() override;
};

// A tap on the picture: the contact's detail screen.
class MoveToContactDetailAction : public ConversationAction {
public:
    using ConversationAction::ConversationAction;
    void execute() override;
};

// "Add as contact...": the page adding the current number to a contact.
class AddSmsContactAction : public ConversationAction {
public:
    using ConversationAction::ConversationAction;
    void execute() override;
};

// Send: the editor's text to the current number, on the send worker.
class SendSMSAction : public ConversationAction {
public:
    using ConversationAction::ConversationAction;
    void execute() override;
};

// Deletes from the store every message the list shows, then empties it.
class SmsDeleteAllAction : public ConversationAction {
public:
    using ConversationAction::ConversationAction;
    void execute() override;
};

// Sends to another number of the contact from now on.
class ChangeCurrentPhoneNumberAction : public ConversationAction {
public:
    ChangeCurrentPhoneNumberAction(SMSPanel* panel, std::u16string number)
        : ConversationAction(panel), number_(std::move(number)) {}
    void execute() override;

private:
    std::u16string number_;
};

// Calls a number of the contact.
class CallNumberAction : public ConversationAction {
public:
    CallNumberAction(SMSPanel* panel, std::u16string number)
        : ConversationAction(panel), number_(std::move(number)) {}
    void execute() override;

private:
    std::u16string number_;
};

// The commands of the bubble menu, on the bubble it was opened for.
class BubbleAction : public Action {
public:
    BubbleAction(SMSPanel* panel, SmsBubbleItem& bubble);

protected:
    SmsBubbleItem& bubble() const;

    SMSPanel* panel_;
    ItemRef bubble_;
};

// "Mark as read" / "Mark as unread".
class SmsToggleReadAction : public BubbleAction {
public:
    using BubbleAction::BubbleAction;
    void execute() override;
};

// "Delete message": out of the list and out of the store.
class SmsDeleteAction : public BubbleAction {
public:
    using BubbleAction::BubbleAction;
    void execute() override;
};

// "Resend": the message's text back in the editor; sending is the user's.
class SmsResendAction : public BubbleAction {
public:
    using BubbleAction::BubbleAction;
    void execute() override;
};

} // namespace vantrel
