#pragma once
// Dates of the contact store shown and typed as text in the user's own locale, the date
// only. A stored date is a day: midnight UTC of that day, so it reads as the same day
// wherever the phone is.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// The day of a store date (file time, 100 ns units since 1601) in the locale's numeric
// date form with a full year ("12/24/1980" in the US, "24.12.1980" in Germany).
std::u16string formatLocaleDate(uint64_t fileTime);
// A date typed in the same form, surrounding blanks ignored, as the file time of that
// day's midnight UTC. Nothing for an empty text or one that is not a valid date.
std::optional<uint64_t> parseLocaleDate(std::u16string_view text);

} // namespace vantrel
