#include "platform/pim/VCard.h"

#include "platform/core/Utf.h"
#include "platform/pim/ContactStore.h"
#include "platform/pim/PictureStream.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

// Contents:
//   lines     physical lines, unfolding, quoted-printable soft breaks
//   values    content lines, parameters, decodings, charsets, escapes
//   mapping   vCard properties to contact properties
//   reading   the card state machine
//   writing   one 3.0 card

namespace vantrel::platform::pim {

namespace {

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string upperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = upper(c);
    return out;
}

bool equalsUpper(std::string_view text, std::string_view upperWord) {
    return text.size() == upperWord.size() &&
           std::equal(text.begin(), text.end(), upperWord.begin(),
                      [](char a, char b) { return upper(a) == b; });
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// ---------------------------------------------------------------------------- lines

struct PhysicalLines {
    std::string_view text;
    size_t at = 0;
    size_t number = 0;

    bool next(std::string_view& line) {
        if (at >= text.size())
            return false;
        // Two memchr scans rather than find_first_of: a photo line is megabytes long.
        const char* begin = text.data() + at;
        size_t left = text.size() - at;
        const void* newline = std::memchr(begin, '\n', left);
        size_t span =
            newline ? static_cast<size_t>(static_cast<const char*>(newline) - begin) : left;
        const void* carriage = std::memchr(begin, '\r', span);
        size_t end =
            at +
            (carriage ? static_cast<size_t>(static_cast<const char*>(carriage) - begin) : span);
        line = text.substr(at, end - at);
        at = end;
        if (at < text.size() && text[at] == '\r')
            ++at;
        if (at < text.size() && text[at] == '\n')
            ++at;
        ++number;
        return true;
    }
    bool peek(std::string_view& line) const {
        PhysicalLines copy = *this;
        return copy.next(line);
    }
};

// The part before the value: everything up to the first colon outside double quotes.
size_t valueColon(std::string_view line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return std::string_view::npos;
}

bool isQuotedPrintable(std::string_view line) {
    size_t colon = valueColon(line);
    std::string head = upperCase(line.substr(0, colon == std::string_view::npos ? 0 : colon));
    return head.find("QUOTED-PRINTABLE") != std::string::npos;
}

// ---------------------------------------------------------------------------- values

struct ContentLine {
    std::string name;                                       // upper case, group dropped
    std::map<std::string, std::vector<std::string>> params; // keys upper case
    std::vector<std::string> bareParams;                    // 2.1 "TEL;CELL;PREF", upper case
    std::string_view value;

    bool has(const char* key) const { return params.count(key) != 0; }
    std::string first(const char* key) const {
        auto found = params.find(key);
        return found == params.end() || found->second.empty() ? std::string() : found->second[0];
    }
    // TYPE values and bare parameters together, upper case.
    std::vector<std::string> types() const {
        std::vector<std::string> all = bareParams;
        if (auto found = params.find("TYPE"); found != params.end())
            for (const std::string& type : found->second)
                all.push_back(upperCase(type));
        return all;
    }
    bool hasType(std::string_view type) const {
        for (const std::string& t : types())
            if (t == type)
                return true;
        return false;
    }
};

bool parseContentLine(std::string_view line, ContentLine& out, std::string& reason) {
    size_t colon = valueColon(line);
    if (colon == std::string_view::npos) {
        reason = "a line without a colon";
        return false;
    }
    out.value = line.substr(colon + 1);
    std::string_view head = line.substr(0, colon);
    // Split on semicolons outside quotes: name, then parameters.
    std::vector<std::string_view> parts;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i <= head.size(); ++i) {
        if (i < head.size() && head[i] == '"')
            quoted = !quoted;
        if (i == head.size() || (head[i] == ';' && !quoted)) {
            parts.push_back(head.substr(start, i - start));
            start = i + 1;
        }
    }
    std::string_view name = trimmed(parts[0]);
    if (size_t dot = name.rfind('.'); dot != std::string_view::npos)
        name.remove_prefix(dot + 1); // "item1.TEL": the group says nothing we keep
    if (name.empty()) {
        reason = "a line without a property name";
        return false;
    }
    out.name = upperCase(name);
    for (size_t p = 1; p < parts.size(); ++p) {
        std::string_view param = trimmed(parts[p]);
        if (param.empty())
            continue;
        size_t equals = param.find('=');
        if (equals == std::string_view::npos) {
            out.bareParams.push_back(upperCase(param));
            continue;
        }
        std::string key = upperCase(trimmed(param.substr(0, equals)));
        std::vector<std::string>& values = out.params[key];
        std::string_view rest = param.substr(equals + 1);
        // Values separated by commas, each maybe in double quotes.
        std::string current;
        bool inQuotes = false;
        for (char c : rest) {
            if (c == '"')
                inQuotes = !inQuotes;
            else if (c == ',' && !inQuotes) {
                values.push_back(std::string(trimmed(current)));
                current.clear();
            } else
                current += c;
        }
        values.push_back(std::string(trimmed(current)));
    }
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = upper(c);
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

std::string decodeQuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
            continue;
        }
        int high = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
        int low = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
        if (high >= 0 && low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else if (i + 1 < text.size()) {
            out += '='; // a stray "=" stays; a soft break left at the end goes
        }
    }
    return out;
}

