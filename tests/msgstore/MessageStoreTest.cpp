// The message store as the product's messaging code uses it: the SMS store and its
// folders, contents tables, messages and recipients by tag and entry id, the unread
// count in the registry, conversations by number, and recovery from a broken file.
#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/msgstore/ReducedNumber.h"
#include "platform/registry/Registry.h"
#include "tests/msgstore/StoreHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <random>
#include <set>
#include <thread>

using namespace vantrel;
using namespace vantrel::platform::msgstore;
namespace fs = std::filesystem;

namespace {

using test::openFolder;
using test::receiveSms;

constexpr std::u16string_view unreadKey = u"System\\State\\Messages\\SMS\\Unread";

uint32_t unreadInRegistry() {
    uint32_t count = 0xFFFFFFFF;
    platform::registry::readDword(platform::registry::Root::currentUser, unreadKey, u"Count",
                                  count);
    return count;
}

std::vector<Row> allRows(Table& table, size_t step = 1) {
    std::vector<Row> rows;
    for (auto some = table.queryRows(step); !some.empty(); some = table.queryRows(step))
        rows.insert(rows.end(), some.begin(), some.end());
    return rows;
}

std::vector<std::u16string> subjects(Folder& folder, bool newestFirst = false) {
    auto table = folder.contentsTable();
    table->setColumns({tag::subject});
    table->sortNewestFirst(newestFirst);
    std::vector<std::u16string> out;
    for (const Row& row : allRows(*table))
        out.push_back(row[0].asText());
    return out;
}

void emptyFolder(Folder& folder) {
    auto table = folder.contentsTable();
    table->setColumns({tag::entryId});
    std::vector<EntryId> ids;
    for (const Row& row : allRows(*table, 500))
        ids.push_back(row[0].asBinary());
    if (!ids.empty()) {
        ASSERT_TRUE(folder.deleteMessages(ids));
    }
}

class MessageStore : public testing::Test {
protected:
    void SetUp() override {
        inbox = openFolder(tag::inboxEntryId);
        sent = openFolder(tag::sentMailEntryId);
        deleted = openFolder(tag::wastebasketEntryId);
        ASSERT_TRUE(inbox && sent && deleted);
        for (Folder* folder : {inbox.get(), sent.get(), deleted.get()})
            emptyFolder(*folder);
    }
    std::unique_ptr<Folder> inbox, sent, deleted;
};

} // namespace

TEST_F(MessageStore, TheSmsStoreNamesItsFoldersAndItsEntryIdsOpenOnlyWhatTheyName) {
    auto session = Session::logon();
    ASSERT_TRUE(session);
    auto table = session->storesTable();
    table->setColumns({tag::displayName, tag::entryId, tag::senderEmailAddress});
    auto rows = allRows(*table);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].asText(), u"SMS");
    EXPECT_EQ(rows[0][2].tag, 0x0C1F000Au) << "a column the row lacks comes back as an error";
    auto store = session->openStore(rows[0][1].asBinary());
    ASSERT_TRUE(store);

    struct Expected {
        PropTag tag;
        const char16_t* name;
    };
    for (auto [folderTag, name] :
         {Expected{tag::inboxEntryId, u"Inbox"}, Expected{tag::sentMailEntryId, u"Sent"},
          Expected{tag::outboxEntryId, u"Outbox"}, Expected{tag::draftsEntryId, u"Drafts"},
          Expected{tag::wastebasketEntryId, u"Deleted"}}) {
        EntryId id = store->getProps({folderTag})[0].asBinary();
        auto folder = store->openFolder(id);
        ASSERT_TRUE(folder) << platform::toUtf8(name);
        EXPECT_EQ(folder->getProps({tag::displayName})[0].asText(), name);
        EXPECT_EQ(folder->entryId(), id);
        EXPECT_FALSE(session->openMessage(id)) << "a folder's id is no message's";
        EXPECT_FALSE(session->openStore(id));
    }
    EXPECT_FALSE(store->getProps({0x12340102})[0].found());
    EXPECT_FALSE(session->openFolder({1, 2, 3}));
    EXPECT_FALSE(session->openMessage({}));
}

