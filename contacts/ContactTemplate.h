#pragma once
// The template language of the contact texts: "%phone (%company)" becomes
// "+41 79 555 01 01" for a contact without company. Placeholders name store properties;
// a placeholder whose property was fetched is replaced by its value (nothing when the
// contact has none), one whose property was not fetched stays as written. "%phone" is
// the preferred number and "%address..." the preferred address (business, else home,
// else other). A clean-up then removes the separators that empty values leave behind.
//
// The search for a placeholder precedes its replacement, so a template pays only for
// the placeholders it uses.

#include "contacts/ContactRecord.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The values one store read returned, in the order of the ids asked for. A value that
// the store did not have is an empty text; an id that was not asked for has no value.
class PropertyValues {
public:
    PropertyValues() = default;
    explicit PropertyValues(const std::vector<uint32_t>* ids) : ids_(ids) {
        values_.resize(ids ? ids->size() : 0);
    }
    // Null when the id was not fetched.
    const std::u16string* find(uint32_t id) const;
    std::u16string* find(uint32_t id);
    const std::vector<uint32_t>& ids() const;
    std::u16string& at(size_t index) { return values_[index]; }

private:
    const std::vector<uint32_t>* ids_ = nullptr;
    std::vector<std::u16string> values_;
};

// Expands a template against a contact's values and phone list.
std::u16string expandTemplate(std::u16string_view format, const PropertyValues& values,
                              const std::vector<PhoneEntry>& phones);

// A template read once and expanded for many contacts, as a full load does: the format
// is split into its text and placeholders up front, so a contact costs one append a
// piece instead of a search of the text for each placeholder. It gives exactly what
// expandTemplate gives. Where splitting could give something else, because a
// replacement could make a new placeholder (a "%" that starts no placeholder, a
// placeholder that a following value could lengthen, a value holding a "%", an id that
// was not fetched), expandTemplate does the work.
class ContactTemplate {
public:
    explicit ContactTemplate(std::u16string_view format = {});

    std::u16string expand(const PropertyValues& values,
                          const std::vector<PhoneEntry>& phones) const;
    const std::u16string& format() const { return format_; }

private:
    enum class Kind : uint8_t { text, property, addressPart, phone };
    struct Piece {
        Kind kind;
        uint32_t begin = 0, length = 0; // text: its place in the format
        uint32_t id = 0;                // property: its id; addressPart: the part
    };

    std::u16string format_;
    std::vector<Piece> pieces_;
    bool split_ = false;
};

// Appends, without duplicates, the id of every placeholder the template uses; the
// derived address placeholders add the business, home and other address ids, and
// "%phone" adds nothing (telephones are always fetched).
void collectTemplateProperties(std::u16string_view format, std::vector<uint32_t>& table);

// The clean-up alone, for tests and for texts built elsewhere.
std::u16string cleanUpExpansion(std::u16string text);

// Upper case in the root locale, as sort keys are stored.
std::u16string upperCased(std::u16string_view text);

} // namespace vantrel
