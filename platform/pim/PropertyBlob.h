#pragma once
// How an item's properties sit in its row: one blob of records (tag, length, bytes),
// sorted by tag, little endian; strings as UTF-16LE. One blob a row makes reading a
// contact one row fetch, whatever the number of tags asked. Private to platform/pim.

#include "platform/pim/PropValue.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace vantrel::platform::pim {

using PropertyMap = std::map<PropId, PropValue>;

std::string encodeProperties(const PropertyMap& props);
// False when the blob is cut short or a record does not fit its type; `props` then
// holds the records before the fault.
bool decodeProperties(std::span<const uint8_t> blob, PropertyMap& props);

// The values of a few tags straight from the blob, without building a map: the hot
// path of a collection pass. The records are indexed once per blob, so each tag asked
// costs a binary search whatever the number of tags.
class PropertyView {
public:
    // False when the blob breaks off; the records before the fault are still found.
    bool reset(std::span<const uint8_t> blob);
    // notFound when absent (or when its bytes do not fit its type).
    PropValue get(PropId id) const;

private:
    struct Record {
        PropId id;
        std::span<const uint8_t> bytes;
    };
    std::vector<Record> records_; // sorted by tag, as stored
};

// The value as stored for a tag: false when the bytes do not fit the tag's type.
bool decodeValue(PropId id, std::span<const uint8_t> bytes, PropValue& value);

} // namespace vantrel::platform::pim
