#include "app/Sip.h"

#include "app/FullScreen.h"
#include "app/Messages.h"
#include "app/Startup.h"
#include "platform/shell/Shell.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"

namespace vantrel {

using namespace platform;

namespace {

// What the program knows of the panel it showed.
struct SipState {
    bool shown = false;
    std::u16string inputMethod; // captured at the last show
    Rect savedRect;             // the panel's place before it was moved to the bottom
} sip;

constexpr std::u16string_view noSip = u"nosip";

// Resizes the window in place (no move, no activation) when its size differs.
void resizeWindow(WindowHandle window, int width, int height) {
    Rect rect = windowRect(window);
    if (rect.width() != width || rect.height() != height)
        moveWindow(window, Rect::fromSize(rect.left, rect.top, width, height), true);
}

} // namespace

void showSip(WindowHandle window) {
    const IDefaultSettingProvider* provider = SettingStore::instance().defaultProvider();
    if (provider && !provider->sipAllowed())
        return;
    if (SettingManager::instance().currentSip() == noSip)
        return;
    std::u16string method = shell::currentInputMethod();
    if (!(sip.shown && method == sip.inputMethod)) {
        shell::setInputPanelVisible(true);
        sip.shown = true;
        if (isFullScreen())
            setFullScreen(true);
        sip.inputMethod = method;
    }
    postMessage(window, registeredMessages().repositionKeyboard);
}

void repositionSip(WindowHandle window) {
    shell::setSipButtonVisible(false);
    shell::setInputPanelVisible(true);
    Rect panel = shell::inputPanelRect();
    sip.savedRect = panel;
    Size screen = screenSize();
    int bottom = screen.height - 3;
    Rect placed{panel.left, bottom - panel.height(), panel.right, bottom};
    shell::moveInputPanel(placed);
    resizeWindow(window, screen.width, placed.top - windowRect(window).top);
    setTimer(window, sipRepositionTimer, 250);
}

void onSipTimer(WindowHandle window) {
    killTimer(window, sipRepositionTimer);
    shell::setInputPanelVisible(true);
}

void hideSip(WindowHandle window) {
    // A panel hidden right after it was placed must not come back when the timer fires.
    if (window)
        killTimer(window, sipRepositionTimer);
    if (shell::inputPanelVisible()) {
        shell::setInputPanelVisible(false);
        if (!sip.savedRect.isEmpty())
            shell::moveInputPanel(sip.savedRect);
        shell::setSipButtonVisible(false);
    }
    sip.shown = false;
    int height = screenHeightBelowWindowTop();
    if (window && windowRect(window).height() != height)
        resizeWindow(window, screenSize().width, height);
}

void rememberSip(std::u16string_view inputMethod) {
    SettingManager::instance().setCurrentSip(inputMethod.empty() ? noSip : inputMethod);
}

void DisableSipAction::execute() {
    hideSip(window_);
    rememberSip({});
    // The open popup menu closes itself once menus exist.
}

void SwitchSipAction::execute() {
    shell::setCurrentInputMethod(inputMethod_);
    rememberSip(inputMethod_);
    showSip(mainWindow());
}

} // namespace vantrel
