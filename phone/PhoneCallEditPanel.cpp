#include "phone/PhoneCallEditPanel.h"

#include "lists/Transitions.h"
#include "phone/PhoneCall.h"
#include "phone/PhonePad.h"
#include "ui/Button.h"
#include "ui/ControlDump.h"
#include "ui/ControlHost.h"
#include "ui/HeaderLabel.h"
#include "ui/Label.h"
#include "ui/TextInputControl.h"

namespace vantrel {

using platform::Rect;

namespace {

PhoneCallEditPanel* openDialer = nullptr;

// The flip's directions: in when the dialer opens, back when Cancel closes it.
constexpr int forwardFlip = 0;
constexpr int backwardFlip = 1;

// A stylus answer that is never empty, so no control behind the dialer sees the event.
Rect taken(const Rect& answer) {
    return answer.isEmpty() ? Rect{0, 0, 1, 1} : answer;
}

} // namespace

void EditCallAction::execute() {
    panel_->placeCall(numberEdit_->text());
}

void PhoneCallEditPanelDeleteProxyAction::execute() {
    if (wrapped_)
        wrapped_->execute();
    if (panel_->takeKeepOpen())
        return;
    panel_->close(withTransition_);
}

PhoneCallEditPanel::PhoneCallEditPanel(platform::WindowHandle window, Panel* screen)
    : Panel(window, u"phonecalledit"), screen_(screen) {
    addChild(std::make_unique<PhonePad>(window, u"phonecalleditpanel.phonepad"));
    numberEdit_ =
        addChild(std::make_unique<TextInputControl>(window, u"phonecalleditpanel.numberedit"));
    // A number is typed on the pad: the input panel would only cover it.
    numberEdit_->setSipWanted(false);
    addChild(std::make_unique<Button>(window, u"phonecalleditpanel.call"))
        ->setAction(std::make_unique<PhoneCallEditPanelDeleteProxyAction>(
            std::make_unique<EditCallAction>(this, numberEdit_), this, false));
    addChild(std::make_unique<Button>(window, u"phonecalleditpanel.cancel"))
        ->setAction(std::make_unique<PhoneCallEditPanelDeleteProxyAction>(nullptr, this, true));
    addChild(std::make_unique<Label>(window, u"phonecalleditpanel.button.bg"));
}

PhoneCallEditPanel::~PhoneCallEditPanel() {
    if (openDialer == this)
        openDialer = nullptr;
}

PhoneCallEditPanel* PhoneCallEditPanel::current() { return openDialer; }

PhoneCallEditPanel* PhoneCallEditPanel::open(platform::WindowHandle window,
                                             const std::u16string& number,
                                             const std::u16string& title, Panel* screen) {
    if (openDialer)
        return openDialer;
    if (number.empty())
        return nullptr;
    auto* dialer = new PhoneCallEditPanel(window, screen);
    openDialer = dialer;
    dialer->open_ = true;
    dialer->layout(platform::clientRect(window));
    dialer->numberEdit_->setText(number);
    if (!title.empty())
        dialer->header()->setText(title);
    if (screen)
        screen->setVisible(false);
    // First in the host's list: the dialer sees every input before the screens behind.
    ControlHost::addControlFront(window, dialer);
    flipTransition(window, forwardFlip);
    dialer->focusNumber();
    return dialer;
}

void PhoneCallEditPanel::close(bool withTransition) {
    if (!std::exchange(open_, false))
        return;
    const platform::WindowHandle window = this->window();
    ControlHost::beginScreenChangeAll(window);
    setVisible(false);
    if (screen_)
        screen_->setVisible(true);
    ControlHost::removeControl(window, this);
    openDialer = nullptr;
    if (withTransition) {
        flipTransition(window, backwardFlip);
    } else {
        ControlHost::renderAll(window);
        platform::invalidateRect(window);
    }
    // The closing button belongs to this panel and is still running its action.
    ControlHost::deleteLater(window, std::unique_ptr<LightControl>(this));
}

bool PhoneCallEditPanel::placeCall(const std::u16string& number) {
    lastResult_ = telephonyCall(window(), number, std::u16string());
    if (lastResult_ >= 0)
        return true;
    // The fade-out left the window tinted: the dialer comes back as it was, then says
    // what happened, so the user can try again.
    keepOpen_ = true;
    ControlHost::renderAll(window());
    platform::invalidateRect(window());
    auto* call = dynamic_cast<Button*>(findChild(u"phonecalleditpanel.call"));
    platform::messageBox(window(), callFailedText, call ? call->text() : u"");
    focusNumber();
    return false;
}

void PhoneCallEditPanel::focusNumber() {
    if (!open_ || !isVisible())
        return;
    numberEdit_->showNative(true);
    platform::setFocus(numberEdit_->nativeEdit());
}

void PhoneCallEditPanel::endScreenChange() {
    Panel::endScreenChange();
    focusNumber();
}

Rect PhoneCallEditPanel::onStylusDown(int x, int y) { return taken(Panel::onStylusDown(x, y)); }
Rect PhoneCallEditPanel::onStylusMove(int x, int y) { return taken(Panel::onStylusMove(x, y)); }
Rect PhoneCallEditPanel::onStylusUp(int x, int y) { return taken(Panel::onStylusUp(x, y)); }
Rect PhoneCallEditPanel::onStylusRelease(int x, int y) {
    return taken(Panel::onStylusRelease(x, y));
}

Rect PhoneCallEditPanel::onKey(int virtualKey, char16_t character) {
    focusNumber();
    const platform::WindowHandle edit = numberEdit_->nativeEdit();
    if (!edit || !numberEdit_->nativeShown())
        return {};
    if (character)
        platform::postMessage(edit, platform::msg::character, character);
    else if (virtualKey > 0)
        platform::postMessage(edit, platform::msg::keyDown, uintptr_t(virtualKey));
    else
        return {};
    return numberEdit_->rect();
}

void PhoneCallEditPanel::describe(DumpWriter& out) const {
    Panel::describe(out);
    out.add("number", std::u16string_view(numberEdit_->text()));
    out.add("callResult", int(lastResult_));
}

} // namespace vantrel
