#include "settings/SettingStore.h"

#include "settings/DefaultSettings.h"
#include "settings/TextFile.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/core/Window.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace vantrel {

namespace {

constexpr std::u16string_view landscapePrefix = u"landscape.";
constexpr std::u16string_view portraitPrefix = u"portrait.";

std::u16string_view trimmed(std::u16string_view text) {
    auto isSpace = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::u16string fullKey(std::u16string_view type, std::u16string_view instance,
                       std::u16string_view property) {
    std::u16string key;
    key.reserve(type.size() + instance.size() + property.size() + 2);
    key += type;
    key += u'.';
    key += instance;
    key += u'.';
    key += property;
    return key;
}

// A key counts as a text when its first ".text" is its last five characters.
bool isTextKey(std::u16string_view key) {
    size_t at = key.find(u".text");
    return at != std::u16string_view::npos && at + 5 == key.size();
}

// Room for the built-in lines and a large theme, taken once while loading in bulk.
constexpr size_t bulkLineCapacity = 4096;

} // namespace

// Each fits the one row the options page gives it.
const std::u16string SettingStore::aboutText = u"Vantrel Contact, made for the finger";
const std::u16string SettingStore::webAddressText = u"Themes and languages: program folder";

SettingStore& SettingStore::instance() {
    static SettingStore store;
    return store;
}

SettingStore::SettingStore()
    : fallbackBackground_(u"fill(#FFFFFF)"), fallbackFont_(u"12p,regular,Arial,#000000"),
      fallbackBox_(u"0%,0%,100%,100%") {}

SettingStore::~SettingStore() = default;

// ---- loading ----

void SettingStore::addLine(std::u16string_view line) {
    line = trimmed(line);
    if (line.empty() || line.front() == u'#')
        return;
    size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos || equals == 0)
        return;
    std::u16string_view key = line.substr(0, equals);
    std::u16string_view rawValue = line.substr(equals + 1);

    if (key.front() == u'$') {
        variables_.define(key, rawValue);
        return;
    }

    std::u16string value;
    if (key.find(u"label.option.about.text") != std::u16string_view::npos)
        value = aboutText;
    else if (key.find(u"label.option.www.text") != std::u16string_view::npos)
        value = webAddressText;
    else
        value = variables_.expand(rawValue);

    if (key.starts_with(landscapePrefix)) {
        landscapeLines_.insert_or_assign(std::u16string(key.substr(landscapePrefix.size())), value);
    } else if (key.starts_with(portraitPrefix)) {
        portraitLines_.insert_or_assign(std::u16string(key.substr(portraitPrefix.size())), value);
    } else {
        landscapeLines_.insert_or_assign(std::u16string(key), value);
        portraitLines_.insert_or_assign(std::u16string(key), value);
    }

    // A theme marks the backgrounds whose large images should be decoded now rather
    // than on first paint.
    if (value.find(u",preload", 1) != std::u16string::npos)
        Background(value).preload();
}

void SettingStore::loadDefaults() {
    for (std::u16string_view line : baseSettingLines())
        addLine(line);
    if (provider_)
        provider_->loadDefaults(*this);
}

bool SettingStore::loadFile(std::u16string_view path) {
    return readTextFileLines(path, [this](std::u16string_view line) { addLine(line); });
}

void SettingStore::suspendRehashing() {
    if (rehashSuspension_++ == 0) {
        portraitLines_.reserve(bulkLineCapacity);
        landscapeLines_.reserve(bulkLineCapacity);
    }
}

void SettingStore::resumeRehashing() {
    if (rehashSuspension_ == 0 || --rehashSuspension_ > 0 || !clearPending_)
        return;
    clearPending_ = false;
    if (cacheClearListener_)
        cacheClearListener_();
}

// ---- caches and orientation ----