TEST_F(MessageStore, ASentCopyIsStoredOnlyOnSaveAndReadsBackTagByTag) {
    constexpr uint64_t sendTime = 134000000000000000;
    auto message = sent->createMessage();
    ASSERT_TRUE(message->modifyRecipients(
        Message::RecipientChange::add,
        {{Property::number(tag::recipientType, 1), Property::text(tag::addrType, u"SMS"),
          Property::text(tag::emailAddress, u"+41 79 123 45 67"),
          Property::text(tag::displayName, u"Anna Meier")}}));
    ASSERT_TRUE(message->setProps({Property::text(tag::messageClass, u"IPM.SMStext"),
                                   Property::text(tag::subject, u"Grüße 😊 \xD800 end")}));
    ASSERT_TRUE(message->setProps(
        {Property::number(tag::messageFlags, 0x25), Property::number(tag::msgStatus, 0x00060000)}));
    ASSERT_TRUE(message->setProps({Property::time(tag::messageDeliveryTime, sendTime),
                                   Property::time(tag::deliverTime, sendTime),
                                   Property::time(tag::creationTime, sendTime),
                                   Property::time(tag::receiptTime, sendTime)}));
    EXPECT_TRUE(subjects(*sent).empty()) << "nothing is stored before the save";
    EXPECT_TRUE(message->entryId().empty());
    ASSERT_TRUE(message->saveChanges());

    auto table = sent->contentsTable(); // the default columns, as the product sets them
    table->setColumns({tag::displayName, tag::entryId, tag::senderEmailAddress, tag::messageFlags});
    auto rows = allRows(*table);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FALSE(rows[0][0].found());
    EXPECT_EQ(rows[0][1].asBinary(), message->entryId());
    EXPECT_FALSE(rows[0][2].found());
    EXPECT_EQ(rows[0][3].asNumber(), 0x25u);

    auto reopened = Session::logon()->openMessage(rows[0][1].asBinary());
    ASSERT_TRUE(reopened);
    auto props = reopened->getProps({tag::messageClass, tag::subject, tag::messageFlags,
                                     tag::msgStatus, tag::messageDeliveryTime, tag::deliverTime,
                                     tag::creationTime, tag::receiptTime, tag::senderName,
                                     tag::lastModificationTime, tag::parentEntryId});
    EXPECT_EQ(props[0].asText(), u"IPM.SMStext");
    EXPECT_EQ(props[1].asText(), u"Grüße 😊 \xD800 end") << "any UTF-16 comes back unchanged";
    EXPECT_EQ(props[2].asNumber(), 0x25u);
    EXPECT_EQ(props[3].asNumber(), 0x00060000u);
    for (int i = 4; i < 8; ++i)
        EXPECT_EQ(props[i].asTime(), sendTime) << i;
    EXPECT_EQ(props[8].tag, 0x0C1A000Au);
    EXPECT_EQ(props[8].asNumber(), 0u);
    EXPECT_EQ(std::get<uint32_t>(props[8].value), errorNotFound);
    EXPECT_GT(props[9].asTime(), sendTime) << "the store stamps the last change itself";
    EXPECT_EQ(props[10].asBinary(), sent->entryId());

    auto recipients = reopened->recipientTable();
    recipients->setColumns(
        {tag::recipientType, tag::displayName, tag::emailAddress, tag::addrType});
    auto recipientRows = allRows(*recipients);
    ASSERT_EQ(recipientRows.size(), 1u);
    EXPECT_EQ(recipientRows[0][0].asNumber(), 1u);
    EXPECT_EQ(recipientRows[0][1].asText(), u"Anna Meier");
    EXPECT_EQ(recipientRows[0][2].asText(), u"+41 79 123 45 67");
    EXPECT_EQ(recipientRows[0][3].asText(), u"SMS");

    // Refused writes change nothing.
    EXPECT_FALSE(reopened->setProps(
        {Property::text(tag::subject, u"new"), Property::number(tag::creationTime, 1)}));
    EXPECT_FALSE(reopened->setProps({Property::binary(tag::entryId, {1})}));
    EXPECT_EQ(reopened->getProp(tag::subject).asText(), u"Grüße 😊 \xD800 end");
    // A property outside the common set is kept too, under its own tag.
    ASSERT_TRUE(reopened->setProps({Property::number(0x66000003, 7)}));
    EXPECT_EQ(reopened->getProp(0x66000003).asNumber(), 7u);
}

