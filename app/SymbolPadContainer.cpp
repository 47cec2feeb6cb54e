#include "app/SymbolPadContainer.h"

#include "app/FullScreen.h"
#include "app/IconPanel.h"
#include "app/ScreenSwitch.h"
#include "app/Sip.h"
#include "app/Startup.h"
#include "lists/Transitions.h"
#include "platform/gfx/Painter.h"
#include "platform/shell/Shell.h"
#include "settings/SettingStore.h"

#include <algorithm>

namespace vantrel {

using platform::Rect;

namespace {

enum BackgroundSlot { padLook };
// Halfway: each channel moves 127/256 of the way to the shadow colour.
constexpr int shadeAlpha = 127;

// Hands the screen back to the system: full screen off, no input panel, the task bar
// and start icon shown.
void leaveScreen(platform::WindowHandle window) {
    fadeOutWindow(window);
    setFullScreen(false);
    hideSip(window);
}

} // namespace

SymbolPadContainer::SymbolPadContainer(platform::WindowHandle window)
    : ContainerPanel(window, u"symbolpanel", u"symbol") {}

void SymbolPadContainer::shade(platform::Surface& surface, const Rect& area) {
    platform::Colour shadow = SettingStore::instance().colour(typeName(), name(), u"shadowcolor");
    platform::Painter painter(surface);
    painter.fillAlpha(area, shadow, shadeAlpha);
}

int SymbolPadContainer::paint(PaintContext& context, Rect clip) {
    Rect area = rect().intersected(clip);
    if (area.isEmpty())
        return 0;
    shade(context.surface, area);
    drawBackground(context, getBackground(u"background", padLook), rect(), clip);
    return ContainerPanel::paint(context, clip);
}

int SymbolPadContainer::clampY(int y) const {
    return std::clamp(y, rect().top + 1, rect().bottom - 1);
}

Rect SymbolPadContainer::onStylusDown(int x, int y) {
    return ContainerPanel::onStylusDown(x, clampY(y));
}

Rect SymbolPadContainer::onStylusMove(int x, int y) {
    return ContainerPanel::onStylusMove(x, clampY(y));
}

Rect SymbolPadContainer::onStylusUp(int x, int y) {
    return ContainerPanel::onStylusUp(x, clampY(y));
}

Rect SymbolPadContainer::onStylusRelease(int x, int y) {
    return ContainerPanel::onStylusRelease(x, clampY(y));
}

void SymbolDeleteProxyAction::execute() {
    // The pad, this action's owner, goes last: the panel is remembered first.
    IconPanel& panel = panel_;
    wrapped_->execute();
    panel.closeSymbolPad();
}

void ClassicContactAction::execute() {
    // SCREEN-PENDING(classic contacts): the phone's own contacts application has no
    // counterpart on this platform yet; the shell's program start will open it.
}

void IconHideAction::execute() {
    platform::WindowHandle window = mainWindow();
    leaveScreen(window);
    platform::showWindow(window, platform::Show::minimize);
}

void CloseAction::execute() {
    platform::WindowHandle window = mainWindow();
    leaveScreen(window);
    platform::showWindow(window, platform::Show::hide);
    // Posted, not done here: the window's controls are still handling this tap.
    platform::postMessage(window, platform::msg::destroy);
}

} // namespace vantrel
