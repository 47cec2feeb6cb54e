// The conversation screen's loader on its own thread while the window's thread takes
// its entries, another contact is opened in the middle of a long load, and messages
// keep arriving in the store: the screen ends showing the second contact's entries
// only, in time order, each once. Run under ThreadSanitizer.

#include "tests/messaging/MessagingFixture.h"

#include "mapi/MAPIMessage.h"
#include "messaging/SMSPanel.h"
#include "messaging/SmsBubbleItem.h"
#include "messaging/SmsSmartListControl.h"
#include "platform/core/Handover.h"

#include <atomic>
#include <set>
#include <thread>

using namespace vantrel;
using namespace vantrel::test;

namespace {

class ConversationThreads : public Messaging {
protected:
    void SetUp() override {
        Messaging::SetUp();
        // A history long enough that the first load is still running when the second
        // contact is opened.
        SettingStore::instance().addLine(u"contactlist.*.item.sms.history.size=3000");
        panel = std::make_unique<SMSPanel>(window);
        panel->layout(client);
    }
    void TearDown() override {
        panel.reset();
        Messaging::TearDown();
    }

    // Takes what the loader handed over until `done` holds (20 s at most).
    template <class Done> void pumpUntil(Done done) {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done() && std::chrono::steady_clock::now() < until) {
            platform::pumpMessages();
            panel->onLoaderMessage();
            std::this_thread::yield();
        }
    }

    std::unique_ptr<SMSPanel> panel;
};

} // namespace

TEST_F(ConversationThreads, AnotherContactOpenedDuringALoadShowsOnlyItsEntries) {
    add(u"Anna", {{prop::mobile, u"+41 79 555 01 02"}});
    add(u"Ben", {{prop::mobile, u"+41 78 444 09 09"}});
    load();
    for (int i = 0; i < 2500; ++i)
        receive(u"+41795550102", u"for Anna", i);
    for (int i = 0; i < 40; ++i)
        receive(u"+41 78 444 09 09", u"for Ben", 3000 + i, true);
    call(platform::modem::callIncoming, u"0784440909", 2990);

    // Messages keep arriving for both while the loads run.
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        auto folder = openFolder(tag::inboxEntryId);
        for (int i = 0; i < 60; ++i)
            receiveSms(*folder, i % 2 ? u"+41795550102" : u"+41784440909",
                       i % 2 ? u"late for Anna" : u"late for Ben", at(4000 + i));
        writing = false;
    });

    panel->open(*row(u"Anna"), u"+41 79 555 01 02");
    // Ben is opened once Anna's first entries wait in the queue, untaken.
    bool woken = false;
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         !woken && std::chrono::steady_clock::now() < until;) {
        platform::Message message;
        if (!platform::peekMessage(message)) {
            std::this_thread::yield();
            continue;
        }
        woken = message.id == SMSPanel::loaderMessage;
        if (!woken)
            platform::dispatchMessage(message);
    }
    ASSERT_TRUE(woken);
    panel->open(*row(u"Ben"), u"+41 78 444 09 09");
    pumpUntil([&] { return !panel->loading(); });
    writer.join();
    ASSERT_FALSE(panel->loading()) << "the load did not end";

    SmsSmartListControl& list = *panel->list();
    ASSERT_GE(list.allItems().size(), 41u) << "40 messages and the call, then what arrived";
    std::set<uint32_t> rows;
    uint64_t previous = 0;
    int calls = 0;
    for (size_t i = 0; i < list.shownItems().size(); ++i) {
        const SMSMessage& message = list.bubble(i)->message();
        EXPECT_GE(message.time, previous) << "oldest first";
        previous = message.time;
        if (message.isCall) {
            ++calls;
            continue;
        }
        EXPECT_EQ(message.text.substr(message.text.size() - 3), u"Ben");
        EXPECT_TRUE(rows.insert(message.row.rowId).second) << "each message once";
        EXPECT_EQ(message.contact.get(), row(u"Ben"));
    }
    EXPECT_EQ(calls, 1);
}

TEST_F(ConversationThreads, AMessageShownAsItArrivesIsNotAddedAgainByTheLoad) {
    add(u"Anna", {{prop::mobile, u"+41 79 555 01 02"}});
    load();
    for (int i = 0; i < 10; ++i)
        receive(u"+41795550102", u"earlier", i, true);
    // The new message is in the store when the load starts, and shown at once as well.
    SMSMessage arrived;
    arrived.text = u"just now";
    arrived.read = false;
    arrived.time = at(100);
    arrived.row.entryId = receive(u"+41795550102", u"just now", 100);
    panel->open(*row(u"Anna"), u"+41 79 555 01 02");
    auto session = mapi::MAPISession::logon();
    auto stored = session->openMessage(arrived.row.entryId);
    ASSERT_TRUE(stored);
    arrived.row.rowId = stored->rowId();
    panel->showIncoming(u"+41795550102", arrived);
    panel->showIncoming(u"+41 76 000 00 00", arrived);
    pumpUntil([&] { return !panel->loading(); });

    SmsSmartListControl& list = *panel->list();
    ASSERT_EQ(list.shownItems().size(), 11u);
    EXPECT_EQ(list.bubble(10)->message().text, u"just now");
    EXPECT_FALSE(list.bubble(10)->message().read);
}
