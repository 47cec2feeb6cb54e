#pragma once
// A text field. While idle it draws itself like every other control: its "unfocused"
// background and its text. Tapped, it lays the platform's edit window ("CAPEDIT") over
// its text box and gives it the focus; the edit paints itself with the control's own
// "background" and font colour (answered through the window's edit colour message), so
// the switch cannot be seen. When the edit loses the focus, when a screen change
// begins, or when the settings reload (a rotation, a theme), the typed text is copied
// back before the edit hides, so nothing typed is ever lost.
//
// The edit stores the control in its user data slot: the window procedure finds the
// control from the edit's messages through handleEditMessage.

#include "platform/gfx/Surface.h"
#include "ui/LightControl.h"

namespace vantrel::platform {
struct EditColours;
}

namespace vantrel {

class TextInputControl : public LightControl {
public:
    // Creates the hidden edit; without it the program cannot go on: a message box says
    // so and the message loop ends.
    TextInputControl(platform::WindowHandle window, std::u16string name);
    ~TextInputControl() override;

    // The edit's text while it shows, else the text kept for drawing.
    std::u16string text() const;
    // Stores the text, puts it into the edit with the caret after it, and clears the
    // modified flag.
    void setText(std::u16string text);
    // Whether the user changed the text since it was last set.
    bool modified() const;
    // Shows or hides the edit over the text box; hiding copies its text out first.
    void showNative(bool show);
    bool nativeShown() const { return nativeShown_; }
    platform::WindowHandle nativeEdit() const { return nativeEdit_; }
    // Whether focusing the field may show the input panel (on by default).
    bool sipWanted() const { return sipWanted_; }
    void setSipWanted(bool wanted) { sipWanted_ = wanted; }

    // The colour answer for the edit: the font's colour and, as its brush, the
    // control's "background" as it lies under the text box (cached until the box moves).
    void answerColours(platform::EditColours& colours);
    // The edit gained or lost the focus.
    void onEditFocus(bool gained);

    // The control behind an edit window, or null.
    static TextInputControl* owning(platform::WindowHandle edit);
    // The window procedure's part for its child edits: the colour request and the focus
    // notifications. True when `id` was one of them; `result` is then the answer.
    static bool handleEditMessage(uint32_t id, uintptr_t wParam, intptr_t lParam,
                                  intptr_t& result);

    void layout(const platform::Rect& reference) override;
    // Puts the control at `at` (a row placing its field); an open edit follows its box.
    void placeAt(const platform::Rect& at);
    void beginScreenChange() override;
    int paint(PaintContext& context, platform::Rect clip) override;
    platform::Rect onStylusDown(int x, int y) override;
    void reloadSettings() override;
    void describe(DumpWriter& out) const override;

protected:
    TextInputControl(platform::WindowHandle window, std::u16string typeName, std::u16string name);

private:
    platform::Rect textBox();
    void applyFont();

    platform::WindowHandle nativeEdit_ = 0;
    bool nativeShown_ = false;
    bool sipWanted_ = true;
    std::u16string text_;
    platform::Surface brush_;
    platform::Rect brushBox_;
};

// The variant used in property rows ("propertytextcontrol").
class PropertyTextInputControl : public TextInputControl {
public:
    PropertyTextInputControl(platform::WindowHandle window, std::u16string name);
};

} // namespace vantrel
