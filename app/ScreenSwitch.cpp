#include "app/ScreenSwitch.h"

#include "app/Screens.h"
#include "app/Startup.h"
#include "lists/SmartListControl.h"
#include "lists/Transitions.h"
#include "ui/ControlHost.h"
#include "ui/LightControl.h"
#include "ui/Panel.h"

namespace vantrel {

namespace {

bool visible(const LightControl* control) {
    return control && control->isVisible();
}

void setVisible(LightControl* control, bool on) {
    if (control)
        control->setVisible(on);
}

// Shows the new state of the screens: animated by `transition` over `area`, or rendered
// at once.
void present(bool animate,
             void (*transition)(platform::WindowHandle, int direction, const platform::Rect&),
             int direction, const platform::Rect& area) {
    platform::WindowHandle window = mainWindow();
    if (animate) {
        transition(window, direction, area);
        return;
    }
    ControlHost::beginScreenChangeAll(window);
    ControlHost::renderAll(window);
    platform::invalidateRect(window);
}

} // namespace

void goToContacts(bool animate) {
    Screens& s = screens();
    if (!s.contactContainer)
        return;
    if (!s.contactContainer->isVisible()) {
        bool detailOrFilter = visible(s.contactDetail) || visible(s.filterMenu);
        if (!detailOrFilter && !visible(s.smsPanel))
            return;
        setVisible(s.smsPanel, false);
        setVisible(s.contactDetail, false);
        s.contactContainer->setVisible(true);
        if (detailOrFilter) {
            setVisible(s.filterMenu, false);
            setVisible(s.contactList, true);
        }
        // The card swap back from the detail screen.
        const LightControl* from = s.contactDetail ? s.contactDetail : s.contactContainer;
        present(animate, switchTransition, 1, from->rect());
    } else {
        setVisible(s.smsPanel, false);
        setVisible(s.contactDetail, false);
        setVisible(s.filterMenu, false);
        setVisible(s.contactList, true);
        // Until the list exists, the container slides in.
        const LightControl* list = s.contactList ? s.contactList : s.contactContainer;
        present(animate, slideTransition, contactListSlideDirection(), list->rect());
    }
}

int contactListSlideDirection() {
    const auto* list = dynamic_cast<const SmartListControl*>(screens().contactList);
    return list && list->filter() ? 0 : 1;
}

void goToSmsList(bool toggle) {
    // The list's SMS filter is set here once contact filters exist.
    (void)toggle;
    goToContacts(true);
}

void goToFavorites(bool toggle) {
    // The list's favourite filter is set here once contact filters exist.
    (void)toggle;
    goToContacts(true);
}

} // namespace vantrel
