#pragma once
// The note screen: a page with the contact's note in one multi-line field, OK and
// Cancel. OK writes the note back only when the user changed it; Cancel forgets what was
// typed. It takes the place of the screen it was opened from and goes back to it.

#include "platform/core/Window.h"
#include "ui/SimpleDialog.h"

#include <string>

namespace vantrel {

class ContactStoreAccess;
class TextInputControl;

class NotePanel : public SimpleDialog {
public:
    // `store` must outlive the panel (it is the process's contact store).
    NotePanel(platform::WindowHandle window, ContactStoreAccess& store, uint32_t objectId,
              std::u16string note);

    // The field ends above the answer buttons, whatever its box, so they stay reachable
    // while the edit lies over the field.
    void layout(const platform::Rect& reference) override;
    void onOk() override;

    TextInputControl* field() const { return field_; }

private:
    ContactStoreAccess& store_;
    uint32_t objectId_;
    std::u16string original_;
    TextInputControl* field_;
};

// Opens the note screen for the contact with that object id, filled with its stored
// note. False, and nothing opens, when the contact cannot be read (another program
// deleted it meanwhile).
bool goToContactNote(platform::WindowHandle window, ContactStoreAccess& store, uint32_t objectId);

} // namespace vantrel
