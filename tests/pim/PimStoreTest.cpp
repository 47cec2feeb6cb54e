// The contact store against what the contact screens rely on: items stored only on
// save, reads by index in file-as order with missing properties marked, reads by id,
// merged writes, deletes that never free an id, named properties, pictures, and the
// local notifications posted to the logon window.
#include "platform/core/Window.h"
#include "platform/pim/ItemCollection.h"
#include "platform/pim/PictureStream.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimFolder.h"
#include "platform/pim/PimItem.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <cstdlib>
#include <vector>

using namespace vantrel::platform;
using namespace vantrel::platform::pim;

namespace {

class PimStore : public ::testing::Test {
protected:
    void SetUp() override {
        vantrel::test::useFreshDevice();
        icu::Locale::setDefault(icu::Locale("en_GB"), status);
        app = PimApp::create();
    }

    Oid add(std::u16string first, std::u16string last, std::u16string mobile = u"") {
        auto item = app->createItem(itemContact);
        std::vector<PropValue> values{PropValue::ofString(prop::firstName, std::move(first)),
                                      PropValue::ofString(prop::lastName, std::move(last))};
        if (!mobile.empty())
            values.push_back(PropValue::ofString(prop::mobilePhone, std::move(mobile)));
        EXPECT_TRUE(item->setProps(0, values));
        EXPECT_TRUE(item->save());
        return item->oid();
    }

    std::vector<std::u16string> fileAsInOrder() {
        auto items = app->getDefaultFolder(folderContacts)->getItems();
        std::vector<std::u16string> names;
        std::vector<PropValue> values;
        const PropId ids[] = {prop::fileAs};
        for (uint32_t i = 1; i <= items->count(); ++i) {
            EXPECT_TRUE(items->getProps(i, ids, values));
            names.push_back(values.at(0).text);
        }
        return names;
    }

    std::shared_ptr<PimApp> app;
    UErrorCode status = U_ZERO_ERROR;
};

TEST_F(PimStore, NewItemIsStoredOnlyBySaveAndReadsBackByIdAndIndex) {
    auto item = app->createItem(itemContact);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->oid(), invalidOid);
    ASSERT_TRUE(
        item->setProps(0, std::vector{PropValue::ofString(prop::firstName, u"Ada"),
                                      PropValue::ofString(prop::mobilePhone, u"+41 79 1")}));
    EXPECT_EQ(app->getDefaultFolder(folderContacts)->getItems()->count(), 0u);
    ASSERT_TRUE(item->save());
    ASSERT_NE(item->oid(), invalidOid);

    auto fetched = app->getItemFromOidEx(item->oid());
    ASSERT_TRUE(fetched);
    std::vector<PropValue> values;
    const PropId ids[] = {prop::oid, prop::fileAs, prop::mobilePhone, prop::homePhone, 0x8000000B};
    ASSERT_TRUE(fetched->getProps(ids, values));
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(values[0].number, item->oid());
    EXPECT_EQ(values[1].text, u"Ada"); // derived from the names
    EXPECT_EQ(values[2].text, u"+41 79 1");
    for (int missing : {3, 4}) {
        EXPECT_FALSE(values[missing].found());
        EXPECT_EQ(values[missing].id, ids[missing]);
        EXPECT_TRUE(values[missing].text.empty());
    }

    auto items = app->getDefaultFolder(folderContacts)->getItems();
    ASSERT_EQ(items->count(), 1u);
    std::vector<PropValue> byIndex;
    ASSERT_TRUE(items->getProps(1, ids, byIndex));
    EXPECT_EQ(byIndex, values);
    EXPECT_FALSE(items->getProps(0, ids, byIndex));
    EXPECT_FALSE(items->getProps(2, ids, byIndex));
    EXPECT_FALSE(app->getItemFromOidEx(invalidOid));
    EXPECT_FALSE(app->getDefaultFolder(11));
    EXPECT_FALSE(app->createItem(1));
}

TEST_F(PimStore, CollectionFollowsLocaleCollationAndKeepsEqualNamesInCreationOrder) {
    Oid first = add(u"Hans", u"Müller");
    add(u"Zoë", u"Zwingli");
    add(u"Éva", u"Eder");
    add(u"Борис", u"Алексеев");
    add(u"Anna", u"Abel");
    Oid second = add(u"Hans", u"Müller");
    add(u"", u"ábalo");
    std::vector<std::u16string> expected{u"ábalo",          u"Abel, Anna",   u"Eder, Éva",
                                         u"Müller, Hans",   u"Müller, Hans", u"Zwingli, Zoë",
                                         u"Алексеев, Борис"};
    EXPECT_EQ(fileAsInOrder(), expected);

    auto items = app->getDefaultFolder(folderContacts)->getItems();
    std::vector<PropValue> values;
    const PropId ids[] = {prop::oid};
    ASSERT_TRUE(items->getProps(4, ids, values));
    EXPECT_EQ(values[0].number, first);
    ASSERT_TRUE(items->getProps(5, ids, values));
    EXPECT_EQ(values[0].number, second);
    // Out of order reads seek; they answer the same rows.
    ASSERT_TRUE(items->getProps(7, ids, values));
    ASSERT_TRUE(items->getProps(4, ids, values));
    EXPECT_EQ(values[0].number, first);
}

