#pragma once
// The built-in look and texts beyond the store's base list. Loading first reads the
// persisted options, so the options screen and the lists show the user's choices as
// soon as the defaults are in.

#include "settings/SettingManager.h"
#include "settings/SettingStore.h"

namespace vantrel {

class DefaultSettingProvider : public IDefaultSettingProvider {
public:
    DefaultSettingProvider(SettingManager& manager, const SettingStore& store)
        : manager_(manager), store_(store) {}

    void loadDefaults(SettingStore& store) override;
    // The soft input panel may always show in portrait; in landscape only when the
    // user did not switch it off there.
    bool sipAllowed() const override;

private:
    SettingManager& manager_;
    const SettingStore& store_;
};

} // namespace vantrel
