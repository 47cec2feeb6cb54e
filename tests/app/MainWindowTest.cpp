// The main window in this process, on the headless screen in virtual time: screen
// switches, rotation, the input panel and the refresh workers.

#include "app/FullScreen.h"
#include "app/MainWindow.h"
#include "app/Messages.h"
#include "app/RefreshWorkers.h"
#include "app/ScreenSwitch.h"
#include "app/Screens.h"
#include "app/Sip.h"
#include "app/Startup.h"
#include "contacts/ContactSmartListControl.h"
#include "lists/SmartListControl.h"
#include "platform/core/Backend.h"
#include "platform/core/Clock.h"
#include "platform/display/HeadlessDisplay.h"
#include "platform/registry/Registry.h"
#include "platform/shell/Shell.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "ui/HeaderLabel.h"
#include "ui/Panel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace vantrel;
using namespace vantrel::platform;

namespace {

// One program per test binary, as on the phone: started once, shared by the tests.
class App : public testing::Test {
protected:
    static HeadlessDisplay& display() {
        static HeadlessDisplay screen(Size{480, 800});
        return screen;
    }

    static void SetUpTestSuite() {
        static bool started = initInstance(Show::normal, u"", [] {
            installBackend(&display());
            return true;
        });
        ASSERT_TRUE(started);
        pump();
    }

    static void pump() { pumpMessages(); }

    // Lets virtual time pass, running due timers on the way.
    static void wait(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 10) {
            advanceVirtualClock(10);
            pump();
        }
    }

    static Screens& s() { return screens(); }

    // Turns the phone: the screen changes, and the window follows it.
    static void rotate(int width, int height) {
        display().setScreenSize({width, height});
        moveWindow(mainWindow(), {0, 0, width, height}, true);
        pump();
    }

    static void show(LightControl* visible) {
        for (LightControl* screen : {static_cast<LightControl*>(s().contactContainer),
                                     static_cast<LightControl*>(s().contactDetail),
                                     static_cast<LightControl*>(s().smsPanel)})
            screen->setVisible(screen == visible);
    }
};

} // namespace

// The guard keeps what start-up did from being done twice: the look reloaded over later
// changes, the system state subscribed a second time (every change would then refresh
// twice), full screen posted again.
TEST_F(App, SecondActivationRunsNoStartUpStepAgain) {
    SettingStore::instance().addLine(u"probe.guard.text=kept");
    auto nextNotification = [] {
        auto id = registry::notifyChange(registry::Root::currentUser, u"Probe", u"Guard", [] {});
        registry::cancelNotification(id);
        return id;
    };
    auto before = nextNotification();
    recordForScripts(true);

    EXPECT_TRUE(initialiseOnce(mainWindow()));
    postMessage(mainWindow(), msg::activate, 1);
    pump();
    EXPECT_EQ(SettingStore::instance().text(u"probe", u"guard", u"text"), u"kept");
    EXPECT_EQ(nextNotification(), before + 1);
    EXPECT_TRUE(handledRegisteredMessages().empty());
    recordForScripts(false);
}

TEST_F(App, OnlyAScriptRunKeepsTheLogsOfMessagesAndPresses) {
    auto handleOne = [] {
        postMessage(mainWindow(), registeredMessages().goToContacts);
        postMessage(mainWindow(), msg::leftButtonDown, 0, packPoint(3, 4));
        postMessage(mainWindow(), msg::leftButtonUp, 0, packPoint(3, 4));
        pump();
    };
    handleOne();
    EXPECT_TRUE(handledRegisteredMessages().empty());
    EXPECT_TRUE(stylusDowns().empty());
    recordForScripts(true);
    handleOne();
    EXPECT_EQ(handledRegisteredMessages(), std::vector<std::u16string>{u"g_vtrGoToContacts"});
    ASSERT_EQ(stylusDowns().size(), 1u);
    EXPECT_EQ(stylusDowns()[0], (Point{3, 4}));
    recordForScripts(false);
    EXPECT_TRUE(handledRegisteredMessages().empty());
}

TEST_F(App, GoingToContactsLeavesAnyScreenForTheContainer) {
    for (LightControl* from :
         {static_cast<LightControl*>(s().contactDetail), static_cast<LightControl*>(s().smsPanel),
          static_cast<LightControl*>(s().contactContainer)}) {
        show(from);
        goToContacts(false);
        EXPECT_TRUE(s().contactContainer->isVisible());
        EXPECT_FALSE(s().contactDetail->isVisible());
        EXPECT_FALSE(s().smsPanel->isVisible());
    }
    show(s().smsPanel);
    postMessage(mainWindow(), registeredMessages().goToFavorite);
    pump();
    EXPECT_TRUE(s().contactContainer->isVisible());
    EXPECT_FALSE(s().smsPanel->isVisible());
}

