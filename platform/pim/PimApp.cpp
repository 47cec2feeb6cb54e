#include "platform/pim/PimApp.h"

#include "platform/core/Paths.h"
#include "platform/pim/ChangeWatcher.h"
#include "platform/pim/ContactStore.h"
#include "platform/pim/PimFolder.h"
#include "platform/pim/PimItem.h"

namespace vantrel::platform::pim {

std::shared_ptr<PimApp> PimApp::create() {
    auto store = std::make_shared<ContactStore>(deviceFolder() / ContactStore::fileName);
    // A store that cannot be opened now is tried again by every later call.
    store->ready();
    return std::shared_ptr<PimApp>(new PimApp(std::move(store)));
}

PimApp::PimApp(std::shared_ptr<ContactStore> store) : store_(std::move(store)) {}

PimApp::~PimApp() = default;

bool PimApp::logon(WindowHandle window) {
    std::lock_guard lock(mutex_);
    watcher_.reset();
    if (window) {
        watcher_ = std::make_unique<ChangeWatcher>(store_, window);
        watcher_->setMask(notifyMask_);
    }
    return store_->ready();
}

void PimApp::logoff() {
    std::lock_guard lock(mutex_);
    watcher_.reset();
}

void PimApp::setNotifications(uint32_t mask) {
    std::lock_guard lock(mutex_);
    // Kept for a later logon too: the folder's setting outlives the window it went to.
    notifyMask_ = mask;
    if (watcher_)
        watcher_->setMask(mask);
}

std::unique_ptr<Folder> PimApp::getDefaultFolder(uint32_t folderId) {
    if (folderId != folderContacts)
        return nullptr;
    return std::unique_ptr<Folder>(new Folder(shared_from_this(), store_));
}

std::unique_ptr<Item> PimApp::createItem(uint32_t itemType) {
    if (itemType != itemContact)
        return nullptr;
    return std::unique_ptr<Item>(new Item(store_, invalidOid, {}));
}

std::unique_ptr<Item> PimApp::getItemFromOidEx(Oid oid, uint32_t) {
    if (oid == invalidOid || oid == 0)
        return nullptr;
    PropertyMap props;
    bool found = false;
    if (!store_->load(oid, props, found) || !found)
        return nullptr;
    return std::unique_ptr<Item>(new Item(store_, oid, std::move(props)));
}

bool PimApp::getIDsFromNames(std::span<const std::u16string_view> names, uint32_t flags,
                             std::vector<PropId>& ids) {
    return store_->namedIds(names, flags, ids);
}

} // namespace vantrel::platform::pim
