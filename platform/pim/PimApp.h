#pragma once
// The contact store's application object, standing in for the phone platform's
// Pocket Outlook application: log on with a window, reach the contacts folder, create
// and fetch items, resolve named properties. The store is one SQLite file in the device
// folder ("contacts.db") shared by every process of the device; every write is one
// transaction, readers are never blocked by a writer.
//
// Notifications: after logon, and once the contacts folder's prop::folderNotifications
// is set, every create, change and delete of a contact is posted to the logon window
// with the contact's object id as wParam: the "local" messages for writes of this
// process, the "remote" ones for writes of any other process of the device (the
// device tool, a second program), which a watcher thread picks up from the store.
//
// An application object may be used from several threads (the contact loader and the
// interface thread); each call is atomic. Folders, collections and items keep the store
// alive on their own, so they may outlive the object that made them.

#include "platform/core/Window.h"
#include "platform/pim/PropValue.h"

#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

namespace vantrel::platform::pim {

class ContactStore;
class ChangeWatcher;
class Folder;
class Item;

// Folder numbers of the old platform; only the contacts folder exists.
enum FolderId : uint32_t { folderContacts = 10 };
// Item types of the old platform; only contacts exist.
enum ItemType : uint32_t { itemContact = 2 };

// The messages posted to the logon window; wParam is the object id.
enum PimMessage : uint32_t {
    pimItemCreatedLocal = 0x8100,
    pimItemDeletedLocal = 0x8101,
    pimItemChangedLocal = 0x8102,
    pimItemCreatedRemote = 0x8105,
    pimItemDeletedRemote = 0x8106,
    pimItemChangedRemote = 0x8107,
};

// Flags of getIDsFromNames: the low 16 bits give the value type of the returned tags.
enum NamedPropFlags : uint32_t {
    namedPropCreate = 0x00010000,
    namedPropIndexed = 0x00200000,
    namedPropNoReplicate = 0x00400000,
};

class PimApp : public std::enable_shared_from_this<PimApp> {
public:
    // Opens (or creates) the device's store; a file that cannot be used is moved aside
    // with a message on standard error and a new empty store is started. Never null;
    // when even that fails, every later call fails.
    static std::shared_ptr<PimApp> create();
    ~PimApp();
    PimApp(const PimApp&) = delete;
    PimApp& operator=(const PimApp&) = delete;

    // Notifications go to `window` from now on (0 stops them). False when the store
    // cannot be used.
    bool logon(WindowHandle window);
    void logoff();

    // The folder, or null for a folder this store does not have.
    std::unique_ptr<Folder> getDefaultFolder(uint32_t folderId);
    // A new, empty item; nothing is stored until its save(). Null for other types.
    std::unique_ptr<Item> createItem(uint32_t itemType);
    // The item with that object id, or null when there is none (deleted meanwhile).
    std::unique_ptr<Item> getItemFromOidEx(Oid oid, uint32_t flags = 0);

    // One tag per name: the property number is the name's, the low 16 bits the type of
    // `flags`. A name not known yet gets a new number when flags has namedPropCreate,
    // otherwise its tag is 0 and the call returns false. Names compare exactly.
    bool getIDsFromNames(std::span<const std::u16string_view> names, uint32_t flags,
                         std::vector<PropId>& ids);

private:
    friend class Folder;
    explicit PimApp(std::shared_ptr<ContactStore> store);
    // Which notifications the logon window gets (FolderNotify bits).
    void setNotifications(uint32_t mask);

    std::shared_ptr<ContactStore> store_;
    std::mutex mutex_; // guards watcher_ and notifyMask_
    std::unique_ptr<ChangeWatcher> watcher_;
    uint32_t notifyMask_ = 0;
};

} // namespace vantrel::platform::pim