TEST_F(App, TheContactListSlidesInFromTheRightWhileItShowsAFilter) {
    // Any filter will do: the rule looks only at whether the list has one.
    struct Favourites : ISmartListFilter {
        bool match(const IListItem&) const override { return true; }
        std::u16string label() const override { return u"Favourites"; }
    };
    LightControl* before = s().contactList;
    SmartListControl list(mainWindow(), u"contactlist");
    s().contactList = &list;
    EXPECT_EQ(contactListSlideDirection(), 1);
    list.setFilter(std::make_unique<Favourites>());
    EXPECT_EQ(contactListSlideDirection(), 0);
    list.setFilter(nullptr);
    EXPECT_EQ(contactListSlideDirection(), 1);
    s().contactList = before;
}

TEST_F(App, GoingToContactsWithNoScreenVisibleChangesNothing) {
    show(nullptr);
    goToContacts(true);
    EXPECT_FALSE(s().contactContainer->isVisible());
    show(s().contactContainer);
}

TEST_F(App, RotationReloadsTheSettingsWithTheOtherPrefix) {
    SettingStore& store = SettingStore::instance();
    store.addLine(u"landscape.header.*.box=0,0,100%,30");
    rotate(800, 480);
    EXPECT_TRUE(store.isLandscape());
    EXPECT_EQ(s().contactContainer->header()->rect(), (Rect{0, 0, 800, 30}));
    rotate(480, 800);
    EXPECT_FALSE(store.isLandscape());
    EXPECT_NE(s().contactContainer->header()->rect().height(), 30);
}

TEST_F(App, TheInputPanelShrinksTheWindowAndHidingGivesTheHeightBack) {
    SettingManager::instance().setCurrentSip(shell::currentInputMethod());
    shell::moveInputPanel({0, 600, 480, 760});
    showSip(mainWindow());
    pump();
    EXPECT_TRUE(shell::inputPanelVisible());
    Rect panel = shell::inputPanelRect();
    EXPECT_EQ(panel, (Rect{0, 637, 480, 797})) << "its bottom 3 pixels above the screen's";
    EXPECT_EQ(windowRect(mainWindow()).bottom, 637);
    wait(300); // the reposition timer shows it once more and stops

    hideSip(mainWindow());
    EXPECT_FALSE(shell::inputPanelVisible());
    EXPECT_EQ(shell::inputPanelRect(), (Rect{0, 600, 480, 760})) << "back where it was";
    EXPECT_EQ(windowRect(mainWindow()).height(), screenHeightBelowWindowTop());
}

TEST_F(App, WithNoSipRememberedFocusNeverShowsThePanel) {
    hideSip(mainWindow());
    rememberSip({});
    EXPECT_EQ(SettingManager::instance().currentSip(), u"nosip");
    showSip(mainWindow());
    pump();
    EXPECT_FALSE(shell::inputPanelVisible());
    SwitchSipAction(shell::inputMethods().back().id).execute();
    pump();
    EXPECT_TRUE(shell::inputPanelVisible());
    EXPECT_EQ(SettingManager::instance().currentSip(), shell::inputMethods().back().id);
    DisableSipAction(mainWindow()).execute();
    EXPECT_FALSE(shell::inputPanelVisible());
    EXPECT_EQ(SettingManager::instance().currentSip(), u"nosip");
}

TEST_F(App, LandscapeHidesThePanelWhenTheUserSwitchedItOffThere) {
    SettingManager::instance().setCurrentSip(shell::currentInputMethod());
    SettingManager::instance().options().hideSipLandscape = 1;
    rotate(800, 480);
    showSip(mainWindow());
    pump();
    EXPECT_FALSE(shell::inputPanelVisible());
    SettingManager::instance().options().hideSipLandscape = 0;
    rotate(480, 800);
}

TEST_F(App, AnUnreadCountChangeWhileTheSmsRefreshRunsMakesItGoOnceMoreAndAnUnchangedOneNone) {
    // The contacts' load ends with a recount on the same worker: let it end first.
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
         (!mainContactList() || mainContactList()->isLoading() || smsRefreshRunning()) &&
         std::chrono::steady_clock::now() < until;)
        pump();
    std::atomic<int> runs{0};
    std::atomic<bool> release{false};
    setSmsRefreshWork([&] {
        ++runs;
        while (!release)
            std::this_thread::yield();
    });
    using registry::Root;
    constexpr std::u16string_view key = u"System\\State\\Messages\\SMS\\Unread";
    registry::writeDword(Root::currentUser, key, u"Count",
                         static_cast<uint32_t>(unreadSmsCount() + 1));
    requestSmsCountRefresh();
    EXPECT_TRUE(smsRefreshRunning());
    // Only a change after the scan began can have missed what it read.
    while (runs == 0)
        std::this_thread::yield();
    registry::writeDword(Root::currentUser, key, u"Count",
                         static_cast<uint32_t>(unreadSmsCount() + 1));
    // While one runs: no second thread, but the running one goes again, as a message
    // may have been stored after it read the Inbox.
    requestSmsCountRefresh();
    requestSmsCountRefresh(); // unchanged: nothing more
    int counted = unreadSmsCount();
    release = true;
    while (smsRefreshRunning())
        std::this_thread::yield();
    requestSmsCountRefresh(); // unchanged: nothing starts
    EXPECT_FALSE(smsRefreshRunning());
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(unreadSmsCount(), counted);
    setSmsRefreshWork({});
}
