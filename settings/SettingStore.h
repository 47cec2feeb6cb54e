#pragma once
// The process-wide store of setting lines. Every look value of the program (geometry,
// colours, fonts, backgrounds, texts, durations) is a line "key=value"; controls ask
// by their type, their instance name and a property, and the most specific line for
// the current orientation answers. Boxes, fonts and backgrounds are parsed once per
// orientation and cache generation and lent to the callers until the next clear.
//
// Index: loading (addLine, loadDefaults, loadFile), caches and orientation, lookup
// (resolve and the typed getters), dump.

#include "settings/Background.h"
#include "settings/Box.h"
#include "settings/Font.h"
#include "settings/SettingVariables.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantrel {

class SettingStore;

// Supplies the built-in lines that follow the store's own base list, and says whether
// the soft input panel may show.
class IDefaultSettingProvider {
public:
    virtual ~IDefaultSettingProvider() = default;
    virtual void loadDefaults(SettingStore& store) = 0;
    virtual bool sipAllowed() const = 0;
};

class SettingStore {
public:
    // The one store of the program, created on first use.
    static SettingStore& instance();

    SettingStore();
    ~SettingStore();
    SettingStore(const SettingStore&) = delete;
    SettingStore& operator=(const SettingStore&) = delete;

    // ---- loading ----

    // Parses one "key=value" line; blank lines, "#" comments and lines without a key
    // add nothing. "$name" lines define variables, substituted into later values.
    void addLine(std::u16string_view line);
    // The base list, then the default provider's lines.
    void loadDefaults();
    // Adds every line of a text file; false when it cannot be read (nothing added).
    bool loadFile(std::u16string_view path);
    void setDefaultProvider(IDefaultSettingProvider* provider) { provider_ = provider; }
    IDefaultSettingProvider* defaultProvider() const { return provider_; }

    // Bulk loading: the line maps make room once instead of growing line by line, and
    // the cache clear listener hears of the clears inside once, when the loading ends.
    void suspendRehashing();
    void resumeRehashing();

    // ---- caches and orientation ----

    // Deletes every cached box, font and background and every cached image, then calls
    // the cache clear listener (at once, or at the end of a bulk load).
    void clearCaches();
    // Empties the lines and the variables, then clears the caches.
    void reset();
    // Whoever holds objects the store lent (the control hosts) must take them again after
    // a clear, or they read freed memory; the listener is where they do. Every clear,
    // whatever its cause (a reset, a rotation, a script), reaches it.
    void setCacheClearListener(std::function<void()> listener) {
        cacheClearListener_ = std::move(listener);
    }

    bool isLandscape() const { return landscape_; }
    // A change clears the caches.
    void setLandscape(bool landscape);

    // ---- lookup ----

    // Which key answered a lookup, from the most to the least specific.
    enum class Match { none, typeProperty, instanceProperty, anyInstance, defaultProperty };

    // The value of the most specific line for the current orientation, or null.
    const std::u16string* resolve(std::u16string_view type, std::u16string_view instance,
                                  std::u16string_view property, Match* match = nullptr) const;

    // The value, or the full key itself when no line exists (so an untranslated text
    // shows its key).
    std::u16string text(std::u16string_view type, std::u16string_view instance,
                        std::u16string_view property) const;
    // A missing colour is 0 (black); a missing measure, flag or number is 0 or false.
    platform::Colour colour(std::u16string_view type, std::u16string_view instance,
                            std::u16string_view property) const;
    int measure(std::u16string_view type, std::u16string_view instance,
                std::u16string_view property) const;
    // True only for the value "1".
    bool flag(std::u16string_view type, std::u16string_view instance,
              std::u16string_view property) const;
    double number(std::u16string_view type, std::u16string_view instance,
                  std::u16string_view property) const;
    // Parsed objects, owned by the store until the next cache clear; a missing line
    // gives the store's fallback object.
    const Box& box(std::u16string_view type, std::u16string_view instance,
                   std::u16string_view property);
    const Font& font(std::u16string_view type, std::u16string_view instance,
                     std::u16string_view property);
    const Background& background(std::u16string_view type, std::u16string_view instance,
                                 std::u16string_view property);

    // Program-wide values: type "global", empty instance.
    std::u16string globalText(std::u16string_view property) const;
    platform::Colour globalColour(std::u16string_view property) const;
    int globalMeasure(std::u16string_view property) const;
    bool globalFlag(std::u16string_view property) const;
    double globalNumber(std::u16string_view property) const;
    const Box& globalBox(std::u16string_view property);
    const Font& globalFont(std::u16string_view property);
    const Background& globalBackground(std::u16string_view property);

    // The raw lines of one orientation, for the options screen and tests.
    const std::unordered_map<std::u16string, std::u16string>& lines(bool landscape) const {
        return landscape ? landscapeLines_ : portraitLines_;
    }
    size_t cachedCount(bool landscape) const {
        return (landscape ? landscapeCache_ : portraitCache_).size();
    }

    // ---- dump ----

    // Writes "dump.txt" in the program's folder: a reference copy of the lines and the
    // cache, with the texts in their own section. False when it cannot be written.
    bool dump() const;

    // The texts every source is overruled with.
    static const std::u16string aboutText;
    static const std::u16string webAddressText;

private:
    using LineMap = std::unordered_map<std::u16string, std::u16string>;
    using Cache = std::unordered_map<std::u16string, SettingValue*>;

    template <class T>
    const T& cachedValue(std::u16string_view type, std::u16string_view instance,
                         std::u16string_view property, T& fallback);
    LineMap& currentLines() { return landscape_ ? landscapeLines_ : portraitLines_; }
    const LineMap& currentLines() const { return landscape_ ? landscapeLines_ : portraitLines_; }

    bool landscape_ = false;
    Background fallbackBackground_;
    Font fallbackFont_;
    Box fallbackBox_;
    IDefaultSettingProvider* provider_ = nullptr;
    Cache portraitCache_;
    Cache landscapeCache_;
    // Every parsed object either cache points at, except the fallbacks.
    std::vector<std::unique_ptr<SettingValue>> ownedValues_;
    LineMap portraitLines_;
    LineMap landscapeLines_;
    SettingVariables variables_;
    int rehashSuspension_ = 0;
    // A clear happened while bulk loading; the listener runs when the loading ends.
    bool clearPending_ = false;
    std::function<void()> cacheClearListener_;
};

} // namespace vantrel
