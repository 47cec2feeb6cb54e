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
#include <vector>

namespace vantrel {

class Image;
class SettingManager;
class SettingStore;

// One choice of the theme or language menu: a file of the program's folder and the
// caption the menu shows for it (the name without ".zip" or ".lang.ini").
struct ChooserFile {
    std::u16string fileName;
    std::u16string caption;
    friend bool operator==(const ChooserFile&, const ChooserFile&) = default;
};

class ThemeManager {
public:
    // A folder holding more files than this lists only the first ones by name: a menu
    // can page through them, but the folder's size is the user's, not ours.
    static constexpr size_t maximumChoices = 200;

    // The theme archives ("*.zip") and the language files ("*.lang.ini") of the
    // program's folder, sorted by name; the suffix is matched without regard to letter
    // case, folders and names without a stem are left out.
    static std::vector<ChooserFile> listThemes();
    static std::vector<ChooserFile> listLanguages();

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

    // Switches the running program to another theme: the archive over fresh defaults,
    // the current language and the user's file on top, and the name kept as "Theme".
    // The store's controls reload once, when all of it is in (its cache clear listener).
    // False when the archive added nothing; the name is kept all the same, so the next
    // start looks like this one.
    bool chooseTheme(SettingStore& store, SettingManager& manager, std::u16string_view fileName);
    // The same for a language over the current theme; kept as "Language".
    bool chooseLanguage(SettingStore& store, SettingManager& manager, std::u16string_view fileName);

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