void SettingStore::clearCaches() {
    portraitCache_.clear();
    landscapeCache_.clear();
    ownedValues_.clear();
    ImageCache::instance().clear();
    // Inside a bulk load the UI thread is busy loading, so nothing reads a lent object
    // before the loading ends; reloading once then spares a reload per step (a theme
    // change resets, then loads three sources).
    if (rehashSuspension_ > 0)
        clearPending_ = true;
    else if (cacheClearListener_)
        cacheClearListener_();
}

void SettingStore::reset() {
    portraitLines_.clear();
    landscapeLines_.clear();
    variables_.clear();
    clearCaches();
}

void SettingStore::setLandscape(bool landscape) {
    if (landscape_ == landscape)
        return;
    landscape_ = landscape;
    clearCaches();
}

// ---- lookup ----

const std::u16string* SettingStore::resolve(std::u16string_view type, std::u16string_view instance,
                                            std::u16string_view property, Match* match) const {
    const LineMap& lines = currentLines();
    auto find = [&](const std::u16string& key, Match kind) -> const std::u16string* {
        auto found = lines.find(key);
        if (found == lines.end())
            return nullptr;
        if (match)
            *match = kind;
        return &found->second;
    };
    std::u16string key;
    key.reserve(type.size() + instance.size() + property.size() + 8);
    if (instance.empty()) {
        key.append(type).append(u".").append(property);
        if (auto value = find(key, Match::typeProperty))
            return value;
    }
    key.assign(type).append(u".").append(instance).append(u".").append(property);
    if (auto value = find(key, Match::instanceProperty))
        return value;
    key.assign(type).append(u".*.").append(property);
    if (auto value = find(key, Match::anyInstance))
        return value;
    key.assign(u"default.").append(property);
    if (auto value = find(key, Match::defaultProperty))
        return value;
    if (match)
        *match = Match::none;
    return nullptr;
}

std::u16string SettingStore::text(std::u16string_view type, std::u16string_view instance,
                                  std::u16string_view property) const {
    const std::u16string* value = resolve(type, instance, property);
    return value ? *value : fullKey(type, instance, property);
}

platform::Colour SettingStore::colour(std::u16string_view type, std::u16string_view instance,
                                      std::u16string_view property) const {
    const std::u16string* value = resolve(type, instance, property);
    return value ? parseColour(*value) : 0;
}

int SettingStore::measure(std::u16string_view type, std::u16string_view instance,
                          std::u16string_view property) const {
    const std::u16string* value = resolve(type, instance, property);
    return value ? parseMeasure(*value) : 0;
}

bool SettingStore::flag(std::u16string_view type, std::u16string_view instance,
                        std::u16string_view property) const {
    const std::u16string* value = resolve(type, instance, property);
    return value && *value == u"1";
}

double SettingStore::number(std::u16string_view type, std::u16string_view instance,
                            std::u16string_view property) const {
    const std::u16string* value = resolve(type, instance, property);
    if (!value)
        return 0;
    // Read like the C library's "%f": leading white space, an optional sign, and the
    // longest number that follows; always with a decimal point, whatever the locale.
    std::string ascii;
    for (char16_t c : *value)
        ascii += c < 0x80 ? static_cast<char>(c) : '?';
    size_t start = ascii.find_first_not_of(" \t\n\v\f\r");
    if (start == std::string::npos)
        return 0;
    if (ascii[start] == '+')
        ++start;
    double result = 0;
    std::from_chars(ascii.data() + start, ascii.data() + ascii.size(), result);
    return result;
}

template <class T>
const T& SettingStore::cachedValue(std::u16string_view type, std::u16string_view instance,
                                   std::u16string_view property, T& fallback) {
    Cache& cache = landscape_ ? landscapeCache_ : portraitCache_;
    std::u16string key = fullKey(type, instance, property);
    if (auto found = cache.find(key); found != cache.end()) {
        if (const T* value = dynamic_cast<const T*>(found->second))
            return *value;
        // The same key was first asked for as another kind of value: a fault in the
        // asking control. Say so, and lend the fallback of the asked kind rather than
        // an object of the wrong type.
        platform::messageBox(0, key, u"error");
        return fallback;
    }
    const std::u16string* value = resolve(type, instance, property);
    if (!value) {
        cache.emplace(std::move(key), &fallback);
        return fallback;
    }
    auto parsed = std::make_unique<T>(*value);
    T* result = parsed.get();
    ownedValues_.push_back(std::move(parsed));
    cache.emplace(std::move(key), result);
    return *result;
}

