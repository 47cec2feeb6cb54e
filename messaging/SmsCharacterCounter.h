#pragma once
// The composer's counter of what is left to type. One SMS holds 160 characters of the
// plain alphabet, or 70 once any character lies above code 255 (the message is then sent
// as UTF-16); a longer text is split into parts of 153 (or 67) characters, each carrying
// the header that joins them again.

#include <string>
#include <string_view>

namespace vantrel {

// "(remaining/limit)" while the text fits one SMS ("(150/160)" for 10 plain characters),
// else "(remaining/parts)" ("(145/2)" for 161). Lengths are UTF-16 code units, as the
// modem counts them.
std::u16string smsCounterText(std::u16string_view text);

} // namespace vantrel
