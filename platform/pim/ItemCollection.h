#pragma once
// The contacts of a folder in file-as order: the file-as name compared with the ICU
// collation of the user's locale, contacts with equal names in the order they were
// made. A collection is a snapshot: its count and its order hold while it lives,
// whatever other threads and processes write meanwhile (their changes reach the logon
// window as notifications). Reading the indexes 1, 2, ... n in turn costs one step of
// one query each, so a whole pass is linear in n; any other order costs a seek.
//
// A collection is meant for one thread (the contact loader); it has its own
// connection, so it never waits for, or holds up, the application object's calls.

#include "platform/pim/PropValue.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vantrel::platform::pim {

class ContactStore;

class ItemCollection {
public:
    ~ItemCollection();
    ItemCollection(const ItemCollection&) = delete;
    ItemCollection& operator=(const ItemCollection&) = delete;

    uint32_t count() const;
    // The values of the item at a 1-based index, one per tag of `ids` in that order; a
    // tag the item lacks is marked propNotFound. False (values emptied) for an index
    // out of range or a failed read.
    bool getProps(uint32_t index, std::span<const PropId> ids, std::vector<PropValue>& values);
    // The picture stream's bytes of the item at a 1-based index, as the snapshot holds
    // them; empty when it has none. False (bytes emptied) for an index out of range or
    // a failed read. A pass that reads every picture this way costs one lookup each,
    // with no lock taken or released between them.
    bool getPicture(uint32_t index, std::vector<uint8_t>& bytes);

private:
    friend class Folder;
    struct Snapshot;
    explicit ItemCollection(std::unique_ptr<Snapshot> snapshot);
    // Null when the store cannot be read.
    static std::unique_ptr<ItemCollection> open(ContactStore& store);

    std::unique_ptr<Snapshot> snapshot_;
};

} // namespace vantrel::platform::pim
