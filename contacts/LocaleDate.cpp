#include "contacts/LocaleDate.h"

#include <unicode/dtptngen.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>

namespace vantrel {

namespace {

// File times count from 1601, ICU's dates in milliseconds from 1970.
constexpr int64_t kEpochDifference = 116444736000000000LL;
constexpr int64_t kTicksPerMs = 10000;
constexpr int64_t kMsPerDay = 86400000LL;
// Longer than any date the user may mean; a pasted page is refused before ICU sees it.
constexpr size_t kMaxDateText = 64;

// The default locale's numeric day-month-year pattern, in UTC; null when ICU cannot
// build one.
std::unique_ptr<icu::SimpleDateFormat> dateFormat() {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale& locale = icu::Locale::getDefault();
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(locale, status));
    if (U_FAILURE(status))
        return nullptr;
    icu::UnicodeString pattern = generator->getBestPattern(u"yMd", status);
    if (U_FAILURE(status))
        return nullptr;
    auto format = std::make_unique<icu::SimpleDateFormat>(pattern, locale, status);
    if (U_FAILURE(status))
        return nullptr;
    format->setTimeZone(*icu::TimeZone::getGMT());
    format->setLenient(false);
    return format;
}

} // namespace

std::u16string formatLocaleDate(uint64_t fileTime) {
    auto format = dateFormat();
    if (!format)
        return {};
    const int64_t ms = (static_cast<int64_t>(fileTime) - kEpochDifference) / kTicksPerMs;
    icu::UnicodeString text;
    format->format(static_cast<UDate>(ms), text);
    return std::u16string(text.getBuffer(), static_cast<size_t>(text.length()));
}

std::optional<uint64_t> parseLocaleDate(std::u16string_view text) {
    const auto first = text.find_first_not_of(u" \t");
    if (first == std::u16string_view::npos || text.size() > kMaxDateText)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(u" \t") - first + 1);
    auto format = dateFormat();
    if (!format)
        return std::nullopt;
    icu::UnicodeString source(text.data(), static_cast<int32_t>(text.size()));
    icu::ParsePosition position(0);
    const UDate date = format->parse(source, position);
    // The whole text must be the date: "1/2/2020 junk" is not a date.
    if (position.getErrorIndex() >= 0 || position.getIndex() != source.length())
        return std::nullopt;
    int64_t ms = static_cast<int64_t>(date);
    ms -= ((ms % kMsPerDay) + kMsPerDay) % kMsPerDay; // the day's midnight
    const int64_t ticks = ms * kTicksPerMs + kEpochDifference;
    if (ticks < 0)
        return std::nullopt;
    return static_cast<uint64_t>(ticks);
}

} // namespace vantrel
