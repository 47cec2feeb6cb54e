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
    if (wrapped_)
        wrapped_->execute();
    temporary->invalidateWindow();
    platform::WindowHandle window = temporary->window();
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
