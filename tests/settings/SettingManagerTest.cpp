#include "settings/SettingManager.h"

#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

namespace registry = platform::registry;
constexpr auto user = registry::Root::currentUser;

class SettingManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        registry::deleteKey(user, SettingManager::registryKey);
        registry::deleteKey(user, SettingManager::inboxSettingsKey);
    }
    // Counts (and takes) the "VantrelDoFullScreen" messages waiting for this thread.
    int fullScreenRequests() {
        uint32_t id = platform::registerWindowMessage(u"VantrelDoFullScreen");
        int count = 0;
        platform::Message message;
        while (platform::peekMessage(message))
            count += message.id == id && message.window == window;
        return count;
    }
    platform::WindowHandle createWindow() {
        static bool registered = platform::registerClass(
            {u"SettingManagerTest",
             [](platform::WindowHandle, uint32_t, uintptr_t, intptr_t) { return intptr_t(0); }});
        (void)registered;
        return platform::createWindow(u"SettingManagerTest", u"test", {0, 0, 10, 10}, false);
    }
    SettingManager manager;
    platform::WindowHandle window = 0;
};

TEST_F(SettingManagerTest, MissingOrWrongTypedOptionsReadAsDefaults) {
    registry::writeString(user, SettingManager::registryKey, u"bringtofrontonsms", u"0");
    registry::writeDword(user, SettingManager::registryKey, u"FavoriteIcon", 1);
    manager.loadOptions();
    SettingOptions expected;
    expected.favoriteIcon = 1; // value names compare without regard to case
    EXPECT_EQ(manager.options(), expected);
    EXPECT_EQ(manager.options().bringToFrontOnSms, 1u);
    EXPECT_EQ(manager.options().showContactSeparator, 1u);
    EXPECT_EQ(manager.options().useOldAppForSms, 0u);
}

TEST_F(SettingManagerTest, SavedOptionsComeBack) {
    manager.options().callLogInSms = 0;
    manager.options().hideSipLandscape = 1;
    manager.saveOptions();
    SettingManager other;
    other.loadOptions();
    EXPECT_EQ(other.options(), manager.options());
    uint32_t value = 7;
    ASSERT_TRUE(registry::readDword(user, SettingManager::registryKey, u"callloginsms", value));
    EXPECT_EQ(value, 0u);
}

TEST_F(SettingManagerTest, ThemeAndLanguageNames) {
    EXPECT_EQ(manager.currentTheme(), u"");
    manager.setTheme(u"orange.zip");
    manager.setLanguage(u"de.lang.ini");
    EXPECT_EQ(manager.currentTheme(), u"orange.zip");
    EXPECT_EQ(manager.currentLanguage(), u"de.lang.ini");
    manager.setTheme(std::u16string(400, u'a'));
    EXPECT_EQ(manager.currentTheme().size(), 255u);
    registry::writeDword(user, SettingManager::registryKey, u"Language", 3);
    EXPECT_EQ(manager.currentLanguage(), u"");
    manager.setCurrentSip(u"nosip");
    EXPECT_EQ(manager.currentSip(), u"nosip");
}

TEST_F(SettingManagerTest, FullScreenPostsOnlyWhenItChanges) {
    window = createWindow();
    ASSERT_NE(window, 0u);
    manager.setMainWindow(window);
    fullScreenRequests();
    EXPECT_TRUE(manager.fullScreen()); // on when never written
    manager.setFullScreen(true);
    EXPECT_EQ(fullScreenRequests(), 0);
    manager.setFullScreen(false);
    EXPECT_FALSE(manager.fullScreen());
    EXPECT_EQ(fullScreenRequests(), 1);
    manager.setFullScreen(false);
    EXPECT_EQ(fullScreenRequests(), 0);
    // Written as "Fullscreen", read as "fullscreen": one value.
    uint32_t stored = 9;
    ASSERT_TRUE(registry::readDword(user, SettingManager::registryKey, u"fullscreen", stored));
    EXPECT_EQ(stored, 0u);
    manager.setMainWindow(0);
    manager.setFullScreen(true); // no window: nothing posted, the option still stored
    EXPECT_TRUE(manager.fullScreen());
    platform::destroyWindow(window);
}

TEST_F(SettingManagerTest, MessagingSettingsFollowTheirMissingKeyRules) {
    EXPECT_TRUE(manager.smsDeliveryNotify());
    EXPECT_TRUE(manager.saveSent());
    registry::createKey(user, SettingManager::inboxSettingsKey);
    // The key exists but the values do not.
    EXPECT_FALSE(manager.smsDeliveryNotify());
    EXPECT_TRUE(manager.saveSent());
    registry::writeDword(user, SettingManager::inboxSettingsKey, u"SMSDeliveryNotify", 1);
    registry::writeDword(user, SettingManager::inboxSettingsKey, u"SaveSent", 0);
    EXPECT_TRUE(manager.smsDeliveryNotify());
    EXPECT_FALSE(manager.saveSent());
    registry::writeDword(user, SettingManager::inboxSettingsKey, u"SMSDeliveryNotify", 2);
    registry::writeString(user, SettingManager::inboxSettingsKey, u"SaveSent", u"0");
    EXPECT_FALSE(manager.smsDeliveryNotify());
    EXPECT_TRUE(manager.saveSent());
}

} // namespace
} // namespace vantrel
