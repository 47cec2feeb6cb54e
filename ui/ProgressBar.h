#pragma once
// A time-driven progress bar for work whose length is unknown (sending an SMS): it
// fills over 15 seconds unless finished earlier, shows full for one tick, then hides.

#include "ui/LightControl.h"

namespace vantrel {

class ProgressBar : public LightControl {
public:
    static constexpr int expectedDurationMs = 15000;
    static constexpr uint32_t tickMs = 50;

    ProgressBar(platform::WindowHandle window, std::u16string name);
    ~ProgressBar() override;

    // Starts filling now, ticking every 50 ms.
    void start();
    // The work is done: the next tick shows the bar full, the one after hides it.
    void finish();

    bool onTimer(uintptr_t id) override;
    // "background", the track "progress.background" in "progress.box", and the done part
    // "progress.done.background"; nothing while the bar holds no valid value.
    int paint(PaintContext& context, platform::Rect clip) override;
    void describe(DumpWriter& out) const override;

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int value() const { return value_; }

private:
    uint32_t endTick_ = 0;
    int minimum_ = 0;
    int maximum_ = 0;
    int value_ = 0;
};

} // namespace vantrel
