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
#include "platform/display/DisplaySession.h"
#include "settings/DefaultSettingProvider.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "ui/ControlDump.h"
#include "ui/ControlHost.h"
#include "ui/DumpCommands.h"
#include "ui/HostWindow.h"

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
    DisplayOptions display;
    int items = 3000;
};

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string error;
        if (takeDisplayOption(argc, argv, i, options.display, error)) {
            if (!error.empty())
                return false;
        } else if (std::string(argv[i]) == "--items" && i + 1 < argc) {
            options.items = std::clamp(std::atoi(argv[++i]), 0, 100000);
        } else {
            return false;
        }
    }
    return true;
}

// Closing the window ends the program; everything else goes to the controls.
intptr_t hostProcedure(WindowHandle w, uint32_t id, uintptr_t wParam, intptr_t lParam) {
    if (id == msg::close) {
        postQuitMessage(0);
        return 0;
    }
    return hostWindowProcedure(w, id, wParam, lParam);
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
    addDumpCommands(runner, [&window] { return dumpWindow(window); });
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
    DisplaySession session;
    std::string error;
    if (!session.open(options.display, error)) {
        std::fprintf(stderr, "list_host: %s\n", error.c_str());
        return 2;
    }
    WindowHandle window = 0;
    SmartListControl* shownList = nullptr;
    ScriptRunner* runner = session.runner();
    if (runner)
        addHostCommands(*runner, window, shownList);

    SettingManager manager;
    SettingStore& store = SettingStore::instance();
    DefaultSettingProvider provider(manager, store);
    store.setDefaultProvider(&provider);
    store.loadDefaults();
    // The contact list's look, without the main screen's header and bars around it.
    store.addLine(u"contactlist.hostlist.box=12p,0,100%,100%");

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
    if (session.scriptFailure())
        code = session.scriptFailure();
    strip.reset();
    list.reset();
    ControlHost::forgetWindow(window);
    destroyWindow(window);
    return code;
}
