#pragma once
// Property tags and values of the contact store, shaped like the phone platform's: a tag
// is 32 bits, the property number in the high 16 and the value type in the low 16, so a
// tag read from a theme template or a cache file means the same thing here. A value
// carries the tag it answers and flags; a property the item does not have comes back
// with `notFound` set and an empty payload, never stale data.

#include <cstdint>
#include <string>

namespace vantrel::platform::pim {

using PropId = uint32_t;
// An item's object id. Ids are never reused, so a stale one finds nothing.
using Oid = uint32_t;
inline constexpr Oid invalidOid = 0xFFFFFFFF;

// Value types: the low 16 bits of a tag.
enum PropType : uint16_t {
    typeBoolean = 0x000B,
    typeUint32 = 0x0013,
    typeString = 0x001F,
    typeDate = 0x0040, // 64-bit file time, 100 ns units since 1601, UTC
    typeStream = 0x0064,
    typeAutoInt32 = 0x0066, // filled by the store (the object id)
};

inline constexpr PropType propType(PropId id) {
    return static_cast<PropType>(id & 0xFFFF);
}
inline constexpr uint16_t propNumber(PropId id) {
    return static_cast<uint16_t>(id >> 16);
}

// Flags of a value.
enum PropFlags : uint16_t {
    propNotFound = 0x0100, // read: the item has no such property
    propDelete = 0x0200,   // write: remove the property
};

// The contact properties the store knows by number. Any other string, 32-bit, boolean
// or date tag is kept as written.
namespace prop {
inline constexpr PropId oid = 0x10000066;
inline constexpr PropId fileAs = 0x0080001F;
inline constexpr PropId title = 0x0081001F;
inline constexpr PropId firstName = 0x0082001F;
inline constexpr PropId middleName = 0x0083001F;
inline constexpr PropId lastName = 0x0084001F;
inline constexpr PropId suffix = 0x0085001F;
inline constexpr PropId nickname = 0x0086001F;
inline constexpr PropId company = 0x008A001F;
inline constexpr PropId department = 0x008B001F;
inline constexpr PropId jobTitle = 0x008C001F;
inline constexpr PropId email1 = 0x0090001F;
inline constexpr PropId email2 = 0x0091001F;
inline constexpr PropId email3 = 0x0092001F;
inline constexpr PropId im1 = 0x0093001F;
inline constexpr PropId mobilePhone = 0x0096001F;
inline constexpr PropId businessPhone = 0x0097001F;
inline constexpr PropId businessPhone2 = 0x0098001F;
inline constexpr PropId homePhone = 0x0099001F;
inline constexpr PropId homePhone2 = 0x009A001F;
inline constexpr PropId businessFax = 0x009B001F;
inline constexpr PropId homeFax = 0x009C001F;
inline constexpr PropId pager = 0x009D001F;
inline constexpr PropId carPhone = 0x009E001F;
inline constexpr PropId radioPhone = 0x009F001F;
inline constexpr PropId companyPhone = 0x00A0001F;
inline constexpr PropId assistantPhone = 0x00A1001F;
inline constexpr PropId webPage = 0x00A7001F;
inline constexpr PropId ringtone = 0x00A8001F;
inline constexpr PropId businessStreet = 0x00C1001F;
inline constexpr PropId businessCity = 0x00C2001F;
inline constexpr PropId businessState = 0x00C3001F;
inline constexpr PropId businessPostalCode = 0x00C4001F;
inline constexpr PropId businessCountry = 0x00C5001F;
inline constexpr PropId homeStreet = 0x00D1001F;
inline constexpr PropId homeCity = 0x00D2001F;
inline constexpr PropId homeState = 0x00D3001F;
inline constexpr PropId homePostalCode = 0x00D4001F;
inline constexpr PropId homeCountry = 0x00D5001F;
inline constexpr PropId otherStreet = 0x00E1001F;
inline constexpr PropId otherCity = 0x00E2001F;
inline constexpr PropId otherState = 0x00E3001F;
inline constexpr PropId otherPostalCode = 0x00E4001F;
inline constexpr PropId otherCountry = 0x00E5001F;
inline constexpr PropId birthday = 0x00F00040;
inline constexpr PropId anniversary = 0x00F10040;
inline constexpr PropId categories = 0x101D001F;
inline constexpr PropId note = 0x101F001F;
// The contact's picture, reached through Item::openProperty only.
inline constexpr PropId picture = 0x00FF0064;
// Set on a folder (Folder::setProps) to choose which notifications the logon window
// gets: notifyLocal | notifyRemote.
inline constexpr PropId folderNotifications = 0x10010013;
} // namespace prop

// Values of prop::folderNotifications.
enum FolderNotify : uint32_t { notifyLocal = 1, notifyRemote = 2 };

struct PropValue {
    PropId id = 0;
    uint16_t flags = 0;
    std::u16string text;   // typeString
    uint32_t number = 0;   // typeUint32, typeAutoInt32, typeBoolean (0 or 1)
    uint64_t fileTime = 0; // typeDate

    bool found() const { return !(flags & propNotFound); }
    bool boolean() const { return number != 0; }

    static PropValue ofString(PropId id, std::u16string text);
    static PropValue ofUint32(PropId id, uint32_t number);
    static PropValue ofBoolean(PropId id, bool on);
    static PropValue ofDate(PropId id, uint64_t fileTime);
    // Written with Item::setProps, removes the property.
    static PropValue deletion(PropId id);
    // What a read answers for a property the item lacks.
    static PropValue notFound(PropId id);

    bool operator==(const PropValue&) const = default;
};

} // namespace vantrel::platform::pim
