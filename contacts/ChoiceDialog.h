#pragma once
// The page offering a row's choices: one list row per choice; a tap takes that choice
// and goes back to the screen below, Cancel goes back without one.

#include "ui/SimpleDialog.h"

#include <functional>
#include <string>
#include <vector>

namespace vantrel {

class SmartListControl;

class ChoiceDialog : public SimpleDialog {
public:
    using Picked = std::function<void(const std::u16string&)>;
    ChoiceDialog(platform::WindowHandle window, std::vector<std::u16string> choices,
                 Picked picked);

    // Hands the choice on and closes; a second pick before the page is gone does
    // nothing.
    void pick(const std::u16string& choice);
    SmartListControl* list() const { return list_; }

private:
    SmartListControl* list_;
    Picked picked_;
};

} // namespace vantrel
