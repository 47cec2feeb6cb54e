// list_host [--headless] [--script FILE] [--size WxH] [--items N]
//
// A test program, not part of the product: one window showing a contact-style smart list
// of a few thousand names under letter separators, with the index strip beside it, so
// scripts can fling, bounce, jump by letter and take screenshots of the list alone.
// Besides the platform's script commands it knows:
//   dump FILE           writes the window's controls as JSON
//   expect PATH VALUE   fails unless the dumped value at PATH reads VALUE
//                       ("hostlist.offset 0", "strip.active false")
//   print TEXT...       prints the words; "$offset" stands for the list's offset

#include "lists/BaseItem.h"
#include "lists/LeftSearchPanel.h"
#include "lists/SmartListControl.h"
#include "platform/core/Backend.h"
#include "platform/core/Utf.h"
#include "platform/display/Display.h"
#include "platform/display/ScriptRunner.h"
#include "settings/DefaultSettingProvider.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "ui/ControlDump.h"
#include "ui/ControlHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

using namespace vantrel;
using namespace vantrel::platform;

namespace {

struct Options {
    bool headless = false;
    std::string script;
    Size screen = defaultScreenSize;
    int items = 3000;
};

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--headless") {
            options.headless = true;
        } else if (word == "--script" && i + 1 < argc) {
            options.script = argv[++i];
        } else if (word == "--size" && i + 1 < argc) {
            int w = 0, h = 0;
            if (std::sscanf(argv[++i], "%dx%d", &w, &h) != 2 || w < 16 || h < 16 || w > 4096 ||
                h > 4096)
                return false;
            options.screen = {w, h};
        } else if (word == "--items" && i + 1 < argc) {
            options.items = std::clamp(std::atoi(argv[++i]), 0, 100000);
        } else {
            return false;
        }
    }
    const char* backend = std::getenv("VANTREL_BACKEND");
    if ((backend && std::strcmp(backend, "headless") == 0) || !displayServerAvailable())
        options.headless = true;
    return true;
}

intptr_t hostProcedure(WindowHandle w, uint32_t id, uintptr_t wParam, intptr_t lParam) {
    Point p = unpackPoint(lParam);
    switch (id) {
    case msg::paint:
        ControlHost::paintWindow(w, beginPaint(w));
        endPaint(w);
        return 0;
    case msg::size:
        ControlHost::layoutAll(w, clientRect(w));
        invalidateRect(w);
        return 0;
    case msg::timer:
        ControlHost::timer(w, wParam);
        return 0;
    case msg::leftButtonDown:
        ControlHost::stylusDown(w, p.x, p.y);
        return 0;
    case msg::mouseMove:
        ControlHost::stylusMove(w, p.x, p.y);
        return 0;
    case msg::leftButtonUp:
        ControlHost::stylusUp(w, p.x, p.y);
        return 0;
    case msg::keyDown:
        ControlHost::key(w, static_cast<int>(wParam), 0);
        return 0;
    case msg::character:
        ControlHost::key(w, 0, static_cast<char16_t>(wParam));
        return 0;
    case msg::close:
        postQuitMessage(0);
        return 0;
    default:
        return defaultWindowProcedure(w, id, wParam, lParam);
    }
}

// Made-up names, spread over the alphabet like an address book, sorted, with a
// separator before each new first letter.
void fillList(SmartListControl& list, int count) {
    static const char16_t* first[] = {u"Anna", u"Bruno", u"Carla", u"Dario",  u"Elena", u"Fabio",
                                      u"Gina", u"Hugo",  u"Irene", u"Jonas",  u"Karla", u"Luca",
                                      u"Mara", u"Nico",  u"Olga",  u"Paolo",  u"Rita",  u"Sven",
                                      u"Tina", u"Ugo",   u"Vera",  u"Walter", u"Yara",  u"Zeno"};
    std::vector<std::u16string> names;
    names.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const char16_t* given = first[static_cast<size_t>(i * 7 + i / 24) % std::size(first)];
        names.push_back(std::u16string(given) + u" " + toUtf16(std::to_string(1000 + i)));
    }
    std::sort(names.begin(), names.end());
    char16_t section = 0;
    for (auto& name : names) {
        if (name.front() != section) {
            section = name.front();
            list.appendItem(makeItem<SeparatorItem>(std::u16string(1, section)));
        }
        list.appendItem(makeItem<SimpleItem>(std::move(name)));
    }
}