TEST_F(MessageStore, ContentsTablesReadOldestFirstByCreationElseDeliveryTimeAcrossChunks) {
    // Scrambled arrival; the table orders by time, ties by arrival. 600 rows cross the
    // store's reading chunks twice.
    std::vector<int> minutes(600);
    for (int i = 0; i < 600; ++i)
        minutes[i] = (i * 389) % 600;
    {
        WriteBatch batch;
        for (int minute : minutes)
            receiveSms(*inbox, u"+41790000000", platform::toUtf16(std::to_string(minute)),
                       uint64_t(minute) * 600000000);
        auto late = inbox->createMessage();
        ASSERT_TRUE(
            late->setProps({Property::text(tag::subject, u"delivery only"),
                            Property::time(tag::messageDeliveryTime, 599 * 600000000ull + 1)}));
        ASSERT_TRUE(late->saveChanges());
        receiveSms(*inbox, u"+41790000000", u"tie", 599 * 600000000ull + 1);
        ASSERT_TRUE(batch.commit());
    }
    auto oldestFirst = subjects(*inbox);
    ASSERT_EQ(oldestFirst.size(), 602u);
    for (int i = 0; i < 600; ++i)
        ASSERT_EQ(oldestFirst[i], platform::toUtf16(std::to_string(i))) << i;
    EXPECT_EQ(oldestFirst[600], u"delivery only");
    EXPECT_EQ(oldestFirst[601], u"tie");

    auto newestFirst = subjects(*inbox, true);
    std::reverse(newestFirst.begin(), newestFirst.end());
    EXPECT_EQ(newestFirst, oldestFirst);
    EXPECT_EQ(inbox->contentsTable()->rowCount(), 602u);
}