TEST_F(PimStore, AStoreOpenedInAnotherLocaleIsSortedAgain) {
    add(u"Olof", u"Zorn");
    add(u"Lena", u"Öberg");
    EXPECT_EQ(fileAsInOrder(), (std::vector<std::u16string>{u"Öberg, Lena", u"Zorn, Olof"}));
    icu::Locale::setDefault(icu::Locale("sv_SE"), status);
    app = PimApp::create();
    EXPECT_EQ(fileAsInOrder(), (std::vector<std::u16string>{u"Zorn, Olof", u"Öberg, Lena"}));
    add(u"Ola", u"Ohlin");
    EXPECT_EQ(fileAsInOrder(),
              (std::vector<std::u16string>{u"Ohlin, Ola", u"Zorn, Olof", u"Öberg, Lena"}));
}

TEST_F(PimStore, CollectionIsASnapshotWhileOthersWrite) {
    add(u"A", u"One");
    auto items = app->getDefaultFolder(folderContacts)->getItems();
    add(u"B", u"Two");
    EXPECT_EQ(items->count(), 1u);
    EXPECT_EQ(app->getDefaultFolder(folderContacts)->getItems()->count(), 2u);
}

TEST_F(PimStore, SavesOfDifferentPropertiesFromTwoFetchesBothHold) {
    Oid oid = add(u"Ada", u"Lovelace", u"+44 1");
    auto one = app->getItemFromOidEx(oid);
    auto two = app->getItemFromOidEx(oid);
    ASSERT_TRUE(one->setProps(0, std::vector{PropValue::ofString(prop::note, u"poet")}));
    ASSERT_TRUE(two->setProps(0, std::vector{PropValue::ofString(prop::company, u"Engine"),
                                             PropValue::deletion(prop::mobilePhone)}));
    ASSERT_TRUE(one->save());
    ASSERT_TRUE(two->save());
    auto now = app->getItemFromOidEx(oid);
    std::vector<PropValue> values;
    const PropId ids[] = {prop::note, prop::company, prop::mobilePhone, prop::fileAs};
    now->getProps(ids, values);
    EXPECT_EQ(values[0].text, u"poet");
    EXPECT_EQ(values[1].text, u"Engine");
    EXPECT_FALSE(values[2].found());
    EXPECT_EQ(values[3].text, u"Lovelace, Ada");

    // A file-as name set by hand survives a change of the names.
    ASSERT_TRUE(now->setProps(0, std::vector{PropValue::ofString(prop::fileAs, u"Countess")}));
    ASSERT_TRUE(now->save());
    ASSERT_TRUE(now->setProps(0, std::vector{PropValue::ofString(prop::firstName, u"Augusta")}));
    ASSERT_TRUE(now->save());
    app->getItemFromOidEx(oid)->getProps(ids, values);
    EXPECT_EQ(values[3].text, u"Countess");

    // Stream and automatic tags cannot be written as values.
    EXPECT_FALSE(now->setProps(0, std::vector{PropValue::ofUint32(prop::oid, 5)}));
}

TEST_F(PimStore, DeletedIdsAreNeverHandedOutAgain) {
    add(u"A", u"One");
    Oid newest = add(u"B", u"Two");
    auto item = app->getItemFromOidEx(newest);
    ASSERT_TRUE(item->deleteItem());
    EXPECT_FALSE(item->deleteItem());
    EXPECT_FALSE(app->getItemFromOidEx(newest));
    EXPECT_FALSE(item->save()); // gone meanwhile: nothing is resurrected
    EXPECT_GT(add(u"C", u"Three"), newest);
    EXPECT_EQ(app->getDefaultFolder(folderContacts)->getItems()->count(), 2u);
}

TEST_F(PimStore, NamedPropertiesAreMadeOnlyWhenAskedAndKeepTheirNumber) {
    const std::u16string_view names[] = {u"is_favorite2"};
    std::vector<PropId> ids;
    EXPECT_FALSE(app->getIDsFromNames(names, 0x000B, ids));
    EXPECT_EQ(ids, std::vector<PropId>{0});
    ASSERT_TRUE(app->getIDsFromNames(names, 0x0061000B, ids));
    PropId favorite = ids.at(0);
    EXPECT_EQ(favorite & 0xFFFF, 0x000Bu);
    EXPECT_GE(favorite >> 16, 0x8000u);
    auto again = PimApp::create();
    ASSERT_TRUE(again->getIDsFromNames(names, 0x000B, ids));
    EXPECT_EQ(ids.at(0), favorite);

    Oid oid = add(u"Fav", u"Orite");
    auto item = app->getItemFromOidEx(oid);
    ASSERT_TRUE(item->setProps(0, std::vector{PropValue::ofBoolean(favorite, true)}));
    ASSERT_TRUE(item->save());
    std::vector<PropValue> values;
    const PropId read[] = {favorite};
    again->getItemFromOidEx(oid)->getProps(read, values);
    EXPECT_TRUE(values.at(0).found());
    EXPECT_TRUE(values.at(0).boolean());
}

