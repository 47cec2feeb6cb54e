// The note screen over a real contact store: what OK writes, what it leaves alone, and a
// contact that another program deletes before or while its note is open.

#include "tests/ui/ToolkitFixture.h"

#include "contacts/ContactNote.h"
#include "contacts/ContactStoreAccess.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimItem.h"
#include "tests/support/TestFolders.h"
#include "ui/TextInputControl.h"

namespace vantrel {
namespace {

namespace pim = platform::pim;

class ContactNoteTest : public test::Toolkit {
protected:
    void SetUp() override {
        test::useFreshDevice();
        Toolkit::SetUp();
        app = pim::PimApp::create();
        ASSERT_TRUE(app);
        store = std::make_unique<ContactStoreAccess>(app);
        auto item = app->createItem(pim::itemContact);
        pim::PropValue values[] = {pim::PropValue::ofString(pim::prop::fileAs, u"Quill, Nora"),
                                   pim::PropValue::ofString(pim::prop::note, u"Met in spring.")};
        ASSERT_TRUE(item->setProps(0, values));
        ASSERT_TRUE(item->save());
        oid = item->oid();
    }

    // The note as the store holds it now, as another program would read it.
    std::u16string storedNote() {
        auto item = app->getItemFromOidEx(oid, 0);
        if (!item)
            return u"(deleted)";
        std::vector<pim::PropValue> values;
        const pim::PropId ids[] = {pim::prop::note};
        EXPECT_TRUE(item->getProps(ids, values));
        return values.at(0).text;
    }
    void writeNoteElsewhere(std::u16string note) {
        auto item = app->getItemFromOidEx(oid, 0);
        pim::PropValue value = pim::PropValue::ofString(pim::prop::note, std::move(note));
        ASSERT_TRUE(item->setProps(0, std::span(&value, 1)));
        ASSERT_TRUE(item->save());
    }

    NotePanel* openNote() {
        EXPECT_TRUE(goToContactNote(window, *store, oid));
        advance(1000);
        auto* note = dynamic_cast<NotePanel*>(ControlHost::findActivePanel(window));
        EXPECT_NE(note, nullptr);
        return note;
    }
    void typeIntoField(NotePanel& note, std::u16string_view text, int backspaces = 0) {
        const platform::Rect box = note.field()->rect();
        tap(box.left + 10, box.top + 10);
        for (char16_t c : text)
            platform::injectCharacter(c);
        for (int i = 0; i < backspaces; ++i)
            platform::injectKey(platform::key::back);
        platform::pumpMessages();
    }
    void answer(bool ok) {
        auto* note = dynamic_cast<NotePanel*>(ControlHost::findActivePanel(window));
        ASSERT_NE(note, nullptr);
        ok ? note->onOk() : note->onCancel();
        advance(1000);
        EXPECT_EQ(ControlHost::findActivePanel(window), nullptr) << "the note screen closed";
    }

    std::shared_ptr<pim::PimApp> app;
    std::unique_ptr<ContactStoreAccess> store;
    uint32_t oid = 0;
};

TEST_F(ContactNoteTest, OkWritesAChangedNoteAndNothingForOneTypedBackAsItWas) {
    NotePanel* note = openNote();
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->field()->text(), u"Met in spring.");
    typeIntoField(*note, u" Twice", 6);
    EXPECT_TRUE(note->field()->modified());
    // Another program changes the note meanwhile: an unchanged note must not undo that.
    writeNoteElsewhere(u"Changed elsewhere.");
    answer(true);
    EXPECT_EQ(storedNote(), u"Changed elsewhere.");

    note = openNote();
    ASSERT_NE(note, nullptr);
    typeIntoField(*note, u" Again.");
    answer(false);
    EXPECT_EQ(storedNote(), u"Changed elsewhere.") << "Cancel writes nothing";

    note = openNote();
    ASSERT_NE(note, nullptr);
    typeIntoField(*note, u" Again.");
    answer(true);
    EXPECT_EQ(storedNote(), u"Changed elsewhere. Again.");
}

TEST_F(ContactNoteTest, AContactDeletedElsewhereOpensNoNoteAndIsNotBroughtBack) {
    NotePanel* note = openNote();
    ASSERT_NE(note, nullptr);
    typeIntoField(*note, u" Lost.");
    ASSERT_TRUE(app->getItemFromOidEx(oid, 0)->deleteItem());
    answer(true);
    EXPECT_EQ(storedNote(), u"(deleted)") << "saving the note did not bring it back";
    EXPECT_FALSE(goToContactNote(window, *store, oid));
    EXPECT_EQ(ControlHost::findActivePanel(window), nullptr);
}

} // namespace
} // namespace vantrel
