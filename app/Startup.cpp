#include "app/Startup.h"

#include "app/MainWindow.h"
#include "app/ScreenSwitch.h"
#include "app/Screens.h"
#include "contacts/ContactDetailPanel.h"
#include "contacts/ContactSmartListControl.h"
#include "contacts/ContactStoreAccess.h"
#include "lists/Transitions.h"
#include "app/Messages.h"
#include "app/SmsInterceptor.h"
#include "app/RefreshWorkers.h"
#include "mapi/MAPIMsgStore.h"
#include "messaging/MessageCounter.h"
#include "platform/ipc/SharedMemory.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimFolder.h"
#include "platform/registry/Registry.h"
#include "platform/text/FontFace.h"
#include "settings/DefaultSettingProvider.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "ui/ControlHost.h"
#include "ui/PictureControl.h"
#include "ui/LightControl.h"
#include "settings/ThemeManager.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace vantrel {

using namespace platform;
using registry::Root;
namespace pim = platform::pim;

namespace {

WindowHandle theMainWindow = 0;
bool initialised = false;
int unreadSms = 0;

constexpr std::u16string_view unreadSmsKey = u"System\\State\\Messages\\SMS\\Unread";
constexpr std::u16string_view phoneStateKey = u"System\\State\\Phone";
constexpr std::u16string_view batteryKey = u"System\\State\\Battery";

// "SmsBuffer" holds one incoming message for the main window: 1024 bytes. It lives as
// long as the main window's loop runs and its name goes with it.
constexpr size_t smsBufferSize = 1024;
constexpr std::u16string_view smsBufferName = u"SmsBuffer";
std::unique_ptr<ipc::SharedMemory> smsBuffer;

void createSmsBuffer() {
    std::string error;
    smsBuffer = ipc::SharedMemory::create(smsBufferName, smsBufferSize, &error);
    if (!smsBuffer) {
        std::fprintf(stderr, "vantrel: incoming messages cannot be shown: %s\n", error.c_str());
        return;
    }
    std::fill_n(static_cast<char*>(smsBuffer->data()), smsBuffer->size(), 0);
}

void removeSmsBuffer() {
    if (!smsBuffer)
        return;
    smsBuffer.reset();
    ipc::SharedMemory::remove(smsBufferName);
}

std::vector<std::u16string> splitAtOptions(std::u16string_view line) {
    std::vector<std::u16string> pieces;
    size_t start = 0;
    for (size_t found; (found = line.find(u" -", start)) != std::u16string_view::npos;
         start = found + 2)
        pieces.emplace_back(line.substr(start, found - start));
    pieces.emplace_back(line.substr(start));
    return pieces;
}

void readUnreadSmsCount() {
    uint32_t count = 0;
    if (registry::readDword(Root::currentUser, unreadSmsKey, u"Count", count))
        unreadSms = static_cast<int>(count);
}

// The contact store, logged on with the main window so its notifications come here,
// with notifications of this process's writes and of every other process's. A store
// that cannot be used leaves the list to its cache.
std::shared_ptr<ContactStoreAccess> openContactStore(WindowHandle window) {
    std::shared_ptr<pim::PimApp> app = pim::PimApp::create();
    if (!app || !app->logon(window))
        return nullptr;
    if (auto folder = app->getDefaultFolder(pim::folderContacts)) {
        pim::PropValue notify = pim::PropValue::ofUint32(pim::prop::folderNotifications,
                                                         pim::notifyLocal | pim::notifyRemote);
        folder->setProps(0, std::span(&notify, 1));
    }
    return std::make_shared<ContactStoreAccess>(std::move(app));
}

void subscribeToSystemState(WindowHandle window) {
    const RegisteredMessages& m = registeredMessages();
    // The subscriptions live as long as the process, as the phone's did.
    registry::notifyChange(Root::currentUser, unreadSmsKey, u"Count", window, m.refreshSmsCounter);
    registry::notifyChange(Root::localMachine, phoneStateKey, u"Signal Strength Raw", window,
                           repaintMessage);
    registry::notifyChange(Root::localMachine, phoneStateKey, u"Active Call Count", window,
                           m.refreshPhoneCallLog);
    registry::notifyChange(Root::localMachine, batteryKey, u"Main", window, repaintMessage);
}

} // namespace