TEST_F(PimStore, PictureIsWrittenThroughAStreamAndRemovedBySizeZero) {
    Oid oid = add(u"Pic", u"Ture");
    auto item = app->getItemFromOidEx(oid);
    EXPECT_FALSE(item->openProperty(prop::picture, streamRead));
    EXPECT_FALSE(item->openProperty(prop::note, streamRead));
    const std::vector<uint8_t> png{0x89, 'P', 'N', 'G', 1, 2, 3};
    {
        auto stream = item->openProperty(prop::picture, streamRead | streamWrite);
        ASSERT_TRUE(stream);
        ASSERT_TRUE(stream->setSize(png.size()));
        ASSERT_TRUE(stream->write(png));
        ASSERT_TRUE(stream->commit());
    }
    auto read = app->getItemFromOidEx(oid)->openProperty(prop::picture, streamRead);
    ASSERT_TRUE(read);
    std::vector<uint8_t> back(read->size());
    EXPECT_EQ(read->read(back), png.size());
    EXPECT_EQ(back, png);
    EXPECT_FALSE(read->commit()); // read-only

    auto remove = item->openProperty(prop::picture, streamRead | streamWrite);
    ASSERT_TRUE(remove->setSize(0));
    ASSERT_TRUE(remove->commit());
    EXPECT_FALSE(app->getItemFromOidEx(oid)->openProperty(prop::picture, streamRead));

    // A new contact's picture waits for its first save.
    auto fresh = app->createItem(itemContact);
    fresh->setProps(0, std::vector{PropValue::ofString(prop::lastName, u"New")});
    auto stream = fresh->openProperty(prop::picture, streamWrite);
    ASSERT_TRUE(stream->write(png) && stream->commit());
    ASSERT_TRUE(fresh->save());
    EXPECT_TRUE(app->getItemFromOidEx(fresh->oid())->openProperty(prop::picture, streamRead));
}

struct Posted {
    uint32_t id;
    uintptr_t oid;
    bool operator==(const Posted&) const = default;
};

std::vector<Posted> drain(WindowHandle window) {
    std::vector<Posted> posted;
    Message message;
    while (peekMessage(message))
        if (message.window == window && message.id >= 0x8100 && message.id <= 0x8107)
            posted.push_back({message.id, message.wParam});
    return posted;
}

TEST_F(PimStore, LocalChangesArePostedToTheLogonWindowOnceAsked) {
    registerClass({u"pimtest", [](WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) {
                       return defaultWindowProcedure(w, id, wp, lp);
                   }});
    WindowHandle window = createWindow(u"pimtest", u"Pim", Rect{0, 0, 10, 10}, false);
    ASSERT_TRUE(app->logon(window));
    Oid quiet = add(u"Not", u"Yet");
    EXPECT_TRUE(drain(window).empty());

    auto folder = app->getDefaultFolder(folderContacts);
    ASSERT_TRUE(folder->setProps(0, std::vector{PropValue::ofUint32(prop::folderNotifications,
                                                                    notifyLocal | notifyRemote)}));
    Oid oid = add(u"Now", u"Posted");
    auto item = app->getItemFromOidEx(oid);
    item->setProps(0, std::vector{PropValue::ofString(prop::note, u"x")});
    item->save();
    item->deleteItem();
    app->getItemFromOidEx(quiet)->deleteItem();
    std::vector<Posted> expected{{pimItemCreatedLocal, oid},
                                 {pimItemChangedLocal, oid},
                                 {pimItemDeletedLocal, oid},
                                 {pimItemDeletedLocal, quiet}};
    EXPECT_EQ(drain(window), expected);

    // A new logon moves the notifications to its window; the folder setting stays.
    WindowHandle next = createWindow(u"pimtest", u"Next", Rect{0, 0, 10, 10}, false);
    ASSERT_TRUE(app->logon(next));
    Oid later = add(u"After", u"Logon");
    // drain() takes every queued message and keeps those of the window it is given.
    EXPECT_EQ(drain(next), (std::vector<Posted>{{pimItemCreatedLocal, later}}));
    app->logoff();
    add(u"After", u"Logoff");
    EXPECT_TRUE(drain(next).empty());
    destroyWindow(next);
    destroyWindow(window);
}

} // namespace
