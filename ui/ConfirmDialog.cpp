#include "ui/ConfirmDialog.h"

#include "lists/Transitions.h"
#include "platform/gfx/Painter.h"
#include "settings/SettingStore.h"
#include "ui/Button.h"
#include "ui/ControlHost.h"
#include "ui/Label.h"

namespace vantrel {

using platform::Rect;

namespace {

enum TextSlot { messageText, confirmText, refuseText };

} // namespace

ConfirmDialog::ConfirmDialog(platform::WindowHandle window, std::unique_ptr<Action> confirmed)
    : ContainerPanel(window, u"confirmdialog", u"confirm"), confirmed_(std::move(confirmed)) {
    content_ = addChild(std::make_unique<Label>(window, u"confirmdialog.content"));
    ok_ = addChild(std::make_unique<Button>(window, u"confirmdialog.ok"));
    ok_->setAction(std::make_unique<OkAction>(this));
    cancel_ = addChild(std::make_unique<Button>(window, u"confirmdialog.cancel"));
    cancel_->setAction(std::make_unique<CancelAction>(this));
    if (ControlHost* host = ControlHost::find(window))
        frozen_ = host->backBuffer();
}

void ConfirmDialog::setTexts(std::u16string message, std::u16string confirm,
                             std::u16string refuse) {
    texts_[messageText] = std::move(message);
    texts_[confirmText] = std::move(confirm);
    texts_[refuseText] = std::move(refuse);
    content_->setText(texts_[messageText]);
    ok_->setText(texts_[confirmText]);
    cancel_->setText(texts_[refuseText]);
}

void ConfirmDialog::layout(const Rect& reference) {
    // The message and the answers are placed inside the dialog's box, not the window.
    LightControl::layout(reference);
    for (size_t i = 0; i < childCount(); ++i)
        child(i)->layout(rect());
    content_->setText(texts_[messageText]);
    ok_->setText(texts_[confirmText]);
    cancel_->setText(texts_[refuseText]);
}

int ConfirmDialog::paint(PaintContext& context, Rect clip) {
    if (!frozen_.isEmpty()) {
        Rect area = clip.intersected(frozen_.bounds());
        if (!area.isEmpty())
            platform::Painter(context.surface).copy(frozen_, area, {area.left, area.top});
    }
    drawBackground(context, getBackground(u"background", 0), rect(), clip);
    return ContainerPanel::paint(context, clip);
}

Rect ConfirmDialog::onStylusDown(int x, int y) {
    Rect handled = ContainerPanel::onStylusDown(x, y);
    return handled.isEmpty() ? Rect{x, y, x + 1, y + 1} : handled;
}

Rect ConfirmDialog::onStylusUp(int x, int y) {
    Rect handled = ContainerPanel::onStylusUp(x, y);
    return handled.isEmpty() ? Rect{x, y, x + 1, y + 1} : handled;
}

void ConfirmDialog::onOk() {
    std::unique_ptr<Action> confirmed = std::move(confirmed_);
    if (closed_)
        return;
    close();
    // The dialog may already be gone here; only the command, held above, is used.
    if (confirmed)
        confirmed->execute();
}

void ConfirmDialog::onCancel() {
    if (!closed_)
        close();
}

void ConfirmDialog::close() {
    closed_ = true;
    const platform::WindowHandle window = this->window();
    setVisible(false);
    ControlHost::removeControl(window, this);
    reverseSlideFadeTransition(window);
    ControlHost::deleteLater(window, std::unique_ptr<LightControl>(this));
}

ConfirmDialog* showConfirm(platform::WindowHandle window, std::u16string message,
                           std::u16string confirmText, std::u16string refuseText,
                           std::unique_ptr<Action> confirmed) {
    auto* dialog = new ConfirmDialog(window, std::move(confirmed));
    // In front of every screen: the dialog paints the frozen screen over the window and
    // must see taps before anything it covers.
    ControlHost::addControlFront(window, dialog);
    dialog->layout(platform::clientRect(window));
    dialog->setTexts(std::move(message), std::move(confirmText), std::move(refuseText));
    slideFadeTransition(window);
    return dialog;
}

ConfirmAction::ConfirmAction(platform::WindowHandle window, std::u16string name,
                             std::function<std::unique_ptr<Action>()> makeConfirmed)
    : window_(window), name_(std::move(name)), makeConfirmed_(std::move(makeConfirmed)) {}

void ConfirmAction::execute() {
    const SettingStore& store = SettingStore::instance();
    showConfirm(window_, store.text(u"confirm", name_, u"message.text"),
                store.text(u"confirm", name_, u"leftbutton.text"),
                store.text(u"confirm", name_, u"rightbutton.text"),
                makeConfirmed_ ? makeConfirmed_() : nullptr);
}

} // namespace vantrel
