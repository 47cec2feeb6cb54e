#include "settings/TextFormatter.h"

#include "settings/SettingValue.h"

namespace vantrel {

namespace {

void appendUnsigned(std::u16string& out, uint64_t value, unsigned base) {
    char16_t digits[24];
    size_t count = 0;
    do {
        unsigned digit = static_cast<unsigned>(value % base);
        digits[count++] = static_cast<char16_t>(digit < 10 ? u'0' + digit : u'a' + digit - 10);
        value /= base;
    } while (value);
    while (count)
        out += digits[--count];
}

} // namespace

int64_t FormatArgument::asNumber() const {
    if (auto number = std::get_if<int64_t>(&value_))
        return *number;
    return readNumber(std::get<std::u16string_view>(value_));
}

void FormatArgument::appendText(std::u16string& out) const {
    if (auto text = std::get_if<std::u16string_view>(&value_))
        out += *text;
    else
        appendDecimal(out);
}

void FormatArgument::appendDecimal(std::u16string& out) const {
    int64_t number = asNumber();
    if (number < 0) {
        out += u'-';
        appendUnsigned(out, 0 - static_cast<uint64_t>(number), 10);
    } else {
        appendUnsigned(out, static_cast<uint64_t>(number), 10);
    }
}

void FormatArgument::appendHex(std::u16string& out) const {
    appendUnsigned(out, static_cast<uint32_t>(asNumber()), 16);
}

std::u16string formatText(std::u16string_view format,
                          std::initializer_list<FormatArgument> arguments) {
    std::u16string out;
    out.reserve(format.size() + 16);
    auto next = arguments.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        char16_t c = format[i];
        if (c != u'%' || i + 1 == format.size()) {
            out += c;
            continue;
        }
        char16_t specifier = format[i + 1];
        if (specifier == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        if (specifier != u's' && specifier != u'i' && specifier != u'x') {
            out += c;
            continue;
        }
        ++i;
        if (next == arguments.end())
            continue;
        if (specifier == u's')
            next->appendText(out);
        else if (specifier == u'i')
            next->appendDecimal(out);
        else
            next->appendHex(out);
        ++next;
    }
    return out;
}

} // namespace vantrel
