// Messaging at a heavy user's size: 10,000 contacts, 100,000 messages (70% received),
// 2,000 calls.
//   Conversation      one contact's newest 20 entries (SMS of both folders and calls)
//                     through the store's number index (goal: under 20 ms);
//   RefreshAfterOneSms  one new SMS stored, then the refresh: the Inbox's new rows and
//                     the call log's new entries read, counted on the rows and the list
//                     filtered again (goal: under 5 ms);
//   FullRecount       every counter to zero and every message and call counted again
//                     (the figure);
//   ConversationOpen  the conversation screen opened on a contact: the loader's thread
//                     runs the query, the window's thread takes the entries, measures
//                     the bubbles and paints the screen (goal: under 50 ms);
//   ConversationScrollFrame  one scroll step of a conversation longer than the screen:
//                     the list's offset moves and it paints its bubbles (goal: at most
//                     4 x FrameCopy, a full-screen copy of the same buffer).
// The device is filled once under /tmp and kept for later runs.

#include "contacts/ContactCache.h"
#include "contacts/ContactSmartListControl.h"
#include "contacts/ContactTemplate.h"
#include "messaging/Conversation.h"
#include "messaging/MessageCounter.h"
#include "messaging/SMSPanel.h"
#include "messaging/SmsSmartListControl.h"
#include "platform/core/Backend.h"
#include "platform/core/Clock.h"
#include "platform/core/Window.h"
#include "platform/modem/Phone.h"
#include "platform/msgstore/MessageStore.h"
#include "settings/DefaultSettingProvider.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "ui/HostWindow.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

using namespace vantrel;
namespace store = vantrel::platform::msgstore;
namespace fs = std::filesystem;

namespace {

constexpr int contactCount = 10000;
constexpr int messageCount = 100000;
constexpr int callCount = 2000;
constexpr uint64_t start = 133000000000000000ull;

std::u16string numberOf(int contact) {
    std::string number = "+41 79 " + std::to_string(1000000 + contact * 7919 % 9000000);
    return std::u16string(number.begin(), number.end());
}

std::unique_ptr<store::Folder> folder(store::PropTag tag) {
    auto session = store::Session::logon();
    auto stores = session->storesTable()->queryRows(1);
    auto sms = session->openStore(stores[0][1].asBinary());
    return sms->openFolder(sms->getProps({tag})[0].asBinary());
}

void receive(store::Folder& inbox, const std::u16string& from, uint64_t time, bool read) {
    using store::Property;
    namespace tag = store::tag;
    auto message = inbox.createMessage();
    message->setProps({Property::text(tag::messageClass, u"IPM.SMStext"),
                       Property::text(tag::subject, u"A message of an ordinary length, 50 chars"),
                       Property::text(tag::senderEmailAddress, from),
                       Property::number(tag::messageFlags, read ? store::flag::read : 0),
                       Property::time(tag::creationTime, time)});
    message->saveChanges();
}

void fillStores() {
    using store::Property;
    namespace tag = store::tag;
    auto inbox = folder(tag::inboxEntryId);
    auto sent = folder(tag::sentMailEntryId);
    store::WriteBatch batch;
    for (int i = 0; i < messageCount; ++i) {
        // Most from contacts, some from numbers no contact has.
        int contact = int((uint64_t(i) * 2654435761u) % (contactCount + contactCount / 10));
        uint64_t time = start + uint64_t(i) * 600000000;
        if (i % 10 < 7) {
            receive(*inbox, numberOf(contact), time, i % 50 != 0);
            continue;
        }
        auto message = sent->createMessage();
        message->setProps({Property::text(tag::subject, u"An answer"),
                           Property::number(tag::messageFlags, store::flag::read),
                           Property::time(tag::creationTime, time)});
        message->modifyRecipients(store::Message::RecipientChange::add,
                                  {{Property::number(tag::recipientType, 1),
                                    Property::text(tag::emailAddress, numberOf(contact))}});
        message->saveChanges();
    }
    if (!batch.commit())
        std::abort();
    for (int i = 0; i < callCount; ++i) {
        platform::modem::CallLogEntry call;
        call.direction = uint32_t(i % 3);
        call.flags = call.direction == platform::modem::callOutgoing ? 1 : 0;
        call.number = numberOf(i * 13 % contactCount);
        call.startTime = start + uint64_t(i) * 30 * 600000000;
        platform::modem::addCallLogEntry(call);
    }
}

struct Scene {
    Scene() {
        device = "/tmp/vantrel-bench-messaging-" + std::to_string(messageCount);
        bool fresh = !fs::exists(device / "messages.db");
        setenv("VANTREL_DEVICE", device.c_str(), 1);
        setenv("VANTREL_HOME", device.c_str(), 1);
        if (fresh)
            fillStores();
        platform::useVirtualClock(true, 1000);
        SettingStore& settings = SettingStore::instance();
        settings.setDefaultProvider(&provider);
        settings.loadDefaults();
        platform::registerClass({u"messaging-bench", &hostWindowProcedure});
        window = platform::createWindow(u"messaging-bench", u"bench", {0, 0, 480, 800}, false);
        list = std::make_unique<ContactSmartListControl>(window);
        list->layout({0, 0, 480, 800});
        // The contacts come from a cache file: the list's own load, without a store.
        std::vector<ContactRecord> records(contactCount);
        std::vector<const ContactRecord*> pointers;
        for (int i = 0; i < contactCount; ++i) {
            std::string n = std::to_string(i);
            records[i].objectId = uint32_t(i + 1);
            records[i].firstLine = u"Contact " + std::u16string(n.begin(), n.end());
            records[i].sortKey = upperCased(records[i].firstLine);
            records[i].phones = {{numberOf(i), prop::mobile}};
            records[i].valid = true;
            pointers.push_back(&records[i]);
        }
        ContactCache::write(ContactCache::defaultPath(), pointers);
        list->startLoading();
        while (list->isLoading()) {
            platform::pumpMessages();
            list->onLoaderMessage();
            std::this_thread::yield();
        }
        counter = std::make_unique<MessageCounter>(window);
        counter->recountMessages();
        counter->apply(*list);
        // Made here, so the platform's edit windows (which the screen's editor uses)
        // outlive it when the program's statics go.
        panel = std::make_unique<SMSPanel>(window);
        panel->layout({0, 0, 480, 800});
    }

