#include "ui/HeaderLabel.h"

#include "platform/registry/Registry.h"
#include "platform/text/TextDrawing.h"
#include "settings/SettingStore.h"
#include "ui/ControlDump.h"
#include "ui/Panel.h"

#include <algorithm>

namespace vantrel {

using platform::Rect;
namespace registry = platform::registry;

namespace {

HeaderLabel::MenuOpener& menuOpener() {
    static HeaderLabel::MenuOpener opener;
    return opener;
}

std::function<std::time_t()>& timeSource() {
    static std::function<std::time_t()> source;
    return source;
}

constexpr std::u16string_view phoneStateKey = u"System\\State\\Phone";
constexpr std::u16string_view batteryStateKey = u"System\\State\\Battery";

} // namespace

HeaderLabel::HeaderLabel(platform::WindowHandle window, std::u16string name, Panel* owner)
    : ContainerPanel(window, u"header", std::move(name)), owner_(owner) {
    platform::setTimer(window, clockTimerId, clockPeriodMs);
}

void HeaderLabel::setMenuOpener(MenuOpener opener) {
    menuOpener() = std::move(opener);
}

void HeaderLabel::setTimeSource(std::function<std::time_t()> source) {
    timeSource() = std::move(source);
}

void HeaderLabel::layout(const Rect& reference) {
    ContainerPanel::layout(reference);
    text_ = ownText_.empty() ? getText(u"text") : ownText_;
}

void HeaderLabel::setText(std::u16string text) {
    ownText_ = std::move(text);
    std::u16string shown = ownText_.empty() ? getText(u"text") : ownText_;
    if (shown == text_)
        return;
    text_ = std::move(shown);
    invalidate(getBox(u"text.box", textBox).rectangle(rect()));
}

HeaderLabel::Status HeaderLabel::readStatus() const {
    Status status;
    uint32_t value = 0;
    if (registry::readDword(registry::Root::localMachine, phoneStateKey, u"Signal Strength Raw",
                            value))
        status.signalPercent = static_cast<int>(std::min<uint32_t>(value, 100));
    if (registry::readDword(registry::Root::localMachine, batteryStateKey, u"Main", value))
        status.batteryLevel = static_cast<int>(value >> 16);
    if (!registry::readString(registry::Root::localMachine, phoneStateKey, u"Current Operator Name",
                              status.network))
        status.network = getText(u"nonetwork.text");
    return status;
}

std::u16string HeaderLabel::clockText() const {
    std::time_t now = timeSource() ? timeSource()() : std::time(nullptr);
    std::tm local{};
    char buffer[16] = {};
    if (!localtime_r(&now, &local) || std::strftime(buffer, sizeof buffer, "%H:%M", &local) == 0)
        return {};
    return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

void HeaderLabel::drawGauge(PaintContext& context, const Rect& clip, const Gauge& gauge, int part,
                            int whole) {
    Rect box = getBox(gauge.boxKey, gauge.box).rectangle(rect());
    if (box.intersected(clip).isEmpty())
        return;
    drawBackground(context, getBackground(gauge.lookKey, gauge.look), box, clip);
    // A level above the full mark (a charging battery reports more) still stays inside
    // the gauge instead of spilling over its neighbours.
    int filled =
        static_cast<int>(static_cast<int64_t>(box.width()) * std::clamp(part, 0, whole) / whole);
    Rect level{box.left, box.top, box.left + filled, box.bottom};
    drawBackground(context, getBackground(gauge.fillKey, gauge.fill), level, clip);
}

int HeaderLabel::paint(PaintContext& context, Rect clip) {
    const Rect& area = rect();
    if (area.intersected(clip).isEmpty())
        return 0;
    drawBackground(context, getBackground(u"background", backgroundLook),
                   getBox(u"background.box", backgroundBox).rectangle(area), clip);
    Rect titleBox = getBox(u"text.box", textBox).rectangle(area);
    if (!titleBox.intersected(clip).isEmpty())
        getFont(u"font", titleFont).drawText(context.surface, text_, titleBox, 0, clip);
    drawBackground(context, getBackground(u"info.background", infoLook),
                   getBox(u"info.box", infoBox).rectangle(area), clip);

    Status status = readStatus();
    drawGauge(context, clip,
              {u"cellsignal.box", u"cellsignal.background", u"cellsignal.foreground", signalBox,
               signalLook, signalFill},
              status.signalPercent, 100);
    drawGauge(context, clip,
              {u"battery.box", u"battery.background", u"battery.foreground", batteryBox,
               batteryLook, batteryFill},
              status.batteryLevel, fullBatteryLevel);

    Rect network = getBox(u"network.box", networkBox).rectangle(area);
    if (!network.intersected(clip).isEmpty())
        getFont(u"network.font", networkFont)
            .drawText(context.surface, status.network, network, 0, clip);
    Rect time = getBox(u"time.box", timeBox).rectangle(area);
    if (!time.intersected(clip).isEmpty())
        getFont(u"time.font", timeFont).drawText(context.surface, clockText(), time, 0, clip);
    return ContainerPanel::paint(context, clip);
}

Rect HeaderLabel::onStylusDown(int x, int y) {
    Rect handled = ContainerPanel::onStylusDown(x, y);
    pressedInHitArea_ = rect().contains({x, y}) && handled.bottom <= 0 &&
                        getBox(u"hit.box", hitBox).rectangle(rect()).contains({x, y});
    return handled;
}

Rect HeaderLabel::onStylusUp(int x, int y) {
    Rect handled = ContainerPanel::onStylusUp(x, y);
    bool tapped = pressedInHitArea_ && handled.bottom <= 0 &&
                  getBox(u"hit.box", hitBox).rectangle(rect()).contains({x, y});
    pressedInHitArea_ = false;
    if (tapped && menuOpener())
        menuOpener()(*this);
    return handled;
}

bool HeaderLabel::onTimer(uintptr_t id) {
    if (id != clockTimerId)
        return ContainerPanel::onTimer(id);
    if (isVisible())
        invalidate(getBox(u"time.box", timeBox).rectangle(rect()));
    return true;
}

void HeaderLabel::describe(DumpWriter& out) const {
    ContainerPanel::describe(out);
    Status status = readStatus();
    out.add("texts", DumpValue(DumpValue::Array{text_, status.network, clockText()}));
    out.add("signal", status.signalPercent);
    out.add("battery", status.batteryLevel);
}

} // namespace vantrel
