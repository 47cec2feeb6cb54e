#pragma once
// A folder of the contact store (only the contacts folder exists): its item collection
// and the one folder property, prop::folderNotifications.

#include "platform/pim/PropValue.h"

#include <memory>
#include <span>

namespace vantrel::platform::pim {

class ContactStore;
class ItemCollection;
class PimApp;

class Folder {
public:
    // The folder's items in file-as order, as they stand now. Null when the store
    // cannot be read.
    std::unique_ptr<ItemCollection> getItems();
    // Only prop::folderNotifications is taken (FolderNotify bits); false for any other
    // tag.
    bool setProps(uint32_t flags, std::span<const PropValue> values);

private:
    friend class PimApp;
    Folder(std::shared_ptr<PimApp> app, std::shared_ptr<ContactStore> store);

    std::shared_ptr<PimApp> app_;
    std::shared_ptr<ContactStore> store_;
};

} // namespace vantrel::platform::pim