TEST_F(MessageStore, TheUnreadCountInTheRegistryFollowsArrivalsReadStateMovesAndDeletes) {
    std::atomic<int> notified{0};
    auto id = platform::registry::notifyChange(platform::registry::Root::currentUser, unreadKey,
                                               u"Count", [&] { ++notified; });
    EntryId a = receiveSms(*inbox, u"+41790000001", u"a", 1);
    EntryId b = receiveSms(*inbox, u"+41790000002", u"b", 2);
    EntryId c = receiveSms(*inbox, u"+41790000003", u"c", 3);
    EntryId d = receiveSms(*inbox, u"+41790000004", u"d", 4, true);
    receiveSms(*sent, u"+41790000005", u"unread but sent", 5);
    EXPECT_EQ(unreadInRegistry(), 3u);

    auto message = inbox->openMessage(a);
    ASSERT_TRUE(message && message->setProps({Property::number(tag::messageFlags, flag::read)}));
    EXPECT_EQ(unreadInRegistry(), 2u);
    auto readOne = inbox->openMessage(d);
    ASSERT_TRUE(readOne && readOne->setProps({Property::number(tag::messageFlags, 0)}));
    EXPECT_EQ(unreadInRegistry(), 3u);

    ASSERT_TRUE(inbox->moveMessages({b}, *deleted));
    EXPECT_EQ(unreadInRegistry(), 2u);
    EXPECT_TRUE(Session::logon()->openMessage(b)) << "an entry id survives a move";
    EXPECT_FALSE(inbox->deleteMessages({c, b})) << "b is no longer in the inbox";
    EXPECT_EQ(unreadInRegistry(), 2u) << "a refused delete deletes nothing";
    ASSERT_TRUE(inbox->deleteMessages({c}));
    EXPECT_EQ(unreadInRegistry(), 1u);
    EXPECT_FALSE(inbox->openMessage(c));

    auto counts = inbox->getProps({tag::contentCount, tag::contentUnread});
    EXPECT_EQ(counts[0].asNumber(), 2u);
    EXPECT_EQ(counts[1].asNumber(), 1u);
    for (int wait = 0; wait < 500 && notified == 0; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GT(notified, 0) << "the registry's notification reaches a watcher";
    platform::registry::cancelNotification(id);
}

namespace {

// The product's rule, as it reads: reduce, then equal, or one inside the other when
// the contact's form is longer than 6 and the message's longer than 3; otherwise
// compared only at equal length.
bool ruleMatches(const std::string& contact, const std::string& message) {
    if (contact.size() > 6 && message.size() > 3)
        return contact.find(message) != std::string::npos ||
               message.find(contact) != std::string::npos;
    return contact == message;
}

std::u16string randomNumber(std::mt19937& random) {
    static const char16_t* prefixes[] = {u"", u"+", u"0", u"+41 ", u"00", u"(0)"};
    std::u16string number = prefixes[random() % 6];
    int digits = 2 + int(random() % 12);
    for (int i = 0; i < digits; ++i) {
        number += char16_t(u'0' + random() % 3); // few digits, so numbers overlap often
        if (random() % 4 == 0)
            number += u" -"[random() % 2];
    }
    return number;
}

} // namespace

TEST_F(MessageStore, ARestrictedTableHoldsExactlyTheMessagesTheNumberRuleCanMatch) {
    std::mt19937 random(12);
    std::vector<std::pair<EntryId, std::string>> received, sentTo;
    std::vector<std::u16string> senders{u"+33 6 12 34 56 78", u"4567",  u"3456", u"123456",
                                        u"Sunrise",           u"MyBank"};
    for (int i = 0; i < 300; ++i)
        senders.push_back(randomNumber(random));
    {
        WriteBatch batch;
        for (const auto& sender : senders)
            received.emplace_back(receiveSms(*inbox, sender, u"x", 1), reducedNumber(sender));
        for (int i = 0; i < 100; ++i) {
            std::u16string to = randomNumber(random);
            auto message = sent->createMessage();
            message->modifyRecipients(Message::RecipientChange::add,
                                      {{Property::text(tag::emailAddress, u"000")},
                                       {Property::text(tag::emailAddress, to)}});
            message->saveChanges();
            sentTo.emplace_back(message->entryId(), reducedNumber(to));
        }
    }
    std::vector<std::u16string> queries{u"06 12 34 56 78", u"1234567", u"123456", u""};
    for (int i = 0; i < 80; ++i)
        queries.push_back(randomNumber(random));
    for (const auto& query : queries) {
        std::string reduced = reducedNumber(query);
        for (auto [folder, messages] :
             {std::pair{inbox.get(), &received}, std::pair{sent.get(), &sentTo}}) {
            std::set<EntryId> expected, found;
            for (const auto& [id, number] : *messages)
                if (ruleMatches(reduced, number) ||
                    (folder == sent.get() && ruleMatches(reduced, "000")))
                    expected.insert(id);
            auto table = folder->contentsTable();
            ASSERT_TRUE(table->restrictToNumber(query));
            table->setColumns({tag::entryId});
            for (const Row& row : allRows(*table, 7))
                found.insert(row[0].asBinary());
            ASSERT_EQ(found, expected) << platform::toUtf8(query) << " -> " << reduced;
        }
    }
    // The examples the product's rule is known by.
    auto conversationOf = [&](std::u16string number) {
        auto table = inbox->contentsTable();
        table->restrictToNumber(number);
        table->setColumns({tag::senderEmailAddress});
        std::set<std::u16string> out;
        for (const Row& row : allRows(*table))
            out.insert(row[0].asText());
        return out;
    };
    EXPECT_TRUE(conversationOf(u"06 12 34 56 78").count(u"+33 6 12 34 56 78"));
    EXPECT_TRUE(conversationOf(u"1234567").count(u"4567"));
    EXPECT_FALSE(conversationOf(u"123456").count(u"3456"));
    EXPECT_TRUE(conversationOf(u"123456").count(u"123456"));
    auto services = conversationOf(u"");
    EXPECT_TRUE(services.count(u"Sunrise") && services.count(u"MyBank"));
}

TEST(MessageStoreFile, ABrokenFileIsMovedAsideAndAnEmptyStoreTakesItsPlace) {
    auto inbox = openFolder(tag::inboxEntryId);
    ASSERT_TRUE(inbox);
    EntryId old = receiveSms(*inbox, u"+41790000001", u"before", 1);
    ASSERT_FALSE(old.empty());
    ASSERT_GT(unreadInRegistry(), 0u);

    fs::path file = platform::deviceFolder() / "messages.db";
    std::string garbage(8192, '\0');
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = char(i * 7 + 3);
    // A new file under the name, without the journal that would still hold the old
    // pages, as a bad disk or a stray copy might leave it.
    ASSERT_TRUE(platform::writeFileAtomically(file, garbage));
    fs::remove(file.string() + "-wal");
    fs::remove(file.string() + "-shm");

    testing::internal::CaptureStderr();
    auto session = Session::logon();
    std::string said = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(session);
    EXPECT_NE(said.find("messages: " + file.string() + " is unreadable"), std::string::npos)
        << said;
    EXPECT_NE(said.find("moved it to " + file.string() + ".broken-"), std::string::npos) << said;

    EXPECT_FALSE(session->openMessage(old)) << "an id of the old store opens nothing";
    inbox = openFolder(tag::inboxEntryId);
    ASSERT_TRUE(inbox);
    EXPECT_EQ(inbox->contentsTable()->rowCount(), 0u);
    EXPECT_EQ(unreadInRegistry(), 0u) << "the count follows the new store";

    int kept = 0;
    for (const auto& entry : fs::directory_iterator(platform::deviceFolder())) {
        std::string bytes;
        if (entry.path().filename().string().starts_with("messages.db.broken-") &&
            platform::readWholeFile(entry.path(), bytes) && bytes == garbage)
            ++kept;
    }
    EXPECT_EQ(kept, 1) << "the broken bytes are kept beside the new store";
    EXPECT_FALSE(receiveSms(*inbox, u"+41790000001", u"after", 2).empty());
}
