#include "contacts/ContactTemplate.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <utility>

namespace vantrel {

namespace {

struct Placeholder {
    std::u16string_view text;
    uint32_t id;
};

// The order of substitution: every placeholder comes before any shorter one that is
// its prefix ("%email2" before "%email", "%companyphone" before "%company").
constexpr Placeholder placeholders[] = {
    {u"%fileas", 0x0080001F},
    {u"%title", 0x0081001F},
    {u"%firstname", 0x0082001F},
    {u"%middlename", 0x0083001F},
    {u"%name", 0x0084001F},
    {u"%lastname", 0x0084001F},
    {u"%suffix", 0x0085001F},
    {u"%nickname", 0x0086001F},
    {u"%yomifirstname", 0x0087001F},
    {u"%yomilastname", 0x0088001F},
    {u"%yomicompany", 0x0089001F},
    {u"%companyphone", 0x00A0001F},
    {u"%company", 0x008A001F},
    {u"%department", 0x008B001F},
    {u"%jobtitle", 0x008C001F},
    {u"%manager", 0x008D001F},
    {u"%officelocation", 0x008E001F},
    {u"%assistantname", 0x008F001F},
    {u"%email2", 0x0091001F},
    {u"%email3", 0x0092001F},
    {u"%email", 0x0090001F},
    {u"%im3", 0x0095001F},
    {u"%im2", 0x0094001F},
    {u"%im", 0x0093001F},
    {u"%mobilephone", 0x0096001F},
    {u"%businessphone2", 0x0098001F},
    {u"%businessphone", 0x0097001F},
    {u"%homephone2", 0x009A001F},
    {u"%homephone", 0x0099001F},
    {u"%businessfax", 0x009B001F},
    {u"%homefax", 0x009C001F},
    {u"%pager", 0x009D001F},
    {u"%carphone", 0x009E001F},
    {u"%radiophone", 0x009F001F},
    {u"%assistantphone", 0x00A1001F},
    {u"%sms", 0x10A2001F},
    {u"%mms", 0x10A3001F},
    {u"%displayname", 0x10A4001F},
    {u"%spouse", 0x00A5001F},
    {u"%children", 0x00A6001F},
    {u"%webpage", 0x00A7001F},
    {u"%ringtone", 0x00A8001F},
    {u"%customerid", 0x00A9001F},
    {u"%governmentid", 0x00AA001F},
    {u"%accountname", 0x00AB001F},
    {u"%business_address_street", 0x00C1001F},
    {u"%business_address_city", 0x00C2001F},
    {u"%business_address_state", 0x00C3001F},
    {u"%business_address_postalcode", 0x00C4001F},
    {u"%business_address_country", 0x00C5001F},
    {u"%business_address", 0x10C0001F},
    {u"%homeaddressstreet", 0x00D1001F},
    {u"%homeaddresscity", 0x00D2001F},
    {u"%homeaddressstate", 0x00D3001F},
    {u"%homeaddresspostalcode", 0x00D4001F},
    {u"%homeaddresscountry", 0x00D5001F},
    {u"%homeaddress", 0x10D0001F},
    {u"%other_address_street", 0x00E1001F},
    {u"%other_address_city", 0x00E2001F},
    {u"%other_address_state", 0x00E3001F},
    {u"%other_address_postalcode", 0x00E4001F},
    {u"%other_address_country", 0x00E5001F},
    {u"%other_address", 0x10E0001F},
    {u"%categories", 0x101D001F},
};

// The preferred-address placeholders, each with the part of an address it reads:
// street, city, state, postal code, country, then the full address.
constexpr std::u16string_view addressPlaceholders[] = {u"%addressstreet",  u"%addresscity",
                                                       u"%addressstate",   u"%addresspostalcode",
                                                       u"%addresscountry", u"%address"};

// Business, home and other address: street, city, state, postal code, country, full.
constexpr uint32_t addressIds[3][6] = {
    {0x00C1001F, 0x00C2001F, 0x00C3001F, 0x00C4001F, 0x00C5001F, 0x10C0001F},
    {0x00D1001F, 0x00D2001F, 0x00D3001F, 0x00D4001F, 0x00D5001F, 0x10D0001F},
    {0x00E1001F, 0x00E2001F, 0x00E3001F, 0x00E4001F, 0x00E5001F, 0x10E0001F},
};

// Replaces every occurrence in one left-to-right pass; false when there was none.
bool replaceAll(std::u16string& text, std::u16string_view what, std::u16string_view with) {
    size_t at = text.find(what);
    if (at == std::u16string::npos)
        return false;
    if (with.size() <= what.size()) {
        // The clean-up's rules never lengthen the text: it is rewritten in place, the
        // writing never ahead of the search.
        using Traits = std::char_traits<char16_t>;
        size_t write = at, read = at;
        for (; at != std::u16string::npos; at = text.find(what, read)) {
            Traits::move(text.data() + write, text.data() + read, at - read);
            write += at - read;
            Traits::copy(text.data() + write, with.data(), with.size());
            write += with.size();
            read = at + what.size();
        }
        Traits::move(text.data() + write, text.data() + read, text.size() - read);
        text.resize(write + text.size() - read);
        return true;
    }
    std::u16string out;
    out.reserve(text.size());
    size_t from = 0;
    for (; at != std::u16string::npos; at = text.find(what, from)) {
        out.append(text, from, at - from);
        out.append(with);
        from = at + what.size();
    }
    out.append(text, from);
    text = std::move(out);
    return true;
}

void trimAll(std::u16string& text, std::u16string_view characters) {
    size_t first = text.find_first_not_of(characters);
    if (first == std::u16string::npos) {
        text.clear();
        return;
    }
    text.erase(text.find_last_not_of(characters) + 1);
    text.erase(0, first);
}

// The lower-case letters that follow a "%" in a text, one bit each; `any` when some
// "%" is followed by another "%" (a placeholder replaced there would bring a new
// letter next to the first one).
struct PlaceholderLetters {
    uint32_t bits = 0;
    bool any = false;

