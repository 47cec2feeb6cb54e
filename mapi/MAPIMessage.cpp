#include "mapi/MAPIMessage.h"

namespace vantrel::mapi {

using store::Property;
namespace tag = store::tag;

Property MAPIMessage::read(PropTag tag) {
    std::vector<Property> values = message_->getProps({tag});
    // A missing property comes back under an error-typed tag: only the asked tag counts.
    if (values.size() != 1 || values.front().tag != tag)
        return Property::missing(tag);
    return std::move(values.front());
}

std::u16string MAPIMessage::senderAddress() {
    return read(tag::senderEmailAddress).asText();
}
std::u16string MAPIMessage::senderName() {
    return read(tag::senderName).asText();
}
EntryId MAPIMessage::entryId() {
    return read(tag::entryId).asBinary();
}
std::u16string MAPIMessage::subject() {
    return read(tag::subject).asText();
}

bool MAPIMessage::messageTime(uint64_t& fileTime) {
    for (PropTag tag : {tag::creationTime, tag::messageDeliveryTime}) {
        Property time = read(tag);
        if (time.found()) {
            fileTime = time.asTime();
            return true;
        }
    }
    return false;
}

bool MAPIMessage::isRead() {
    return read(tag::messageFlags).asNumber() & store::flag::read;
}

uint32_t MAPIMessage::rowId() {
    return read(tag::rowId).asNumber();
}

bool MAPIMessage::setRead(bool on) {
    uint32_t flags = read(tag::messageFlags).asNumber();
    flags = on ? flags | store::flag::read : flags & ~store::flag::read;
    return message_->setProps({Property::number(tag::messageFlags, flags)});
}

std::vector<RecipientRow> MAPIMessage::recipients() {
    std::vector<RecipientRow> out;
    auto table = message_->recipientTable();
    if (!table || !table->setColumns({tag::recipientType, tag::displayName, tag::emailAddress}))
        return out;
    for (std::vector<store::Row> rows; !(rows = table->queryRows(1)).empty();) {
        const store::Row& row = rows.front();
        out.push_back({row[1].asText(), row[2].asText(), {}, row[0].asNumber()});
    }
    return out;
}

bool MAPIMessage::addRecipients(const std::vector<RecipientRow>& recipients) {
    std::vector<store::Row> rows;
    for (const RecipientRow& r : recipients)
        rows.push_back({Property::number(tag::recipientType, r.recipientType),
                        Property::text(tag::addrType, r.addressType),
                        Property::text(tag::emailAddress, r.address),
                        Property::text(tag::displayName, r.displayName)});
    return message_->modifyRecipients(store::Message::RecipientChange::add, rows);
}

bool MAPIMessage::setText(std::u16string_view text) {
    return message_->setProps({Property::text(tag::messageClass, std::u16string(smsMessageClass)),
                               Property::text(tag::subject, std::u16string(text))});
}

bool MAPIMessage::setSentState() {
    constexpr uint32_t sentFlags = store::flag::read | store::flag::submit | store::flag::fromMe;
    constexpr uint32_t sentStatus = 0x00060000;
    return message_->setProps({Property::number(tag::messageFlags, sentFlags),
                               Property::number(tag::msgStatus, sentStatus)});
}

bool MAPIMessage::setTimes(uint64_t fileTime) {
    return message_->setProps({Property::time(tag::messageDeliveryTime, fileTime),
                               Property::time(tag::deliverTime, fileTime),
                               Property::time(tag::creationTime, fileTime),
                               Property::time(tag::receiptTime, fileTime)});
}

} // namespace vantrel::mapi
