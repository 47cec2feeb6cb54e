#include "app/Screens.h"

#include "app/GestureControl.h"
#include "app/HeaderMenu.h"
#include "contacts/ContactContainerPanel.h"
#include "contacts/ContactDetailPanel.h"
#include "lists/LeftSearchPanel.h"
#include "ui/ControlHost.h"
#include "ui/LightControl.h"
#include "ui/Panel.h"

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

} // namespace

Screens& screens() { return theScreens; }

ContactSmartListControl* mainContactList() {
    return theScreens.contacts ? theScreens.contacts->list() : nullptr;
}

void createScreens(platform::WindowHandle mainWindow) {
    if (theScreens.contactContainer)
        return;
    auto* container = keep(std::make_unique<ContactContainerPanel>(mainWindow));
    auto* detail = keep(std::make_unique<ContactDetailPanel>(mainWindow));
    detail->setVisible(false);
    Panel* sms = keep(std::make_unique<Panel>(mainWindow, u"smspanel"));
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
    theScreens.detail = detail;
    installHeaderMenu(mainWindow);
    // The window got its size before it had screens, and a later layout to that same
    // size does nothing: place them now.
    ControlHost::layoutAll(mainWindow, platform::clientRect(mainWindow));
}

} // namespace vantrel
