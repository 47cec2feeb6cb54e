#pragma once
// The options screen: a full page over the current screen with the persisted options as
// check boxes in a scrolling list, the theme and language choosers, and the settings
// dump. The boxes change only the page until OK saves them; Cancel leaves everything as
// it was. A theme or language chosen here takes effect at once, whatever the answer.

#include "settings/SettingManager.h"
#include "ui/Action.h"
#include "ui/SimpleDialog.h"

#include <vector>

namespace vantrel {

class CheckButton;
class SmartListControl;

class OptionsPanel : public SimpleDialog {
public:
    // Builds the rows and ticks the boxes from the current options.
    explicit OptionsPanel(platform::WindowHandle window);

    // Saves every box (full screen first, which tells the window when it changed), then
    // closes.
    void onOk() override;

    SmartListControl* list() const { return list_; }

private:
    struct Binding {
        CheckButton* box;
        uint32_t SettingOptions::*option;
    };

    void addRow(std::unique_ptr<LightControl> control);
    CheckButton* addCheckRow(const char16_t* name);
    void loadOptions();

    SmartListControl* list_;
    CheckButton* fullScreen_ = nullptr;
    std::vector<Binding> bindings_;
};

// Opens the options page on the window unless it is already the page shown.
class OptionsMenuAction : public Action {
public:
    explicit OptionsMenuAction(platform::WindowHandle window) : window_(window) {}
    void execute() override;

private:
    platform::WindowHandle window_;
};

// Writes "dump.txt" and says so, or says that it could not, in a box of the window.
class DumpSettingsAction : public Action {
public:
    explicit DumpSettingsAction(platform::WindowHandle window) : window_(window) {}
    void execute() override;

private:
    platform::WindowHandle window_;
};

// The options page over the main window's current screen: what the main bar's "Options"
// and the filter menu's "Go to Options..." lead to.
void goToOptions();

} // namespace vantrel
