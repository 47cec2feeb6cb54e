#pragma once
// The confirmation: a message and two answers in a box at the bottom of the window,
// over a frozen copy of the screen as it was when the question was asked. It covers the
// whole window, so while it is open every tap is its own.

#include "platform/gfx/Surface.h"
#include "ui/Action.h"
#include "ui/ContainerPanel.h"

#include <functional>
#include <memory>

namespace vantrel {

class Button;
class Label;

class ConfirmDialog : public ContainerPanel, public Answerable {
public:
    // Copies what the window shows now; `confirmed` runs only on the first answer.
    ConfirmDialog(platform::WindowHandle window, std::unique_ptr<Action> confirmed);

    // The message and the texts of the confirming and the refusing button; they are kept
    // across a later layout (a theme change while the question is open).
    void setTexts(std::u16string message, std::u16string confirmText, std::u16string refuseText);
    void layout(const platform::Rect& reference) override;
    // The frozen screen over the whole window, "background" over the box, the children.
    int paint(PaintContext& context, platform::Rect clip) override;
    platform::Rect onStylusDown(int x, int y) override;
    platform::Rect onStylusUp(int x, int y) override;

    // Closes the dialog, then runs the confirmed command.
    void onOk() override;
    // Closes the dialog and runs nothing.
    void onCancel() override;

private:
    void close();

    std::unique_ptr<Action> confirmed_;
    platform::Surface frozen_;
    Label* content_;
    Button* ok_;
    Button* cancel_;
    std::u16string texts_[3];
    bool closed_ = false;
};

// Asks the question and leaves it open on the window; the dialog deletes itself once
// answered.
ConfirmDialog* showConfirm(platform::WindowHandle window, std::u16string message,
                           std::u16string confirmText, std::u16string refuseText,
                           std::unique_ptr<Action> confirmed);

// Asks for the confirmation named `name` (its texts are "confirm.<name>.message.text",
// ".leftbutton.text" and ".rightbutton.text") before running the wrapped command.
class ConfirmAction : public Action {
public:
    // The wrapped command is handed to each dialog this opens; `makeConfirmed` builds it.
    ConfirmAction(platform::WindowHandle window, std::u16string name,
                  std::function<std::unique_ptr<Action>()> makeConfirmed);
    void execute() override;

private:
    platform::WindowHandle window_;
    std::u16string name_;
    std::function<std::unique_ptr<Action>()> makeConfirmed_;
};

} // namespace vantrel