void addHostCommands(ScriptRunner& runner, WindowHandle& window, SmartListControl*& list) {
    runner.addCommand("dump", [&window](const std::vector<std::string>& w, std::string&) {
        if (w.size() != 1)
            return std::string("dump takes a file name");
        std::ofstream file(w[0], std::ios::binary);
        file << dumpWindow(window).toJson() << '\n';
        return file ? std::string() : "cannot write " + w[0];
    });
    runner.addCommand("expect", [&window](const std::vector<std::string>& w, std::string&) {
        if (w.size() != 2)
            return std::string("expect takes a path and a value");
        DumpValue dump = dumpWindow(window);
        const DumpValue* value = findDumpValue(dump, w[0]);
        if (!value)
            return "nothing at " + w[0];
        if (!dumpValueMatches(*value, w[1]))
            return w[0] + " is " + value->toJson() + ", not " + w[1];
        return std::string();
    });
    runner.addCommand("print", [&list](const std::vector<std::string>& w, std::string& out) {
        for (size_t i = 0; i < w.size(); ++i)
            out += (i ? " " : "") +
                   (w[i] == "$offset" && list ? std::to_string(list->scrollOffset()) : w[i]);
        return std::string();
    });
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: list_host [--headless] [--script FILE] [--size WxH] "
                             "[--items N]\n");
        return 2;
    }
    std::vector<std::string> lines;
    std::string error;
    if (!options.script.empty() && !ScriptRunner::readScript(options.script, lines, error)) {
        std::fprintf(stderr, "list_host: %s\n", error.c_str());
        return 2;
    }
    if (options.headless && options.script.empty()) {
        std::fprintf(stderr, "list_host: no display; run with --script FILE\n");
        return 2;
    }
    std::unique_ptr<Display> display = createDisplay(
        options.headless ? BackendKind::headless : BackendKind::sdl, options.screen, error);
    if (!display) {
        std::fprintf(stderr, "list_host: %s\n", error.c_str());
        return 2;
    }
    WindowHandle window = 0;
    SmartListControl* shownList = nullptr;
    std::unique_ptr<ScriptRunner> runner;
    if (!options.script.empty()) {
        runner = std::make_unique<ScriptRunner>(*display, std::move(lines));
        addHostCommands(*runner, window, shownList);
        installBackend(runner.get());
    } else {
        installBackend(display.get());
    }

    SettingManager manager;
    SettingStore& store = SettingStore::instance();
    DefaultSettingProvider provider(manager, store);
    store.setDefaultProvider(&provider);
    store.loadDefaults();
    // The contact list's look, without the main screen's header and bars around it.
    store.addLine(u"contactlist.hostlist.box=12p,0,100%,100%");
    store.addLine(u"searchindex.strip.leftborder=20p");
    store.addLine(u"searchindex.strip.rightborder=20p");

    registerClass({u"list-host", &hostProcedure});
    window = createWindow(u"list-host", u"List host",
                          {useDefault, useDefault, useDefault, useDefault}, true);
    if (!window) {
        std::fprintf(stderr, "list_host: cannot create the window\n");
        return 1;
    }
    if (runner)
        runner->setTarget(window);
    auto list = std::make_unique<SmartListControl>(window, u"hostlist", u"contactlist");
    shownList = list.get();
    fillList(*list, options.items);
    auto strip = std::make_unique<LeftSearchPanel>(window, u"strip", *list);
    ControlHost::addControl(window, strip.get());
    ControlHost::addControl(window, list.get());
    Rect client = clientRect(window);
    strip->layout(client);
    list->layout(client);
    setFocus(window);
    invalidateRect(window);

    int code = runMessageLoop();
    if (runner && runner->failure())
        code = runner->failure();
    strip.reset();
    list.reset();
    ControlHost::forgetWindow(window);
    destroyWindow(window);
    installBackend(nullptr);
    return code;
}
