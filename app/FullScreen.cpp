#include "app/FullScreen.h"

#include "app/Messages.h"
#include "app/Sip.h"
#include "app/Startup.h"
#include "platform/shell/Shell.h"
#include "settings/SettingManager.h"
#include "ui/ControlHost.h"
#include "ui/LightControl.h"

namespace vantrel {

using namespace platform;
namespace fs = platform::shell::fullscreen;

namespace {

bool fullScreenFlag = false;

} // namespace

void setFullScreen(bool on) {
    fullScreenFlag = on;
    WindowHandle window = mainWindow();
    if (!on) {
        hideSip(window);
        shell::setFullScreen(window, fs::showTaskBar | fs::hideSipButton | fs::showStartIcon);
        return;
    }
    setForegroundWindow(window);
    Size screen = screenSize();
    moveWindow(window, {0, 0, screen.width, screen.height}, false);
    shell::setFullScreen(window, fs::hideTaskBar | fs::hideSipButton);
}

bool isFullScreen() { return fullScreenFlag; }

void doFullScreen(WindowHandle window) {
    setForegroundWindow(window);
    bool on = SettingManager::instance().fullScreen();
    setFullScreen(on);
    int top = on ? 0 : workArea().top;
    Size screen = screenSize();
    moveWindow(window, {0, top, screen.width, screen.height}, false);
    ControlHost::layoutAll(window, {0, 0, screen.width, screen.height - top});
}

void postFullScreen() { postMessage(mainWindow(), registeredMessages().doFullScreen); }

} // namespace vantrel