    explicit PlaceholderLetters(std::u16string_view text) {
        for (size_t at = text.find(u'%'); at != std::u16string_view::npos && !any;
             at = text.find(u'%', at + 1)) {
            if (at + 1 < text.size())
                add(text[at + 1]);
        }
    }
    void add(char16_t c) {
        if (c >= u'a' && c <= u'z')
            bits |= 1u << (c - u'a');
        else if (c == u'%')
            any = true;
    }
    bool mayStart(std::u16string_view placeholder) const {
        return any || (bits & (1u << (placeholder[1] - u'a'))) != 0;
    }
};

bool hasText(const PropertyValues& values, uint32_t id) {
    const std::u16string* value = values.find(id);
    return value && !value->empty();
}

// The address the "%address..." placeholders read: business when it has a street or a
// city, else home when it has one, else other.
int preferredAddress(const PropertyValues& values) {
    for (int address = 0; address < 2; ++address)
        if (hasText(values, addressIds[address][0]) || hasText(values, addressIds[address][1]))
            return address;
    return 2;
}

} // namespace

const std::u16string* PropertyValues::find(uint32_t id) const {
    if (!ids_)
        return nullptr;
    // NOTE: a table holds a few dozen ids; a linear walk beats any map at that size.
    for (size_t i = 0; i < ids_->size(); ++i)
        if ((*ids_)[i] == id)
            return &values_[i];
    return nullptr;
}

std::u16string* PropertyValues::find(uint32_t id) {
    return const_cast<std::u16string*>(std::as_const(*this).find(id));
}

const std::vector<uint32_t>& PropertyValues::ids() const {
    static const std::vector<uint32_t> none;
    return ids_ ? *ids_ : none;
}

std::u16string expandTemplate(std::u16string_view format, const PropertyValues& values,
                              const std::vector<PhoneEntry>& phones) {
    std::u16string text(format);
    if (text.find(u'%') != std::u16string::npos) {
        // NOTE: a list expands its templates for every contact; looking for each of the
        // sixty-odd placeholders would cost more than all the rest. Every "%" of the
        // text comes from the template or from a value put in, and the letter after a
        // template's "%" stays what it is until that placeholder itself is replaced, so
        // only placeholders starting with such a letter can be found.
        PlaceholderLetters letters(format);
        for (const Placeholder& placeholder : placeholders) {
            if (!letters.mayStart(placeholder.text) ||
                text.find(placeholder.text) == std::u16string::npos)
                continue;
            if (const std::u16string* value = values.find(placeholder.id)) {
                replaceAll(text, placeholder.text, *value);
                if (value->find(u'%') != std::u16string::npos)
                    letters.any = true; // rare: the value's own "%"s could start any
            }
        }
        if (text.find(u"%address") != std::u16string::npos) {
            const int preferred = preferredAddress(values);
            for (size_t part = 0; part < std::size(addressPlaceholders); ++part) {
                const std::u16string* value = values.find(addressIds[preferred][part]);
                replaceAll(text, addressPlaceholders[part], value ? *value : std::u16string());
            }
        }
        replaceAll(text, u"%phone",
                   phones.empty() ? std::u16string_view()
                                  : std::u16string_view(phones.back().number));
    }
    return cleanUpExpansion(std::move(text));
}

ContactTemplate::ContactTemplate(std::u16string_view format) : format_(format) {
    auto addText = [this](size_t begin, size_t end) {
        if (end > begin)
            pieces_.push_back(
                {Kind::text, static_cast<uint32_t>(begin), static_cast<uint32_t>(end - begin)});
    };
    size_t from = 0;
    for (size_t at = format.find(u'%'); at != std::u16string_view::npos;
         at = format.find(u'%', from)) {
        addText(from, at);
        // The text from this "%" to the next one holds the placeholder; what follows a
        // next "%" may be a value by the time this placeholder is replaced.
        const size_t next = format.find(u'%', at + 1);
        const std::u16string_view rest =
            format.substr(at, next == std::u16string_view::npos ? next : next - at);
        Piece piece{Kind::text};
        size_t matched = 0;
        bool lengthened = false;
        auto consider = [&](std::u16string_view name, Kind kind, uint32_t id) {
            if (rest.starts_with(name)) {
                // The substitution order puts every longer name before its prefixes.
                if (name.size() > matched) {
                    matched = name.size();
                    piece = {kind, 0, 0, id};
                }
            } else if (next != std::u16string_view::npos && name.starts_with(rest)) {
                lengthened = true;
            }
        };
        for (const Placeholder& placeholder : placeholders)
            consider(placeholder.text, Kind::property, placeholder.id);
        for (size_t part = 0; part < std::size(addressPlaceholders); ++part)
            consider(addressPlaceholders[part], Kind::addressPart, static_cast<uint32_t>(part));
        consider(u"%phone", Kind::phone, 0);
        if (matched == 0 || lengthened) {
            pieces_.clear();
            return;
        }
        pieces_.push_back(piece);
        from = at + matched;
    }
    addText(from, format.size());
    split_ = true;
}

std::u16string ContactTemplate::expand(const PropertyValues& values,
                                       const std::vector<PhoneEntry>& phones) const {
    if (!split_)
        return expandTemplate(format_, values, phones);
    std::u16string text;
    int address = -1;
    for (const Piece& piece : pieces_) {
        std::u16string_view value;
        switch (piece.kind) {
        case Kind::text:
            text.append(format_, piece.begin, piece.length);
            continue;
        case Kind::property:
            if (const std::u16string* found = values.find(piece.id))
                value = *found;
            else
                return expandTemplate(format_, values, phones); // stays as written
            break;
        case Kind::addressPart:
            if (address < 0)
                address = preferredAddress(values);
            if (const std::u16string* found = values.find(addressIds[address][piece.id]))
                value = *found;
            break;
        case Kind::phone:
            if (!phones.empty())
                value = phones.back().number;
            break;
        }
        if (value.find(u'%') != std::u16string_view::npos)
            return expandTemplate(format_, values, phones);
        text.append(value);
    }
    return cleanUpExpansion(std::move(text));
}

namespace {

// True when no rule of the clean-up would change the text: clean ends, and none of the
// pairs the replacements look for. Most expanded texts ("Berg, Anna", a number) are.
bool alreadyClean(std::u16string_view text) {
    constexpr std::u16string_view trimmed = u"-/, \t\r\n\v\f";
    if (text.empty())
        return true;
    if (trimmed.find(text.front()) != std::u16string_view::npos ||
        trimmed.find(text.back()) != std::u16string_view::npos)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
        if (c == u'\\' || c == u'\n' || (c == u'[' && next == u']') ||
            (c == u'(' && next == u')') || (c == u' ' && next == u' '))
            return false;
    }
    return true;
}

// The characters the clean-up's patterns are made of, one bit each (0 for the others).
constexpr std::u16string_view patternCharacters = u",-/\n[]() \\n";

constexpr std::array<uint16_t, 0x80> characterBit = [] {
    std::array<uint16_t, 0x80> bits{};
    for (size_t at = 0; at < patternCharacters.size(); ++at)
        bits[patternCharacters[at]] = static_cast<uint16_t>(1u << at);
    return bits;
}();

uint32_t characterBits(std::u16string_view text) {
    uint32_t bits = 0;
    for (char16_t c : text)
        bits |= c < characterBit.size() ? characterBit[c] : 0;
    return bits;
}

} // namespace

