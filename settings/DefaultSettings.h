#pragma once
// The built-in setting lines, compiled into the program so it looks complete without
// any theme or language file. They load in this order, a later line replacing an
// earlier one of the same key.

#include <span>
#include <string_view>

namespace vantrel {

// Generic defaults, scroll tuning, durations, menus, folder lists, check buttons, the
// header, property editors, separators, the confirmation dialog and the index strip.
std::span<const std::u16string_view> baseSettingLines();
// Screen layouts and colours: options, icon bar, symbol row, contact list, phone pad,
// contact detail, conversation and dial-pad screens.
std::span<const std::u16string_view> screenSettingLines();
// The English interface texts.
std::span<const std::u16string_view> textSettingLines();

} // namespace vantrel
