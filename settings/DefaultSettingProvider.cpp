#include "settings/DefaultSettingProvider.h"

#include "settings/DefaultSettings.h"

namespace vantrel {

void DefaultSettingProvider::loadDefaults(SettingStore& store) {
    manager_.loadOptions();
    for (std::u16string_view line : screenSettingLines())
        store.addLine(line);
    for (std::u16string_view line : textSettingLines())
        store.addLine(line);
}

bool DefaultSettingProvider::sipAllowed() const {
    return !store_.isLandscape() || manager_.options().hideSipLandscape == 0;
}

} // namespace vantrel
