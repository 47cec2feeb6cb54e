#include "messaging/SmsCharacterCounter.h"

#include "settings/TextFormatter.h"

#include <algorithm>

namespace vantrel {

std::u16string smsCounterText(std::u16string_view text) {
    const bool wide = std::any_of(text.begin(), text.end(), [](char16_t c) { return c > 255; });
    const int limit = wide ? 70 : 160;
    const int segment = wide ? 67 : 153;
    const int n = static_cast<int>(std::min<size_t>(text.size(), 1u << 30));
    if (n > limit) {
        const int parts = n / segment + 1;
        return formatText(u"(%i/%i)", {parts * segment - n, parts});
    }
    return formatText(u"(%i/%i)", {limit - n, limit});
}

} // namespace vantrel
