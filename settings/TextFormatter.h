#pragma once
// Expands the texts that come from settings, themes and languages ("Call %s",
// "(%i/%i)", " (%x)"). Such texts are data: the formatter knows only "%s", "%i", "%x"
// and "%%", copies any other "%" sequence as it stands, and never reads an argument
// that was not passed, so "%s%s%n" in a theme draws text instead of crashing.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace vantrel {

// One argument: a text or a number.
class FormatArgument {
public:
    FormatArgument(std::u16string_view text) : value_(text) {}
    FormatArgument(const char16_t* text) : value_(std::u16string_view(text)) {}
    FormatArgument(const std::u16string& text) : value_(std::u16string_view(text)) {}
    FormatArgument(int64_t number) : value_(number) {}
    FormatArgument(int number) : value_(static_cast<int64_t>(number)) {}
    FormatArgument(uint32_t number) : value_(static_cast<int64_t>(number)) {}

    // "%s": the text, or the number in decimal.
    void appendText(std::u16string& out) const;
    // "%i": the number in decimal; a text argument gives its leading number.
    void appendDecimal(std::u16string& out) const;
    // "%x": the number's low 32 bits in lower-case hexadecimal.
    void appendHex(std::u16string& out) const;

private:
    int64_t asNumber() const;
    std::variant<std::u16string_view, int64_t> value_;
};

// A specifier whose argument is missing expands to nothing.
std::u16string formatText(std::u16string_view format,
                          std::initializer_list<FormatArgument> arguments = {});

} // namespace vantrel
