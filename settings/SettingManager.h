#pragma once
// The program's persisted options, kept in the registry under the current user's
// "Software\Vantrel\Contact": the nine option switches, full screen, the chosen theme,
// language and input method. A missing value, or one of the wrong type, reads as its
// default.

#include "platform/core/Window.h"

#include <cstdint>
#include <string>

namespace vantrel {

struct SettingOptions {
    uint32_t bringToFrontOnSms = 1;
    uint32_t useOldAppForSms = 0;
    uint32_t callLogInSms = 1;
    uint32_t contactPicture = 1;
    uint32_t messageCount = 1;
    uint32_t favoriteIcon = 0;
    uint32_t showAllContact = 0;
    uint32_t showContactSeparator = 1;
    uint32_t hideSipLandscape = 0;
    friend bool operator==(const SettingOptions&, const SettingOptions&) = default;
};

class SettingManager {
public:
    static constexpr std::u16string_view registryKey = u"Software\\Vantrel\\Contact";
    static constexpr std::u16string_view inboxSettingsKey = u"Software\\Microsoft\\Inbox\\Settings";

    // The one manager of the program, created on first use.
    static SettingManager& instance();

    SettingManager() = default;
    virtual ~SettingManager() = default;

    // Reads the nine options from the registry.
    void loadOptions();
    // Writes every option as a 32-bit value.
    void saveOptions() const;
    SettingOptions& options() { return options_; }
    const SettingOptions& options() const { return options_; }

    // File names relative to the program's folder; empty when none was chosen.
    std::u16string currentTheme() const;
    void setTheme(std::u16string_view fileName);
    std::u16string currentLanguage() const;
    void setLanguage(std::u16string_view fileName);

    // The remembered input method, or "nosip"; empty when none was remembered.
    std::u16string currentSip() const;
    void setCurrentSip(std::u16string_view sip);

    // Read from the registry on every call.
    bool fullScreen() const;
    // Stores the option and, when it changed, asks the main window to apply it by
    // posting "VantrelDoFullScreen".
    void setFullScreen(bool on);
    // The window that hears about full-screen changes; 0 posts nothing.
    void setMainWindow(platform::WindowHandle window) { mainWindow_ = window; }

    // The platform's messaging settings, read-only.
    bool smsDeliveryNotify() const;
    bool saveSent() const;

private:
    SettingOptions options_;
    platform::WindowHandle mainWindow_ = 0;
};

} // namespace vantrel
