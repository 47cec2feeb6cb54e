#pragma once
// One message of the messaging store with the reads and writes the product makes, each
// by its exact property tag. A read that fails gives the empty value (no text, no entry
// id, false for a time, 0 for flags), as the phone's single-property read did.

#include "mapi/MAPIMsgStore.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::mapi {

inline constexpr std::u16string_view smsMessageClass = u"IPM.SMStext";

class MAPIMessage {
public:
    explicit MAPIMessage(std::unique_ptr<store::Message> message) : message_(std::move(message)) {}

    std::u16string senderAddress();
    std::u16string senderName();
    EntryId entryId();
    std::u16string subject(); // an SMS's body
    // The creation time, else the delivery time (UTC file time); false when both fail.
    bool messageTime(uint64_t& fileTime);
    bool isRead();
    // The store's identity of the message (see MessageRow); 0 on failure.
    uint32_t rowId();
    // Sets or clears the read bit of the message flags, keeping the others.
    bool setRead(bool read);

    std::vector<RecipientRow> recipients();
    bool addRecipients(const std::vector<RecipientRow>& recipients);
    // The SMS class and the body.
    bool setText(std::u16string_view text);
    // Read, submitted, from me; status "sent".
    bool setSentState();
    // Delivery, deliver, creation and receipt time.
    bool setTimes(uint64_t fileTime);
    bool save() { return message_->saveChanges(); }

private:
    store::Property read(PropTag tag);

    std::unique_ptr<store::Message> message_;
};

} // namespace vantrel::mapi
