#pragma once
// What the program knows of one contact: the store's object id, the texts its templates
// produced, its telephone numbers and its favourite flag. The contact loader fills
// records on its own thread and hands them over whole; the list items of the user
// interface thread carry one each. A record has no pointers into anything, so moving it
// between threads shares nothing.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// Store property tags: high 16 bits the property number, low 16 bits the value type
// (0x001F text, 0x0066 automatic integer, 0x0064 stream, 0x000B boolean).
namespace prop {
inline constexpr uint32_t objectId = 0x10000066;
inline constexpr uint32_t fileAs = 0x0080001F;
inline constexpr uint32_t mobile = 0x0096001F;
inline constexpr uint32_t business = 0x0097001F;
inline constexpr uint32_t business2 = 0x0098001F;
inline constexpr uint32_t home = 0x0099001F;
inline constexpr uint32_t home2 = 0x009A001F;
inline constexpr uint32_t businessFax = 0x009B001F;
inline constexpr uint32_t homeFax = 0x009C001F;
inline constexpr uint32_t pager = 0x009D001F;
inline constexpr uint32_t car = 0x009E001F;
inline constexpr uint32_t radio = 0x009F001F;
inline constexpr uint32_t companyPhone = 0x00A0001F;
inline constexpr uint32_t assistant = 0x00A1001F;
inline constexpr uint32_t email1 = 0x0090001F;
inline constexpr uint32_t email2 = 0x0091001F;
inline constexpr uint32_t email3 = 0x0092001F;
inline constexpr uint32_t note = 0x101F001F;
inline constexpr uint32_t picture = 0x00FF0064;
inline constexpr uint32_t categories = 0x101D001F;
inline constexpr uint32_t textType = 0x001F;
} // namespace prop

// The "none" value of an object id.
inline constexpr uint32_t noObjectId = 0xFFFFFFFF;

struct PhoneEntry {
    std::u16string number;
    uint32_t propertyId = 0;
    friend bool operator==(const PhoneEntry&, const PhoneEntry&) = default;
};

// The telephone properties a record takes, in the order they are taken; each present
// one goes to the front of the phone list, so the last entry is the preferred number.
// Faxes are never taken.
inline constexpr uint32_t phoneProperties[] = {
    prop::mobile, prop::business, prop::business2, prop::home,         prop::home2,
    prop::pager,  prop::car,      prop::radio,     prop::companyPhone, prop::assistant};

// The short type name of a telephone property ("mobile", "home1"), or "%s" for others.
std::u16string_view phoneTypeName(uint32_t propertyId);

struct ContactRecord {
    uint32_t objectId = noObjectId;
    bool favorite = false;
    // Filled from the store (or, for a cached record, read whole).
    bool valid = false;
    std::u16string sortKey; // upper-cased
    std::u16string firstLine;
    std::u16string secondLine;
    std::u16string emails[3];
    std::u16string header;
    std::u16string detailLines;
    std::u16string company;
    std::u16string city;
    std::u16string categories;
    std::vector<PhoneEntry> phones;

    // The last phone entry, or nothing.
    std::u16string_view preferredNumber() const {
        return phones.empty() ? std::u16string_view() : std::u16string_view(phones.back().number);
    }
    friend bool operator==(const ContactRecord&, const ContactRecord&) = default;
};

} // namespace vantrel