std::optional<std::vector<uint8_t>> decodeBase64(std::string_view text) {
    static const std::array<int8_t, 256> table = [] {
        std::array<int8_t, 256> t{};
        t.fill(-1);
        const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 64; ++i)
            t[static_cast<uint8_t>(alphabet[i])] = static_cast<int8_t>(i);
        return t;
    }();
    std::vector<uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        if (c == '=')
            break;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        int8_t value = table[static_cast<uint8_t>(c)];
        if (value < 0)
            return std::nullopt;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        if (++count == 4) {
            out.push_back(static_cast<uint8_t>(bits >> 16));
            out.push_back(static_cast<uint8_t>(bits >> 8));
            out.push_back(static_cast<uint8_t>(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 1)
        return std::nullopt;
    if (count == 2)
        out.push_back(static_cast<uint8_t>(bits >> 4));
    if (count == 3) {
        out.push_back(static_cast<uint8_t>(bits >> 10));
        out.push_back(static_cast<uint8_t>(bits >> 2));
    }
    return out;
}

bool isValidUtf8(std::string_view text) {
    std::u16string round = toUtf16(text);
    return round.find(u'\uFFFD') == std::u16string::npos || text.find("\xEF\xBF\xBD") != text.npos;
}

// Bytes in the card's charset to UTF-16. Without a charset, UTF-8 when the bytes are
// UTF-8 and otherwise the Western code page old phones wrote; an unknown charset name
// is read as UTF-8 rather than losing the contact.
std::u16string toText(std::string_view bytes, const std::string& charset) {
    std::string name = upperCase(charset);
    if (name.empty())
        name = isValidUtf8(bytes) ? "UTF-8" : "WINDOWS-1252";
    if (name == "UTF-8" || name == "UTF8" || name == "US-ASCII")
        return toUtf16(bytes);
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name.c_str(), &status);
    if (U_FAILURE(status))
        return toUtf16(bytes);
    std::u16string out(bytes.size() * 2 + 1, u'\0');
    status = U_ZERO_ERROR;
    int32_t length = ucnv_toUChars(converter, reinterpret_cast<UChar*>(out.data()),
                                   static_cast<int32_t>(out.size()), bytes.data(),
                                   static_cast<int32_t>(bytes.size()), &status);
    ucnv_close(converter);
    if (U_FAILURE(status))
        return toUtf16(bytes);
    out.resize(static_cast<size_t>(length));
    return out;
}

constexpr char32_t noSeparator = 0x110000;

