// The main screen's repaint costs at 480 x 800: a page with its header and twenty
// buttons and labels painted whole, and the repaint a button press causes.

#include "platform/core/Utf.h"
#include "platform/core/Window.h"
#include "platform/registry/Registry.h"
#include "settings/DefaultSettingProvider.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "ui/Button.h"
#include "ui/ControlHost.h"
#include "ui/Label.h"
#include "ui/Panel.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace vantrel;
using platform::Rect;

constexpr int width = 480;
constexpr int height = 800;

intptr_t procedure(platform::WindowHandle w, uint32_t id, uintptr_t wParam, intptr_t lParam) {
    return platform::defaultWindowProcedure(w, id, wParam, lParam);
}

// The screen: a page with a header, ten buttons and ten labels in two columns.
struct Screen {
    Screen() {
        ScreenMetrics::setSizeSource([] { return platform::Size{width, height}; });
        SettingStore& store = SettingStore::instance();
        store.setDefaultProvider(&provider);
        store.loadDefaults();
        store.addLine(u"panel.bench.background=fill(#FFFFFF)");
        platform::registry::writeDword(platform::registry::Root::localMachine,
                                       u"System\\State\\Battery", u"Main", 60u << 16);
        platform::registry::writeDword(platform::registry::Root::localMachine,
                                       u"System\\State\\Phone", u"Signal Strength Raw", 70);
        platform::registerClass({u"bench", &procedure});
        window = platform::createWindow(u"bench", u"Bench", Rect{0, 0, width, height}, true);
        page = std::make_unique<Panel>(window, u"bench");
        for (int i = 0; i < 10; ++i) {
            std::u16string row = std::u16string(1, static_cast<char16_t>(u'0' + i));
            int top = 100 + i * 68;
            store.addLine(u"button.b" + row + u".box=10," + platform::toUtf16(std::to_string(top)) +
                          u",235," + platform::toUtf16(std::to_string(top + 60)));
            store.addLine(u"button.b" + row + u".text=Button " + row);
            store.addLine(u"label.l" + row + u".box=245," + platform::toUtf16(std::to_string(top)) +
                          u",470," + platform::toUtf16(std::to_string(top + 60)));
            store.addLine(u"label.l" + row + u".text=A label that wraps over two lines " + row);
            page->addChild(std::make_unique<Button>(window, u"b" + row));
            page->addChild(std::make_unique<Label>(window, u"l" + row));
        }
        ControlHost::addControl(window, page.get());
        ControlHost::layoutAll(window, platform::clientRect(window));
        ControlHost::paintWindow(window, {0, 0, width, height});
    }
    ~Screen() {
        ControlHost::forgetWindow(window);
        platform::destroyWindow(window);
        SettingStore::instance().setDefaultProvider(nullptr);
        ScreenMetrics::setSizeSource({});
    }

    SettingManager manager;
    DefaultSettingProvider provider{manager, SettingStore::instance()};
    platform::WindowHandle window = 0;
    std::unique_ptr<Panel> page;
};

void BM_FullWindowPaint(benchmark::State& state) {
    Screen screen;
    for (auto _ : state)
        ControlHost::paintWindow(screen.window, {0, 0, width, height});
}
BENCHMARK(BM_FullWindowPaint)->Unit(benchmark::kMillisecond);

void BM_ButtonPressRepaint(benchmark::State& state) {
    Screen screen;
    Rect button = screen.page->child(1)->rect();
    int x = (button.left + button.right) / 2, y = (button.top + button.bottom) / 2;
    for (auto _ : state) {
        ControlHost::stylusDown(screen.window, x, y);
        ControlHost::paintWindow(screen.window, button);
        ControlHost::stylusUp(screen.window, x, y);
        ControlHost::paintWindow(screen.window, button);
    }
}
BENCHMARK(BM_ButtonPressRepaint)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
