#include "platform/pim/PimFolder.h"

#include "platform/pim/ContactStore.h"
#include "platform/pim/ItemCollection.h"
#include "platform/pim/PimApp.h"

namespace vantrel::platform::pim {

Folder::Folder(std::shared_ptr<PimApp> app, std::shared_ptr<ContactStore> store)
    : app_(std::move(app)), store_(std::move(store)) {}

std::unique_ptr<ItemCollection> Folder::getItems() {
    return ItemCollection::open(*store_);
}

bool Folder::setProps(uint32_t, std::span<const PropValue> values) {
    for (const PropValue& value : values)
        if (value.id != prop::folderNotifications)
            return false;
    for (const PropValue& value : values)
        app_->setNotifications(value.number);
    return true;
}

} // namespace vantrel::platform::pim
