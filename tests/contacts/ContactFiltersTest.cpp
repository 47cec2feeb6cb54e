// The filters of the contact list and the folders of the filter menu, over rows made
// from records as the loader makes them, with the built-in settings and key map.

#include "tests/ui/ToolkitFixture.h"

#include "contacts/ContactFilters.h"
#include "contacts/ContactSmartListControl.h"
#include "contacts/FilterMenuPanel.h"
#include "phone/PhoneKeyMap.h"

namespace vantrel::test {

namespace {

const std::u16string defaultKeys = u"1,2abc,3deféèëê,4ghiïî,5jkl,6mnoöô,7pqrs,8tuvûü,9wxyz,#,*";

struct Person {
    std::u16string name;
    std::u16string company;
    std::u16string city;
    std::u16string categories;
    std::u16string number;
};

} // namespace

class ContactFilters : public Toolkit {
protected:
    void SetUp() override {
        Toolkit::SetUp();
        PhoneKeyMap::publish(defaultKeys);
        list = std::make_unique<ContactSmartListControl>(window);
        list->layout(client);
        for (const Person& person : people) {
            ContactRecord record;
            record.objectId = nextId++;
            record.firstLine = person.name;
            record.sortKey = person.name;
            record.company = person.company;
            record.city = person.city;
            record.categories = person.categories;
            if (!person.number.empty())
                record.phones.push_back({person.number, prop::mobile});
            list->appendItem(makeItem<ContactListItem>(std::move(record)));
        }
    }
    void TearDown() override {
        list.reset();
        Toolkit::TearDown();
    }

    // The first lines the filter accepts, in the list's order.
    std::vector<std::u16string> matching(const ISmartListFilter& filter) const {
        std::vector<std::u16string> names;
        for (const ItemRef& ref : list->allItems())
            if (filter.match(*ref))
                if (auto* contact = asContact(ref.get()))
                    names.push_back(contact->record().firstLine);
        return names;
    }
    std::vector<std::u16string> typed(std::u16string text) const {
        return matching(LettersFilterItem(std::move(text), PhoneKeyMap::current()));
    }

