#include "ui/Action.h"

#include "ui/ContainerPanel.h"
#include "ui/ControlHost.h"

#include <utility>

namespace vantrel {

DeleteProxyAction::DeleteProxyAction(std::unique_ptr<Action> wrapped, LightControl* temporary,
                                     ContainerPanel* container)
    : wrapped_(std::move(wrapped)), temporary_(temporary), container_(container) {}

void DeleteProxyAction::execute() {
    LightControl* temporary = std::exchange(temporary_, nullptr);
    if (!temporary)
        return;
    temporary->setVisible(false);
    platform::WindowHandle window = temporary->window();
    // The command may take a picture of the screen (a confirmation freezes it, a
    // transition starts from it): the screen it sees has the menu gone.
    temporary->invalidateWindow();
    platform::updateWindow(window);
    if (wrapped_)
        wrapped_->execute();
    // This proxy may belong to the control being deleted: nothing of it is touched after
    // the hand-over.
    ControlHost::deleteLater(window, container_->removeChild(temporary));
}

void AnswerAction::execute() {
    if (!dialog_)
        return;
    if (answer_ == Answer::ok)
        dialog_->onOk();
    else
        dialog_->onCancel();
}

} // namespace vantrel
