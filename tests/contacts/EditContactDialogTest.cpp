// The contact editor over a real contact store: what OK writes (only the rows changed,
// a cleared date as a deletion, nothing for no change), what Cancel and a failed write
// leave, and the choices a row offers.

#include "tests/ui/ToolkitFixture.h"

#include "contacts/ChoiceDialog.h"
#include "contacts/ContactChoices.h"
#include "contacts/ContactListItem.h"
#include "contacts/ContactRecord.h"
#include "contacts/ContactStoreAccess.h"
#include "contacts/EditContactDialog.h"
#include "contacts/LocaleDate.h"
#include "lists/BaseItem.h"
#include "lists/ControlItem.h"
#include "lists/SmartListControl.h"
#include "platform/core/Backend.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimItem.h"
#include "tests/support/TestFolders.h"
#include "ui/Button.h"
#include "ui/EditControl.h"
#include "ui/TextInputControl.h"

#include <unicode/locid.h>

#include <algorithm>
#include <fstream>

namespace vantrel {
namespace {

namespace pim = platform::pim;
namespace pp = pim::prop;

// 1980-12-24 00:00 UTC as a file time.
constexpr uint64_t kChristmasEve1980 = 119909376000000000ULL;

class EditContactDialogTest : public test::Toolkit {
protected:
    void SetUp() override {
        test::useFreshDevice();
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale::getUS(), status);
        Toolkit::SetUp();
        app = pim::PimApp::create();
        store = std::make_unique<ContactStoreAccess>(app);
        auto item = app->createItem(pim::itemContact);
        pim::PropValue values[] = {pim::PropValue::ofString(pp::firstName, u"Nora"),
                                   pim::PropValue::ofString(pp::homeCity, u"Bern"),
                                   pim::PropValue::ofDate(pp::birthday, kChristmasEve1980)};
        ASSERT_TRUE(item->setProps(0, values));
        ASSERT_TRUE(item->save());
        oid = item->oid();
    }

    std::vector<pim::PropValue> stored(std::vector<pim::PropId> ids) {
        std::vector<pim::PropValue> values;
        auto item = app->getItemFromOidEx(oid, 0);
        if (item) {
            EXPECT_TRUE(item->getProps(ids, values));
        }
        return values;
    }

    EditContactDialog* open() {
        EXPECT_TRUE(goToEditContact(window, *store, oid, nullptr));
        advance(1000);
        return dynamic_cast<EditContactDialog*>(ControlHost::findActivePanel(window));
    }
    // Scrolls the row into view, taps its field and types; each backspace first.
    void type(EditContactDialog& dialog, EditControl& row, int backspaces, std::u16string_view text) {
        scrollTo(dialog, row);
        const platform::Rect box = row.field()->rect();
        // While another field is open, the first tap on the list only takes the focus
        // back from it.
        tap(box.left + 10, box.top + 10);
        if (!row.field()->nativeShown())
            tap(box.left + 10, box.top + 10);
        ASSERT_TRUE(row.field()->nativeShown());
        for (int i = 0; i < backspaces; ++i)
            platform::injectKey(platform::key::back);
        for (char16_t c : text)
            platform::injectCharacter(c);
        platform::pumpMessages();
    }
    void scrollTo(EditContactDialog& dialog, EditControl& row) {
        const auto& items = dialog.list()->shownItems();
        for (size_t i = 0; i < items.size(); ++i)
            if (&static_cast<ControlItem*>(items[i])->control() == &row)
                dialog.list()->scrollToItem(static_cast<int>(i), true);
        advance(1000);
    }

