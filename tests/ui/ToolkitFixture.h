#pragma once
// A real window in virtual time whose procedure hands everything to the control host,
// the built-in look loaded into the process's setting store, and a 480 x 800 screen
// (so "p" measures are doubled).

#include "platform/core/Backend.h"
#include "platform/core/Clock.h"
#include "platform/core/Window.h"
#include "platform/gfx/Surface.h"
#include "settings/DefaultSettingProvider.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "ui/ControlHost.h"
#include "ui/HostWindow.h"
#include "ui/LightControl.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel::test {

class Toolkit : public testing::Test {
protected:
    static constexpr int screenWidth = 480;
    static constexpr int screenHeight = 800;

    void SetUp() override {
        ScreenMetrics::setSizeSource([] { return platform::Size{screenWidth, screenHeight}; });
        platform::useVirtualClock(true, 1000);
        SettingStore& store = SettingStore::instance();
        store.setLandscape(false);
        store.reset();
        store.setDefaultProvider(&provider);
        store.loadDefaults();
        // As at start-up.
        store.setCacheClearListener(ControlHost::reloadAllWindows);
        static bool registered = platform::registerClass({u"ui-test", &hostWindowProcedure});
        ASSERT_TRUE(registered);
        window = platform::createWindow(u"ui-test", u"Toolkit",
                                        platform::Rect{0, 0, screenWidth, screenHeight}, true);
        ASSERT_NE(window, 0u);
        client = platform::clientRect(window);
        platform::pumpMessages();
    }

    void TearDown() override {
        ControlHost::forgetWindow(window);
        platform::destroyWindow(window);
        platform::pumpMessages();
        SettingStore::instance().setDefaultProvider(nullptr);
        SettingStore::instance().setCacheClearListener({});
        ScreenMetrics::setSizeSource({});
    }

    // Lets virtual time pass, running the timers and paints that fall due.
    void advance(uint32_t ms) {
        while (ms > 0) {
            int next = platform::millisecondsToNextTimer();
            uint32_t step = next < 0 || static_cast<uint32_t>(next) > ms ? ms : std::max(next, 1);
            platform::advanceVirtualClock(step);
            ms -= step;
            platform::pumpMessages();
        }
        platform::pumpMessages();
    }

    void tap(int x, int y) {
        platform::injectStylus(platform::StylusAction::down, {x, y});
        platform::injectStylus(platform::StylusAction::up, {x, y});
        platform::pumpMessages();
    }
    void stylus(platform::StylusAction action, int x, int y) {
        platform::injectStylus(action, {x, y});
        platform::pumpMessages();
    }

    // Repaints the whole window now.
    void repaint() {
        platform::invalidateRect(window);
        platform::pumpMessages();
    }

    platform::Colour pixel(int x, int y) const {
        return platform::fromPixel565(platform::windowBuffer(window)->at(x, y));
    }
    // The colour as the RGB565 buffer holds it.
    static platform::Colour as565(platform::Colour c) {
        return platform::fromPixel565(platform::toPixel565(c));
    }

    SettingManager manager;
    DefaultSettingProvider provider{manager, SettingStore::instance()};
    platform::WindowHandle window = 0;
    platform::Rect client;
};

// A control that fills its box with one colour, takes the stylus inside its rectangle,
// and records what reached it.
class Probe : public LightControl {
public:
    Probe(platform::WindowHandle window, std::u16string name, platform::Rect place,
          platform::Colour colour)
        : LightControl(window, u"probe", std::move(name)), place_(place), colour_(colour) {}

    void layout(const platform::Rect&) override {
        ++layouts;
        setRect(place_);
    }
    int paint(PaintContext& context, platform::Rect clip) override {
        platform::Rect area = rect().intersected(clip);
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                context.surface.set(x, y, platform::toPixel565(colour_));
        ++paints;
        return 1;
    }
    platform::Rect onStylusDown(int x, int y) override { return hit("down", x, y); }
    platform::Rect onStylusUp(int x, int y) override { return hit("up", x, y); }
    platform::Rect onStylusRelease(int, int) override {
        events.push_back("release");
        return {};
    }
    platform::Rect onKey(int key, char16_t) override {
        events.push_back("key " + std::to_string(key));
        return takesKeys ? rect() : platform::Rect{};
    }
    bool onTimer(uintptr_t id) override {
        timers.push_back(id);
        return id == claims;
    }

    std::vector<std::string> events;
    std::vector<uintptr_t> timers;
    uintptr_t claims = 0;
    bool takesKeys = false;
    int layouts = 0;
    int paints = 0;

private:
    platform::Rect hit(const char* what, int x, int y) {
        if (!rect().contains({x, y}))
            return {};
        events.push_back(what);
        return rect();
    }

    platform::Rect place_;
    platform::Colour colour_;
};

} // namespace vantrel::test
