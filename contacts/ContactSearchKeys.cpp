#include "contacts/ContactSearchKeys.h"

#include "phone/PhoneKeyMap.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>

namespace vantrel {

namespace {

// ICU collators are not to be shared between threads while used; each thread that
// orders contacts (the loader, the user-interface thread) gets its own.
icu::Collator* threadCollator() {
    thread_local std::unique_ptr<icu::Collator> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> made(
            icu::Collator::createInstance(icu::Locale::getDefault(), status));
        if (U_FAILURE(status))
            made.reset();
        return made;
    }();
    return collator.get();
}

icu::UnicodeString alias(std::u16string_view text) {
    return icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size()));
}

} // namespace

std::string collationKey(std::u16string_view text) {
    icu::Collator* collator = threadCollator();
    if (!collator) {
        // Without ICU data, code-unit order, big-endian so bytes compare as units do.
        std::string bytes;
        for (char16_t c : text) {
            bytes += static_cast<char>(c >> 8);
            bytes += static_cast<char>(c & 0xFF);
        }
        return bytes;
    }
    icu::UnicodeString value = alias(text);
    uint8_t buffer[256];
    int32_t length = collator->getSortKey(value, buffer, sizeof buffer);
    if (length <= static_cast<int32_t>(sizeof buffer))
        return std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length));
    std::string bytes(static_cast<size_t>(length), '\0');
    collator->getSortKey(value, reinterpret_cast<uint8_t*>(bytes.data()), length);
    return bytes;
}

std::u16string lowerCased(std::u16string_view text) {
    icu::UnicodeString value = alias(text);
    value.toLower(icu::Locale::getRoot());
    return std::u16string(value.getBuffer(), static_cast<size_t>(value.length()));
}

std::u16string digitsAndPlus(std::u16string_view number) {
    std::u16string out;
    for (char16_t c : number)
        if ((c >= u'0' && c <= u'9') || c == u'+')
            out += c;
    return out;
}

SearchKeys makeSearchKeys(const ContactRecord& record) {
    SearchKeys keys;
    keys.collation = collationKey(record.sortKey);
    keys.lowerFirstLine = lowerCased(record.firstLine);
    std::shared_ptr<const PhoneKeyMap> padMap = PhoneKeyMap::current();
    keys.padClasses = padMap->classesOf(keys.lowerFirstLine);
    keys.padVersion = padMap->version();
    for (const PhoneEntry& phone : record.phones) {
        keys.phoneDigits += digitsAndPlus(phone.number);
        keys.phoneDigits += u' ';
    }
    return keys;
}

} // namespace vantrel
