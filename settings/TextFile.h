#pragma once
// Line-oriented text files: settings, themes' "settings.ini", languages and the
// contact cache. A file is UTF-16 (little- or big-endian) when it starts with a
// byte-order mark, UTF-8 when it is valid UTF-8 (a UTF-8 mark is skipped), otherwise
// 8-bit text in the system code page. Lines end at CR, LF or CR LF and are delivered
// whole, whatever their length.

#include <functional>
#include <string>
#include <string_view>

namespace vantrel {

using LineHandler = std::function<void(std::u16string_view line)>;

// Reads the file and calls onLine for every line; false when it cannot be read. A name
// without a directory separator is taken from the program's folder.
bool readTextFileLines(std::u16string_view path, const LineHandler& onLine);

// The same for a file's bytes already in memory.
void decodeTextLines(std::string_view bytes, const LineHandler& onLine);

// Splits UTF-16 text at CR, LF or CR LF.
void splitLines(std::u16string_view text, const LineHandler& onLine);

// 8-bit text in the system code page (windows-1252 unless the locale's language uses
// another Windows code page) to UTF-16.
std::u16string fromSystemCodePage(std::string_view bytes);

// The ICU name of the system code page, chosen once from the default locale.
const char* systemCodePage();
// The Windows code page of a locale's language ("ru_RU" gives windows-1251).
const char* codePageForLocale(const char* locale);

} // namespace vantrel
