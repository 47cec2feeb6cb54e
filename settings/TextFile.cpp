#include "settings/TextFile.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"

#include <unicode/ucnv.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace vantrel {

namespace {

struct CodePageOfLanguages {
    const char* codePage;
    const char* languages[12];
};

// The Windows code page each language's system used for 8-bit text.
constexpr CodePageOfLanguages codePages[] = {
    {"windows-1250", {"cs", "hu", "pl", "ro", "hr", "sk", "sl", "sq", "bs"}},
    {"windows-1251", {"ru", "uk", "be", "bg", "mk", "sr", "kk", "ky", "tt", "mn"}},
    {"windows-1253", {"el"}},
    {"windows-1254", {"tr", "az", "uz"}},
    {"windows-1255", {"he", "yi"}},
    {"windows-1256", {"ar", "fa", "ur"}},
    {"windows-1257", {"et", "lv", "lt"}},
    {"windows-1258", {"vi"}},
    {"windows-874", {"th"}},
    {"windows-932", {"ja"}},
    {"windows-949", {"ko"}},
};

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

std::u16string convertWith(const char* codePage, std::string_view bytes) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open(codePage, &status));
    if (U_FAILURE(status))
        return {};
    // A single byte never yields more than two UTF-16 units in any of these code pages.
    std::u16string text(bytes.size() * 2 + 1, u'\0');
    int32_t length = ucnv_toUChars(converter.get(), text.data(), static_cast<int32_t>(text.size()),
                                   bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status))
        return {};
    text.resize(static_cast<size_t>(length));
    return text;
}

} // namespace

const char* codePageForLocale(const char* locale) {
    char language[ULOC_LANG_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    uloc_getLanguage(locale, language, sizeof language, &status);
    if (U_FAILURE(status))
        return "windows-1252";
    if (std::strcmp(language, "zh") == 0) {
        char country[ULOC_COUNTRY_CAPACITY] = {};
        uloc_getCountry(locale, country, sizeof country, &status);
        bool traditional = std::strcmp(country, "TW") == 0 || std::strcmp(country, "HK") == 0 ||
                           std::strcmp(country, "MO") == 0;
        return traditional ? "windows-950" : "windows-936";
    }
    for (const auto& entry : codePages)
        for (const char* candidate : entry.languages)
            if (candidate && std::strcmp(candidate, language) == 0)
                return entry.codePage;
    return "windows-1252";
}

const char* systemCodePage() {
    static const char* const codePage = [] {
        const char* chosen = codePageForLocale(uloc_getDefault());
        UErrorCode status = U_ZERO_ERROR;
        UConverter* probe = ucnv_open(chosen, &status);
        ucnv_close(probe);
        return U_SUCCESS(status) ? chosen : "windows-1252";
    }();
    return codePage;
}

std::u16string fromSystemCodePage(std::string_view bytes) {
    // ICU counts in 32 bits; a settings file never comes near that, but a hostile one
    // must not wrap the count.
    if (bytes.size() > (1u << 29))
        bytes = bytes.substr(0, 1u << 29);
    std::u16string text = convertWith(systemCodePage(), bytes);
    if (text.empty() && !bytes.empty())
        text = convertWith("windows-1252", bytes);
    return text;
}

void splitLines(std::u16string_view text, const LineHandler& onLine) {
    // NOTE: a plain scan; find_first_of over two characters costs twice as much here,
    // and this loop sees every character of every settings file at start-up.
    size_t start = 0;
    const size_t size = text.size();
    for (size_t i = 0; i < size; ++i) {
        char16_t c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        onLine(text.substr(start, i - start));
        if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        onLine(text.substr(start));
}

void decodeTextLines(std::string_view bytes, const LineHandler& onLine) {
    auto byteAt = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    bool littleEndian = bytes.size() >= 2 && byteAt(0) == 0xFF && byteAt(1) == 0xFE;
    bool bigEndian = bytes.size() >= 2 && byteAt(0) == 0xFE && byteAt(1) == 0xFF;
    if (!littleEndian && !bigEndian) {
        // Linux editors write UTF-8, sometimes behind a mark; files made for the phones
        // are in its Windows code page, where a run of accented letters is almost never
        // valid UTF-8. So valid UTF-8 wins and only the rest goes through the code page.
        bool utf8Mark = bytes.size() >= 3 && byteAt(0) == 0xEF && byteAt(1) == 0xBB &&
                        byteAt(2) == 0xBF;
        if (utf8Mark)
            bytes.remove_prefix(3);
        // A UTF-16 unit per byte is enough: UTF-8 never takes fewer bytes than units.
        std::u16string text(bytes.size(), u'\0');
        int32_t length = 0;
        UErrorCode status = bytes.size() <= INT32_MAX ? U_ZERO_ERROR : U_BUFFER_OVERFLOW_ERROR;
        u_strFromUTF8(text.data(), static_cast<int32_t>(text.size()), &length, bytes.data(),
                      static_cast<int32_t>(bytes.size()), &status);
        if (U_SUCCESS(status))
            text.resize(static_cast<size_t>(length));
        else
            text = utf8Mark ? platform::toUtf16(bytes) : fromSystemCodePage(bytes);
        splitLines(text, onLine);
        return;
    }
    // A trailing odd byte is half a code unit and is dropped. Unpaired surrogates are
    // kept as they are: they are data, and the conversion to UTF-8 at the edges
    // replaces them.
    std::u16string text;
    text.reserve((bytes.size() - 2) / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        unsigned first = byteAt(i), second = byteAt(i + 1);
        text += static_cast<char16_t>(littleEndian ? first | second << 8 : first << 8 | second);
    }
    splitLines(text, onLine);
}

bool readTextFileLines(std::u16string_view path, const LineHandler& onLine) {
    std::string bytes, error;
    const std::filesystem::path file = platform::resolveProgramPath(path);
    if (!platform::readWholeFile(file, bytes, platform::kMaxWholeFileSize, &error)) {
        // A missing file is the usual case (no user settings yet) and says nothing.
        if (std::error_code ec; std::filesystem::exists(file, ec))
            std::fprintf(stderr, "settings: cannot read %s: %s\n", file.c_str(), error.c_str());
        return false;
    }
    decodeTextLines(bytes, onLine);
    return true;
}

} // namespace vantrel
