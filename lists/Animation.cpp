#include "lists/Animation.h"

#include "lists/Easing.h"
#include "lists/IListItem.h"
#include "lists/SmartListControl.h"
#include "platform/core/Clock.h"
#include "platform/gfx/Surface.h"
#include "ui/ControlHost.h"
#include "ui/LightControl.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace vantrel {

using platform::Rect;
using platform::WindowHandle;

namespace {

// Elapsed since `start` for the next frame. In virtual time nothing moves the clock
// while an animation runs, so each frame moves it one fixed step itself.
int nextElapsed(uint32_t start) {
    if (platform::isVirtualClock())
        platform::advanceVirtualClock(animationFrameMs);
    return static_cast<int>(platform::tickCount() - start);
}

// The elapsed time that puts any animation at its end.
constexpr int endOfEverything = 1000000;

void copyArea(platform::Surface& to, const platform::Surface& from, const Rect& area) {
    Rect r = area.intersected(to.bounds()).intersected(from.bounds());
    for (int y = r.top; y < r.bottom; ++y)
        std::memcpy(to.row(y) + r.left, from.row(y) + r.left,
                    static_cast<size_t>(r.width()) * sizeof(platform::Pixel565));
}

// Paints the visible top-level controls, last to first, into `surface` inside `clip`.
void paintControls(ControlHost& host, platform::Surface& surface, const Rect& clip) {
    PaintContext context{surface, surface.width(), surface.height(), 0};
    const auto& controls = host.controls();
    for (size_t i = controls.size(); i-- > 0;) {
        if (!controls[i]->isVisible())
            continue;
        ++context.paintCount;
        controls[i]->paint(context, clip);
    }
}

} // namespace

// ---- the animations ----

Rect Animation::step(bool& done, int elapsedMs) {
    done = elapsedMs > duration_;
    return apply(std::clamp(elapsedMs, 0, duration_));
}

ListAnimation::ListAnimation(SmartListControl& list, int target, int longestMs)
    : Animation(std::min(std::abs(list.scrollOffset() - std::max(target, 0)), longestMs)),
      list_(list),
      table_(easeTable(list.scrollOffset(), std::max(target, 0), duration() / listStepMs + 1)) {}

Rect ListAnimation::apply(int elapsedMs) {
    size_t index = std::min(static_cast<size_t>(elapsedMs / listStepMs), table_.size() - 1);
    list_.setScrollOffset(table_[index]);
    return list_.rect();
}

VerticalSlideAnimation::VerticalSlideAnimation(LightControl& control, int targetTop, int durationMs,
                                               const Rect& clip)
    : Animation(durationMs), control_(control), clip_(clip),
      table_(easeTable(control.rect().top, targetTop, easeEntries(duration()))) {}

Rect VerticalSlideAnimation::apply(int elapsedMs) {
    size_t index = std::min(static_cast<size_t>(elapsedMs / easeStepMs), table_.size() - 1);
    Rect before = control_.rect();
    Rect after = before.offsetBy(0, table_[index] - before.top);
    control_.setRect(after);
    return before.united(after).intersected(clip_);
}

namespace {

// A row that is not on screen has nothing to show while it changes.
int heightDuration(IListItem& item, SmartListControl& list) {
    Rect row = list.itemRect(&item);
    bool onScreen = list.isVisible() && !row.intersected(list.rect()).isEmpty();
    return onScreen ? ItemHeightAnimation::durationMs : 0;
}

} // namespace

ItemHeightAnimation::ItemHeightAnimation(IListItem& item, SmartListControl& list, int targetHeight)
    : Animation(heightDuration(item, list)), item_(item), list_(list), start_(item.height()),
      target_(targetHeight) {
    if (duration() == 0) {
        item_.setHeight(target_);
        list_.resetContentHeight();
    }
}

Rect ItemHeightAnimation::apply(int elapsedMs) {
    float fraction = duration() > 0 ? static_cast<float>(elapsedMs) / duration() : 1.0f;
    item_.setHeight(start_ + static_cast<int>(static_cast<float>(target_ - start_) * fraction));
    list_.resetContentHeight();
    return list_.rect();
}

// ---- the runners ----

void runAnimations(WindowHandle window, AnimationList animations) {
    ControlHost::beginScreenChangeAll(window);
    ControlHost* host = ControlHost::find(window);
    bool done = false;
    if (!host || host->backBuffer().isEmpty() || !platform::isWindowVisible(window)) {
        for (auto& animation : animations)
            animation->step(done, endOfEverything);
        ControlHost::renderAll(window);
        platform::invalidateRect(window);
        return;
    }
    platform::invalidateRect(window);
    platform::updateWindow(window);
    const uint32_t start = platform::tickCount();
    int elapsed = 0;
    while (!done) {
        Rect dirty;
        for (auto& animation : animations) {
            bool finished = false;
            dirty = dirty.united(animation->step(finished, elapsed));
            done = done || finished;
        }
        if (dirty.isEmpty())
            break;
        platform::invalidateRect(window, &dirty);
        platform::updateWindow(window);
        if (!done)
            elapsed = nextElapsed(start);
    }
    ControlHost::renderAll(window);
    platform::invalidateRect(window);
}

void runControlAnimation(WindowHandle window, LightControl& control,
                         std::unique_ptr<Animation> animation) {
    ControlHost::beginScreenChangeAll(window);
    ControlHost* host = ControlHost::find(window);
    platform::Surface* screen = platform::windowBuffer(window);
    bool done = false;
    if (!host || !screen || host->backBuffer().isEmpty() || !platform::isWindowVisible(window)) {
        animation->step(done, endOfEverything);
        ControlHost::renderAll(window);
        platform::invalidateRect(window);
        return;
    }
    // The rest of the window, drawn once without the moving control.
    const Rect client = platform::clientRect(window);
    platform::Surface background(client.width(), client.height());
    bool wasVisible = control.isVisible();
    control.setVisible(false);
    paintControls(*host, background, background.bounds());
    control.setVisible(wasVisible);

    const uint32_t start = platform::tickCount();
    int elapsed = 0;
    while (!done) {
        Rect dirty = animation->step(done, elapsed).intersected(client);
        if (!dirty.isEmpty()) {
            platform::invalidateRect(window, &dirty);
            Rect area = platform::beginPaint(window);
            copyArea(*screen, background, area);
            PaintContext context{*screen, screen->width(), screen->height(), 1};
            if (wasVisible)
                control.paint(context, area);
            platform::endPaint(window);
        }
        if (!done)
            elapsed = nextElapsed(start);
    }
    ControlHost::renderAll(window);
    platform::invalidateRect(window);
}

} // namespace vantrel
