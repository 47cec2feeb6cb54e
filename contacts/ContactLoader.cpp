#include "contacts/ContactLoader.h"

#include "contacts/ContactCache.h"
#include "platform/pim/ItemCollection.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimFolder.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <utility>

namespace vantrel {

namespace pim = platform::pim;

namespace {

// One contact as the store pass read it, before its texts are made.
struct StoreRow {
    ContactValues contact;
    std::vector<uint8_t> picture;
};

// Where the store pass's two threads meet: the reading one puts rows in, in chunks, the
// building one takes them out in the same order. Only a few chunks may wait, so a
// builder that falls behind holds the reader up instead of letting the whole store
// pile up in memory.
class RowChannel {
public:
    static constexpr size_t chunkRows = 64;

    void put(std::vector<StoreRow> chunk) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return chunks_.size() < maxChunks; });
        chunks_.push_back(std::move(chunk));
        changed_.notify_all();
    }
    // No more rows come.
    void close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        changed_.notify_all();
    }
    // The next chunk; false once the channel is closed and empty.
    bool take(std::vector<StoreRow>& chunk) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !chunks_.empty() || closed_; });
        if (chunks_.empty())
            return false;
        chunk = std::move(chunks_.front());
        chunks_.pop_front();
        changed_.notify_all();
        return true;
    }

private:
    static constexpr size_t maxChunks = 4;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<StoreRow>> chunks_;
    bool closed_ = false;
};

// The store pass runs below the interface's priority, as the phone ran the whole load,
// so painting and input come first.
void lowerThreadPriority() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 5);
}

} // namespace

ContactLoader::ContactLoader(platform::WindowHandle window, uint32_t wakeMessage,
                             LoaderSettings settings, std::shared_ptr<ContactStoreAccess> store)
    : window_(window), wakeMessage_(wakeMessage), settings_(std::move(settings)),
      store_(std::move(store)) {}

ContactLoader::~ContactLoader() {
    stop();
}

void ContactLoader::start() {
    if (thread_.joinable())
        return;
    stop_ = false;
    thread_ = std::thread([this] { run(); });
}

void ContactLoader::stop() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

std::deque<LoaderBatch> ContactLoader::take() {
    std::lock_guard lock(mutex_);
    wakePosted_ = false;
    return std::exchange(queue_, {});
}

void ContactLoader::add(LoaderBatch::Kind kind, LoadedContact& contact) {
    if (pending_.kind != kind)
        flush();
    pending_.kind = kind;
    pending_.contacts.push_back(std::move(contact));
    const size_t chunk = chunks_ == 0 ? 32 : 256;
    if (pending_.contacts.size() >= chunk)
        flush();
}

void ContactLoader::flush(std::optional<LoaderBatch::Kind> step) {
    const bool collected = !pending_.contacts.empty();
    if (!collected && !step)
        return;
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        if (collected) {
            queue_.push_back(LoaderBatch{pending_.kind, std::move(pending_.contacts)});
            ++chunks_;
        }
        if (step)
            queue_.push_back(LoaderBatch{*step, {}});
        wake = !std::exchange(wakePosted_, true);
    }
    pending_.contacts.clear();
    if (wake)
        platform::postMessage(window_, wakeMessage_);
}

void ContactLoader::run() {
    // The cache is read at the interface's own priority: it is what the user waits
    // for; the store pass then runs below it.
    readCache();
    lowerThreadPriority();
    if (!stop_ && settings_.readStore && store_)
        readStore();
    flush(LoaderBatch::Kind::finished);
}

void ContactLoader::readCache() {
    // Record by record: the first chunk goes over as soon as it is read, while the
    // rest of the file is still being parsed.
    ContactCache::Reader reader(settings_.cacheFile);
    LoadedContact contact;
    while (!stop_ && reader.next(contact.record)) {
        contact.keys = makeSearchKeys(contact.record);
        add(LoaderBatch::Kind::cached, contact);
        contact = LoadedContact();
    }
    flush(LoaderBatch::Kind::cacheDone);
}

void ContactLoader::readStore() {
    pim::PimApp* app = store_->app();
    auto folder = app ? app->getDefaultFolder(pim::folderContacts) : nullptr;
    auto collection = folder ? folder->getItems() : nullptr;
    if (!collection)
        return;
    const ContactPropertyTable table =
        ContactPropertyTable::build(settings_.templates, store_->favoriteId());
    const uint32_t count = collection->count();
    // Two stages on two threads: a reader reads the store row by row (the collection is
    // its alone until it ends), this thread makes each contact's texts, keys and cache
    // lines and hands the records over, in the store's order. Reading is the lesser
    // half of the work, so on two cores the pass takes about as long as the building.
    RowChannel rows;
    // The cache is written as the records come, each with its order key; the file
    // keeps the list's order (by sort key, equal keys as the store gave them).
    struct Written {
        std::string key;
        size_t begin, end;
    };
    std::vector<Written> written;
    std::string lines;
    std::thread reader([&] {
        lowerThreadPriority();
        std::vector<StoreRow> chunk;
        for (uint32_t index = 1; index <= count && !stop_; ++index) {
            StoreRow row;
            if (!store_->readFromCollection(row.contact, *collection, index, table))
                continue;
            if (settings_.pictures && (!collection->getPicture(index, row.picture) ||
                                       row.picture.size() > ContactStoreAccess::maxPictureBytes))
                row.picture.clear();
            chunk.push_back(std::move(row));
            if (chunk.size() == RowChannel::chunkRows)
                rows.put(std::exchange(chunk, {}));
        }
        if (!chunk.empty())
            rows.put(std::move(chunk));
        rows.close();
    });
    // NOTE: the records are made on the loader's own thread, as the cache's were: the
    // allocator then reuses for them what the cache's records gave back, where records
    // made on another thread would take memory of their own.
    // Every chunk is taken, even once asked to stop, so the reader never waits on a
    // full channel.
    for (std::vector<StoreRow> chunk; rows.take(chunk);) {
        for (StoreRow& row : chunk) {
            if (stop_)
                break;
            LoadedContact contact;
            contact.record.objectId = row.contact.objectId;
            if (!fillRecord(contact.record, row.contact.values, row.contact.favorite, table.formats,
                            settings_.templates.showAllContact))
                continue;
            contact.picture = std::move(row.picture);
            contact.keys = makeSearchKeys(contact.record);
            const size_t begin = lines.size();
            ContactCache::appendRecord(lines, contact.record);
            written.push_back({contact.keys.collation, begin, lines.size()});
            add(LoaderBatch::Kind::stored, contact);
        }
    }
    reader.join();
    collection.reset();
    if (stop_)
        return;
    flush();

    std::stable_sort(written.begin(), written.end(),
                     [](const Written& a, const Written& b) { return a.key < b.key; });
    std::string bytes = ContactCache::format({}); // the header line
    bytes.reserve(bytes.size() + lines.size());
    for (const Written& record : written)
        bytes.append(lines, record.begin, record.end - record.begin);
    ContactCache::writeBytes(settings_.cacheFile, bytes);
    flush(LoaderBatch::Kind::storeDone);
}

} // namespace vantrel
