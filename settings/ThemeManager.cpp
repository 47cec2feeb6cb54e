#include "settings/ThemeManager.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "settings/TextFile.h"
#include "graphics/Image.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace vantrel {

namespace {

constexpr std::u16string_view themeSettingsEntry = u"settings.ini";
constexpr std::u16string_view userSettingsFile = u"settings.ini";

const char* describe(platform::ZipResult result) {
    switch (result) {
    case platform::ZipResult::Ok:
        return "no error";
    case platform::ZipResult::NoArchive:
        return "no archive";
    case platform::ZipResult::CannotOpen:
        return "the file is missing or unreadable";
    case platform::ZipResult::NotAnArchive:
        return "it is not a zip archive";
    case platform::ZipResult::EntryNotFound:
        return "it holds no settings.ini";
    case platform::ZipResult::UnsafeName:
        return "the entry name is unsafe";
    case platform::ZipResult::TooLarge:
        return "its settings.ini is too large";
    case platform::ZipResult::Damaged:
        return "its settings.ini is damaged";
    }
    return "unknown error";
}

// The user chose the theme, so a broken one deserves a line saying why the program
// looks plain; the look itself falls back silently.
void reportBrokenTheme(std::u16string_view path) {
    std::fprintf(stderr, "vantrel: theme \"%s\" not applied: %s; using the built-in look\n",
                 platform::toUtf8(path).c_str(), describe(platform::lastZipResult()));
}

// The files of the program's folder whose names end in `suffix` (any letter case),
// captioned without it.
std::vector<ChooserFile> listChoices(std::u16string_view suffix) {
    std::vector<ChooserFile> files;
    std::error_code error;
    std::filesystem::directory_iterator folder(platform::programFolder(), error);
    for (std::filesystem::directory_iterator end; !error && folder != end;
         folder.increment(error)) {
        if (!folder->is_regular_file(error))
            continue;
        std::string name = folder->path().filename().string();
        std::u16string wide = platform::toUtf16(name);
        // A name that is not UTF-8 could not be opened again from its wide form.
        if (platform::toUtf8(wide) != name || wide.size() <= suffix.size())
            continue;
        std::u16string_view stem(wide.data(), wide.size() - suffix.size());
        if (!platform::equalsIgnoreAsciiCase(std::u16string_view(wide).substr(stem.size()), suffix))
            continue;
        files.push_back({wide, std::u16string(stem)});
    }
    // The file system's own order means nothing to the user; by name it reads like a list.
    std::sort(files.begin(), files.end(), [](const ChooserFile& a, const ChooserFile& b) {
        return platform::asciiLower(a.fileName) < platform::asciiLower(b.fileName);
    });
    if (files.size() > ThemeManager::maximumChoices)
        files.resize(ThemeManager::maximumChoices);
    return files;
}

} // namespace

std::vector<ChooserFile> ThemeManager::listThemes() {
    return listChoices(u".zip");
}

std::vector<ChooserFile> ThemeManager::listLanguages() {
    return listChoices(u".lang.ini");
}

ThemeManager& ThemeManager::instance() {
    static ThemeManager manager;
    return manager;
}

ThemeManager::ThemeManager() = default;
ThemeManager::~ThemeManager() = default;

bool ThemeManager::applyTheme(SettingStore& store, std::u16string_view archivePath) {
    // One bulk load, so the controls reload once, when the theme's lines are in, and
    // not from the bare defaults the reset leaves.
    store.suspendRehashing();
    bool applied = openTheme(store, archivePath);
    store.resumeRehashing();
    return applied;
}

bool ThemeManager::openTheme(SettingStore& store, std::u16string_view archivePath) {
    store.reset();
    store.loadDefaults();
    closeArchive();
    if (archivePath.empty())
        return false;
    archive_ = platform::ZipArchive::open(platform::resolveProgramPath(archivePath));
    if (!archive_) {
        reportBrokenTheme(archivePath);
        return false;
    }
    // The archive stays open even without settings: the user's own lines may still name
    // its images.
    std::string bytes;
    if (!archive_->read(themeSettingsEntry, bytes)) {
        reportBrokenTheme(archivePath);
        return false;
    }
    // The entry is read like a settings file: UTF-16 with a byte-order mark, UTF-8 when
    // valid, otherwise the system code page.
    decodeTextLines(bytes, [&store](std::u16string_view line) { store.addLine(line); });
    return true;
}

bool ThemeManager::loadLanguage(SettingStore& store, std::u16string_view fileName) {
    return !fileName.empty() && store.loadFile(fileName);
}

bool ThemeManager::loadUserSettings(SettingStore& store) {
    return store.loadFile(userSettingsFile);
}

void ThemeManager::loadAll(SettingStore& store, const SettingManager& manager) {
    store.suspendRehashing();
    applyTheme(store, manager.currentTheme());
    loadLanguage(store, manager.currentLanguage());
    loadUserSettings(store);
    store.resumeRehashing();
}

bool ThemeManager::chooseTheme(SettingStore& store, SettingManager& manager,
                               std::u16string_view fileName) {
    store.suspendRehashing();
    bool applied = applyTheme(store, fileName);
    loadLanguage(store, manager.currentLanguage());
    loadUserSettings(store);
    store.resumeRehashing();
    manager.setTheme(fileName);
    return applied;
}

bool ThemeManager::chooseLanguage(SettingStore& store, SettingManager& manager,
                                  std::u16string_view fileName) {
    store.suspendRehashing();
    applyTheme(store, manager.currentTheme());
    bool loaded = loadLanguage(store, fileName);
    loadUserSettings(store);
    store.resumeRehashing();
    manager.setLanguage(fileName);
    return loaded;
}

std::shared_ptr<Image> ThemeManager::loadImage(const std::u16string& name, bool mirror) const {
    std::unique_ptr<Image> image;
    if (archive_)
        image = Image::FromArchive(archive_.get(), name, true);
    if (!image)
        image = Image::FromFile(name, true);
    if (image && mirror)
        image = image->createReflection();
    return image;
}

} // namespace vantrel
