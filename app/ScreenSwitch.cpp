#include "app/ScreenSwitch.h"

#include "app/Screens.h"
#include "app/Startup.h"
#include "ui/ControlHost.h"
#include "ui/LightControl.h"
#include "ui/Panel.h"

namespace vantrel {

namespace {

bool visible(const LightControl* control) { return control && control->isVisible(); }

void setVisible(LightControl* control, bool on) {
    if (control)
        control->setVisible(on);
}

// Shows the new state of the screens. Transitions run here once the screens can be
// animated; until then every switch renders at once.
void present() {
    platform::WindowHandle window = mainWindow();
    ControlHost::beginScreenChangeAll(window);
    ControlHost::renderAll(window);
    platform::invalidateRect(window);
}

} // namespace

void goToContacts(bool animate) {
    Screens& s = screens();
    if (!s.contactContainer)
        return;
    (void)animate;
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
    } else {
        setVisible(s.smsPanel, false);
        setVisible(s.contactDetail, false);
        setVisible(s.filterMenu, false);
        setVisible(s.contactList, true);
    }
    present();
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
