#pragma once
// The title strip at the top of every page: the title, a status strip with the cell
// signal, the battery, the operator's name and the clock, read from the phone's state
// in the registry at each paint. A tap that starts and ends in the hit area opens the
// header menu, to which the owning page contributes its entries.

#include "ui/ContainerPanel.h"

#include <ctime>
#include <functional>

namespace vantrel {

class Panel;

class HeaderLabel : public ContainerPanel {
public:
    // The clock repaints on this fixed timer; every header of a window shares it.
    static constexpr uintptr_t clockTimerId = 99546;
    static constexpr uint32_t clockPeriodMs = 6000;
    // The battery value's level (its upper 16 bits) that fills the gauge.
    static constexpr int fullBatteryLevel = 81;

    // Starts the clock timer on the window.
    HeaderLabel(platform::WindowHandle window, std::u16string name, Panel* owner);

    void layout(const platform::Rect& reference) override;
    int paint(PaintContext& context, platform::Rect clip) override;
    platform::Rect onStylusDown(int x, int y) override;
    platform::Rect onStylusUp(int x, int y) override;
    bool onTimer(uintptr_t id) override;
    void describe(DumpWriter& out) const override;

    Panel* owner() const { return owner_; }
    const std::u16string& text() const { return text_; }
    // A title of the page's own (a contact's name) in place of the setting; kept across
    // layouts until an empty one gives the setting back.
    void setText(std::u16string text);

    // What the status strip shows, as read now from the registry.
    struct Status {
        int signalPercent = 0;
        int batteryLevel = 0;
        std::u16string network; // "nonetwork.text" when the operator cannot be read
    };
    Status readStatus() const;
    // The clock text, "%H:%M" of the current local time.
    std::u16string clockText() const;

    // The header menu: opened by the menu panel once it is built into the program; until
    // one is installed a tap in the hit area does nothing.
    using MenuOpener = std::function<void(HeaderLabel& header)>;
    static void setMenuOpener(MenuOpener opener);
    // Where the clock reads the time; an empty function restores the system clock.
    static void setTimeSource(std::function<std::time_t()> source);

private:
    // Setting slots of the header's own look.
    enum BoxSlot {
        backgroundBox,
        textBox,
        infoBox,
        signalBox,
        batteryBox,
        networkBox,
        timeBox,
        hitBox
    };
    enum BackgroundSlot {
        backgroundLook,
        infoLook,
        signalLook,
        signalFill,
        batteryLook,
        batteryFill
    };
    enum FontSlot { titleFont, networkFont, timeFont };

    // A status gauge: its box, its look, and the fill drawn over the measured part.
    struct Gauge {
        std::u16string_view boxKey, lookKey, fillKey;
        BoxSlot box;
        BackgroundSlot look, fill;
    };
    // Draws the gauge with `part` of `whole` filled, never beyond its box.
    void drawGauge(PaintContext& context, const platform::Rect& clip, const Gauge& gauge, int part,
                   int whole);

    Panel* owner_;
    std::u16string text_;
    std::u16string ownText_;
    bool pressedInHitArea_ = false;
};

} // namespace vantrel
