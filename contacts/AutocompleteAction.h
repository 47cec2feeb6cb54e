#pragma once
// The command behind a property row's button: it offers the row's choices on a page of
// their own and puts the one picked into the row. Each source says where its choices
// come from.

#include "platform/core/Window.h"
#include "ui/Action.h"

#include <functional>
#include <string>
#include <vector>

namespace vantrel {

class SmartListControl;

class AutocompleteAction : public Action {
public:
    using Put = std::function<void(const std::u16string&)>;
    AutocompleteAction(platform::WindowHandle window, Put put)
        : window_(window), put_(std::move(put)) {}

    // Opens the choices; the row keeps its text when none is picked.
    void execute() override;
    virtual std::vector<std::u16string> choices() const = 0;
    // Whether a tap on a choice only highlights it, for this source to preview; the
    // page's OK then takes it.
    virtual bool previews() const { return false; }
    // A choice highlighted on a previewing page.
    virtual void highlight(const std::u16string&) {}
    // The previewing page closed.
    virtual void closeChoices() {}

private:
    platform::WindowHandle window_;
    Put put_;
};

// The distinct values of the contacts of a list (the main list); no list, no choices.
class ContactValueAutocompleteAction : public AutocompleteAction {
protected:
    ContactValueAutocompleteAction(platform::WindowHandle window, Put put,
                                   const SmartListControl* contacts)
        : AutocompleteAction(window, std::move(put)), contacts_(contacts) {}
    const SmartListControl* contacts_;
};

class CompanyAutocompleteAction : public ContactValueAutocompleteAction {
public:
    CompanyAutocompleteAction(platform::WindowHandle window, Put put,
                              const SmartListControl* contacts)
        : ContactValueAutocompleteAction(window, std::move(put), contacts) {}
    std::vector<std::u16string> choices() const override;
};

class CityAutocompleteAction : public ContactValueAutocompleteAction {
public:
    CityAutocompleteAction(platform::WindowHandle window, Put put,
                           const SmartListControl* contacts)
        : ContactValueAutocompleteAction(window, std::move(put), contacts) {}
    std::vector<std::u16string> choices() const override;
};

class CategoryAutocompleteAction : public ContactValueAutocompleteAction {
public:
    CategoryAutocompleteAction(platform::WindowHandle window, Put put,
                               const SmartListControl* contacts)
        : ContactValueAutocompleteAction(window, std::move(put), contacts) {}
    std::vector<std::u16string> choices() const override;
};

class CountryAutocompleteAction : public AutocompleteAction {
public:
    using AutocompleteAction::AutocompleteAction;
    std::vector<std::u16string> choices() const override;
};

// "Default" and the sound files found now (the folders are listed at each opening, so
// a file copied in meanwhile is offered). A highlighted ringtone plays, in place of the
// one playing; closing the choices, or this row going, stops it. Without an audio
// device the choices work the same, silently.
class RingtoneAutocompletion : public AutocompleteAction {
public:
    using AutocompleteAction::AutocompleteAction;
    ~RingtoneAutocompletion() override;
    std::vector<std::u16string> choices() const override;
    bool previews() const override { return true; }
    // "Default" has no file of its own here: it stops the preview.
    void highlight(const std::u16string& choice) override;
    void closeChoices() override;

private:
    bool previewing_ = false;
};

} // namespace vantrel
