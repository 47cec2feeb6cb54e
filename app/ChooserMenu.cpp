#include "app/ChooserMenu.h"

#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "settings/ThemeManager.h"
#include "ui/BorderPanel.h"
#include "ui/ControlHost.h"

#include <functional>
#include <vector>

namespace vantrel {

namespace {

using MakeChoice = std::function<std::unique_ptr<Action>(std::u16string fileName)>;

// One entry a file, captioned with its name without the suffix: the captions come from
// the folder, so the entries carry them instead of a setting.
void showChooser(ContainerPanel* owner, std::u16string menuName, std::u16string entryName,
                 const std::vector<ChooserFile>& files, const MakeChoice& makeChoice) {
    if (!owner || files.empty())
        return;
    std::vector<MenuEntry> entries;
    entries.reserve(files.size());
    for (const ChooserFile& file : files)
        entries.push_back({entryName, makeChoice(file.fileName), false, {}, file.caption});
    showMenu(owner, std::move(menuName), std::move(entries));
}

// The new look everywhere at once: the store's reload has laid every screen out again,
// and the screens are drawn anew without a transition.
void showNewLook(platform::WindowHandle window) {
    ControlHost::beginScreenChangeAll(window);
    ControlHost::renderAll(window);
    platform::invalidateRect(window);
}

} // namespace

void ThemeMenuAction::execute() {
    platform::WindowHandle window = owner_ ? owner_->window() : 0;
    showChooser(owner_, u"choosetheme", u"theme", ThemeManager::listThemes(),
                [window](std::u16string fileName) {
                    return std::make_unique<ChooseThemeAction>(window, std::move(fileName));
                });
}

void LanguageMenuAction::execute() {
    platform::WindowHandle window = owner_ ? owner_->window() : 0;
    showChooser(owner_, u"chooselanguage", u"language", ThemeManager::listLanguages(),
                [window](std::u16string fileName) {
                    return std::make_unique<ChooseLanguageAction>(window, std::move(fileName));
                });
}

void ChooseThemeAction::execute() {
    ThemeManager::instance().chooseTheme(SettingStore::instance(), SettingManager::instance(),
                                         fileName_);
    showNewLook(window_);
}

void ChooseLanguageAction::execute() {
    ThemeManager::instance().chooseLanguage(SettingStore::instance(), SettingManager::instance(),
                                            fileName_);
    showNewLook(window_);
}

} // namespace vantrel
