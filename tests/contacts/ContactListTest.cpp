// The main contact list over a real store: the load that shows the cache first and
// then what the store holds, store notifications, typed search with its restart, the
// index separators, and where taps lead.

#include "tests/contacts/ContactListFixture.h"

#include "contacts/ContactFilters.h"
#include "contacts/ContactPictureCache.h"
#include "graphics/Image.h"
#include "platform/imaging/PngWriter.h"
#include "settings/Box.h"
#include "platform/core/Utf.h"
#include "platform/pim/PictureStream.h"
#include "platform/pim/PimItem.h"

using namespace vantrel;
using namespace vantrel::test;
namespace pim = platform::pim;

namespace {

ContactRecord cachedRecord(uint32_t objectId, std::u16string name, std::u16string mobile) {
    ContactRecord record;
    record.objectId = objectId;
    record.firstLine = name;
    record.sortKey = upperCased(name);
    record.phones = {{std::move(mobile), prop::mobile}};
    return record;
}

class ContactList : public ContactListTest {
protected:
    void SetUp() override {
        ContactListTest::SetUp();
        SettingManager::instance().options() = SettingOptions{};
    }
    void TearDown() override {
        SettingManager::instance().options() = SettingOptions{};
        ContactListTest::TearDown();
    }
    void type(std::u16string_view text) {
        for (char16_t c : text)
            list->onKey(0, c);
    }
    ContactListItem* named(std::u16string_view name) {
        for (const ItemRef& ref : list->allItems())
            if (auto* contact = dynamic_cast<ContactListItem*>(ref.get());
                contact && contact->record().firstLine == name)
                return contact;
        return nullptr;
    }
    void tapRow(ContactListItem* item) {
        platform::Rect row = list->itemRect(item);
        ASSERT_FALSE(row.isEmpty());
        tap(row.left + 40, (row.top + row.bottom) / 2);
    }
};

} // namespace

TEST_F(ContactList, TheCacheShowsFirstThenTheStoreDecidesAndTheCacheIsRewritten) {
    uint32_t anna = add(u"Berg, Anna", {{prop::mobile, u"+41 79 555 01 01"}});
    add(u"Zeller, Otto", {{prop::home, u"031 555 01 02"}});
    add(u"Nophone, Nina");
    ContactRecord old = cachedRecord(anna, u"Berg, Anna (old)", u"+41 79 555 01 01");
    ContactRecord gone = cachedRecord(999, u"Gone, Gustav", u"1234");
    ASSERT_TRUE(ContactCache::write(ContactCache::defaultPath(), {&old, &gone}));

    // Without the store the cache is all there is: shown at once, unconfirmed.
    list->setStore(nullptr);
    load();
    EXPECT_EQ(shown(), (std::vector<std::u16string>{u"<New Contact>", u"[B]", u"Berg, Anna (old)",
                                                    u"[G]", u"Gone, Gustav"}));
    EXPECT_FALSE(named(u"Gone, Gustav")->isValid());

    // With it, the cached contact is confirmed with its new name, the deleted one goes
    // with its letter, and the contact without a phone stays out.
    list->setStore(store);
    load();
    EXPECT_EQ(shown(), (std::vector<std::u16string>{u"<New Contact>", u"[B]", u"Berg, Anna", u"[Z]",
                                                    u"Zeller, Otto"}));
    EXPECT_TRUE(named(u"Berg, Anna")->isValid());
    EXPECT_EQ(named(u"Berg, Anna")->record().secondLine, u"+41 79 555 01 01");
    std::vector<ContactRecord> cache = ContactCache::read(ContactCache::defaultPath());
    ASSERT_EQ(cache.size(), 2u);
    EXPECT_EQ(cache[0].firstLine, u"Berg, Anna");
    EXPECT_EQ(cache[1].firstLine, u"Zeller, Otto");

    SettingManager::instance().options().showAllContact = 1;
    load();
    EXPECT_NE(named(u"Nophone, Nina"), nullptr);
}

TEST_F(ContactList, StoreNotificationsAddMergeAndRemoveRowsEvenHiddenOnes) {
    uint32_t anna = add(u"Berg, Anna", {{prop::mobile, u"+41 79 555 01 01"}});
    uint32_t otto = add(u"Zeller, Otto", {{prop::home, u"031 555 01 02"}});
    load();
    // Messages from a number no contact has: a row of its own while unread.
    list->addSmsContact(u"Bob", u"+41 79 555 01 02", true);
    EXPECT_NE(named(u"<Bob>"), nullptr);
    EXPECT_EQ(shown().back(), u"<Bob>");

    // A contact made for that number (national form) takes its counters over.
    uint32_t bob = add(u"Bauer, Bob", {{prop::mobile, u"079 555 01 02"}});
    list->contactChanged(bob);
    EXPECT_EQ(named(u"<Bob>"), nullptr);
    ASSERT_NE(named(u"Bauer, Bob"), nullptr);
    EXPECT_EQ(named(u"Bauer, Bob")->counters().unread, 1);
    EXPECT_EQ(named(u"Bauer, Bob")->counters().messages, 1);
    EXPECT_EQ(shown()[2], u"Bauer, Bob");

    // One without a phone shows at once, marked not valid (the list requires a phone).
    uint32_t nina = add(u"Nophone, Nina");
    list->contactChanged(nina);
    ASSERT_NE(named(u"Nophone, Nina"), nullptr);
    EXPECT_FALSE(named(u"Nophone, Nina")->isValid());

    // A deletion finds the contact while the filter hides it, so it stays gone.
    ContactRecord record = named(u"Berg, Anna")->record();
    ASSERT_TRUE(store->setFavorite(record, true));
    list->contactChanged(anna);
    list->setFilter(std::make_unique<FavoriteFilterItem>());
    EXPECT_EQ(shown(), std::vector<std::u16string>{u"Berg, Anna"});
    list->contactDeleted(otto);
    list->resetFilter();
    EXPECT_EQ(named(u"Zeller, Otto"), nullptr);
    std::vector<std::u16string> lines = shown();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), u"[Z]"), 0);
}

