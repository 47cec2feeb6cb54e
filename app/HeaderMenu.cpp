#include "app/HeaderMenu.h"

#include "app/Sip.h"
#include "platform/shell/Shell.h"
#include "ui/BorderPanel.h"
#include "ui/HeaderLabel.h"
#include "ui/Panel.h"

namespace vantrel {

namespace {

std::vector<MenuEntry> inputPanelEntries(platform::WindowHandle mainWindow,
                                         platform::WindowHandle window) {
    MenuEntry choose{u"choosesip", nullptr, false, {}, {}};
    choose.children.push_back(
        {u"nosip", std::make_unique<DisableSipAction>(window), false, {}, {}});
    for (platform::shell::InputMethod& method : platform::shell::inputMethods())
        choose.children.push_back({u"inputmethod",
                                   std::make_unique<SwitchSipAction>(method.id),
                                   false,
                                   {},
                                   std::move(method.name)});
    std::vector<MenuEntry> entries;
    entries.push_back(std::move(choose));
    entries.push_back({u"showsip", std::make_unique<ShowSipAction>(mainWindow), false, {}, {}});
    entries.push_back({u"cancel", nullptr, false, {}, {}});
    return entries;
}

} // namespace

void installHeaderMenu(platform::WindowHandle mainWindow) {
    HeaderLabel::setMenuOpener([mainWindow](HeaderLabel& header) {
        Panel* page = header.owner();
        if (!page)
            return;
        std::vector<MenuEntry> entries;
        page->addHeaderMenuEntries(entries);
        for (MenuEntry& entry : inputPanelEntries(mainWindow, header.window()))
            entries.push_back(std::move(entry));
        showMenu(page, page->name(), std::move(entries));
    });
}

} // namespace vantrel
