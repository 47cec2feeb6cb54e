#include "contacts/AutocompleteAction.h"

#include "contacts/ChoiceDialog.h"
#include "contacts/ContactChoices.h"
#include "platform/shell/SoundPreview.h"

namespace vantrel {

void AutocompleteAction::execute() {
    std::optional<ChoiceDialog::Preview> preview;
    if (previews())
        preview = ChoiceDialog::Preview{[this](const std::u16string& c) { highlight(c); },
                                        [this] { closeChoices(); }};
    SimpleDialog::open(
        std::make_unique<ChoiceDialog>(window_, choices(), put_, std::move(preview)));
}

std::vector<std::u16string> CompanyAutocompleteAction::choices() const {
    return contacts_ ? distinctContactValues(*contacts_, ContactValue::company)
                     : std::vector<std::u16string>();
}

std::vector<std::u16string> CityAutocompleteAction::choices() const {
    return contacts_ ? distinctContactValues(*contacts_, ContactValue::city)
                     : std::vector<std::u16string>();
}

std::vector<std::u16string> CategoryAutocompleteAction::choices() const {
    return contacts_ ? distinctContactValues(*contacts_, ContactValue::category)
                     : std::vector<std::u16string>();
}

std::vector<std::u16string> CountryAutocompleteAction::choices() const {
    auto names = countryNames();
    return {names.begin(), names.end()};
}

RingtoneAutocompletion::~RingtoneAutocompletion() {
    closeChoices();
}

std::vector<std::u16string> RingtoneAutocompletion::choices() const {
    const auto folders = ringtoneFolders();
    return ringtoneChoices(folders);
}

void RingtoneAutocompletion::highlight(const std::u16string& choice) {
    const auto folders = ringtoneFolders();
    const std::filesystem::path file = ringtoneFile(choice, folders);
    auto& preview = platform::shell::SoundPreview::instance();
    previewing_ = true;
    if (file.empty())
        preview.stop();
    else
        preview.play(file);
}

void RingtoneAutocompletion::closeChoices() {
    if (std::exchange(previewing_, false))
        platform::shell::SoundPreview::instance().stop();
}

} // namespace vantrel