    std::shared_ptr<pim::PimApp> app;
    std::unique_ptr<ContactStoreAccess> store;
    uint32_t oid = 0;
};

TEST_F(EditContactDialogTest, OkWritesOnlyTheChangedRowsAndAClearedBirthdayIsRemoved) {
    EditContactDialog* dialog = open();
    ASSERT_NE(dialog, nullptr);
    EditControl* birthday = dialog->row(u"edit.birthday");
    ASSERT_NE(birthday, nullptr);
    EXPECT_EQ(birthday->field()->text(), u"12/24/1980") << "shown in the user's locale";
    EXPECT_EQ(dialog->row(u"edit.address.city")->field()->text(), u"Bern");

    type(*dialog, *birthday, 10, u"");
    type(*dialog, *dialog->row(u"edit.lastname"), 0, u"Quill");
    // Another program changes the city meanwhile: an untouched row must not undo that.
    {
        auto item = app->getItemFromOidEx(oid, 0);
        pim::PropValue city = pim::PropValue::ofString(pp::homeCity, u"Thun");
        ASSERT_TRUE(item->setProps(0, std::span(&city, 1)));
        ASSERT_TRUE(item->save());
    }
    const std::vector<pim::PropValue> changes = dialog->changeSet();
    ASSERT_EQ(changes.size(), 2u) << "the two rows typed into, in row order";
    EXPECT_EQ(changes[0], pim::PropValue::ofString(pp::lastName, u"Quill"));
    EXPECT_EQ(changes[1], pim::PropValue::deletion(pp::birthday));
    dialog->onOk();
    advance(1000);
    EXPECT_EQ(ControlHost::findActivePanel(window), nullptr);

    const auto values = stored({pp::firstName, pp::lastName, pp::homeCity, pp::birthday});
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0].text, u"Nora");
    EXPECT_EQ(values[1].text, u"Quill");
    EXPECT_EQ(values[2].text, u"Thun");
    EXPECT_FALSE(values[3].found()) << "the cleared birthday is gone";
}

TEST_F(EditContactDialogTest, ATypedDateIsStoredAsThatDayAndNoChangeSavesAnEmptySet) {
    EditContactDialog* dialog = open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->changeSet().empty()) << "nothing typed, nothing to write";
    type(*dialog, *dialog->row(u"edit.anniversary"), 0, u" 2/29/2024 ");
    type(*dialog, *dialog->row(u"edit.birthday"), 10, u"2/30/2024");
    dialog->onOk();
    advance(1000);
    const auto values = stored({pp::anniversary, pp::birthday});
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(formatLocaleDate(values[0].fileTime), u"2/29/2024");
    EXPECT_EQ(values[0].fileTime % 864000000000ULL, 116444736000000000ULL % 864000000000ULL)
        << "midnight UTC of that day";
    EXPECT_FALSE(values[1].found()) << "no such day: the birthday is removed, not guessed";

    // Opened and answered OK untouched: an empty change set, saved, nothing lost.
    dialog = open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->changeSet().empty());
    dialog->onOk();
    advance(1000);
    EXPECT_EQ(ControlHost::findActivePanel(window), nullptr);
    EXPECT_EQ(stored({pp::anniversary})[0].fileTime, values[0].fileTime);

    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale::getGermany(), status);
    EXPECT_EQ(formatLocaleDate(kChristmasEve1980), u"24.12.1980");
    EXPECT_EQ(parseLocaleDate(u"24.12.1980"), kChristmasEve1980);
    EXPECT_EQ(parseLocaleDate(u"24.12.1980 x"), std::nullopt);
}

TEST_F(EditContactDialogTest, CancelAndAFailedWriteLeaveTheStoreAsItWas) {
    EditContactDialog* dialog = open();
    ASSERT_NE(dialog, nullptr);
    type(*dialog, *dialog->row(u"edit.firstname"), 4, u"Lena");
    dialog->onCancel();
    advance(1000);
    EXPECT_EQ(stored({pp::firstName})[0].text, u"Nora");

    dialog = open();
    ASSERT_NE(dialog, nullptr);
    type(*dialog, *dialog->row(u"edit.firstname"), 4, u"Lena");
    ASSERT_TRUE(app->getItemFromOidEx(oid, 0)->deleteItem());
    const size_t boxes = platform::messageBoxLog().size();
    dialog->onOk();
    advance(1000);
    ASSERT_EQ(platform::messageBoxLog().size(), boxes + 1);
    EXPECT_EQ(platform::messageBoxLog().back(), u"Error: The contact could not be saved.");
    EXPECT_EQ(ControlHost::findActivePanel(window), dialog) << "what was typed stays";
    EXPECT_EQ(app->getItemFromOidEx(oid, 0), nullptr) << "the deleted contact is not revived";
    dialog->onCancel();
    advance(1000);
    EXPECT_FALSE(goToEditContact(window, *store, oid, nullptr));
    EXPECT_EQ(ControlHost::findActivePanel(window), nullptr);
}

