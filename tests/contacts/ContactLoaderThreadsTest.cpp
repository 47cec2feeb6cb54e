// The loader on its own thread while the interface thread does what a user does: scroll,
// type, tap, and a contact changed meanwhile. Run under ThreadSanitizer; whatever the
// interleaving, the list ends with every contact once, in order.

#include "tests/contacts/ContactListFixture.h"

#include "contacts/ContactSearchKeys.h"
#include "platform/core/Utf.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

class ContactLoaderThreads : public ContactListTest {
protected:
    static constexpr int contacts = 300;

    void SetUp() override {
        ContactListTest::SetUp();
        for (int i = 0; i < contacts; ++i) {
            std::string name = "Person " + std::to_string((i * 7919) % 1000);
            ids.push_back(add(platform::toUtf16(name),
                              {{prop::mobile, u"079 " + platform::toUtf16(std::to_string(i))}}));
        }
    }

    // Everything a user might do while the list grows, once per pass of the loop.
    void busyUntilLoaded(bool restartOnce) {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        int step = 0;
        while (list->isLoading() && std::chrono::steady_clock::now() < until) {
            platform::pumpMessages();
            list->onLoaderMessage();
            switch (step++ % 6) {
            case 0:
                list->onKey(0, u'p');
                break;
            case 1:
                list->onKey(int(platform::key::back), 0);
                break;
            case 2:
                list->setScrollOffset(list->scrollOffset() + 37);
                break;
            case 3:
                tap(200, list->rect().top + 100);
                break;
            case 4:
                list->contactChanged(ids[static_cast<size_t>(step) % ids.size()]);
                break;
            case 5:
                repaint();
                break;
            }
            if (restartOnce && step == 20) {
                restartOnce = false;
                list->startLoading(); // the first loader stops at its next contact
            }
        }
        ASSERT_FALSE(list->isLoading());
    }

    std::vector<uint32_t> ids;
};

} // namespace

TEST_F(ContactLoaderThreads, TheListGrowsWhileTheUserScrollsTypesAndTaps) {
    list->startLoading();
    busyUntilLoaded(true);
    // Again over the cache the first load wrote.
    list->startLoading();
    busyUntilLoaded(false);

    list->resetFilter();
    int rows = 0;
    std::string previous;
    for (const ItemRef& ref : list->allItems()) {
        auto* contact = dynamic_cast<ContactListItem*>(ref.get());
        if (!contact || contact->kind() != ContactListItem::Kind::contact)
            continue;
        ++rows;
        EXPECT_TRUE(contact->isValid());
        EXPECT_LE(previous, contact->searchKeys().collation);
        previous = contact->searchKeys().collation;
    }
    EXPECT_EQ(rows, contacts);
}
