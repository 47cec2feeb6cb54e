#include "settings/SettingManager.h"

#include "platform/registry/Registry.h"

namespace vantrel {

namespace registry = platform::registry;

namespace {

constexpr auto user = registry::Root::currentUser;

struct OptionValue {
    std::u16string_view name;
    uint32_t SettingOptions::*field;
};

constexpr OptionValue optionValues[] = {
    {u"bringtofrontonsms", &SettingOptions::bringToFrontOnSms},
    {u"useoldappforsms", &SettingOptions::useOldAppForSms},
    {u"callloginsms", &SettingOptions::callLogInSms},
    {u"contactpicture", &SettingOptions::contactPicture},
    {u"messagecount", &SettingOptions::messageCount},
    {u"favoriteicon", &SettingOptions::favoriteIcon},
    {u"showallcontact", &SettingOptions::showAllContact},
    {u"showcontactseparator", &SettingOptions::showContactSeparator},
    {u"hidesiplandscape", &SettingOptions::hideSipLandscape},
};

// Theme and language names are read up to 255 characters, as the options screen
// writes them.
constexpr size_t maximumNameLength = 255;

uint32_t readOption(std::u16string_view name, uint32_t fallback) {
    uint32_t value = 0;
    return registry::readDword(user, SettingManager::registryKey, name, value) ? value : fallback;
}

std::u16string readName(std::u16string_view name) {
    std::u16string value;
    if (!registry::readString(user, SettingManager::registryKey, name, value))
        return {};
    if (value.size() > maximumNameLength)
        value.resize(maximumNameLength);
    return value;
}

} // namespace

SettingManager& SettingManager::instance() {
    static SettingManager manager;
    return manager;
}

void SettingManager::loadOptions() {
    const SettingOptions defaults;
    for (const auto& option : optionValues)
        options_.*option.field = readOption(option.name, defaults.*option.field);
}

void SettingManager::saveOptions() const {
    for (const auto& option : optionValues)
        registry::writeDword(user, registryKey, option.name, options_.*option.field);
}

std::u16string SettingManager::currentTheme() const {
    return readName(u"Theme");
}

void SettingManager::setTheme(std::u16string_view fileName) {
    registry::writeString(user, registryKey, u"Theme", fileName);
}

std::u16string SettingManager::currentLanguage() const {
    return readName(u"Language");
}

void SettingManager::setLanguage(std::u16string_view fileName) {
    registry::writeString(user, registryKey, u"Language", fileName);
}

std::u16string SettingManager::currentSip() const {
    std::u16string value;
    registry::readString(user, registryKey, u"CurrentSIP", value);
    return value;
}

void SettingManager::setCurrentSip(std::u16string_view sip) {
    registry::writeString(user, registryKey, u"CurrentSIP", sip);
}

bool SettingManager::fullScreen() const {
    return readOption(u"fullscreen", 1) != 0;
}

void SettingManager::setFullScreen(bool on) {
    bool previous = fullScreen();
    registry::writeDword(user, registryKey, u"Fullscreen", on ? 1 : 0);
    if (previous == on || !mainWindow_)
        return;
    if (uint32_t message = platform::registerWindowMessage(u"VantrelDoFullScreen"))
        platform::postMessage(mainWindow_, message);
}

bool SettingManager::smsDeliveryNotify() const {
    if (!registry::keyExists(user, inboxSettingsKey))
        return true;
    uint32_t value = 0;
    return registry::readDword(user, inboxSettingsKey, u"SMSDeliveryNotify", value) && value == 1;
}

bool SettingManager::saveSent() const {
    if (!registry::keyExists(user, inboxSettingsKey))
        return true;
    uint32_t value = 0;
    return !(registry::readDword(user, inboxSettingsKey, u"SaveSent", value) && value == 0);
}

} // namespace vantrel