TEST_F(EditContactDialogTest, ZimbabweKeepsItsTrailingSpaceWhenPicked) {
    auto countries = countryNames();
    ASSERT_EQ(countries.size(), 268u);
    EXPECT_EQ(std::u16string(countries.front()), u"Afghanistan");
    EXPECT_EQ(std::u16string(countries.back()), u"Zimbabwe ");
    auto at = [&](std::u16string_view name) {
        return std::find(countries.begin(), countries.end(), name) - countries.begin();
    };
    EXPECT_EQ(at(u"Armenia") + 1, at(u"Arctic Ocean"));
    EXPECT_EQ(at(u"USA") + 1, at(u"Uruguay"));

    EditContactDialog* dialog = open();
    ASSERT_NE(dialog, nullptr);
    EditControl* country = dialog->row(u"edit.address.country");
    scrollTo(*dialog, *country);
    const platform::Rect button = country->button()->rect();
    tap(button.left + 5, button.top + 5);
    advance(1000);
    auto* choices = dynamic_cast<ChoiceDialog*>(ControlHost::findActivePanel(window));
    ASSERT_NE(choices, nullptr);
    ASSERT_EQ(choices->list()->shownItems().size(), 268u);
    choices->pick(static_cast<BaseItem*>(choices->list()->shownItems().back())->text());
    advance(1000);
    ASSERT_EQ(ControlHost::findActivePanel(window), dialog);
    dialog->onOk();
    advance(1000);
    EXPECT_EQ(stored({pp::homeCountry})[0].text, u"Zimbabwe ");
}

TEST_F(EditContactDialogTest, ChoicesAreTheDistinctValuesOfTheListsContactsTrimmed) {
    SmartListControl list(window, u"contactlist", u"contactlist");
    auto add = [&](std::u16string company, std::u16string city, std::u16string categories) {
        ContactRecord record;
        record.company = std::move(company);
        record.city = std::move(city);
        record.categories = std::move(categories);
        list.appendItem(makeItem<ContactListItem>(std::move(record)));
    };
    add(u"Zeta AG", u"Bern", u"Work, Golf");
    add(u"alpha", u" Bern ", u"golf,Work ,, Family");
    add(u"", u"", u"");
    EXPECT_EQ(distinctContactValues(list, ContactValue::company),
              (std::vector<std::u16string>{u"alpha", u"Zeta AG"}));
    EXPECT_EQ(distinctContactValues(list, ContactValue::city),
              (std::vector<std::u16string>{u"Bern"}));
    EXPECT_EQ(distinctContactValues(list, ContactValue::category),
              (std::vector<std::u16string>{u"Family", u"Golf", u"golf", u"Work"}));
}

TEST(RingtoneChoices, DefaultThenEachFoldersSoundsByKindOnceEach) {
    const std::filesystem::path folder = test::freshFolder("ringtones");
    for (const char* name : {"b.wav", "a.MP3", "c.mid", "notes.txt", "d.wma"})
        std::ofstream(folder / name) << "x";
    const std::filesystem::path folders[] = {folder, folder / "missing", folder};
    const auto choices = ringtoneChoices(folders);
    EXPECT_EQ(choices, (std::vector<std::u16string>{u"Default", u"a.MP3", u"d.wma", u"b.wav",
                                                    u"c.mid"}));
}

TEST(RingtoneChoices, AChoiceIsTheFileOfTheFirstFolderHoldingIt) {
    const std::filesystem::path user = test::freshFolder("sounds");
    const std::filesystem::path program = test::freshFolder("program");
    std::ofstream(user / "ring.wav") << "x";
    std::ofstream(program / "ring.wav") << "x";
    std::ofstream(program / "bell.mp3") << "x";
    std::ofstream(program / "Default") << "x";
    std::filesystem::create_directory(user / "bell.mp3");
    const std::filesystem::path folders[] = {user, program};
    EXPECT_EQ(ringtoneFile(u"ring.wav", folders), user / "ring.wav");
    // A folder of that name is passed over.
    EXPECT_EQ(ringtoneFile(u"bell.mp3", folders), program / "bell.mp3");
    // "Default" is the phone's own ringtone, never a file; names reaching out of the
    // folders are none.
    EXPECT_EQ(ringtoneFile(u"Default", folders), std::filesystem::path());
    EXPECT_EQ(ringtoneFile(u"../program/bell.mp3", folders), std::filesystem::path());
    EXPECT_EQ(ringtoneFile(u"missing.wav", folders), std::filesystem::path());
}

} // namespace
} // namespace vantrel