    std::vector<Person> people{
        {u"Al", u"ACME", u"Bern", u"Family, Work", u"031 555 01 00"},
        {u"Anna Berg", u"Acme", u"Basel", u"Work,Family", u"079 555 01 01"},
        {u"Jan Meier", u"", u"", u"Homework", u"044 999 77 11"},
        {u"Mary-Claire Dunn", u"ACME", u"Bern", u"Family", u"061 333 44 66"},
        {u"R2D2", u"", u"", u"", u""},
        {u"Ádám Kiss", u"", u"Győr", u"Work , Work", u"+36 96 123 456"},
    };
    uint32_t nextId = 1;
    std::unique_ptr<ContactSmartListControl> list;
};

using Names = std::vector<std::u16string>;

TEST_F(ContactFilters, ValueFiltersCompareExactlyAndCategoriesAsSubstrings) {
    // A company all in capitals is not the same as one differing only in case.
    EXPECT_EQ(matching(CompanyFilterItem(u"ACME")), (Names{u"Al", u"Mary-Claire Dunn"}));
    EXPECT_EQ(matching(CompanyFilterItem(u"Acme")), (Names{u"Anna Berg"}));
    EXPECT_EQ(matching(CityFilterItem(u"Bern")), (Names{u"Al", u"Mary-Claire Dunn"}));
    // The no-value choices: exactly the contacts without a city, without a category.
    EXPECT_EQ(matching(CityFilterItem(u"")), (Names{u"Jan Meier", u"R2D2"}));
    EXPECT_EQ(matching(CategoryFilterItem(u"")), (Names{u"R2D2"}));
    // Work finds "Family, Work", "Work,Family" and the substring in "Homework".
    EXPECT_EQ(matching(CategoryFilterItem(u"Work")), (Names{u"Al", u"Anna Berg", u"Ádám Kiss"}));
    EXPECT_EQ(matching(CategoryFilterItem(u"work")), (Names{u"Jan Meier"}));
    EXPECT_EQ(CompanyFilterItem(u"ACME").label(), u"Working for ACME");
    EXPECT_EQ(CityFilterItem(u"Bern").label(), u"Living in Bern");
    EXPECT_EQ(CategoryFilterItem(u"Work").label(), u"Categorized as Work");
}

TEST_F(ContactFilters, PadDigitsStandForTheirLettersAtWordStarts) {
    // 2: a word starting with a, b or c (Anna, Berg, Claire after the hyphen, Ádám
    // without its accent), a name containing "2", a number containing 2.
    EXPECT_EQ(typed(u"2"),
              (Names{u"Al", u"Anna Berg", u"Mary-Claire Dunn", u"R2D2", u"Ádám Kiss"}));
    // 2, 5, 3 finds "Al": the name ends before the third key.
    EXPECT_EQ(typed(u"253"), (Names{u"Al"}));
    // 5, 2, 6 is "Jan"; 6, 3, 7 is "Meier" only where a word starts.
    EXPECT_EQ(typed(u"526"), (Names{u"Jan Meier"}));
    EXPECT_EQ(typed(u"634"), (Names{u"Jan Meier"}));
    EXPECT_EQ(typed(u"3"), (Names{u"Al", u"Mary-Claire Dunn", u"Ádám Kiss"}));
    // 0 is no key: only names and numbers holding a 0.
    EXPECT_EQ(typed(u"0"), (Names{u"Al", u"Anna Berg", u"Jan Meier", u"Mary-Claire Dunn"}));
    // Letters are matched as typed text, ignoring case.
    EXPECT_EQ(typed(u"BERG"), (Names{u"Anna Berg"}));
    EXPECT_EQ(typed(u"ádá"), (Names{u"Ádám Kiss"}));
    EXPECT_EQ(LettersFilterItem(u"526", PhoneKeyMap::current()).label(), u"> 526");
}

TEST_F(ContactFilters, RowsMadeUnderAnotherKeyMapAreMatchedUnderTheNewOne) {
    // A theme's two-key map: 2 now stands for x, y and z only.
    ASSERT_TRUE(PhoneKeyMap::publish(u"1,2xyz"));
    EXPECT_EQ(PhoneKeyMap::current()->entries().size(), 2u);
    EXPECT_EQ(typed(u"2"), (Names{u"R2D2", u"Ádám Kiss"}));
    EXPECT_FALSE(PhoneKeyMap::publish(u"1,2xyz"));
    // A hostile map stays bounded.
    std::u16string huge;
    for (int i = 0; i < 5000; ++i)
        huge += u"abcdefghij,";
    PhoneKeyMap bounded(huge);
    EXPECT_LE(bounded.entries().size(), PhoneKeyMap::maxEntries);
}

TEST_F(ContactFilters, SmsRowsShowUnderAllContactsOnlyWhileUnreadAndUnreadComeFirst) {
    ContactListItem* sms = list->addSmsContact(u"+41 79 000", u"+41 79 000", false);
    sms->counters().messages = 1;
    EXPECT_FALSE(AllContactsFilterItem().match(*sms));
    EXPECT_TRUE(SmsFilterItem().match(*sms));
    sms->counters().unread = 1;
    EXPECT_TRUE(AllContactsFilterItem().match(*sms));
    EXPECT_FALSE(FavoriteFilterItem().match(*sms));

    // Unread first, then the newest event, then more messages, then by name.
    auto counters = [&](const char16_t* name) -> ContactCounters& {
        for (const ItemRef& ref : list->allItems())
            if (auto* contact = asContact(ref.get());
                contact && contact->record().firstLine == name)
                return contact->counters();
        ADD_FAILURE() << "no row";
        return sms->counters();
    };
    counters(u"Al") = {0, 3, 0, 0, 500, false, u""};
    counters(u"Anna Berg") = {0, 1, 0, 0, 900, false, u""};
    counters(u"Jan Meier") = {0, 2, 0, 0, 500, false, u""};
    counters(u"R2D2") = {0, 2, 1, 0, 500, true, u""};
    counters(u"Ádám Kiss") = {2, 2, 0, 0, 100, false, u""};
    list->setFilter(std::make_unique<SmsFilterItem>());
    Names shown;
    for (IListItem* item : list->shownItems())
        shown.push_back(asContact(item)->record().firstLine);
    EXPECT_EQ(shown,
              (Names{u"Ádám Kiss", u"<+41 79 000>", u"Anna Berg", u"Al", u"Jan Meier", u"R2D2"}));
}

TEST_F(ContactFilters, FoldersListEachDistinctValueOnceWithTheNoValueEntry) {
    FilterMenuPanel menu(window, *list, {});
    auto texts = [&](const FilterFolder& folder) {
        std::vector<std::pair<std::u16string, std::u16string>> entries;
        for (const ItemRef& ref : folder.fill(*list)) {
            auto* entry = dynamic_cast<FilterChoice*>(ref.get());
            EXPECT_NE(entry, nullptr);
            entries.emplace_back(entry->text(), entry->value());
        }
        return entries;
    };
    using Entries = std::vector<std::pair<std::u16string, std::u16string>>;
    // Companies differing in case are two entries; the empty one is named as for
    // categories. Sorted by display text, ignoring case.
    EXPECT_EQ(texts(CompanyFilterFolder(u"", u"")),
              (Entries{{u"<No Category>", u""}, {u"ACME", u"ACME"}, {u"Acme", u"Acme"}}));
    EXPECT_EQ(
        texts(CityFilterFolder(u"", u"")),
        (Entries{
            {u"<No City>", u""}, {u"Basel", u"Basel"}, {u"Bern", u"Bern"}, {u"Győr", u"Győr"}}));
    // Split at commas and trimmed; Work twice is one entry.
    EXPECT_EQ(texts(CategoryFilterFolder(u"", u"")), (Entries{{u"<No Category>", u""},
                                                              {u"Family", u"Family"},
                                                              {u"Homework", u"Homework"},
                                                              {u"Work", u"Work"}}));

    // Choosing "<No City>" sets the city filter that shows exactly the contacts
    // without a city.
    menu.showRoot();
    ASSERT_EQ(menu.list()->shownItems().size(), 7u); // six entries and the options row
    EXPECT_EQ(static_cast<FilterBase*>(menu.list()->shownItems()[0])->marker(), u"INIT");
    auto* city = dynamic_cast<CityFilterFolder*>(menu.list()->shownItems()[4]);
    ASSERT_NE(city, nullptr);
    menu.openFolder(*city);
    EXPECT_FALSE(menu.atRoot());
    auto* none = dynamic_cast<FilterChoice*>(menu.list()->shownItems()[0]);
    ASSERT_NE(none, nullptr);
    none->choose(menu);
    EXPECT_EQ(filterKindName(list->filter()), u"city");
    Names shown;
    for (IListItem* item : list->shownItems())
        if (auto* contact = asContact(item))
            shown.push_back(contact->record().firstLine);
    EXPECT_EQ(shown, (Names{u"Jan Meier", u"R2D2"}));
}

} // namespace vantrel::test
