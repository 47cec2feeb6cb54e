#include "ui/ProgressBar.h"

#include "platform/core/Clock.h"
#include "settings/SettingStore.h"
#include "ui/ControlDump.h"

namespace vantrel {

using platform::Rect;

ProgressBar::ProgressBar(platform::WindowHandle window, std::u16string name)
    : LightControl(window, u"progressbar", std::move(name)) {}

ProgressBar::~ProgressBar() {
    platform::killTimer(window(), timerId());
}

void ProgressBar::start() {
    endTick_ = platform::tickCount() + expectedDurationMs;
    minimum_ = 0;
    maximum_ = expectedDurationMs;
    platform::setTimer(window(), timerId(), tickMs);
}

void ProgressBar::finish() {
    endTick_ = platform::tickCount();
}

bool ProgressBar::onTimer(uintptr_t id) {
    if (id != timerId())
        return false;
    // The tick count wraps; the signed distance to the end survives that.
    int32_t untilEnd = static_cast<int32_t>(endTick_ - platform::tickCount());
    if (untilEnd < 0) {
        if (value_ == maximum_) {
            setVisible(false);
            platform::killTimer(window(), id);
        }
        value_ = maximum_;
    } else {
        setVisible(true);
        value_ = maximum_ - minimum_ - untilEnd;
    }
    invalidate(rect());
    return true;
}

int ProgressBar::paint(PaintContext& context, Rect clip) {
    if (minimum_ == maximum_ || value_ < minimum_ || value_ > maximum_ ||
        rect().intersected(clip).isEmpty())
        return 0;
    drawBackground(context, getBackground(u"background", 0), rect(), clip);
    Rect track = getBox(u"progress.box", 0).rectangle(rect());
    drawBackground(context, getBackground(u"progress.background", 1), track, clip);
    track.right = track.left + static_cast<int>(static_cast<int64_t>(track.width()) * value_ /
                                                (maximum_ - minimum_));
    drawBackground(context, getBackground(u"progress.done.background", 2), track, clip);
    return 1;
}

void ProgressBar::describe(DumpWriter& out) const {
    LightControl::describe(out);
    out.add("value", value_);
    out.add("maximum", maximum_);
}

} // namespace vantrel
