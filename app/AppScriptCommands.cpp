#include "app/AppScriptCommands.h"

#include "app/FullScreen.h"
#include "app/MainWindow.h"
#include "app/OptionsPanel.h"
#include "app/RefreshWorkers.h"
#include "app/ScreenSwitch.h"
#include "app/Screens.h"
#include "app/Startup.h"
#include "contacts/ContactNote.h"
#include "contacts/ContactSmartListControl.h"
#include "contacts/ContactStoreAccess.h"
#include "messaging/MessageCounter.h"
#include "messaging/SMSPanel.h"
#include "messaging/SmsBubbleItem.h"
#include "messaging/SmsSmartListControl.h"
#include "platform/core/Backend.h"
#include "platform/core/Utf.h"
#include "platform/shell/Shell.h"
#include "settings/SettingQuery.h"
#include "ui/ControlDump.h"
#include "ui/ControlHost.h"
#include "ui/DumpCommands.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <utility>
#include <cstdio>

namespace vantrel {

using namespace platform;

namespace {

// A command's one word naming a contact by its object id (decimal or 0x hex).
std::optional<uint32_t> contactId(const std::vector<std::string>& words) {
    if (words.size() != 1)
        return std::nullopt;
    try {
        size_t used = 0;
        unsigned long id = std::stoul(words[0], &used, 0);
        if (used != words[0].size() || id > UINT32_MAX)
            return std::nullopt;
        return static_cast<uint32_t>(id);
    } catch (const std::logic_error&) {
        return std::nullopt;
    }
}

// The dump scripts see: the window's controls, plus the window, the task bar and the
// input panel, which belong to the platform rather than to a control.
DumpValue dumpForScripts() {
    DumpValue dump = dumpWindow(mainWindow());
    auto rectValue = [](const Rect& r) {
        return DumpValue(DumpValue::Array{DumpValue(r.left), DumpValue(r.top), DumpValue(r.right),
                                          DumpValue(r.bottom)});
    };
    DumpValue::Object window{{"rect", rectValue(windowRect(mainWindow()))},
                             {"top", DumpValue(windowRect(mainWindow()).top)},
                             {"fullscreen", DumpValue(isFullScreen())},
                             // How often the program brought itself to the front.
                             {"raised", DumpValue(screenRaiseCount())}};
    DumpValue::Object taskbar{{"visible", DumpValue(isTaskBarVisible())}};
    DumpValue::Object sip{{"visible", DumpValue(shell::inputPanelVisible())},
                          {"rect", rectValue(shell::inputPanelRect())}};
    // Whether message and call counts are still being read or wait to be applied.
    DumpValue::Object counts{{"busy", DumpValue(smsRefreshRunning() || callLogRefreshRunning() ||
                                                messageCounter().hasQueued())}};
    if (auto* object = dump.asObject()) {
        object->emplace_back("window", DumpValue(std::move(window)));
        object->emplace_back("taskbar", DumpValue(std::move(taskbar)));
        object->emplace_back("sip", DumpValue(std::move(sip)));
        object->emplace_back("counts", DumpValue(std::move(counts)));
    }
    return dump;
}

// Platform values are addressed as "window.top", "sip.visible"; everything else is a
// control path ("contactcontainer/header.texts").
const DumpValue* lookUp(const DumpValue& dump, std::string_view path) {
    for (const char* part : {"window.", "taskbar.", "sip.", "counts."}) {
        if (path.starts_with(part)) {
            const DumpValue* group = dump.member(std::string_view(part, std::strlen(part) - 1));
            return group ? group->member(path.substr(std::strlen(part))) : nullptr;
        }
    }
    return findDumpValue(dump, path);
}

// The conversation's bubble N (0 = the oldest shown), scrolled into view; its centre
// in screen coordinates.
std::optional<Point> bubblePoint(const std::vector<std::string>& w) {
    SMSPanel* panel = screens().conversation;
    SmsSmartListControl* list = panel ? panel->list() : nullptr;
    if (!list || !panel->isVisible() || w.size() != 1)
        return std::nullopt;
    size_t index = 0;
    try {
        index = std::stoul(w[0]);
    } catch (...) {
        return std::nullopt;
    }
    SmsBubbleItem* bubble = list->bubble(index);
    if (!bubble)
        return std::nullopt;
    Rect area = list->itemRect(bubble);
    if (area.top < list->rect().top || area.bottom > list->rect().bottom) {
        list->scrollToItem(static_cast<int>(index), true);
        ControlHost::renderAll(mainWindow());
        area = list->itemRect(bubble);
    }
    return clientToScreen(mainWindow(),
                          {(area.left + area.right) / 2, (area.top + area.bottom) / 2});
}

bool handled(const std::u16string& name) {
    const auto& log = handledRegisteredMessages();
    return std::find(log.begin(), log.end(), name) != log.end();
}

// Reads the optional timeout in milliseconds that may follow `fixed` leading words
// (5000 without one); false when the words are more or fewer, or it is no number.
bool optionalTimeout(const std::vector<std::string>& w, size_t fixed, uint32_t& timeout) {
    timeout = 5000;
    if (w.size() < fixed || w.size() > fixed + 1)
        return false;
    if (w.size() == fixed)
        return true;
    try {
        timeout = static_cast<uint32_t>(std::stoul(w[fixed]));
    } catch (...) {
        return false;
    }
    return true;
}

} // namespace

void addAppScriptCommands(ScriptRunner& runner) {
    // The script ends the program, so the logs it reads live exactly as long as it runs.
    recordForScripts(true);
    runner.addCommand("print", [](const std::vector<std::string>& w, std::string& out) {
        for (size_t i = 0; i < w.size(); ++i)
            out += (i ? " " : "") + w[i];
        return std::string();
    });
    runner.addCommand("received", [](const std::vector<std::string>& w, std::string& out) {
        if (!w.empty())
            return std::string("received takes nothing");
        out = "received:";
        for (const auto& name : handledRegisteredMessages())
            out += " " + toUtf8(name);
        return std::string();
    });
    runner.addCommand("expect-message", [&runner](const std::vector<std::string>& w, std::string&) {
        if (w.empty() || w.size() > 2)
            return std::string("expect-message takes a message name and an optional timeout");
        uint32_t timeout = 0;
        if (!optionalTimeout(w, 1, timeout))
            return std::string("expect-message: bad timeout '" + w[1] + "'");
        std::u16string name = toUtf16(w[0]);
        runner.waitUntil([name] { return handled(name); }, timeout,
                         "the main window did not receive " + w[0]);
        return std::string();
    });
    // expect-next-message NAME [MS]: as expect-message, for an arrival after this line,
    // so a script can take turns with another process many times over.
    runner.addCommand("expect-next-message", [&runner](const std::vector<std::string>& w,
                                                       std::string&) {
        if (w.empty() || w.size() > 2)
            return std::string("expect-next-message takes a message name and an optional timeout");
        uint32_t timeout = 0;
        if (!optionalTimeout(w, 1, timeout))
            return std::string("expect-next-message: bad timeout '" + w[1] + "'");
        const std::u16string name = toUtf16(w[0]);
        const auto count = [name] {
            const auto& log = handledRegisteredMessages();
            return std::count(log.begin(), log.end(), name);
        };
        const auto before = count();
        runner.waitUntil([count, before] { return count() > before; }, timeout,
                         "the main window did not receive " + w[0] + " again");
        return std::string();
    });
    runner.addCommand("expect-stylus", [&runner](const std::vector<std::string>& w, std::string&) {
        uint32_t timeout = 0;
        if (!optionalTimeout(w, 0, timeout))
            return std::string("expect-stylus takes an optional timeout");
        size_t seen = stylusDowns().size();
        runner.waitUntil(
            [seen] {
                if (stylusDowns().size() <= seen)
                    return false;
                Point p = stylusDowns()[seen];
                std::printf("stylus down %d %d\n", p.x, p.y);
                std::fflush(stdout);
                return true;
            },
            timeout, "the stylus did not touch the main window");
        return std::string();
    });
    // Setting lookups: the words go to the store's query as UTF-16.
    using Query = bool (*)(const std::vector<std::u16string>&, std::string&, std::string&);
    for (const auto& command : {std::pair<const char*, Query>{"setting", runSettingCommand},
                                std::pair<const char*, Query>{"settings-load", runSettingsLoadCommand}}) {
        Query query = command.second;
        runner.addCommand(command.first, [query](const std::vector<std::string>& w, std::string& out) {
            std::vector<std::u16string> words;
            for (const auto& word : w)
                words.push_back(toUtf16(word));
            std::string error;
            return query(words, out, error) ? std::string() : error;
        });
    }
    addDumpCommands(runner, dumpForScripts, lookUp);
    runner.addCommand("sip-rect", [](const std::vector<std::string>& w, std::string&) {
        int v[4];
        try {
            if (w.size() != 4)
                throw 0;
            for (int i = 0; i < 4; ++i)
                v[i] = std::stoi(w[i]);
        } catch (...) {
            return std::string("sip-rect takes LEFT TOP RIGHT BOTTOM");
        }
        shell::moveInputPanel({v[0], v[1], v[2], v[3]});
        return std::string();
    });
    // Waits on the contact list without a dump, so timing and memory runs over large
    // address books measure the list and not the dump.
    runner.addCommand("expect-rows", [&runner](const std::vector<std::string>& w, std::string&) {
        size_t rows = 0;
        uint32_t timeout = 0;
        try {
            if (!optionalTimeout(w, 1, timeout))
                throw 0;
            rows = std::stoul(w[0]);
        } catch (...) {
            return std::string("expect-rows takes a row count and an optional timeout");
        }
        runner.waitUntil(
            [rows] {
                ContactSmartListControl* list = mainContactList();
                return list && list->shownItems().size() >= rows;
            },
            timeout, "the contact list did not show " + w[0] + " rows");
        return std::string();
    });
    runner.addCommand("expect-loaded", [&runner](const std::vector<std::string>& w, std::string&) {
        uint32_t timeout = 0;
        if (!optionalTimeout(w, 0, timeout))
            return std::string("expect-loaded takes an optional timeout");
        runner.waitUntil(
            [] {
                ContactSmartListControl* list = mainContactList();
                return list && !list->isLoading();
            },
            timeout, "the contact list did not finish loading");
        return std::string();
    });
    runner.addCommand("expect-box", [](const std::vector<std::string>& w, std::string&) {
        if (w.size() != 1)
            return std::string("expect-box takes one quoted \"caption: text\"");
        auto log = messageBoxLog();
        if (std::find(log.begin(), log.end(), toUtf16(w[0])) == log.end())
            return std::string("no message box \"" + w[0] + "\" was shown");
        return std::string();
    });
    // Screens that no message of the device opens, reached the way their menu entries
    // reach them.
    runner.addCommand("go-to", [](const std::vector<std::string>& w, std::string&) {
        if (w.size() == 1 && w[0] == "options") {
            goToOptions();
            return std::string();
        }
        return std::string("go-to takes a screen: options");
    });
    // open-note ID: the note screen of the contact with that object id, as the detail
    // screen's Note button opens it.
    runner.addCommand("open-note", [](const std::vector<std::string>& w, std::string&) {
        std::optional<uint32_t> id = contactId(w);
        if (!id)
            return std::string("open-note takes a contact id");
        ContactSmartListControl* list = mainContactList();
        if (!list || !list->store() || !goToContactNote(mainWindow(), *list->store(), *id))
            return "open-note: no contact " + w[0];
        return std::string();
    });
    // call-contact ID: the contact list's call slot for the contact with that object id,
    // as the phone's call key would run it: the dialer with its preferred number.
    runner.addCommand("call-contact", [](const std::vector<std::string>& w, std::string&) {
        std::optional<uint32_t> id = contactId(w);
        if (!id)
            return std::string("call-contact takes a contact id");
        ContactSmartListControl* list = mainContactList();
        ContactListItem* contact = list ? list->findByObjectId(*id) : nullptr;
        if (!contact)
            return "call-contact: no contact " + w[0];
        list->callItem(contact);
        return std::string();
    });
    // open-edit ID | new: the contact editor, as the detail screen's Edit and the list's
    // "<New Contact>" open it.
    runner.addCommand("open-edit", [](const std::vector<std::string>& w, std::string&) {
        if (w.size() == 1 && w[0] == "new")
            return goToNewContact() ? std::string() : std::string("open-edit: no store");
        std::optional<uint32_t> id = contactId(w);
        if (!id)
            return std::string("open-edit takes a contact id or new");
        return goToEditContact(*id) ? std::string() : "open-edit: no contact " + w[0];
    });
    // open-conversation ID | number NUMBER: the conversation with the contact of that
    // object id on its message number, as "SMS & History" opens it, or with a typed
    // number, as the list's "SMS %s" opens it.
    runner.addCommand("open-conversation", [](const std::vector<std::string>& w, std::string&) {
        if (w.size() == 2 && w[0] == "number") {
            goToConversation(nullptr, platform::toUtf16(w[1]));
            return std::string();
        }
        std::optional<uint32_t> id = contactId(w);
        if (!id)
            return std::string("open-conversation takes a contact id or number NUMBER");
        ContactSmartListControl* list = mainContactList();
        ContactListItem* contact = list ? list->findByObjectId(*id) : nullptr;
        if (!contact)
            return "open-conversation: no contact " + w[0];
        goToConversation(contact, list->messageNumber(*contact));
        return std::string();
    });
    runner.addCommand("expect-conversation",
                      [&runner](const std::vector<std::string>& w, std::string&) {
                          uint32_t timeout = 0;
                          if (!optionalTimeout(w, 0, timeout))
                              return std::string("expect-conversation takes an optional timeout");
                          runner.waitUntil(
                              [] {
                                  SMSPanel* panel = screens().conversation;
                                  return panel && !panel->loading();
                              },
                              timeout, "the conversation did not finish loading");
                          return std::string();
                      });
    // tap-control PATH: a tap at the centre of the control the dump path names, wherever
    // the input panel has moved it.
    runner.addCommand("tap-control", [](const std::vector<std::string>& w, std::string&) {
        if (w.size() != 1)
            return std::string("tap-control takes a control's dump path");
        DumpValue dump = dumpForScripts();
        const DumpValue* rect = findDumpValue(dump, w[0] + ".rect");
        const DumpValue::Array* edges = rect ? rect->asArray() : nullptr;
        if (!edges || edges->size() != 4)
            return "tap-control: no control " + w[0];
        int v[4];
        for (size_t i = 0; i < 4; ++i)
            v[i] = static_cast<int>(*(*edges)[i].asInteger());
        Point at = clientToScreen(mainWindow(), {(v[0] + v[2]) / 2, (v[1] + v[3]) / 2});
        injectStylus(StylusAction::down, at);
        injectStylus(StylusAction::up, at);
        return std::string();
    });
    // tap-bubble N, hold-bubble N: the stylus on the conversation's bubble N (0 = the
    // oldest), tapped at once or left down (a long press once time passes).
    for (const char* name : {"tap-bubble", "hold-bubble"}) {
        const bool tap = std::strcmp(name, "tap-bubble") == 0;
        runner.addCommand(name, [tap, name](const std::vector<std::string>& w, std::string&) {
            std::optional<Point> at = bubblePoint(w);
            if (!at)
                return std::string(name) + " takes the index of a shown bubble";
            injectStylus(StylusAction::down, *at);
            if (tap)
                injectStylus(StylusAction::up, *at);
            return std::string();
        });
    }
    // open-add NUMBER: the page adding that number to a contact, as "Add %s" opens it.
    runner.addCommand("open-add", [](const std::vector<std::string>& w, std::string&) {
        if (w.size() != 1)
            return std::string("open-add takes a number");
        return goToAddContact(platform::toUtf16(w[0])) ? std::string()
                                                        : std::string("open-add: no store");
    });
}

} // namespace vantrel
