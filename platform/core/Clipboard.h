#pragma once
// The clipboard that cut, copy and paste go through: the desktop's own when the display
// backend has one (SDL), else one kept in this process, so headless runs and tests copy
// and paste the same way.

#include <string>
#include <string_view>

namespace vantrel::platform {

// Far more than a note or a message holds; a larger clipboard is cut here, on a
// character boundary, before anything converts or copies it further.
inline constexpr size_t maxClipboardLength = 1u << 20;

void setClipboardText(std::u16string_view text);
// Empty when the clipboard holds no text.
std::u16string clipboardText();

} // namespace vantrel::platform