TEST_F(ContactList, SeparatorsMarkTheIndexLettersInCollationOrder) {
    add(u"Émile Zola", {{prop::mobile, u"1"}});
    add(u"Bert Meier", {{prop::mobile, u"2"}});
    add(u"2Cellos", {{prop::mobile, u"3"}});
    add(u"anna berg", {{prop::mobile, u"4"}});
    add(u"Ben Kurz", {{prop::mobile, u"5"}});
    load();
    // No header for letters outside the index letters (the digits' "#", an accented
    // capital); the user's collation puts "É" among the E's, not after Z.
    EXPECT_EQ(shown(),
              (std::vector<std::u16string>{u"<New Contact>", u"2Cellos", u"[A]", u"anna berg",
                                           u"[B]", u"Ben Kurz", u"Bert Meier", u"Émile Zola"}));
    // A theme that indexes "#" gets its header before the digits.
    SettingStore::instance().addLine(u"searchindex.*.indexletter=#ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    load();
    EXPECT_EQ(shown()[1], u"[#]");
    EXPECT_EQ(shown()[2], u"2Cellos");
    SettingManager::instance().options().showContactSeparator = 0;
    load();
    std::vector<std::u16string> lines = shown();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::u16string& s) { return s.starts_with(u"["); }),
              0);
}

TEST_F(ContactList, TypingFiltersAndStartsAgainAfterFourSeconds) {
    add(u"Anna Berg", {{prop::mobile, u"079 555 01 01"}});
    add(u"Ben Kurz", {{prop::home, u"031 555 01 02"}});
    add(u"Bert Meier", {{prop::mobile, u"078 555 01 03"}});
    add(u"Émile Zola", {{prop::mobile, u"076 555 01 04"}});
    load();
    type(u"Be");
    EXPECT_EQ(shown(), (std::vector<std::u16string>{u"Anna Berg", u"Ben Kurz", u"Bert Meier"}));
    EXPECT_EQ(list->filter()->label(), u"> Be");
    advance(3000);
    type(u"r");
    EXPECT_EQ(shown(), (std::vector<std::u16string>{u"Anna Berg", u"Bert Meier"}));
    // More than four seconds later the search starts again from this key.
    advance(4001);
    type(u"z");
    EXPECT_EQ(list->typedText(), u"z");
    EXPECT_EQ(shown(), (std::vector<std::u16string>{u"Ben Kurz", u"Émile Zola"}));
    // Backspace on the last character shows everything again.
    list->onKey(int(platform::key::back), 0);
    EXPECT_EQ(list->typedText(), u"");
    EXPECT_EQ(shown().size(), 7u); // "<New Contact>", four contacts, "[A]" and "[B]"
    EXPECT_NE(dynamic_cast<AllContactsFilterItem*>(list->filter()), nullptr);

    // Digits: the call, SMS and add entries on top, then the numbers containing them;
    // on the phone pad's letters 2-3 also find a word starting with a, b, c then d, e, f.
    advance(4001);
    type(u"0795");
    EXPECT_EQ(shown(),
              (std::vector<std::u16string>{u"<entry>", u"<entry>", u"<entry>", u"Anna Berg"}));
    advance(4001);
    type(u"23");
    EXPECT_EQ(shown(), (std::vector<std::u16string>{u"<entry>", u"<entry>", u"<entry>",
                                                    u"Anna Berg", u"Ben Kurz", u"Bert Meier"}));
}

