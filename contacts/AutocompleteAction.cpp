#include "contacts/AutocompleteAction.h"

#include "contacts/ChoiceDialog.h"
#include "contacts/ContactChoices.h"

namespace vantrel {

void AutocompleteAction::execute() {
    SimpleDialog::open(std::make_unique<ChoiceDialog>(window_, choices(), put_));
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

std::vector<std::u16string> RingtoneAutocompletion::choices() const {
    const auto folders = ringtoneFolders();
    return ringtoneChoices(folders);
}

} // namespace vantrel