    fs::path device;
    SettingManager manager;
    DefaultSettingProvider provider{manager, SettingStore::instance()};
    platform::WindowHandle window = 0;
    std::unique_ptr<ContactSmartListControl> list;
    std::unique_ptr<MessageCounter> counter;
    platform::Surface buffer{480, 800};

    // The conversation screen over the whole window.
    SMSPanel& conversation() { return *panel; }
    // Opens the conversation of the row with that object id and takes entries until
    // its load ended.
    void open(uint32_t objectId) {
        ContactListItem* row = list->findByObjectId(objectId);
        if (!row)
            std::abort();
        SMSPanel& screen = conversation();
        screen.open(*row, row->record().phones.front().number);
        while (screen.loading()) {
            platform::pumpMessages();
            screen.onLoaderMessage();
            std::this_thread::yield();
        }
    }

private:
    std::unique_ptr<SMSPanel> panel;
};

Scene& scene() {
    static Scene s;
    return s;
}

void Conversation(benchmark::State& state) {
    scene();
    int contact = 0;
    size_t entries = 0;
    for (auto _ : state) {
        // Another contact each time, so no answer comes from a warm page of the last.
        ConversationRequest request{{numberOf(contact++ * 37 % contactCount)}, false, 20, true};
        entries = 0;
        loadConversation(request, [&](SMSMessage) { return ++entries, true; });
    }
    state.counters["entries"] = double(entries);
}
BENCHMARK(Conversation)->Unit(benchmark::kMillisecond);

void RefreshAfterOneSms(benchmark::State& state) {
    Scene& s = scene();
    auto inbox = folder(store::tag::inboxEntryId);
    int contact = 0;
    for (auto _ : state) {
        state.PauseTiming();
        receive(*inbox, numberOf(contact++ * 101 % contactCount), platform::systemFileTime(),
                false);
        state.ResumeTiming();
        s.counter->scanSmsCounts();
        s.counter->apply(*s.list);
    }
}
BENCHMARK(RefreshAfterOneSms)->Unit(benchmark::kMillisecond);

void FullRecount(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        s.counter->recountMessages();
        s.counter->apply(*s.list);
    }
    state.counters["rows"] = double(s.list->allItems().size());
}
BENCHMARK(FullRecount)->Unit(benchmark::kMillisecond);

void ConversationOpen(benchmark::State& state) {
    Scene& s = scene();
    PaintContext context{s.buffer, 480, 800, 0};
    int contact = 0;
    size_t bubbles = 0;
    for (auto _ : state) {
        s.open(uint32_t(contact++ * 37 % contactCount + 1));
        s.conversation().paint(context, s.conversation().rect());
        bubbles = s.conversation().list()->shownItems().size();
    }
    state.counters["bubbles"] = double(bubbles);
}
BENCHMARK(ConversationOpen)->Unit(benchmark::kMillisecond);

void ConversationScrollFrame(benchmark::State& state) {
    Scene& s = scene();
    // The contact of the most entries among the first hundred: a conversation several
    // screens long.
    uint32_t longest = 1;
    size_t most = 0;
    for (uint32_t id = 1; id <= 100; ++id) {
        s.open(id);
        if (s.conversation().list()->shownItems().size() > most)
            most = s.conversation().list()->shownItems().size(), longest = id;
    }
    s.open(longest);
    SmsSmartListControl& list = *s.conversation().list();
    PaintContext context{s.buffer, 480, 800, 0};
    const int range = std::max(list.contentHeight() - list.rect().height(), 1);
    int offset = 0;
    for (auto _ : state) {
        offset = (offset + 37) % range;
        list.setScrollOffset(offset);
        list.paint(context, list.rect());
        benchmark::ClobberMemory();
    }
    state.counters["bubbles"] = double(list.shownItems().size());
    state.counters["screens"] = double(list.contentHeight()) / list.rect().height();
}
BENCHMARK(ConversationScrollFrame)->Unit(benchmark::kMicrosecond);

void FrameCopy(benchmark::State& state) {
    platform::Surface from(480, 800);
    platform::Surface to(480, 800);
    for (auto _ : state) {
        std::memcpy(to.row(0), from.row(0), sizeof(platform::Pixel565) * 480 * 800);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FrameCopy)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