TEST_F(ContactList, TapsOpenTheContactItsConversationOrANewContact) {
    std::vector<std::u16string> routes;
    ContactRoutes to;
    to.openDetail = [&](ContactListItem& c) {
        routes.push_back(u"detail " + c.record().firstLine);
    };
    to.openConversation = [&](ContactListItem&, const std::u16string& n) {
        routes.push_back(u"sms " + n);
    };
    to.newContact = [&](ContactListItem*) { routes.push_back(u"new"); };
    to.call = [&](const std::u16string& n) { routes.push_back(u"call " + n); };
    list->setRoutes(to);
    add(u"Anna Berg", {{prop::mobile, u"079 555 01 01"}, {prop::home, u"031 555 01 00"}});
    add(u"Ben Kurz", {{prop::business, u"044 555 01 02"}, {prop::home, u"031 555 01 02"}});
    load();
    repaint();
    tapRow(named(u"<New Contact>"));
    tapRow(named(u"Anna Berg"));
    EXPECT_EQ(list->lastRoute(), u"detail Anna Berg");
    // With the SMS filter a tap opens the conversation: the mobile, else the first
    // number (here the home number, stored before the business one).
    for (const char* name : {"Anna Berg", "Ben Kurz"}) {
        ContactListItem* item = named(platform::toUtf16(name));
        item->counters().messages = 1;
    }
    list->setFilter(std::make_unique<SmsFilterItem>());
    repaint();
    tapRow(named(u"Anna Berg"));
    tapRow(named(u"Ben Kurz"));
    // A prefix of "sms.number.prefix" picks the business number instead.
    SettingStore::instance().addLine(u"global.sms.number.prefix=+41,044");
    tapRow(named(u"Ben Kurz"));
    list->resetFilter();
    type(u"0311");
    repaint();
    tap(100, list->rect().top + 10); // the "Call 0311" entry on top
    EXPECT_EQ(routes, (std::vector<std::u16string>{u"new", u"detail Anna Berg",
                                                   u"sms 079 555 01 01", u"sms 031 555 01 02",
                                                   u"sms 044 555 01 02", u"call 0311"}));
}

TEST_F(ContactList, PicturesAreDrawnFromTheStoreBytesAndTheLinesStopBeforeThem) {
    auto withPicture = [&](std::u16string name, std::u16string company) {
        uint32_t oid = add(name, {{prop::mobile, u"079 555 01 01"}}, company);
        auto item = app->getItemFromOidEx(oid, 0);
        auto stream = item->openProperty(pim::prop::picture, pim::streamWrite);
        std::string png = platform::encodePng(platform::ArgbImage(96, 96, 0xFFFF0000));
        EXPECT_TRUE(stream->write(std::span(reinterpret_cast<const uint8_t*>(png.data()),
                                            png.size())));
        EXPECT_TRUE(stream->commit() && item->save());
    };
    withPicture(u"Aaron, Long", std::u16string(60, u'W'));
    withPicture(u"Bauer, Bea", u"");
    load();
    repaint();
    ContactListItem* wide = named(u"Aaron, Long");
    ContactListItem* plain = named(u"Bauer, Bea");
    ASSERT_TRUE(wide && plain);
    EXPECT_TRUE(wide->hasPicture());
    ASSERT_NE(wide->picture(), nullptr) << "a drawn row keeps its decoded picture";

    const Box& pictureBox = SettingStore::instance().box(u"contactlist", list->name(),
                                                         u"item.picture.box");
    const platform::Rect wideRow = list->itemRect(wide), plainRow = list->itemRect(plain);
    const platform::Rect box = pictureBox.rectangle(wideRow);
    EXPECT_EQ(pixel((box.left + box.right) / 2, (box.top + box.bottom) / 2),
              as565(platform::rgb(255, 0, 0)));
    // Beside and below the picture the row with sixty "W"s after its number looks as
    // the row with the number alone.
    const int secondLineTop = (wideRow.top + wideRow.bottom) / 2;
    for (int y = secondLineTop; y < wideRow.bottom; ++y) {
        for (int x = box.left; x < wideRow.right; ++x) {
            if (box.contains({x, y}))
                continue;
            ASSERT_EQ(pixel(x, y), pixel(x, plainRow.top + (y - wideRow.top)))
                << "text at " << x << "," << y;
        }
    }
}

TEST(ContactPictureCache, KeepsTheLatestPicturesWithinItsBudget) {
    std::string png = platform::encodePng(platform::ArgbImage(40, 40, 0xFF00FF00));
    std::span bytes(reinterpret_cast<const uint8_t*>(png.data()), png.size());
    // Two opaque 10 x 10 pictures in RGB565.
    ContactPictureCache cache(2 * 10 * 10 * 2);
    int a = 0, b = 0, c = 0;
    Image* first = cache.get(&a, bytes, {10, 10});
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->size(), (platform::Size{10, 10}));
    cache.get(&b, bytes, {10, 10});
    EXPECT_EQ(cache.get(&a, bytes, {10, 10}), first) << "kept, not decoded again";
    cache.get(&c, bytes, {10, 10}); // b was drawn longest ago
    EXPECT_EQ(cache.count(), 2u);
    EXPECT_EQ(cache.find(&b), nullptr);
    EXPECT_EQ(cache.find(&a), first);
    EXPECT_LE(cache.bytesUsed(), 400u);
    // Another box size decodes again; bytes that are no picture give nothing.
    EXPECT_EQ(cache.get(&a, bytes, {12, 12})->size(), (platform::Size{12, 12}));
    std::string junk = "not a picture";
    EXPECT_EQ(cache.get(&b, std::span(reinterpret_cast<const uint8_t*>(junk.data()), junk.size()),
                        {10, 10}),
              nullptr);
    cache.forget(&a);
    EXPECT_EQ(cache.find(&a), nullptr);
}
