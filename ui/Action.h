#pragma once
// Commands. Buttons, menu entries, list taps, long presses and timers hold a command
// object and run it; the object carries the few pointers it needs and does its work in
// one call. The control or list an action is attached to owns it; an action never
// deletes the control that holds it, except DeleteProxyAction, whose purpose that is.

#include <memory>

namespace vantrel {

class ContainerPanel;
class IListItem;
class LightControl;

// A command run without arguments.
class Action {
public:
    virtual ~Action() = default;
    virtual void execute() = 0;
};

// A command run with the list item that was tapped and the tap point relative to the
// list (x = y = -1 when the action key activated the item). An item of a class the
// command does not expect is ignored.
class ItemAction {
public:
    virtual ~ItemAction() = default;
    virtual void execute(IListItem* item, int x, int y) = 0;
};

// Closes a temporary control (a menu) and then runs the command it offered: the control
// is hidden, the wrapped command runs, the window is repainted, and the control is
// taken out of its container and deleted. The proxy is usually owned by a button inside
// that very control, so the deletion waits until the current input has been handled
// (ControlHost::deleteLater); a second run does nothing.
class DeleteProxyAction : public Action {
public:
    // `wrapped` may be null: the entry only closes the temporary control.
    DeleteProxyAction(std::unique_ptr<Action> wrapped, LightControl* temporary,
                      ContainerPanel* container);
    void execute() override;

private:
    std::unique_ptr<Action> wrapped_;
    LightControl* temporary_;
    ContainerPanel* container_;
};

// A dialog that can be answered: the simple dialogs (OK and Cancel apply or drop their
// data and close) and the confirmation (OK runs the confirmed command).
class Answerable {
public:
    virtual void onOk() = 0;
    virtual void onCancel() = 0;

protected:
    ~Answerable() = default;
};

// Gives a dialog one of its two answers; the dialog is borrowed.
class AnswerAction : public Action {
public:
    enum class Answer { ok, cancel };
    AnswerAction(Answerable* dialog, Answer answer) : dialog_(dialog), answer_(answer) {}
    void execute() override;

private:
    Answerable* dialog_;
    Answer answer_;
};

// The OK and Cancel buttons of a simple dialog.
class SDOkAction : public AnswerAction {
public:
    explicit SDOkAction(Answerable* dialog) : AnswerAction(dialog, Answer::ok) {}
};
class SDCancelAction : public AnswerAction {
public:
    explicit SDCancelAction(Answerable* dialog) : AnswerAction(dialog, Answer::cancel) {}
};

// The two buttons of a confirmation.
class OkAction : public AnswerAction {
public:
    explicit OkAction(Answerable* dialog) : AnswerAction(dialog, Answer::ok) {}
};
class CancelAction : public AnswerAction {
public:
    explicit CancelAction(Answerable* dialog) : AnswerAction(dialog, Answer::cancel) {}
};

} // namespace vantrel
