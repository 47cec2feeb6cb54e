#pragma once
// One contact of the store. Reads see the item as fetched plus this object's own
// unsaved changes; setProps only stages changes and save() writes them in one
// transaction on top of whatever the stored item holds by then, so two writers that
// change different properties both keep their change.

#include "platform/pim/PropValue.h"

#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace vantrel::platform::pim {

class ContactStore;
class PictureStream;

// Modes of openProperty.
enum StreamMode : uint32_t { streamRead = 0x80000000, streamWrite = 0x40000000 };

class Item {
public:
    ~Item();
    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;

    // invalidOid until a new item is saved.
    Oid oid() const { return oid_; }

    // One value per tag, in order; missing ones marked propNotFound. prop::oid answers
    // the object id (not found before the first save).
    bool getProps(std::span<const PropId> ids, std::vector<PropValue>& values) const;
    // Stages the values (a value with propDelete removes its property). Tags of stream
    // or automatic type are refused (false, nothing staged).
    bool setProps(uint32_t flags, std::span<const PropValue> values);
    // Writes the staged changes (and a staged picture); a new item gets its object id.
    // False when the store cannot be written or the item was deleted meanwhile.
    bool save();
    // Removes the item from the store. False when it was not stored or is gone already.
    bool deleteItem();

    // prop::picture only. streamRead: null when the item has no picture. With
    // streamWrite the stream starts as the current picture; its commit() stores it
    // at once for a saved item, or with the first save() of a new one.
    std::unique_ptr<PictureStream> openProperty(PropId id, uint32_t mode);

private:
    friend class PimApp;
    friend class PictureStream;
    Item(std::shared_ptr<ContactStore> store, Oid oid, std::map<PropId, PropValue> props);
    bool commitPicture(const std::vector<uint8_t>& bytes);

    std::shared_ptr<ContactStore> store_;
    Oid oid_;
    std::map<PropId, PropValue> props_;  // as fetched, with the staged changes applied
    std::map<PropId, PropValue> staged_; // what save() writes
    std::optional<std::vector<uint8_t>> stagedPicture_; // a new item's picture
};

} // namespace vantrel::platform::pim
