#include "ui/ControlHost.h"

#include "ui/LightControl.h"
#include "ui/Panel.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace vantrel {

using platform::Rect;
using platform::WindowHandle;

namespace {

// One host per window. The program has a single window, but tests and scripts open
// several, each with its own controls and buffer.
std::unordered_map<WindowHandle, std::unique_ptr<ControlHost>>& hosts() {
    static std::unordered_map<WindowHandle, std::unique_ptr<ControlHost>> map;
    return map;
}

} // namespace

ControlHost::~ControlHost() = default;

ControlHost* ControlHost::find(WindowHandle window) {
    auto found = hosts().find(window);
    return found == hosts().end() ? nullptr : found->second.get();
}

ControlHost& ControlHost::obtain(WindowHandle window) {
    auto& slot = hosts()[window];
    if (!slot)
        slot = std::make_unique<ControlHost>(window);
    return *slot;
}

void ControlHost::forgetWindow(WindowHandle window) {
    hosts().erase(window);
}

// ---- the list of top-level controls ----

void ControlHost::addControl(WindowHandle window, LightControl* control) {
    obtain(window).controls_.push_back(control);
}

void ControlHost::addControlFront(WindowHandle window, LightControl* control) {
    auto& controls = obtain(window).controls_;
    controls.insert(controls.begin(), control);
}

void ControlHost::removeControl(WindowHandle window, LightControl* control) {
    if (ControlHost* host = find(window))
        std::erase(host->controls_, control);
}

Panel* ControlHost::findActivePanel(WindowHandle window) {
    ControlHost* host = find(window);
    if (!host)
        return nullptr;
    for (LightControl* control : host->controls_)
        if (auto* panel = dynamic_cast<Panel*>(control); panel && panel->isVisible())
            return panel;
    return nullptr;
}

// ---- settings and layout ----

void ControlHost::reloadAllWindows() {
    for (auto& [window, host] : hosts()) {
        Rect client = platform::clientRect(window);
        for (LightControl* control : host->controls_) {
            control->reloadSettings();
            control->layout(client);
        }
        platform::invalidateRect(window);
    }
}

void ControlHost::layoutAll(WindowHandle window, const Rect& client) {
    ControlHost* host = find(window);
    if (!host || client == host->laidOutRect_)
        return;
    host->back_ = platform::Surface();
    host->backRect_ = {};
    for (LightControl* control : host->controls_)
        control->layout(client);
    host->backRect_ = host->laidOutRect_ = client;
}

// ---- painting ----

void ControlHost::ensureBuffer() {
    if (!back_.isEmpty())
        return;
    backRect_ = platform::clientRect(window_);
    back_ = platform::Surface(backRect_.width(), backRect_.height());
}

int ControlHost::paintControls(const Rect& clip) {
    PaintContext context{back_, back_.width(), back_.height(), 0};
    for (size_t i = controls_.size(); i-- > 0;) {
        LightControl* control = controls_[i];
        if (!control->isVisible())
            continue;
        ++context.paintCount;
        control->paint(context, clip);
    }
    return context.paintCount;
}

void ControlHost::paintWindow(WindowHandle window, const Rect& damaged) {
    ControlHost* host = find(window);
    if (!host)
        return;
    host->ensureBuffer();
    Rect area = damaged.intersected(host->back_.bounds());
    if (area.isEmpty())
        return;
    host->paintControls(area);
    platform::Surface* screen = platform::windowBuffer(window);
    if (!screen)
        return;
    area = area.intersected(screen->bounds());
    for (int y = area.top; y < area.bottom; ++y)
        std::memcpy(screen->row(y) + area.left, host->back_.row(y) + area.left,
                    static_cast<size_t>(area.width()) * sizeof(platform::Pixel565));
}

void ControlHost::renderAll(WindowHandle window) {
    ControlHost* host = find(window);
    if (!host)
        return;
    for (size_t i = host->controls_.size(); i-- > 0;)
        host->controls_[i]->endScreenChange();
    host->ensureBuffer();
    host->paintControls(host->back_.bounds());
}

void ControlHost::beginScreenChangeAll(WindowHandle window) {
    ControlHost* host = find(window);
    if (!host)
        return;
    for (size_t i = host->controls_.size(); i-- > 0;)
        host->controls_[i]->beginScreenChange();
}

// ---- input and timers ----

ControlHost::Dispatch::Dispatch(ControlHost& h) : host(h) {
    ++host.dispatchDepth_;
}

ControlHost::Dispatch::~Dispatch() {
    if (--host.dispatchDepth_ == 0)
        host.flushGraveyard();
}

void ControlHost::flushGraveyard() {
    // Deleting a control may hand further controls over; take turns until none is left.
    while (!graveyard_.empty()) {
        auto dead = std::exchange(graveyard_, {});
        dead.clear();
    }
}

void ControlHost::deleteLater(WindowHandle window, std::unique_ptr<LightControl> control) {
    ControlHost* host = find(window);
    if (host && host->dispatchDepth_ > 0)
        host->graveyard_.push_back(std::move(control));
}

template <class Call> void ControlHost::firstHandler(Call&& call) {
    // Handlers may add or remove top-level controls (a dialog opening or closing), so
    // the walk goes by index over the live list.
    for (size_t i = 0; i < controls_.size(); ++i) {
        LightControl* control = controls_[i];
        if (!control->isVisible())
            continue;
        Rect dirty = call(*control);
        if (dirty.right != 0) {
            platform::invalidateRect(window_, &dirty);
            return;
        }
    }
}

void ControlHost::stylusDown(WindowHandle window, int x, int y) {
    ControlHost* host = find(window);
    if (!host)
        return;
    Dispatch dispatch(*host);
    platform::setCapture(window);
    host->firstHandler([&](LightControl& c) { return c.onStylusDown(x, y); });
}

void ControlHost::stylusMove(WindowHandle window, int x, int y) {
    ControlHost* host = find(window);
    if (!host)
        return;
    Dispatch dispatch(*host);
    host->firstHandler([&](LightControl& c) { return c.onStylusMove(x, y); });
}

void ControlHost::stylusUp(WindowHandle window, int x, int y) {
    ControlHost* host = find(window);
    if (!host)
        return;
    Dispatch dispatch(*host);
    host->firstHandler([&](LightControl& c) { return c.onStylusUp(x, y); });
    for (size_t i = 0; i < host->controls_.size(); ++i) {
        LightControl* control = host->controls_[i];
        if (!control->isVisible())
            continue;
        Rect dirty = control->onStylusRelease(x, y);
        if (!dirty.isEmpty())
            platform::invalidateRect(window, &dirty);
    }
    platform::releaseCapture();
}

void ControlHost::key(WindowHandle window, int virtualKey, char16_t character) {
    ControlHost* host = find(window);
    if (!host)
        return;
    Dispatch dispatch(*host);
    host->firstHandler([&](LightControl& c) { return c.onKey(virtualKey, character); });
}

void ControlHost::timer(WindowHandle window, uintptr_t id) {
    ControlHost* host = find(window);
    if (!host)
        return;
    Dispatch dispatch(*host);
    for (size_t i = 0; i < host->controls_.size(); ++i)
        if (host->controls_[i]->onTimer(id))
            return;
    platform::killTimer(window, id);
}

} // namespace vantrel
