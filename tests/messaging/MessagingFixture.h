#pragma once
// The main contact list over real contact, message and phone stores in a fresh device
// folder, with the counter the main window keeps for it; messages and calls are
// written the way the device writes them.

#include "tests/contacts/ContactListFixture.h"
#include "tests/msgstore/StoreHelpers.h"

#include "messaging/MessageCounter.h"
#include "platform/modem/Phone.h"
#include "settings/SettingManager.h"

namespace vantrel::test {

class Messaging : public ContactListTest {
protected:
    // 2026-01-01 in file time, plus `minutes`.
    static uint64_t at(int minutes) {
        return 134117856000000000ull + uint64_t(minutes) * 600000000ull;
    }

    void SetUp() override {
        ContactListTest::SetUp();
        SettingManager::instance().options().callLogInSms = 1;
        inbox = openFolder(tag::inboxEntryId);
        sent = openFolder(tag::sentMailEntryId);
        ASSERT_TRUE(inbox && sent);
        counter = std::make_unique<MessageCounter>(window);
    }

    EntryId receive(std::u16string from, std::u16string text, int minute, bool read = false) {
        return receiveSms(*inbox, std::move(from), std::move(text), at(minute), read);
    }

    EntryId send(std::u16string to, std::u16string text, int minute) {
        auto message = sent->createMessage();
        bool ok = message->setProps({Property::text(tag::subject, std::move(text)),
                                     Property::number(tag::messageFlags, flag::read),
                                     Property::time(tag::creationTime, at(minute))}) &&
                  message->modifyRecipients(Message::RecipientChange::add,
                                            {{Property::text(tag::emailAddress, std::move(to)),
                                              Property::number(tag::recipientType, 1)}}) &&
                  message->saveChanges();
        return ok ? message->entryId() : EntryId();
    }

    static void call(uint32_t direction, std::u16string number, int minute, uint32_t flags = 0) {
        platform::modem::CallLogEntry entry;
        entry.direction = direction;
        entry.flags =
            flags |
            (direction == platform::modem::callOutgoing ? platform::modem::callFlag::outgoing : 0);
        entry.number = std::move(number);
        entry.startTime = at(minute);
        ASSERT_TRUE(platform::modem::addCallLogEntry(entry));
    }

    // The row whose first line is `first`, among all rows.
    ContactListItem* row(std::u16string_view first) const {
        for (const ItemRef& ref : list->allItems())
            if (auto* contact = asContact(ref.get());
                contact && contact->record().firstLine == first)
                return contact;
        return nullptr;
    }
    ContactCounters counts(std::u16string_view first) const {
        ContactListItem* item = row(first);
        EXPECT_TRUE(item) << "no row " << std::string(first.begin(), first.end());
        return item ? item->counters() : ContactCounters();
    }

    std::unique_ptr<Folder> inbox;
    std::unique_ptr<Folder> sent;
    std::unique_ptr<MessageCounter> counter;
};

} // namespace vantrel::test
