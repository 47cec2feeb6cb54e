#pragma once
// Conversions at the edges: the product keeps text in UTF-16, file names, SQLite and
// the command line are UTF-8. Ill-formed input (a lone surrogate, a broken UTF-8
// sequence) becomes U+FFFD instead of failing, so outside data never stops a caller.

#include <string>
#include <string_view>

namespace vantrel::platform {

std::string toUtf8(std::u16string_view text);
std::u16string toUtf16(std::string_view utf8);

// ASCII-only case folding, for comparing keys and names that are plain ASCII by design.
char16_t asciiLower(char16_t c);
std::u16string asciiLower(std::u16string_view text);
bool equalsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);

} // namespace vantrel::platform
