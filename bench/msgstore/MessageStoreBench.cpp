// The message store at the size of a heavy user's phone, 100,000 messages: a pass over
// the Inbox's contents table as the count scan reads it, and one contact's
// conversation looked up by reduced number (goal: under 5 ms).
#include "platform/msgstore/MessageStore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace vantrel::platform::msgstore;

namespace {

constexpr int messageCount = 100000;
constexpr int contactCount = 1000; // about 100 messages a contact, 70 received

std::u16string numberOf(int contact) {
    std::string number = "+41 79 " + std::to_string(1000000 + contact * 7919 % 9000000);
    return std::u16string(number.begin(), number.end());
}

std::unique_ptr<Folder> folder(PropTag tag) {
    auto session = Session::logon();
    auto stores = session->storesTable()->queryRows(1);
    auto store = session->openStore(stores[0][1].asBinary());
    return store->openFolder(store->getProps({tag})[0].asBinary());
}

void fill() {
    auto inbox = folder(tag::inboxEntryId);
    auto sent = folder(tag::sentMailEntryId);
    WriteBatch batch;
    for (int i = 0; i < messageCount; ++i) {
        int contact = int((uint64_t(i) * 2654435761u) % contactCount);
        bool received = i % 10 < 7;
        auto message = (received ? inbox : sent)->createMessage();
        uint64_t time = 133000000000000000ull + uint64_t(i) * 600000000;
        message->setProps(
            {Property::text(tag::messageClass, u"IPM.SMStext"),
             Property::text(tag::subject, u"A message of an ordinary length, 50 chars"),
             Property::number(tag::messageFlags, received && i % 50 ? flag::read : 0),
             Property::time(tag::messageDeliveryTime, time),
             Property::time(tag::creationTime, time)});
        if (received)
            message->setProps({Property::text(tag::senderEmailAddress, numberOf(contact))});
        else
            message->modifyRecipients(Message::RecipientChange::add,
                                      {{Property::number(tag::recipientType, 1),
                                        Property::text(tag::emailAddress, numberOf(contact))}});
        message->saveChanges();
    }
    if (!batch.commit())
        std::abort();
}

void contentsTablePass(benchmark::State& state) {
    auto inbox = folder(tag::inboxEntryId);
    for (auto _ : state) {
        auto table = inbox->contentsTable();
        table->setColumns(
            {tag::displayName, tag::entryId, tag::senderEmailAddress, tag::messageFlags});
        size_t rows = 0;
        // Row by row, as the product reads a table.
        for (auto row = table->queryRows(1); !row.empty(); row = table->queryRows(1))
            ++rows;
        benchmark::DoNotOptimize(rows);
        state.counters["rows"] = double(rows);
    }
}
BENCHMARK(contentsTablePass)->Unit(benchmark::kMillisecond);

void conversationByNumber(benchmark::State& state) {
    auto inbox = folder(tag::inboxEntryId);
    auto sent = folder(tag::sentMailEntryId);
    int contact = 0;
    for (auto _ : state) {
        // Another contact each time, so no answer comes from a warm page of the last.
        std::u16string number = numberOf(contact++ % contactCount);
        size_t rows = 0;
        for (Folder* f : {inbox.get(), sent.get()}) {
            auto table = f->contentsTable();
            table->restrictToNumber(number);
            table->setColumns({tag::entryId, tag::senderEmailAddress, tag::messageFlags});
            for (auto row = table->queryRows(1); !row.empty(); row = table->queryRows(1))
                ++rows;
        }
        benchmark::DoNotOptimize(rows);
        state.counters["rows"] = double(rows);
    }
}
BENCHMARK(conversationByNumber)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vantrel-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 1;
    setenv("VANTREL_DEVICE", pattern.c_str(), 1);
    fill();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(pattern);
    return 0;
}
