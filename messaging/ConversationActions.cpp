#include "messaging/ConversationActions.h"

#include "messaging/SMSPanel.h"
#include "messaging/SmsBubbleItem.h"

namespace vantrel {

void SimpleMoveToBackAction::execute() {
    panel_->leave();
}

void MoveToContactDetailAction::execute() {
    panel_->showContactDetail();
}

void AddSmsContactAction::execute() {
    panel_->addAsContact();
}

void SendSMSAction::execute() {
    panel_->send();
}

void SmsDeleteAllAction::execute() {
    panel_->deleteAll();
}

void ChangeCurrentPhoneNumberAction::execute() {
    panel_->setCurrentNumber(number_);
}

void CallNumberAction::execute() {
    panel_->call(number_);
}

BubbleAction::BubbleAction(SMSPanel* panel, SmsBubbleItem& bubble)
    : panel_(panel), bubble_(&bubble) {}

SmsBubbleItem& BubbleAction::bubble() const {
    return *static_cast<SmsBubbleItem*>(bubble_.get());
}

void SmsToggleReadAction::execute() {
    panel_->toggleRead(bubble());
}

void SmsDeleteAction::execute() {
    panel_->deleteMessage(bubble());
}

void SmsResendAction::execute() {
    panel_->resend(bubble());
}

} // namespace vantrel