// Splits at separators not escaped by a backslash and undoes the escapes of each part.
std::vector<std::u16string> splitEscaped(std::u16string_view text, char32_t separator) {
    std::vector<std::u16string> parts(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            char16_t next = text[++i];
            switch (next) {
            case u'n':
            case u'N':
                parts.back() += u'\n';
                break;
            case u',':
            case u';':
            case u':':
            case u'\\':
                parts.back() += next;
                break;
            default: // not an escape: kept as written ("C:\photos" in a 2.1 note)
                parts.back() += c;
                parts.back() += next;
            }
        } else if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

std::u16string unescaped(std::u16string_view text) {
    return splitEscaped(text, noSeparator)[0];
}

// The value's text after its transfer encoding and charset.
std::u16string decodedText(const ContentLine& line) {
    std::string encoding = upperCase(line.first("ENCODING"));
    bool qp = encoding == "QUOTED-PRINTABLE" ||
              std::find(line.bareParams.begin(), line.bareParams.end(), "QUOTED-PRINTABLE") !=
                  line.bareParams.end();
    std::string bytes = qp ? decodeQuotedPrintable(line.value) : std::string(line.value);
    // Phones wrote line breaks as CR LF inside quoted-printable values; the store keeps
    // a line break as one LF, as every other text of the product.
    std::u16string text = toText(bytes, line.first("CHARSET"));
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            out += u'\n';
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// ---------------------------------------------------------------------------- mapping

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

constexpr int64_t fileTimeTicksPerDay = 864000000000LL;
constexpr int64_t daysFrom1601To1970 = 134774;

// "1990-05-17", "19900517", with or without a time after it; a date without a year
// ("--0517") has no file time and is skipped.
std::optional<uint64_t> parseDate(std::u16string_view text) {
    std::string digits;
    for (char16_t c : text) {
        if (c == u'T' || c == u't')
            break;
        if (c >= u'0' && c <= u'9')
            digits += static_cast<char>(c);
        else if (c != u'-')
            return std::nullopt;
    }
    if (digits.size() != 8 || (!text.empty() && text[0] == u'-'))
        return std::nullopt;
    int year = std::stoi(digits.substr(0, 4));
    unsigned month = static_cast<unsigned>(std::stoi(digits.substr(4, 2)));
    unsigned day = static_cast<unsigned>(std::stoi(digits.substr(6, 2)));
    if (year < 1601 || month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    int64_t days = daysFromCivil(year, month, day) + daysFrom1601To1970;
    return static_cast<uint64_t>(days * fileTimeTicksPerDay);
}

std::string formatDate(uint64_t fileTime) {
    int y;
    unsigned m, d;
    civilFromDays(static_cast<int64_t>(fileTime / fileTimeTicksPerDay) - daysFrom1601To1970, y, m,
                  d);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", y, m, d);
    return text;
}

// The slots a telephone number of given types may take, in order of preference.
std::vector<PropId> phoneSlots(const ContentLine& line) {
    bool work = line.hasType("WORK"), home = line.hasType("HOME");
    if (line.hasType("FAX"))
        return home && !work ? std::vector<PropId>{prop::homeFax, prop::businessFax}
                             : std::vector<PropId>{prop::businessFax, prop::homeFax};
    if (line.hasType("PAGER"))
        return {prop::pager};
    if (line.hasType("CAR"))
        return {prop::carPhone};
    if (line.hasType("CELL") || line.hasType("MOBILE") || line.hasType("IPHONE"))
        return {prop::mobilePhone, prop::homePhone2, prop::businessPhone2, prop::radioPhone};
    if (work)
        return {prop::businessPhone, prop::businessPhone2, prop::companyPhone};
    if (home)
        return {prop::homePhone, prop::homePhone2};
    return {prop::mobilePhone, prop::homePhone,      prop::businessPhone,
            prop::homePhone2,  prop::businessPhone2, prop::radioPhone};
}

struct CardBuilder {
    std::map<PropId, PropValue> props;
    std::vector<uint8_t> picture;
    std::u16string formattedName;
    std::u16string sortString;
    int emails = 0;

    void set(PropId id, std::u16string text) {
        if (!text.empty())
            props[id] = PropValue::ofString(id, std::move(text));
    }
    bool setFirstFree(const std::vector<PropId>& slots, const std::u16string& text) {
        for (PropId id : slots)
            if (!props.count(id)) {
                set(id, text);
                return true;
            }
        return false;
    }

    // A problem that leaves the contact importable; empty when the line went in.
    std::string take(const ContentLine& line) {
        const std::string& name = line.name;
        if (name == "PHOTO")
            return takePhoto(line);
        std::u16string text = decodedText(line);
        if (name == "N") {
            auto parts = splitEscaped(text, u';');
            parts.resize(5);
            set(prop::lastName, parts[0]);
            set(prop::firstName, parts[1]);
            set(prop::middleName, parts[2]);
            set(prop::title, parts[3]);
            set(prop::suffix, parts[4]);
        } else if (name == "FN") {
            formattedName = unescaped(text);
        } else if (name == "SORT-STRING") {
            sortString = unescaped(text);
        } else if (name == "NICKNAME") {
            set(prop::nickname, unescaped(text));
        } else if (name == "ORG") {
            auto parts = splitEscaped(text, u';');
            parts.resize(2);
            set(prop::company, parts[0]);
            set(prop::department, parts[1]);
        } else if (name == "TITLE") {
            set(prop::jobTitle, unescaped(text));
        } else if (name == "TEL") {
            std::u16string number = unescaped(text);
            if (number.starts_with(u"tel:"))
                number.erase(0, 4);
            setFirstFree(phoneSlots(line), std::u16string(number));
        } else if (name == "EMAIL") {
            const PropId slots[] = {prop::email1, prop::email2, prop::email3};
            if (emails < 3)
                set(slots[emails++], unescaped(text));
        } else if (name == "ADR") {
            takeAddress(line, text);
        } else if (name == "URL") {
            set(prop::webPage, unescaped(text));
        } else if (name == "NOTE") {
            set(prop::note, unescaped(text));
        } else if (name == "CATEGORIES") {
            std::u16string joined;
            for (const std::u16string& category : splitEscaped(text, u',')) {
                std::string trimmedCategory = std::string(trimmed(toUtf8(category)));
                if (!trimmedCategory.empty())
                    joined += (joined.empty() ? u"" : u", ") + toUtf16(trimmedCategory);
            }
            set(prop::categories, joined);
        } else if (name == "BDAY" || name == "ANNIVERSARY" || name == "X-ANNIVERSARY") {
            if (auto date = parseDate(unescaped(text))) {
                PropId id = name == "BDAY" ? prop::birthday : prop::anniversary;
                props[id] = PropValue::ofDate(id, *date);
            }
        }
        return {};
    }

    void takeAddress(const ContentLine& line, const std::u16string& text) {
        auto parts = splitEscaped(text, u';');
        parts.resize(7);
        std::u16string street = parts[2];
        if (!parts[1].empty())
            street += (street.empty() ? u"" : u"\n") + parts[1];
        if (street.empty())
            street = parts[0];
        struct Slots {
            PropId street, city, state, code, country;
        };
        const Slots business{prop::businessStreet, prop::businessCity, prop::businessState,
                             prop::businessPostalCode, prop::businessCountry};
        const Slots home{prop::homeStreet, prop::homeCity, prop::homeState, prop::homePostalCode,
                         prop::homeCountry};
        const Slots other{prop::otherStreet, prop::otherCity, prop::otherState,
                          prop::otherPostalCode, prop::otherCountry};
        auto taken = [&](const Slots& s) {
            return props.count(s.street) || props.count(s.city) || props.count(s.country);
        };
        const Slots* slots = line.hasType("WORK")   ? &business
                             : line.hasType("HOME") ? &home
                             : !taken(home)         ? &home
                                                    : &other;
        if (taken(*slots))
            slots = &other;
        set(slots->street, street);
        set(slots->city, parts[3]);
        set(slots->state, parts[4]);
        set(slots->code, parts[5]);
        set(slots->country, parts[6]);
    }

    std::string takePhoto(const ContentLine& line) {
        std::string encoding = upperCase(line.first("ENCODING"));
        bool base64 = encoding == "B" || encoding == "BASE64" ||
                      std::find(line.bareParams.begin(), line.bareParams.end(), "BASE64") !=
                          line.bareParams.end();
        std::string_view data = line.value;
        if (!base64) {
            // 4.0: "data:image/png;base64,...."; any other URI is not fetched.
            constexpr std::string_view dataScheme = "data:";
            size_t comma = data.find(',');
            if (data.size() < dataScheme.size() || !equalsUpper(data.substr(0, 5), "DATA:") ||
                comma == std::string_view::npos)
                return {};
            std::string header = upperCase(data.substr(0, comma));
            if (header.find(";BASE64") == std::string::npos)
                return "a photo URI that is not base64 data; imported without the photo";
            data = data.substr(comma + 1);
        }
        if (data.size() / 4 * 3 > maxPictureBytes)
            return "a photo larger than the store keeps; imported without the photo";
        auto bytes = decodeBase64(data);
        if (!bytes)
            return "a photo that is not valid base64; imported without the photo";
        picture = std::move(*bytes);
        return {};
    }

    VCardContact finish(size_t line) {
        // Without a name of parts, the formatted name is what the list shows.
        bool named = props.count(prop::firstName) || props.count(prop::lastName) ||
                     props.count(prop::middleName);
        if (!sortString.empty())
            set(prop::fileAs, sortString);
        else if (!named && !formattedName.empty())
            set(prop::fileAs, formattedName);
        VCardContact contact;
        contact.line = line;
        for (auto& [id, value] : props)
            contact.props.push_back(std::move(value));
        contact.picture = std::move(picture);
        return contact;
    }
};

} // namespace

// ---------------------------------------------------------------------------- reading

VCardBatch readVCards(std::string_view text) {
    VCardBatch batch;
    if (text.size() > maxVCardBytes) {
        batch.problems.push_back(
            {1, "the file is larger than " + std::to_string(maxVCardBytes >> 20) + " MiB"});
        return batch;
    }
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    PhysicalLines lines{text};
    std::optional<CardBuilder> card;
    size_t cardLine = 0;
    bool skipping = false; // inside a card already reported bad
    std::string_view physical;
    std::string logical;
    while (lines.next(physical)) {
        size_t number = lines.number;
        bool tooLong = physical.size() > maxVCardLine;
        logical.assign(tooLong ? std::string_view() : physical);
        // Folded continuation lines, and quoted-printable soft breaks ("=" at the end).
        bool qp = isQuotedPrintable(logical);
        for (std::string_view next; lines.peek(next);) {
            bool folded = !next.empty() && (next[0] == ' ' || next[0] == '\t');
            bool soft = qp && !logical.empty() && logical.back() == '=';
            if (!folded && !soft)
                break;
            lines.next(next);
            if (tooLong || logical.size() + next.size() > maxVCardLine) {
                tooLong = true;
                continue;
            }
            if (soft && !folded)
                logical.pop_back();
            logical.append(folded ? next.substr(1) : next);
        }
        std::string_view content = trimmed(logical);
        if (content.empty() && !tooLong)
            continue;
        bool begins = equalsUpper(content, "BEGIN:VCARD");
        bool ends = equalsUpper(content, "END:VCARD");
        if (!card && !skipping) {
            if (begins) {
                card.emplace();
                cardLine = number;
            } else {
                batch.problems.push_back({number, "text outside a card"});
            }
            continue;
        }
        if (begins) {
            if (!skipping)
                batch.problems.push_back(
                    {cardLine, "the card has no END:VCARD before the next card; skipped"});
            card.emplace();
            cardLine = number;
            skipping = false;
            continue;
        }
        if (ends) {
            if (card)
                batch.contacts.push_back(card->finish(cardLine));
            card.reset();
            skipping = false;
            continue;
        }
        if (skipping)
            continue;
        ContentLine line;
        std::string reason;
        if (tooLong)
            reason = "a line longer than " + std::to_string(maxVCardLine >> 20) + " MiB";
        // The whole line, not the trimmed one: blanks at the end belong to the value.
        if (reason.empty() && parseContentLine(logical, line, reason)) {
            if (line.name == "VERSION") {
                std::string_view version = trimmed(line.value);
                if (version != "2.1" && version != "3.0" && version != "4.0")
                    reason = "unsupported vCard version " + std::string(version.substr(0, 16));
            } else if (std::string note = card->take(line); !note.empty()) {
                batch.problems.push_back({number, note, false});
            }
        }
        if (!reason.empty()) {
            batch.problems.push_back({number, reason + "; the card was skipped"});
            card.reset();
            skipping = true;
        }
    }
    if (card || skipping) {
        if (card)
            batch.problems.push_back({cardLine, "the card has no END:VCARD; skipped"});
    }
    return batch;
}

// ---------------------------------------------------------------------------- writing

namespace {

std::string escaped(std::u16string_view text) {
    std::string out;
    for (char c : toUtf8(text)) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case ',':
            out += "\\,";
            break;
        case ';':
            out += "\\;";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Folds at 75 octets, never inside a UTF-8 sequence; continuation lines start with a
// space.
void appendFolded(std::string& out, std::string_view line) {
    size_t limit = 75;
    while (line.size() > limit) {
        size_t cut = limit;
        while (cut > 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        limit = 74;
    }
    out.append(line);
    out += "\r\n";
}

const PropId writtenProps[] = {
    prop::fileAs,          prop::firstName,      prop::middleName,
    prop::lastName,        prop::title,          prop::suffix,
    prop::nickname,        prop::company,        prop::department,
    prop::jobTitle,        prop::email1,         prop::email2,
    prop::email3,          prop::mobilePhone,    prop::businessPhone,
    prop::businessPhone2,  prop::homePhone,      prop::homePhone2,
    prop::businessFax,     prop::homeFax,        prop::pager,
    prop::carPhone,        prop::radioPhone,     prop::companyPhone,
    prop::assistantPhone,  prop::webPage,        prop::businessStreet,
    prop::businessCity,    prop::businessState,  prop::businessPostalCode,
    prop::businessCountry, prop::homeStreet,     prop::homeCity,
    prop::homeState,       prop::homePostalCode, prop::homeCountry,
    prop::otherStreet,     prop::otherCity,      prop::otherState,
    prop::otherPostalCode, prop::otherCountry,   prop::birthday,
    prop::anniversary,     prop::categories,     prop::note,
};

std::string base64(std::span<const uint8_t> bytes) {
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t chunk = static_cast<uint32_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            chunk |= static_cast<uint32_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            chunk |= bytes[i + 2];
        out += alphabet[(chunk >> 18) & 63];
        out += alphabet[(chunk >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(chunk >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? alphabet[chunk & 63] : '=';
    }
    return out;
}

} // namespace

std::span<const PropId> vCardProperties() {
    return writtenProps;
}

std::string writeVCard(std::span<const PropValue> props, std::span<const uint8_t> picture) {
    PropertyMap values;
    for (const PropValue& value : props)
        if (value.found())
            values[value.id] = value;
    auto text = [&](PropId id) -> std::u16string {
        auto found = values.find(id);
        return found == values.end() ? std::u16string() : found->second.text;
    };
    std::string out = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    auto line = [&](std::string_view content) { appendFolded(out, content); };
    auto single = [&](const char* name, PropId id) {
        if (std::u16string value = text(id); !value.empty())
            line(std::string(name) + ":" + escaped(value));
    };

    line("N:" + escaped(text(prop::lastName)) + ";" + escaped(text(prop::firstName)) + ";" +
         escaped(text(prop::middleName)) + ";" + escaped(text(prop::title)) + ";" +
         escaped(text(prop::suffix)));
    std::u16string shown;
    for (PropId id : {prop::firstName, prop::middleName, prop::lastName})
        if (std::u16string part = text(id); !part.empty())
            shown += (shown.empty() ? u"" : u" ") + part;
    if (shown.empty())
        shown = text(prop::fileAs);
    line("FN:" + escaped(shown));
    single("NICKNAME", prop::nickname);
    // The file-as name travels only when it is not the one the names give anyway.
    if (std::u16string fileAs = text(prop::fileAs);
        !fileAs.empty() && fileAs != ContactStore::derivedFileAs(values))
        line("SORT-STRING:" + escaped(fileAs));
    if (!text(prop::company).empty() || !text(prop::department).empty())
        line("ORG:" + escaped(text(prop::company)) +
             (text(prop::department).empty() ? "" : ";" + escaped(text(prop::department))));
    single("TITLE", prop::jobTitle);
    const std::pair<PropId, const char*> phones[] = {{prop::mobilePhone, "CELL"},
                                                     {prop::businessPhone, "WORK,VOICE"},
                                                     {prop::businessPhone2, "WORK,VOICE"},
                                                     {prop::homePhone, "HOME,VOICE"},
                                                     {prop::homePhone2, "HOME,VOICE"},
                                                     {prop::businessFax, "WORK,FAX"},
                                                     {prop::homeFax, "HOME,FAX"},
                                                     {prop::pager, "PAGER"},
                                                     {prop::carPhone, "CAR"},
                                                     {prop::radioPhone, "CELL"},
                                                     {prop::companyPhone, "WORK"},
                                                     {prop::assistantPhone, "WORK"}};
    for (const auto& [id, type] : phones)
        if (std::u16string number = text(id); !number.empty())
            line(std::string("TEL;TYPE=") + type + ":" + escaped(number));
    for (PropId id : {prop::email1, prop::email2, prop::email3})
        if (std::u16string address = text(id); !address.empty())
            line("EMAIL;TYPE=INTERNET:" + escaped(address));
    struct Address {
        const char* type;
        PropId street, city, state, code, country;
    };
    const Address addresses[] = {{"WORK", prop::businessStreet, prop::businessCity,
                                  prop::businessState, prop::businessPostalCode,
                                  prop::businessCountry},
                                 {"HOME", prop::homeStreet, prop::homeCity, prop::homeState,
                                  prop::homePostalCode, prop::homeCountry},
                                 {"OTHER", prop::otherStreet, prop::otherCity, prop::otherState,
                                  prop::otherPostalCode, prop::otherCountry}};
    for (const Address& a : addresses) {
        std::string parts[] = {escaped(text(a.street)), escaped(text(a.city)),
                               escaped(text(a.state)), escaped(text(a.code)),
                               escaped(text(a.country))};
        if ((parts[0] + parts[1] + parts[2] + parts[3] + parts[4]).empty())
            continue;
        line(std::string("ADR;TYPE=") + a.type + ":;;" + parts[0] + ";" + parts[1] + ";" +
             parts[2] + ";" + parts[3] + ";" + parts[4]);
    }
    single("URL", prop::webPage);
    if (auto found = values.find(prop::birthday); found != values.end())
        line("BDAY:" + formatDate(found->second.fileTime));
    if (auto found = values.find(prop::anniversary); found != values.end())
        line("X-ANNIVERSARY:" + formatDate(found->second.fileTime));
    if (std::u16string categories = text(prop::categories); !categories.empty()) {
        // Categories are kept as one comma-separated text; each becomes one value.
        std::string joined;
        std::string all = toUtf8(categories);
        for (size_t start = 0; start <= all.size();) {
            size_t comma = std::min(all.find(',', start), all.size());
            std::string name(trimmed(std::string_view(all).substr(start, comma - start)));
            start = comma + 1;
            if (!name.empty())
                joined += (joined.empty() ? "" : ",") + escaped(toUtf16(name));
        }
        line("CATEGORIES:" + joined);
    }
    single("NOTE", prop::note);
    if (!picture.empty()) {
        bool png = picture.size() > 4 && picture[0] == 0x89 && picture[1] == 'P';
        line(std::string("PHOTO;ENCODING=b;TYPE=") + (png ? "PNG" : "JPEG") + ":" +
             base64(picture));
    }
    out += "END:VCARD\r\n";
    return out;
}

} // namespace vantrel::platform::pim
