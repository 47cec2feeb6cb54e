#include "contacts/ContactLoader.h"

#include "contacts/ContactCache.h"
#include "platform/pim/ItemCollection.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimFolder.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

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
    // for. The store pass then runs below it, as the phone ran the whole load, so
    // painting and input come first.
    readCache();
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 5);
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
    ContactPropertyTable table =
        ContactPropertyTable::build(settings_.templates, store_->favoriteId());
    const uint32_t count = collection->count();
    // The cache is written as the records come, each with its order key; the file
    // keeps the list's order (by sort key, equal keys as the store gave them).
    struct Written {
        std::string key;
        size_t begin, end;
    };
    std::vector<Written> written;
    std::string lines;
    for (uint32_t index = 1; index <= count; ++index) {
        if (stop_)
            return;
        LoadedContact contact;
        if (!store_->loadFromCollection(contact.record, *collection, index, table,
                                        settings_.templates))
            continue;
        if (settings_.pictures && (!collection->getPicture(index, contact.picture) ||
                                   contact.picture.size() > ContactStoreAccess::maxPictureBytes))
            contact.picture.clear();
        contact.keys = makeSearchKeys(contact.record);
        const size_t begin = lines.size();
        ContactCache::appendRecord(lines, contact.record);
        written.push_back({contact.keys.collation, begin, lines.size()});
        add(LoaderBatch::Kind::stored, contact);
    }
    collection.reset();
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
