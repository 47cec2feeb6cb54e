#include "ui/SimpleDialog.h"

#include "lists/Transitions.h"
#include "ui/Button.h"
#include "ui/ControlHost.h"

namespace vantrel {

SimpleDialog::SimpleDialog(platform::WindowHandle window, std::u16string name)
    : Panel(window, std::move(name)) {}

SimpleDialog* SimpleDialog::open(std::unique_ptr<SimpleDialog> owned) {
    SimpleDialog* dialog = owned.release();
    const platform::WindowHandle window = dialog->window();
    dialog->predecessor_ = ControlHost::findActivePanel(window);
    dialog->open_ = true;
    ControlHost::addControl(window, dialog);
    dialog->setVisible(true);
    dialog->layout(platform::clientRect(window));
    if (dialog->predecessor_)
        dialog->predecessor_->setVisible(false);
    slideFadeTransition(window);
    return dialog;
}

void SimpleDialog::addAnswerButtons(std::u16string okName, std::u16string cancelName) {
    addChild(std::make_unique<Button>(window(), std::move(okName)))
        ->setAction(std::make_unique<SDOkAction>(this));
    addChild(std::make_unique<Button>(window(), std::move(cancelName)))
        ->setAction(std::make_unique<SDCancelAction>(this));
}

void SimpleDialog::close() {
    if (!std::exchange(open_, false))
        return;
    const platform::WindowHandle window = this->window();
    ControlHost::beginScreenChangeAll(window);
    setVisible(false);
    ControlHost::removeControl(window, this);
    if (predecessor_)
        predecessor_->setVisible(true);
    reverseSlideFadeTransition(window);
    ControlHost::deleteLater(window, std::unique_ptr<LightControl>(this));
}

} // namespace vantrel
