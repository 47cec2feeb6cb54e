#include "app/IconPanel.h"
#include "app/OptionsPanel.h"

#include "app/OptionsPanel.h"
#include "app/ScreenSwitch.h"
#include "app/Screens.h"
#include "app/Sip.h"
#include "app/Startup.h"
#include "app/SymbolPadContainer.h"
#include "platform/core/Backend.h"
#include "platform/text/TextDrawing.h"
#include "settings/Box.h"
#include "settings/Font.h"
#include "settings/TextFormatter.h"
#include "ui/Button.h"
#include "ui/ControlDump.h"
#include "ui/ControlHost.h"

#include <string>

namespace vantrel {

using platform::Rect;

IconPanel::IconPanel(platform::WindowHandle window, std::unique_ptr<Action> filterAction)
    : ContainerPanel(window, u"iconpanel", u"iconpanel") {
    auto favorite = std::make_unique<IconButton>(window, u"favoritebutton");
    favorite->setAction(std::make_unique<IconFavoriteAction>());
    addChild(std::move(favorite));
    auto sms = std::make_unique<IconButton>(window, u"smsbutton");
    sms->setAction(std::make_unique<IconSmsAction>());
    addChild(std::move(sms));
    auto filter = std::make_unique<IconButton>(window, u"filterbutton");
    filter->setAction(std::move(filterAction));
    addChild(std::move(filter));
    auto phone = std::make_unique<IconButton>(window, u"phonebutton");
    phone->setAction(std::make_unique<PhonePadAction>());
    phone->setLongPressAction(std::make_unique<IconSymbolPadAction>(*this));
    addChild(std::move(phone));
}

void IconPanel::layout(const Rect& reference) {
    reference_ = reference;
    ContainerPanel::layout(reference);
}

std::u16string IconPanel::badgeText() {
    const int unread = unreadSmsCount();
    return unread > 0 ? formatText(u"%i", {unread}) : std::u16string();
}

int IconPanel::paint(PaintContext& context, Rect clip) {
    if (rect().intersected(clip).isEmpty())
        return 0;
    drawBackground(context, getBackground(u"background", barLook), rect(), clip);
    ContainerPanel::paint(context, clip);
    const std::u16string badge = badgeText();
    if (!badge.empty()) {
        Rect box = getBox(u"smscounter.box", counterBox).rectangle(rect());
        drawBackground(context, getBackground(u"smscounter.background", counterLook), box, clip);
        getFont(u"smscounter.font", counterFont)
            .drawText(context.surface, badge, box,
                      platform::TextFormat::Centre | platform::TextFormat::VerticalCentre |
                          platform::TextFormat::NoPrefix,
                      clip);
    }
    return 1;
}

Rect IconPanel::onStylusDown(int x, int y) {
    Rect dirty = ContainerPanel::onStylusDown(x, y);
    pressedInside_ = !dirty.isEmpty();
    return dirty;
}

Rect IconPanel::onStylusMove(int x, int y) {
    if (!pressedInside_)
        return {};
    return ContainerPanel::onStylusMove(x, y);
}

void IconPanel::describe(DumpWriter& out) const {
    ContainerPanel::describe(out);
    out.add("badge", std::u16string_view(badgeText()));
}

void IconPanel::openSymbolPad() {
    if (symbolPad_)
        return;
    struct Entry {
        const char16_t* name;
        std::unique_ptr<Action> action;
    };
    Entry entries[] = {{u"classicontactbutton", std::make_unique<ClassicContactAction>()},
                       {u"optionbutton", std::make_unique<OptionsMenuAction>(mainWindow())},
                       {u"minimizebutton", std::make_unique<IconHideAction>()},
                       {u"closebutton", std::make_unique<CloseAction>()}};
    pressedInside_ = false;
    auto pad = std::make_unique<SymbolPadContainer>(window());
    for (Entry& entry : entries) {
        auto button = std::make_unique<IconButton>(window(), entry.name);
        button->setAction(
            std::make_unique<SymbolDeleteProxyAction>(std::move(entry.action), *this));
        pad->addChild(std::move(button));
    }
    // In front of the bar's own buttons: it takes the input first.
    symbolPad_ = addChildFront(std::move(pad));
    symbolPad_->layout(reference_);
    hideSip(window());
    // The screen behind the row is shaded once, here; the row then paints over it.
    platform::Surface* screen = platform::windowBuffer(window());
    platform::Backend* backend = platform::installedBackend();
    if (screen && backend) {
        const Rect client = platform::clientRect(window());
        symbolPad_->shade(*screen, client);
        backend->present(window(), *screen, platform::windowRect(window()), client);
    }
    invalidate(symbolPad_->rect());
}

void IconPanel::closeSymbolPad() {
    if (!symbolPad_)
        return;
    std::unique_ptr<LightControl> pad = removeChild(symbolPad_);
    symbolPad_ = nullptr;
    invalidateWindow();
}

// ---- the bar's actions ----

void IconFavoriteAction::execute() {
    if (Screens& s = screens(); s.contactList)
        s.contactList->setVisible(true);
    goToFavorites(true);
}

void IconSmsAction::execute() {
    if (Screens& s = screens(); s.contactList)
        s.contactList->setVisible(true);
    goToSmsList(true);
}

void PhonePadAction::execute() {
    toggleDialpad();
}

} // namespace vantrel
