// The main window's procedure: registered messages first (screen switches, refreshes,
// full screen, the keyboard), then the window's own messages, which go to the control
// host of the screens.

#include "app/MainWindow.h"

#include "app/FullScreen.h"
#include "app/IncomingSms.h"
#include "app/Messages.h"
#include "app/RefreshWorkers.h"
#include "app/ScreenSwitch.h"
#include "app/Screens.h"
#include "app/Sip.h"
#include "app/Startup.h"
#include "contacts/ContactDetailPanel.h"
#include "contacts/ContactSmartListControl.h"
#include "contacts/PictureChooserPanel.h"
#include "messaging/MessageCounter.h"
#include "messaging/SMSPanel.h"
#include "platform/edit/EditWindow.h"
#include "platform/pim/PimApp.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "ui/ControlHost.h"
#include "ui/LightControl.h"
#include "ui/TextInputControl.h"

namespace vantrel {

using namespace platform;

namespace {

bool recording = false;
std::vector<std::u16string> handled;
std::vector<Point> downs;

void handleRegistered(WindowHandle window, uint32_t id) {
    const RegisteredMessages& m = registeredMessages();
    if (id == m.newSms) {
        onNewSms(window);
    } else if (id == m.refreshSmsCounter) {
        requestSmsCountRefresh();
    } else if (id == m.refreshPhoneCallLog) {
        requestCallLogRefresh();
    } else if (id == m.goToSms) {
        goToSmsList(false);
    } else if (id == m.goToFavorite) {
        goToFavorites(false);
    } else if (id == m.goToContacts) {
        goToContacts(false);
    } else if (id == m.goToDialpad) {
        goToDialpad();
    } else if (id == m.repositionKeyboard) {
        repositionSip(window);
    } else if (id == m.doFullScreen) {
        doFullScreen(window);
    }
}

// The orientation follows the client rectangle; a change clears the store's caches, so
// every control reloads its settings with the other prefix.
void onSize(WindowHandle window) {
    Rect client = clientRect(window);
    SettingStore& store = SettingStore::instance();
    bool landscape = client.width() > client.height();
    if (landscape != store.isLandscape()) {
        store.setLandscape(landscape);
        hideSip(window);
    }
    ControlHost::layoutAll(window, client);
    invalidateRect(window);
}

void onActivate(WindowHandle window, bool active) {
    if (!initialiseOnce(window))
        return;
    if (active) {
        setFullScreen(SettingManager::instance().fullScreen());
    } else {
        hideSip(window);
        setFullScreen(false);
    }
}

// A text field's edit gained or lost the focus: its control heard of it first; the
// panel shows for an edit no control owns, or while its control is open and wants it.
void onEditFocus(WindowHandle window, uintptr_t wParam, intptr_t lParam) {
    const uint32_t code = static_cast<uint32_t>(wParam >> 16);
    if (code != editNotify::setFocus && code != editNotify::killFocus)
        return;
    const TextInputControl* owner = TextInputControl::owning(static_cast<WindowHandle>(lParam));
    if (!owner || (owner->sipWanted() && owner->nativeShown()))
        showSip(window);
}

void paint(WindowHandle window) {
    Rect damaged = beginPaint(window);
    ControlHost::paintWindow(window, damaged);
    endPaint(window);
}

} // namespace

void recordForScripts(bool on) {
    recording = on;
    if (!on) {
        handled.clear();
        downs.clear();
    }
}

const std::vector<std::u16string>& handledRegisteredMessages() { return handled; }

const std::vector<Point>& stylusDowns() { return downs; }

intptr_t mainWindowProcedure(WindowHandle window, uint32_t id, uintptr_t wParam, intptr_t lParam) {
    if (id >= msg::firstRegistered) {
        std::u16string_view name = registeredMessageName(id);
        if (name.empty())
            return defaultWindowProcedure(window, id, wParam, lParam);
        if (recording)
            handled.emplace_back(name);
        handleRegistered(window, id);
        return 0;
    }
    switch (id) {
    case msg::destroy:
        ControlHost::forgetWindow(window);
        postQuitMessage(0);
        return 0;
    case msg::size:
        onSize(window);
        return 0;
    case msg::activate:
        onActivate(window, wParam != 0);
        return defaultWindowProcedure(window, id, wParam, lParam);
    case msg::setFocus:
        hideSip(window);
        return 0;
    case msg::paint:
        paint(window);
        return 0;
    case msg::eraseBackground:
        return 0;
    case msg::command:
    case msg::ctlColorEdit: {
        intptr_t result = 0;
        if (!TextInputControl::handleEditMessage(id, wParam, lParam, result))
            return defaultWindowProcedure(window, id, wParam, lParam);
        if (id == msg::command)
            onEditFocus(window, wParam, lParam);
        return result;
    }
    case msg::keyDown:
        if (focusWindow() == window)
            ControlHost::key(window, static_cast<int>(wParam), 0);
        return 0;
    case msg::character:
    case msg::imeCharacter:
        ControlHost::key(window, 0, static_cast<char16_t>(wParam));
        return 0;
    case msg::timer:
        if (wParam == sipRepositionTimer)
            onSipTimer(window);
        else if (isWindowVisible(window))
            ControlHost::timer(window, wParam);
        return 0;
    case msg::mouseMove: {
        Point p = unpackPoint(lParam);
        ControlHost::stylusMove(window, p.x, p.y);
        return 0;
    }
    case msg::leftButtonDown: {
        Point p = unpackPoint(lParam);
        if (recording)
            downs.push_back(p);
        ControlHost::stylusDown(window, p.x, p.y);
        return 0;
    }
    case msg::leftButtonUp: {
        Point p = unpackPoint(lParam);
        ControlHost::stylusUp(window, p.x, p.y);
        return 0;
    }
    case repaintMessage: {
        // Only a poster of this process can hand over the address of a rectangle.
        const Rect* area = dispatchingMessageFromOtherProcess()
                               ? nullptr
                               : reinterpret_cast<const Rect*>(wParam);
        invalidateRect(window, area);
        return 0;
    }
    case ContactSmartListControl::loaderMessage:
        if (ContactSmartListControl* list = mainContactList()) {
            bool loading = list->isLoading();
            list->onLoaderMessage();
            // A full load ends with new rows whose counters are zero: all is counted
            // again (counts read meanwhile wait and are replaced).
            if (loading && !list->isLoading())
                requestFullRecount();
        }
        return 0;
    case MessageCounter::wakeMessage:
        if (ContactSmartListControl* list = mainContactList())
            messageCounter().apply(*list);
        return 0;
    case platform::pim::pimItemCreatedLocal:
    case platform::pim::pimItemCreatedRemote:
    case platform::pim::pimItemChangedLocal:
    case platform::pim::pimItemChangedRemote:
        if (ContactSmartListControl* list = mainContactList())
            list->contactChanged(static_cast<uint32_t>(wParam));
        // The detail screen shows the row the list has just refilled.
        if (ContactDetailPanel* detail = screens().detail;
            detail && detail->isVisible() && detail->contact() &&
            detail->contact()->objectId() == static_cast<uint32_t>(wParam))
            detail->reload();
        return 0;
    case platform::pim::pimItemDeletedLocal:
    case platform::pim::pimItemDeletedRemote:
        if (ContactSmartListControl* list = mainContactList())
            list->contactDeleted(static_cast<uint32_t>(wParam));
        return 0;
    case SMSPanel::loaderMessage:
        if (SMSPanel* conversation = screens().conversation)
            conversation->onLoaderMessage();
        return 0;
    case SMSPanel::sendMessage:
        if (SMSPanel* conversation = screens().conversation)
            conversation->onSendMessage();
        return 0;
    case PictureChooserPanel::thumbnailMessage:
        PictureChooserPanel::deliverThumbnails();
        return 0;
    default:
        return defaultWindowProcedure(window, id, wParam, lParam);
    }
}

} // namespace vantrel
