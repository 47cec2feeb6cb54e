#include "platform/pim/PimItem.h"

#include "platform/pim/ContactStore.h"
#include "platform/pim/PictureStream.h"

namespace vantrel::platform::pim {

Item::Item(std::shared_ptr<ContactStore> store, Oid oid, std::map<PropId, PropValue> props)
    : store_(std::move(store)), oid_(oid), props_(std::move(props)) {}

Item::~Item() = default;

bool Item::getProps(std::span<const PropId> ids, std::vector<PropValue>& values) const {
    values.clear();
    values.reserve(ids.size());
    for (PropId id : ids) {
        if (id == prop::oid) {
            values.push_back(oid_ == invalidOid ? PropValue::notFound(id)
                                                : PropValue::ofUint32(id, oid_));
            continue;
        }
        auto found = props_.find(id);
        values.push_back(found == props_.end() ? PropValue::notFound(id) : found->second);
    }
    return true;
}

bool Item::setProps(uint32_t, std::span<const PropValue> values) {
    for (const PropValue& value : values) {
        PropType type = propType(value.id);
        if (type != typeString && type != typeUint32 && type != typeBoolean && type != typeDate)
            return false;
    }
    for (const PropValue& value : values) {
        PropValue stored = value;
        if (stored.flags & propDelete) {
            props_.erase(value.id);
        } else {
            stored.flags = 0;
            if (propType(value.id) == typeBoolean)
                stored.number = stored.number ? 1 : 0;
            props_[value.id] = stored;
        }
        staged_[value.id] = std::move(stored);
    }
    return true;
}

bool Item::save() {
    const std::vector<uint8_t>* picture = stagedPicture_ ? &*stagedPicture_ : nullptr;
    if (!store_->save(oid_, staged_, picture))
        return false;
    staged_.clear();
    stagedPicture_.reset();
    // The store may have derived the file-as name; reading it back keeps this object
    // equal to what a new fetch would give.
    PropertyMap stored;
    bool found = false;
    if (store_->load(oid_, stored, found) && found)
        props_ = std::move(stored);
    return true;
}

bool Item::deleteItem() {
    if (oid_ == invalidOid)
        return false;
    bool existed = false;
    return store_->remove(oid_, existed) && existed;
}

std::unique_ptr<PictureStream> Item::openProperty(PropId id, uint32_t mode) {
    if (id != prop::picture)
        return nullptr;
    std::vector<uint8_t> bytes;
    bool found = false;
    if (stagedPicture_) {
        bytes = *stagedPicture_;
        found = !bytes.empty();
    } else if (oid_ != invalidOid && !store_->readPicture(oid_, bytes, found)) {
        return nullptr;
    }
    bool writable = mode & streamWrite;
    if (!found && !writable)
        return nullptr;
    return std::unique_ptr<PictureStream>(new PictureStream(*this, std::move(bytes), writable));
}

bool Item::commitPicture(const std::vector<uint8_t>& bytes) {
    if (oid_ == invalidOid) {
        stagedPicture_ = bytes;
        return true;
    }
    return store_->writePicture(oid_, bytes);
}

} // namespace vantrel::platform::pim
