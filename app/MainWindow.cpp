#include "app/MainWindow.h"

#include "app/Messages.h"
#include "app/Startup.h"
#include "platform/core/Backend.h"
#include "platform/gfx/Surface.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "ui/utils.h"

#include <algorithm>

namespace vantrel {

using namespace platform;

namespace {

std::vector<std::u16string> handled;
std::vector<Point> downs;

// Until the screens exist the window shows the main screen's look straight from the
// settings: the class's white background, the screen's background, and the header with
// its title.
void paint(WindowHandle window) {
    Rect damaged = beginPaint(window);
    if (Surface* buffer = windowBuffer(window)) {
        SettingStore& store = SettingStore::instance();
        constexpr std::u16string_view screen = u"contactcontainer";
        const Rect client = buffer->bounds();
        fillSolid(*buffer, client, damaged, rgb(255, 255, 255));
        store.background(u"panel", screen, u"background").draw(*buffer, client, damaged);
        const Rect header = store.box(u"header", screen, u"box").rectangle(client);
        store.background(u"header", screen, u"background")
            .draw(*buffer, store.box(u"header", screen, u"background.box").rectangle(header),
                  damaged);
        std::u16string title = store.text(u"header", screen, u"text");
        if (title.empty())
            title = u"Vantrel";
        store.font(u"header", screen, u"font")
            .drawText(*buffer, title, store.box(u"header", screen, u"text.box").rectangle(header),
                      0, damaged);
    }
    endPaint(window);
}

// Places the window below the task bar, or over the whole screen in full screen.
void doFullScreen(WindowHandle window) {
    setForegroundWindow(window);
    bool fullScreen = SettingManager::instance().fullScreen();
    setTaskBarVisible(!fullScreen);
    Size screen = screenSize();
    int top = fullScreen ? 0 : workArea().top;
    moveWindow(window, {0, top, screen.width, screen.height}, false);
    invalidateRect(window);
}

} // namespace

const std::vector<std::u16string>& handledRegisteredMessages() { return handled; }

const std::vector<Point>& stylusDowns() { return downs; }

intptr_t mainWindowProcedure(WindowHandle window, uint32_t id, uintptr_t wParam, intptr_t lParam) {
    if (id >= msg::firstRegistered) {
        std::u16string_view name = registeredMessageName(id);
        if (name.empty())
            return defaultWindowProcedure(window, id, wParam, lParam);
        handled.emplace_back(name);
        if (id == registeredMessages().doFullScreen)
            doFullScreen(window);
        return 0;
    }
    switch (id) {
    case msg::destroy:
        postQuitMessage(0);
        return 0;
    case msg::activate:
        initialiseOnce(window);
        return defaultWindowProcedure(window, id, wParam, lParam);
    case msg::paint:
        paint(window);
        return 0;
    case msg::leftButtonDown:
        downs.push_back(unpackPoint(lParam));
        return 0;
    case msg::eraseBackground:
        return 0;
    case repaintMessage: {
        // Only a poster of this process can hand over the address of a rectangle.
        const Rect* area = dispatchingMessageFromOtherProcess()
                               ? nullptr
                               : reinterpret_cast<const Rect*>(wParam);
        invalidateRect(window, area);
        return 0;
    }
    default:
        return defaultWindowProcedure(window, id, wParam, lParam);
    }
}

} // namespace vantrel
