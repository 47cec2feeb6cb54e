#include "app/Screens.h"

#include "app/GestureControl.h"
#include "app/HeaderMenu.h"
#include "app/IconPanel.h"
#include "app/OptionsPanel.h"
#include "app/ScreenSwitch.h"
#include "contacts/ContactContainerPanel.h"
#include "contacts/ContactDetailPanel.h"
#include "contacts/FilterMenuPanel.h"
#include "lists/LeftSearchPanel.h"
#include "messaging/SMSPanel.h"
#include "phone/PhonePad.h"
#include "ui/ControlHost.h"
#include "ui/LightControl.h"
#include "ui/Panel.h"

#include <cstdlib>
#include <memory>
#include <vector>

namespace vantrel {

namespace {

Screens theScreens;
// The screens belong to the process and live as long as the window does.
std::vector<std::unique_ptr<LightControl>> owned;

template <class T> T* keep(std::unique_ptr<T> control) {
    T* raw = control.get();
    owned.push_back(std::move(control));
    return raw;
}

// The phone pad, the icon bar and the filter menu of the main screen.
void addMainScreenControls(ContactContainerPanel& container) {
    platform::WindowHandle window = container.window();
    auto pad = std::make_unique<PhonePad>(window, u"phonepad");
    PhonePad* padControl = pad.get();
    container.setPhonePad(std::move(pad));
    FilterMenuRoutes routes;
    routes.backToList = [] { goToContacts(true); };
    routes.openOptions = [] { goToOptions(); };
    auto filterMenu =
        std::make_unique<FilterMenuPanel>(window, *container.list(), std::move(routes));
    FilterMenuPanel* menu = filterMenu.get();
    container.setFilterMenu(std::move(filterMenu));
    container.setIconBar(std::make_unique<IconPanel>(
        window, std::make_unique<FilterMenuAction>(*menu, *container.list())));
    theScreens.phonePad = padControl;
    theScreens.filterMenu = menu;
}

} // namespace

Screens& screens() { return theScreens; }

void releaseScreens() {
    theScreens = {};
    // Out of the host first: a screen going may still move the focus, and the window
    // must not lay out or paint what is half gone.
    for (const std::unique_ptr<LightControl>& control : owned)
        ControlHost::removeControl(control->window(), control.get());
    while (!owned.empty())
        owned.pop_back();
}

ContactSmartListControl* mainContactList() {
    return theScreens.contacts ? theScreens.contacts->list() : nullptr;
}

void createScreens(platform::WindowHandle mainWindow) {
    if (theScreens.contactContainer)
        return;
    auto* container = keep(std::make_unique<ContactContainerPanel>(mainWindow));
    auto* detail = keep(std::make_unique<ContactDetailPanel>(mainWindow));
    detail->setVisible(false);
    auto* sms = keep(std::make_unique<SMSPanel>(mainWindow));
    sms->setVisible(false);
    auto* gesture = keep(std::make_unique<GestureControl>(mainWindow, u"gesture"));

    ControlHost::addControl(mainWindow, gesture);
    ControlHost::addControl(mainWindow, detail);
    ControlHost::addControl(mainWindow, container);
    ControlHost::addControl(mainWindow, sms);
    theScreens = {container, detail, sms, gesture};
    theScreens.contactList = container->list();
    theScreens.indexStrip = container->indexStrip();
    theScreens.contacts = container;
    addMainScreenControls(*container);
    theScreens.detail = detail;
    theScreens.conversation = sms;
    sms->setRoutes(conversationRoutes());
    installHeaderMenu(mainWindow);
    // The screens' editors live in the platform's table of edit windows, made just now:
    // a process that ends without releasing the screens (a test) lets them go before
    // that table goes.
    static const bool released = std::atexit([] { releaseScreens(); }) == 0;
    (void)released;
    // The window got its size before it had screens, and a later layout to that same
    // size does nothing: place them now.
    ControlHost::layoutAll(mainWindow, platform::clientRect(mainWindow));
}

} // namespace vantrel