void handleCommandLine(WindowHandle target, std::u16string_view commandLine) {
    if (commandLine.empty())
        return;
    if (splitAtOptions(commandLine).size() >= 2) {
        messageBox(target, u"Invalid command line argument: " + std::u16string(commandLine),
                   u"Error");
        return;
    }
    const RegisteredMessages& m = registeredMessages();
    struct Option {
        std::u16string_view text;
        uint32_t message;
    };
    for (const Option& option : {Option{u"-sms", m.goToSms}, Option{u"-favorites", m.goToFavorite},
                                 Option{u"-dialpad", m.goToDialpad},
                                 Option{u"-contacts", m.goToContacts}}) {
        if (commandLine == option.text) {
            postMessage(target, option.message);
            return;
        }
    }
}

bool initInstance(Show show, const std::u16string& commandLine, const DisplayOpener& openDisplay) {
    if (WindowHandle running = findWindow(mainWindowClass, mainWindowTitle)) {
        setForegroundWindow(running);
        handleCommandLine(running, commandLine);
        return false;
    }
    if (!openDisplay() || !registerClass({std::u16string(mainWindowClass), mainWindowProcedure}))
        return false;
    Rect placement{useDefault, useDefault, useDefault, useDefault};
    theMainWindow = createWindow(mainWindowClass, mainWindowTitle, placement, false);
    if (!theMainWindow)
        return false;
    // The input panel window is found and measured when the display has one; its
    // handling belongs to the main window.
    showWindow(theMainWindow, show);
    handleCommandLine(theMainWindow, commandLine);
    return true;
}

int vantrelMain(const std::u16string& commandLine, Show show, const DisplayOpener& openDisplay) {
    if (!initInstance(show, commandLine, openDisplay))
        return 0;
    int code = runMessageLoop();
    stopRefreshWorkers();
    // Screens own native edits and threads: they go while the platform is whole.
    releaseScreens();
    removeSmsBuffer();
    return code;
}

bool initialiseOnce(WindowHandle window) {
    if (initialised)
        return true;
    initialised = true;
    // Thread set-up for the object model has no counterpart here: nothing to fail.

    SettingManager& manager = SettingManager::instance();
    manager.setMainWindow(window);
    std::shared_ptr<ContactStoreAccess> contactStore = openContactStore(window);

    SettingStore& store = SettingStore::instance();
    store.setCacheClearListener(ControlHost::reloadAllWindows);
    static DefaultSettingProvider provider(manager, store);
    store.setDefaultProvider(&provider);
    // Faces named in settings may come with their own "<face>.ttf" in the program's
    // folder; the text system learns of each the first time a font names it.
    Font::setFaceRegistrar(
        [](const std::filesystem::path& file) { platform::registerFontFile(file); });
    ThemeManager::instance().loadAll(store, manager);

    PictureControl::setFadeTransition(fadeTransition);
    createScreens(window);

    // Opening the message store puts the unread count right; read it after that, and
    // before watching it, so the program does not hear of its own correction.
    mapi::MAPISession::logon();
    readUnreadSmsCount();

    if (ContactSmartListControl* list = mainContactList()) {
        list->setStore(contactStore);
        list->setRoutes(contactRoutes());
        list->startLoading();
        // The load ends with a full recount (main window); later changes are refreshes.
        setSmsRefreshWork([] { messageCounter().scanSmsCounts(); });
        setCallLogRefreshWork([] { messageCounter().scanCallLogCounts(); });
    }
    if (ContactDetailPanel* detail = screens().detail) {
        detail->setStore(contactStore);
        detail->setRoutes(contactDetailRoutes());
    }
    ControlHost::beginScreenChangeAll(window);
    ControlHost::renderAll(window);

    registerSmsInterceptorIfNeeded();

    createSmsBuffer();

    subscribeToSystemState(window);
    postMessage(window, registeredMessages().doFullScreen);
    return true;
}

WindowHandle mainWindow() { return theMainWindow; }

int mainWindowWidth() { return windowRect(theMainWindow).width(); }

int screenHeightBelowWindowTop() { return screenSize().height - windowRect(theMainWindow).top; }

std::span<uint8_t> smsBufferBlock() {
    if (!smsBuffer)
        return {};
    return {static_cast<uint8_t*>(smsBuffer->data()), smsBuffer->size()};
}

int unreadSmsCount() { return unreadSms; }

void setUnreadSmsCount(int count) { unreadSms = count; }

} // namespace vantrel
