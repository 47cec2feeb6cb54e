#include "app/GestureControl.h"

#include "app/FullScreen.h"
#include "app/ScreenSwitch.h"
#include "app/Screens.h"
#include "app/Startup.h"
#include "contacts/ContactFilters.h"
#include "contacts/ContactSmartListControl.h"
#include "lists/Transitions.h"
#include "platform/core/Clock.h"
#include "ui/ControlDump.h"

#include <cstdlib>

namespace vantrel {

using platform::Rect;

GestureControl::GestureControl(platform::WindowHandle window, std::u16string name)
    : LightControl(window, u"gesturecontrol", std::move(name)) {}

Rect GestureControl::onStylusDown(int x, int y) {
    downX_ = x;
    downY_ = y;
    downTick_ = platform::tickCount();
    return {};
}

Rect GestureControl::onStylusUp(int x, int y) {
    if (!rect().contains({x, y}))
        return {};
    const int dx = std::abs(x - downX_);
    const int dy = std::abs(y - downY_);
    if (dy < swipeMaxVertical && y < screenHeightBelowWindowTop() && dx > rect().width() / 2) {
        lastGesture_ = u"swipe";
        ContactSmartListControl* list = mainContactList();
        if (list && dynamic_cast<FavoriteFilterItem*>(list->filter())) {
            goToFavorites(true);
        } else {
            if (list && list->isVisible())
                list->resetFilter();
            goToContacts(true);
        }
        return rect();
    }
    const uint32_t held = platform::tickCount() - downTick_;
    const Rect client = platform::clientRect(window());
    if (dx < tapMaxMove && dy < tapMaxMove && held < cornerTapMs &&
        x >= client.right - cornerSize && y < client.top + cornerSize) {
        lastGesture_ = u"corner";
        platform::WindowHandle main = mainWindow();
        fadeOutWindow(main);
        setFullScreen(false);
        goToContacts(false);
        platform::showWindow(main, platform::Show::minimize);
    }
    return {};
}

void GestureControl::describe(DumpWriter& out) const {
    LightControl::describe(out);
    out.add("gesture", std::u16string_view(lastGesture_));
}

} // namespace vantrel