const Box& SettingStore::box(std::u16string_view type, std::u16string_view instance,
                             std::u16string_view property) {
    return cachedValue(type, instance, property, fallbackBox_);
}

const Font& SettingStore::font(std::u16string_view type, std::u16string_view instance,
                               std::u16string_view property) {
    return cachedValue(type, instance, property, fallbackFont_);
}

const Background& SettingStore::background(std::u16string_view type, std::u16string_view instance,
                                           std::u16string_view property) {
    return cachedValue(type, instance, property, fallbackBackground_);
}

std::u16string SettingStore::globalText(std::u16string_view property) const {
    return text(u"global", u"", property);
}
platform::Colour SettingStore::globalColour(std::u16string_view property) const {
    return colour(u"global", u"", property);
}
int SettingStore::globalMeasure(std::u16string_view property) const {
    return measure(u"global", u"", property);
}
bool SettingStore::globalFlag(std::u16string_view property) const {
    return flag(u"global", u"", property);
}
double SettingStore::globalNumber(std::u16string_view property) const {
    return number(u"global", u"", property);
}
const Box& SettingStore::globalBox(std::u16string_view property) {
    return box(u"global", u"", property);
}
const Font& SettingStore::globalFont(std::u16string_view property) {
    return font(u"global", u"", property);
}
const Background& SettingStore::globalBackground(std::u16string_view property) {
    return background(u"global", u"", property);
}

// ---- dump ----

namespace {

// The order of the maps is ours to choose; sorted keys make the reference easy to read
// and to compare.
template <class Map> std::vector<const typename Map::value_type*> sortedEntries(const Map& map) {
    std::vector<const typename Map::value_type*> entries;
    entries.reserve(map.size());
    for (const auto& entry : map)
        entries.push_back(&entry);
    std::sort(entries.begin(), entries.end(),
              [](const auto* a, const auto* b) { return a->first < b->first; });
    return entries;
}

void appendLine(std::string& out, std::u16string_view text) {
    out += platform::toUtf8(text);
    out += "\r\n";
}

void appendLines(std::string& out, const std::unordered_map<std::u16string, std::u16string>& map,
                 bool texts) {
    for (const auto* entry : sortedEntries(map)) {
        if (isTextKey(entry->first) != texts)
            continue;
        out += platform::toUtf8(entry->first);
        out += '=';
        appendLine(out, entry->second);
    }
}

} // namespace

bool SettingStore::dump() const {
    std::filesystem::path file = platform::programFolder() / "dump.txt";
    std::error_code error;
    std::filesystem::remove(file, error);

    std::string out;
    appendLine(out, u"# settings dump");
    appendLine(out, u"# use it only as reference, DO NOT USE AS SETTINGS.INI file");
    appendLine(out, u"");
    appendLine(out, u"# settings used for landscape");
    appendLines(out, landscapeLines_, false);
    appendLine(out, u"");
    appendLine(out, u"# settings used for portrait");
    appendLine(out, u"");
    appendLines(out, portraitLines_, false);
    appendLine(out, u"");
    appendLine(out, u"# current settings cache");
    appendLine(out, u"");
    for (const auto* entry : sortedEntries(portraitCache_))
        appendLine(out, entry->first);
    appendLine(out, u"");
    appendLine(out, u"# localization");
    appendLine(out, u"# DO NOT CHANGE COPYRIGHT OR ABOUT INFORMATION");
    appendLine(out, u"");
    appendLines(out, portraitLines_, true);
    appendLine(out, u"");
    appendLine(out, u"# done");
    return platform::writeFileAtomically(file, out);
}

} // namespace vantrel
