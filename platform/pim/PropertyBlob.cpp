#include "platform/pim/PropertyBlob.h"

#include <algorithm>
#include <cstring>

namespace vantrel::platform::pim {

namespace {

void putU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void putU64(std::string& out, uint64_t value) {
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t getLittle(std::span<const uint8_t> bytes) {
    uint64_t value = 0;
    for (size_t i = bytes.size(); i-- > 0;)
        value = (value << 8) | bytes[i];
    return value;
}

// Walks the records; `visit` answers false to stop. False when the blob is cut short.
template <typename Visit> bool forEachRecord(std::span<const uint8_t> blob, Visit visit) {
    size_t at = 0;
    while (at < blob.size()) {
        if (blob.size() - at < 8)
            return false;
        auto id = static_cast<PropId>(getLittle(blob.subspan(at, 4)));
        auto length = static_cast<size_t>(getLittle(blob.subspan(at + 4, 4)));
        at += 8;
        if (length > blob.size() - at)
            return false;
        if (!visit(id, blob.subspan(at, length)))
            return true;
        at += length;
    }
    return true;
}

} // namespace

PropValue PropValue::ofString(PropId id, std::u16string text) {
    PropValue value;
    value.id = id;
    value.text = std::move(text);
    return value;
}

PropValue PropValue::ofUint32(PropId id, uint32_t number) {
    PropValue value;
    value.id = id;
    value.number = number;
    return value;
}

PropValue PropValue::ofBoolean(PropId id, bool on) {
    return ofUint32(id, on ? 1 : 0);
}

PropValue PropValue::ofDate(PropId id, uint64_t fileTime) {
    PropValue value;
    value.id = id;
    value.fileTime = fileTime;
    return value;
}

PropValue PropValue::deletion(PropId id) {
    PropValue value;
    value.id = id;
    value.flags = propDelete;
    return value;
}

PropValue PropValue::notFound(PropId id) {
    PropValue value;
    value.id = id;
    value.flags = propNotFound;
    return value;
}

std::string encodeProperties(const PropertyMap& props) {
    std::string out;
    for (const auto& [id, value] : props) {
        putU32(out, id);
        switch (propType(id)) {
        case typeString:
            putU32(out, static_cast<uint32_t>(value.text.size() * 2));
            for (char16_t c : value.text) {
                out += static_cast<char>(c & 0xFF);
                out += static_cast<char>(c >> 8);
            }
            break;
        case typeDate:
            putU32(out, 8);
            putU64(out, value.fileTime);
            break;
        case typeBoolean:
            putU32(out, 4);
            putU32(out, value.number ? 1 : 0);
            break;
        default:
            putU32(out, 4);
            putU32(out, value.number);
            break;
        }
    }
    return out;
}

bool decodeValue(PropId id, std::span<const uint8_t> bytes, PropValue& value) {
    value = PropValue{};
    value.id = id;
    switch (propType(id)) {
    case typeString:
        if (bytes.size() % 2)
            return false;
        value.text.resize(bytes.size() / 2);
        for (size_t i = 0; i < value.text.size(); ++i)
            value.text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        return true;
    case typeDate:
        if (bytes.size() != 8)
            return false;
        value.fileTime = getLittle(bytes);
        return true;
    case typeBoolean:
    case typeUint32:
        if (bytes.size() != 4)
            return false;
        value.number = static_cast<uint32_t>(getLittle(bytes));
        if (propType(id) == typeBoolean)
            value.number = value.number ? 1 : 0;
        return true;
    default:
        return false;
    }
}

bool decodeProperties(std::span<const uint8_t> blob, PropertyMap& props) {
    props.clear();
    bool sound = true;
    bool whole = forEachRecord(blob, [&](PropId id, std::span<const uint8_t> bytes) {
        PropValue value;
        if (!decodeValue(id, bytes, value)) {
            sound = false;
            return false;
        }
        props[id] = std::move(value);
        return true;
    });
    return whole && sound;
}

bool PropertyView::reset(std::span<const uint8_t> blob) {
    records_.clear();
    bool sorted = true;
    bool whole = forEachRecord(blob, [&](PropId id, std::span<const uint8_t> bytes) {
        sorted = sorted && (records_.empty() || records_.back().id < id);
        records_.push_back({id, bytes});
        return true;
    });
    // Only a damaged row is out of order; a search would then miss, a sort finds all.
    if (!sorted)
        std::sort(records_.begin(), records_.end(),
                  [](const Record& a, const Record& b) { return a.id < b.id; });
    return whole;
}

PropValue PropertyView::get(PropId id) const {
    auto found =
        std::lower_bound(records_.begin(), records_.end(), id,
                         [](const Record& record, PropId want) { return record.id < want; });
    PropValue value;
    if (found == records_.end() || found->id != id || !decodeValue(id, found->bytes, value))
        return PropValue::notFound(id);
    return value;
}

} // namespace vantrel::platform::pim
