#pragma once
// The dialer: a full page where the user checks or changes a number before calling it,
// with the number in a large field, the phone pad and Call and Cancel. A new one is
// made for every use and destroyed when it closes; only one exists at a time.
//
// The pad types into the number field as a keyboard would: the field holds the focus
// while the dialer shows, so the pad's characters and its Backspace go straight to it.
//
// When the phone refuses the call, the dialer says so in a message box and stays, with
// the number as it was, so the user can try again or change it.

#include "ui/Action.h"
#include "ui/Panel.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace vantrel {

class PhoneCallEditPanel;
class TextInputControl;

// Call: the number field's text goes to the telephony call, with no called party.
class EditCallAction : public Action {
public:
    EditCallAction(PhoneCallEditPanel* panel, TextInputControl* numberEdit)
        : panel_(panel), numberEdit_(numberEdit) {}
    void execute() override;

private:
    PhoneCallEditPanel* panel_;
    TextInputControl* numberEdit_;
};

// Both buttons: runs the wrapped command (none for Cancel), then closes the dialer,
// with the backward transition when asked. A call the phone refused keeps it open.
class PhoneCallEditPanelDeleteProxyAction : public Action {
public:
    PhoneCallEditPanelDeleteProxyAction(std::unique_ptr<Action> wrapped,
                                        PhoneCallEditPanel* panel, bool withTransition)
        : wrapped_(std::move(wrapped)), panel_(panel), withTransition_(withTransition) {}
    void execute() override;

private:
    std::unique_ptr<Action> wrapped_;
    PhoneCallEditPanel* panel_;
    bool withTransition_;
};

class PhoneCallEditPanel : public Panel {
public:
    // The message box shown when the phone refused the call, under the Call button's
    // caption.
    static constexpr std::u16string_view callFailedText = u"The call could not be placed.";

    // Opens the dialer over the window's client area with `number` in its field and
    // `title` in its header: `screen` (the main screen) is hidden, the dialer flips in
    // and its field takes the focus. An empty number opens nothing; while a dialer is
    // open it stays the one. Returns the dialer shown, or null.
    static PhoneCallEditPanel* open(platform::WindowHandle window, const std::u16string& number,
                                    const std::u16string& title, Panel* screen);
    // The open dialer, or null.
    static PhoneCallEditPanel* current();

    ~PhoneCallEditPanel() override;

    // Places the call; true when the phone took it. A refusal is shown in a box and the
    // dialer comes back with its number.
    bool placeCall(const std::u16string& number);
    // True once, after a refused call: the closing that follows is skipped.
    bool takeKeepOpen() { return std::exchange(keepOpen_, false); }
    // Hides the dialer, shows the screen it covered (the backward transition when
    // asked, else at once), and deletes the dialer once the current input is handled.
    void close(bool withTransition);

    TextInputControl* numberEdit() const { return numberEdit_; }
    // Gives the number field the keyboard focus.
    void focusNumber();

    // The field opens again with the focus whenever the dialer is shown.
    void endScreenChange() override;
    // The dialer takes every stylus event, handled by a child or not.
    platform::Rect onStylusDown(int x, int y) override;
    platform::Rect onStylusMove(int x, int y) override;
    platform::Rect onStylusUp(int x, int y) override;
    platform::Rect onStylusRelease(int x, int y) override;
    // A key that reached the main window goes on to the number field as typed input.
    platform::Rect onKey(int virtualKey, char16_t character) override;
    // The number and the phone's answer to the last call (0 before any).
    void describe(DumpWriter& out) const override;

private:
    PhoneCallEditPanel(platform::WindowHandle window, Panel* screen);

    Panel* screen_;
    TextInputControl* numberEdit_ = nullptr;
    int32_t lastResult_ = 0;
    bool keepOpen_ = false;
    bool open_ = false;
};

} // namespace vantrel
