#include "ui/ContainerPanel.h"

#include "ui/ControlDump.h"

#include <algorithm>

namespace vantrel {

using platform::Rect;

ContainerPanel::ContainerPanel(platform::WindowHandle window, std::u16string typeName,
                               std::u16string name)
    : LightControl(window, std::move(typeName), std::move(name)) {}

ContainerPanel::~ContainerPanel() = default;

void ContainerPanel::layout(const Rect& reference) {
    LightControl::layout(reference);
    for (auto& child : children_)
        child->layout(reference);
}

void ContainerPanel::beginScreenChange() {
    for (auto& child : children_)
        child->beginScreenChange();
}

void ContainerPanel::endScreenChange() {
    for (auto& child : children_)
        child->endScreenChange();
}

int ContainerPanel::paint(PaintContext& context, Rect clip) {
    for (size_t i = children_.size(); i-- > 0;) {
        LightControl& child = *children_[i];
        if (!child.isVisible())
            continue;
        ++context.paintCount;
        child.paint(context, clip);
    }
    return 1;
}

template <class Call> Rect ContainerPanel::firstHandler(Call&& call) {
    for (size_t i = 0; i < children_.size(); ++i) {
        LightControl& child = *children_[i];
        if (!child.isVisible())
            continue;
        Rect dirty = call(child);
        if (dirty.bottom > 0)
            return dirty;
    }
    return {};
}

Rect ContainerPanel::onStylusDown(int x, int y) {
    return firstHandler([&](LightControl& c) { return c.onStylusDown(x, y); });
}

Rect ContainerPanel::onStylusMove(int x, int y) {
    return firstHandler([&](LightControl& c) { return c.onStylusMove(x, y); });
}

Rect ContainerPanel::onStylusUp(int x, int y) {
    return firstHandler([&](LightControl& c) { return c.onStylusUp(x, y); });
}

Rect ContainerPanel::onKey(int virtualKey, char16_t character) {
    return firstHandler([&](LightControl& c) { return c.onKey(virtualKey, character); });
}

Rect ContainerPanel::onStylusRelease(int x, int y) {
    Rect dirty;
    for (size_t i = 0; i < children_.size(); ++i) {
        LightControl& child = *children_[i];
        if (!child.isVisible())
            continue;
        Rect changed = child.onStylusRelease(x, y);
        if (changed.bottom > 0)
            dirty = dirty.united(changed);
    }
    return dirty;
}

void ContainerPanel::reloadSettings() {
    LightControl::reloadSettings();
    for (auto& child : children_)
        child->reloadSettings();
}

bool ContainerPanel::onTimer(uintptr_t id) {
    for (size_t i = 0; i < children_.size(); ++i)
        if (children_[i]->onTimer(id))
            return true;
    return false;
}

void ContainerPanel::describe(DumpWriter& out) const {
    LightControl::describe(out);
    for (const auto& child : children_)
        out.addControl("children", *child);
}

std::unique_ptr<LightControl> ContainerPanel::removeChild(LightControl* child) {
    auto found = std::find_if(children_.begin(), children_.end(),
                              [&](const auto& owned) { return owned.get() == child; });
    if (found == children_.end())
        return nullptr;
    std::unique_ptr<LightControl> taken = std::move(*found);
    children_.erase(found);
    return taken;
}

std::vector<std::unique_ptr<LightControl>> ContainerPanel::removeAllChildren() {
    return std::exchange(children_, {});
}

LightControl* ContainerPanel::findChild(std::u16string_view name) const {
    for (const auto& child : children_)
        if (child->name() == name)
            return child.get();
    return nullptr;
}

} // namespace vantrel
