#pragma once
// A full page with OK and Cancel that takes the place of the current screen until it is
// answered (options, the note, adding or editing a contact). Subclasses apply their data
// in onOk before closing; closing shows the page it replaced again and deletes the
// dialog.

#include "ui/Action.h"
#include "ui/Panel.h"

#include <memory>

namespace vantrel {

class SimpleDialog : public Panel, public Answerable {
public:
    SimpleDialog(platform::WindowHandle window, std::u16string name);

    // Shows the dialog in place of the window's active page, sliding it in; the window
    // holds the dialog from here until it closes itself.
    static SimpleDialog* open(std::unique_ptr<SimpleDialog> dialog);

    void onOk() override { close(); }
    void onCancel() override { close(); }

    Panel* predecessor() const { return predecessor_; }

protected:
    // The two answer buttons, after the children added so far; their looks are those of
    // "button.<okName>" and "button.<cancelName>".
    void addAnswerButtons(std::u16string okName = u"ok", std::u16string cancelName = u"cancel");
    // Hides the dialog, shows the page it replaced, slides back and deletes the dialog
    // once the current input has been handled. A second call does nothing.
    void close();

private:
    Panel* predecessor_ = nullptr;
    bool open_ = false;
};

} // namespace vantrel
