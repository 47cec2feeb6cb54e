#pragma once
// vCard files, read and written for the contact store: 2.1 as phones export them
// (bare parameter types, quoted-printable values with soft line breaks, CHARSET),
// 3.0 (folded lines, backslash escapes, base64 photos) and 4.0 (quoted parameters,
// tel: and data: URIs). Cards map to the store's contact properties; a card that
// cannot be read is reported with the line it starts or breaks on and skipped, and
// the cards around it still come through.
//
// libbelcard was considered and refused: Debian's 5.1 parses 4.0 only and rejects real
// 3.0 and 2.1 exports outright, which are most of what users bring from old phones.

#include "platform/pim/PropValue.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform::pim {

struct VCardContact {
    // One value per property, no two with the same tag.
    std::vector<PropValue> props;
    // The decoded inline photo; empty when there is none. A photo given only as a URI
    // is not fetched.
    std::vector<uint8_t> picture;
    // The line the card begins on, for messages about it.
    size_t line = 0;
};

struct VCardProblem {
    size_t line = 0; // 1-based
    std::string reason;
    // Something was left out (a card, text outside any card), not only a detail of a
    // card that was imported (a photo).
    bool skipped = true;
};

struct VCardBatch {
    std::vector<VCardContact> contacts;
    std::vector<VCardProblem> problems;
};

// Bounds on outside data: no logical line (a photo included) may be longer, and a text
// longer than maxVCardBytes is refused whole. Time and memory stay linear in the input.
inline constexpr size_t maxVCardLine = 24u << 20;
inline constexpr size_t maxVCardBytes = 256u << 20;

VCardBatch readVCards(std::string_view text);

// One card, version 3.0, CRLF line ends, lines folded at 75 octets. `props` are the
// contact's values as read from the store (values marked not found are skipped).
std::string writeVCard(std::span<const PropValue> props, std::span<const uint8_t> picture);

// The tags writeVCard uses, for reading a contact before writing it.
std::span<const PropId> vCardProperties();

} // namespace vantrel::platform::pim
