#include "contacts/ContactLoader.h"

#include "contacts/ContactCache.h"
#include "platform/pim/ItemCollection.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimFolder.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <numeric>

namespace vantrel {

namespace pim = platform::pim;

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

void ContactLoader::add(LoaderBatch::Kind kind, LoadedContact* contact, LoadedPicture* picture) {
    if (pending_.kind != kind)
        flush();
    pending_.kind = kind;
    if (contact)
        pending_.contacts.push_back(std::move(*contact));
    if (picture)
        pending_.pictures.push_back(std::move(*picture));
    const size_t chunk = chunks_ == 0 ? 32 : 256;
    if (pending_.contacts.size() + pending_.pictures.size() >= chunk)
        flush();
}

void ContactLoader::flush(std::optional<LoaderBatch::Kind> step) {
    const bool collected = !pending_.contacts.empty() || !pending_.pictures.empty();
    if (!collected && !step)
        return;
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        if (collected) {
            queue_.push_back(LoaderBatch{pending_.kind, std::move(pending_.contacts),
                                         std::move(pending_.pictures)});
            ++chunks_;
        }
        if (step)
            queue_.push_back(LoaderBatch{*step, {}, {}});
        wake = !std::exchange(wakePosted_, true);
    }
    pending_.contacts.clear();
    pending_.pictures.clear();
    if (wake)
        platform::postMessage(window_, wakeMessage_);
}

void ContactLoader::run() {
    // The cache is read at the interface's own priority: it is what the user waits
    // for. The store pass and the pictures then run below it, as the phone ran the
    // whole load, so painting and input come first.
    readCache();
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 5);
    if (!stop_ && settings_.readStore && store_)
        readStore();
    if (!stop_ && store_)
        readPictures();
    flush(LoaderBatch::Kind::finished);
}

void ContactLoader::readCache() {
    std::vector<ContactRecord> cached = ContactCache::read(settings_.cacheFile);
    for (ContactRecord& record : cached) {
        if (stop_)
            return;
        LoadedContact contact{std::move(record), {}};
        contact.keys = makeSearchKeys(contact.record);
        add(LoaderBatch::Kind::cached, &contact);
    }
    flush(LoaderBatch::Kind::cacheDone);
}

void ContactLoader::readStore() {
    pim::PimApp* app = store_->app();
    auto folder = app ? app->getDefaultFolder(pim::folderContacts) : nullptr;
    auto collection = folder ? folder->getItems() : nullptr;
    if (!collection)
        return;
    ContactPropertyTable table =
        ContactPropertyTable::build(settings_.templates, store_->favoriteId());
    const uint32_t count = collection->count();
    std::vector<std::string> keys;
    for (uint32_t index = 1; index <= count; ++index) {
        if (stop_)
            return;
        LoadedContact contact;
        if (!store_->loadFromCollection(contact.record, *collection, index, table,
                                        settings_.templates))
            continue;
        contact.keys = makeSearchKeys(contact.record);
        stored_.push_back(contact.record);
        keys.push_back(contact.keys.collation);
        add(LoaderBatch::Kind::stored, &contact);
    }
    collection.reset();

    // The cache keeps the list's order: by sort key, equal keys as the store gave them.
    std::vector<size_t> order(stored_.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<const ContactRecord*> records;
    records.reserve(order.size());
    for (size_t i : order)
        records.push_back(&stored_[i]);
    flush();
    ContactCache::write(settings_.cacheFile, records);
    flush(LoaderBatch::Kind::storeDone);
}

void ContactLoader::readPictures() {
    if (settings_.pictureWidth <= 0 || settings_.pictureHeight <= 0)
        return;
    for (const ContactRecord& record : stored_) {
        if (stop_)
            return;
        LoadedPicture picture{
            record.objectId,
            store_->loadPicture(record.objectId, settings_.pictureWidth, settings_.pictureHeight)};
        if (!picture.picture.isEmpty())
            add(LoaderBatch::Kind::pictures, nullptr, &picture);
    }
}

} // namespace vantrel