std::u16string cleanUpExpansion(std::u16string text) {
    if (alreadyClean(text))
        return text;
    for (std::u16string_view characters : {u"-", u"/", u","})
        trimAll(text, characters);
    trimAll(text, u" \t\r\n\v\f");
    static constexpr std::pair<std::u16string_view, std::u16string_view> replacements[] = {
        {u",\n", u"\n"}, {u"-\n", u"\n"}, {u"/\n", u"\n"},  {u"[]", u""},   {u"()", u""},
        {u"  ", u" "},   {u"\\n", u"\n"}, {u"\n\n", u"\n"}, {u"\n ", u"\n"}};
    // NOTE: a pattern whose characters the text lacks is not searched for: one pass over
    // the text instead of one search a rule. A replacement only takes characters away,
    // except for what it puts in, which joins the set.
    uint32_t present = characterBits(text);
    for (const auto& [what, with] : replacements) {
        const uint32_t needed = characterBits(what);
        if ((present & needed) != needed)
            continue;
        replaceAll(text, what, with);
        present |= characterBits(with);
        // Empty values can leave runs of line breaks of any length; a run collapses to
        // one, as a blank line in the detail text never means anything.
        if (what == u"\n\n")
            while (replaceAll(text, what, with)) {
            }
    }
    // What the brackets and empty lines left at the ends: "%phone (%company)" without a
    // company is the number alone, and detail lines do not start with an empty line.
    trimAll(text, u" \t\r\n\v\f");
    return text;
}

void collectTemplateProperties(std::u16string_view format, std::vector<uint32_t>& table) {
    auto add = [&table](uint32_t id) {
        if (std::find(table.begin(), table.end(), id) == table.end())
            table.push_back(id);
    };
    std::u16string text(format);
    // Replaced as the expansion would, so "%email" is not found inside "%email2".
    for (const Placeholder& placeholder : placeholders)
        if (replaceAll(text, placeholder.text, u"\x01"))
            add(placeholder.id);
    if (text.find(u"%address") != std::u16string::npos)
        for (const auto& address : addressIds)
            for (uint32_t id : address)
                add(id);
}

std::u16string upperCased(std::u16string_view text) {
    icu::UnicodeString value(false, text.data(), static_cast<int32_t>(text.size()));
    value.toUpper(icu::Locale::getRoot());
    return std::u16string(value.getBuffer(), static_cast<size_t>(value.length()));
}

} // namespace vantrel
