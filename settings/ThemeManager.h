#pragma once
// Themes, languages and the user's own settings file, loaded into the setting store in
// a fixed order: built-in defaults, the theme archive's "settings.ini", the language
// file, then the program folder's "settings.ini", so the user always has the last word.
// The theme archive stays open while it is the current theme, because the images its
// settings name are read from it on first use.

#include "platform/zip/ZipArchive.h"

#include <memory>
#include <string>
#include <string_view>

namespace vantrel {

class Image;
class SettingManager;
class SettingStore;

class ThemeManager {
public:
    // The one theme manager of the program; it installs the image cache's loader.
    static ThemeManager& instance();

    ThemeManager();
    ~ThemeManager();
    ThemeManager(const ThemeManager&) = delete;
    ThemeManager& operator=(const ThemeManager&) = delete;

    // Empties the store, reloads the built-in defaults, closes the previous archive and
    // opens the one at `archivePath` (relative to the program's folder), adding the lines
    // of its "settings.ini" entry. An empty path, or an archive that cannot be opened or
    // read, leaves the built-in look; false then (a non-empty path is also reported on
    // standard error).
    bool applyTheme(SettingStore& store, std::u16string_view archivePath);
    // Adds the lines of a language file; false (nothing added) when it cannot be read.
    bool loadLanguage(SettingStore& store, std::u16string_view fileName);
    // Adds the lines of the program folder's "settings.ini"; false when there is none.
    bool loadUserSettings(SettingStore& store);
    // The start-up order: defaults and the theme named by "Theme", the language named by
    // "Language", then the user's "settings.ini", with the store's maps kept from
    // rehashing meanwhile.
    void loadAll(SettingStore& store, const SettingManager& manager);

    // The open theme archive, or null.
    platform::ZipArchive* archive() const { return archive_.get(); }
    void closeArchive() { archive_.reset(); }

    // Loads an image named by a setting: the theme archive's entry of that name first,
    // then the file. Prepared, and replaced by its reflection when `mirror` is set; null
    // when neither exists or the picture cannot be decoded.
    std::shared_ptr<Image> loadImage(const std::u16string& name, bool mirror) const;

private:
    bool openTheme(SettingStore& store, std::u16string_view archivePath);

    std::unique_ptr<platform::ZipArchive> archive_;
};

} // namespace vantrel
