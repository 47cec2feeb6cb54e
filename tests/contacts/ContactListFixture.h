#pragma once
// The main contact list on a real window in virtual time, over a real contact store in
// a fresh device folder, with its loader on its own thread.

#include "tests/ui/ToolkitFixture.h"

#include "contacts/ContactCache.h"
#include "contacts/ContactSmartListControl.h"
#include "contacts/ContactStoreAccess.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimItem.h"
#include "tests/support/TestFolders.h"

#include <unicode/locid.h>

#include <chrono>
#include <thread>

namespace vantrel::test {

class ContactListTest : public Toolkit {
protected:
    void SetUp() override {
        useFreshDevice();
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale("en_GB"), status);
        Toolkit::SetUp();
        app = platform::pim::PimApp::create();
        store = std::make_shared<ContactStoreAccess>(app);
        list = std::make_unique<ContactSmartListControl>(window);
        list->setStore(store);
        ControlHost::addControl(window, list.get());
        list->layout(client);
    }

    void TearDown() override {
        list->stopLoading();
        ControlHost::removeControl(window, list.get());
        list.reset();
        Toolkit::TearDown();
    }

    // A contact in the store; `phones` pairs a property with a number.
    uint32_t add(std::u16string fileAs,
                 std::vector<std::pair<uint32_t, std::u16string>> phones = {},
                 std::u16string company = u"") {
        namespace pim = platform::pim;
        auto item = app->createItem(pim::itemContact);
        std::vector<pim::PropValue> values{pim::PropValue::ofString(pim::prop::fileAs, fileAs)};
        for (auto& [id, number] : phones)
            values.push_back(pim::PropValue::ofString(id, number));
        if (!company.empty())
            values.push_back(pim::PropValue::ofString(pim::prop::company, company));
        EXPECT_TRUE(item->setProps(0, values));
        EXPECT_TRUE(item->save());
        return item->oid();
    }

    // Runs the full load to its end, applying what the loader hands over.
    void load() {
        list->startLoading();
        drain();
    }
    void drain() {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (list->isLoading() && std::chrono::steady_clock::now() < until) {
            platform::pumpMessages();
            list->onLoaderMessage();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_FALSE(list->isLoading()) << "the load did not end";
    }

    // The first lines of the shown rows; separators as "[A]".
    std::vector<std::u16string> shown() const {
        std::vector<std::u16string> lines;
        for (const IListItem* item : list->shownItems()) {
            if (auto* contact = dynamic_cast<const ContactListItem*>(item))
                lines.push_back(contact->record().firstLine);
            else if (auto* separator = dynamic_cast<const SeparatorItem*>(item))
                lines.push_back(u"[" + separator->text() + u"]");
            else
                lines.push_back(u"<entry>");
        }
        return lines;
    }

    std::shared_ptr<platform::pim::PimApp> app;
    std::shared_ptr<ContactStoreAccess> store;
    std::unique_ptr<ContactSmartListControl> list;
};

} // namespace vantrel::test
