#pragma once
// The page offering a row's choices: one list row per choice; a tap takes that choice
// and goes back to the screen below, Cancel goes back without one. A page that previews
// its choices (ringtones) takes none on a tap: the tap highlights it and hands it to the
// preview, and OK takes the highlighted one.

#include "ui/SimpleDialog.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class SmartListControl;

class ChoiceDialog : public SimpleDialog {
public:
    using Picked = std::function<void(const std::u16string&)>;
    struct Preview {
        std::function<void(const std::u16string&)> highlight;
        // Runs once when the page closes, whichever way.
        std::function<void()> done;
    };
    ChoiceDialog(platform::WindowHandle window, std::vector<std::u16string> choices, Picked picked,
                 std::optional<Preview> preview = std::nullopt);

    // What a tap on a row does: picks it, or on a previewing page highlights it.
    void tap(int shownIndex);
    // Hands the highlighted choice (tapped, or reached with the cursor keys) to the
    // preview, if the page has one.
    void previewHighlighted();
    // Hands the choice on and closes; a second pick before the page is gone does
    // nothing.
    void pick(const std::u16string& choice);
    // Takes the highlighted choice, if any, and closes.
    void onOk() override;
    void onCancel() override;
    SmartListControl* list() const { return list_; }
    // The highlighted choice's text, empty for none.
    std::u16string highlighted() const;
    void describe(DumpWriter& out) const override;

private:
    void finish();

    SmartListControl* list_;
    Picked picked_;
    std::optional<Preview> preview_;
};

} // namespace vantrel
