#include "app/OptionsPanel.h"

#include "app/ChooserMenu.h"
#include "app/Startup.h"
#include "lists/ControlItem.h"
#include "lists/SmartListControl.h"
#include "settings/SettingStore.h"
#include "ui/Button.h"
#include "ui/CheckButton.h"
#include "ui/ControlHost.h"
#include "ui/Label.h"

namespace vantrel {

namespace {

// The boxes bound to a field of the options, in the order the page shows them.
struct OptionRow {
    const char16_t* name;
    uint32_t SettingOptions::*option;
};

constexpr OptionRow smsRows[] = {
    {u"option.sms.bringtofront", &SettingOptions::bringToFrontOnSms},
    {u"option.sms.usedefaultapp", &SettingOptions::useOldAppForSms},
    {u"option.sms.includecalllog", &SettingOptions::callLogInSms},
};

constexpr OptionRow contactListRows[] = {
    {u"option.contactlist.separator", &SettingOptions::showContactSeparator},
    {u"option.contactlist.showallcontacts", &SettingOptions::showAllContact},
    {u"option.contactlist.showpicture", &SettingOptions::contactPicture},
    {u"option.contactlist.showcounter", &SettingOptions::messageCount},
    {u"option.contactlist.showfavoritepicture", &SettingOptions::favoriteIcon},
};

// A "label" that is only its background: the page behind the rows and the bar behind
// the answers have looks of their own but no text.
class BackgroundLabel : public LightControl {
public:
    BackgroundLabel(platform::WindowHandle window, std::u16string name)
        : LightControl(window, u"label", std::move(name)) {}
    int paint(PaintContext& context, platform::Rect clip) override {
        drawBackground(context, getBackground(u"background", 0), rect(), clip);
        return 1;
    }
};

} // namespace

OptionsPanel::OptionsPanel(platform::WindowHandle window)
    : SimpleDialog(window, u"options"),
      list_(addChild(std::make_unique<SmartListControl>(window, u"optionspanel.list"))) {
    addRow(std::make_unique<Label>(window, u"option.about"));
    addRow(std::make_unique<Label>(window, u"option.www"));

    addRow(std::make_unique<SeparatorLabel>(window, u"option.general"));
    auto theme = std::make_unique<Button>(window, u"option.select.theme");
    theme->setAction(std::make_unique<ThemeMenuAction>(this));
    addRow(std::move(theme));
    auto language = std::make_unique<Button>(window, u"option.select.language");
    language->setAction(std::make_unique<LanguageMenuAction>(this));
    addRow(std::move(language));
    fullScreen_ = addCheckRow(u"option.fullscreen");
    bindings_.push_back(
        {addCheckRow(u"option.nosipinlandscape"), &SettingOptions::hideSipLandscape});

    addRow(std::make_unique<SeparatorLabel>(window, u"option.sms"));
    for (const OptionRow& row : smsRows)
        bindings_.push_back({addCheckRow(row.name), row.option});

    addRow(std::make_unique<SeparatorLabel>(window, u"option.contactlist"));
    for (const OptionRow& row : contactListRows)
        bindings_.push_back({addCheckRow(row.name), row.option});

    addRow(std::make_unique<SeparatorLabel>(window, u"option.advanced"));
    auto dump = std::make_unique<Button>(window, u"optionpanel.dump");
    dump->setAction(std::make_unique<DumpSettingsAction>(window));
    addRow(std::move(dump));

    addAnswerButtons(u"optionspanel.ok", u"optionspanel.cancel");
    // The bar behind the answers and the page behind the rows, drawn first.
    addChild(std::make_unique<BackgroundLabel>(window, u"buttons.bg"));
    addChild(std::make_unique<BackgroundLabel>(window, u"optionspanel.bg"));
    loadOptions();
}

void OptionsPanel::addRow(std::unique_ptr<LightControl> control) {
    list_->appendItem(makeItem<ControlItem>(std::move(control)));
}

CheckButton* OptionsPanel::addCheckRow(const char16_t* name) {
    auto box = std::make_unique<CheckButton>(window(), name);
    CheckButton* added = box.get();
    addRow(std::move(box));
    return added;
}

void OptionsPanel::loadOptions() {
    const SettingManager& manager = SettingManager::instance();
    fullScreen_->setChecked(manager.fullScreen());
    for (const Binding& binding : bindings_)
        binding.box->setChecked(manager.options().*binding.option != 0);
}

void OptionsPanel::onOk() {
    SettingManager& manager = SettingManager::instance();
    manager.setFullScreen(fullScreen_->isChecked());
    for (const Binding& binding : bindings_)
        manager.options().*binding.option = binding.box->isChecked() ? 1 : 0;
    manager.saveOptions();
    SimpleDialog::onOk();
}

void OptionsMenuAction::execute() {
    if (dynamic_cast<OptionsPanel*>(ControlHost::findActivePanel(window_)))
        return;
    SimpleDialog::open(std::make_unique<OptionsPanel>(window_));
}

void DumpSettingsAction::execute() {
    // A dump that could not be written must not be announced as written.
    if (SettingStore::instance().dump())
        platform::messageBox(window_, u"Settings dumped to dump.txt", u"dump");
    else
        platform::messageBox(window_, u"Settings could not be written to dump.txt", u"dump");
}

void goToOptions() {
    OptionsMenuAction(mainWindow()).execute();
}

} // namespace vantrel
