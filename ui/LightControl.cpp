#include "ui/LightControl.h"

#include "platform/core/Debug.h"
#include "settings/SettingStore.h"
#include "ui/ControlDump.h"

namespace vantrel {

using platform::Rect;

LightControl::LightControl(platform::WindowHandle window, std::u16string typeName,
                           std::u16string name)
    : name_(std::move(name)), typeName_(std::move(typeName)), window_(window) {
    VT_DEBUGCHK("LightControl", window != 0);
}

LightControl::~LightControl() = default;

void LightControl::layout(const Rect& reference) {
    rect_ = getBox(u"box", layoutBoxSlot).rectangle(reference);
}

int LightControl::paint(PaintContext&, Rect) {
    return 0;
}

Rect LightControl::onStylusDown(int, int) {
    return {};
}
Rect LightControl::onStylusMove(int, int) {
    return {};
}
Rect LightControl::onStylusUp(int, int) {
    return {};
}
Rect LightControl::onStylusRelease(int, int) {
    return {};
}
Rect LightControl::onKey(int, char16_t) {
    return {};
}

void LightControl::reloadSettings() {
    boxes_.fill(nullptr);
    fonts_.fill(nullptr);
    backgrounds_.fill(nullptr);
    integers_.fill(std::nullopt);
}

bool LightControl::onTimer(uintptr_t) {
    return false;
}

void LightControl::describe(DumpWriter& out) const {
    out.add("type", std::u16string_view(typeName_));
    out.add("name", std::u16string_view(name_));
    out.add("rect", rect_);
    out.add("visible", visible_);
}

namespace {

// A slot in one of the caches, or none for an index outside 0..15 (-1 asks for none).
template <class T, size_t N> T* cacheSlot(std::array<T, N>& cache, int index) {
    return index >= 0 && static_cast<size_t>(index) < N ? &cache[index] : nullptr;
}

// Answers from the cache slot when it is filled, else asks the store and fills it.
template <class T, class Lookup> const T& cached(const T** slot, Lookup&& lookup) {
    if (slot && *slot)
        return **slot;
    const T& value = lookup();
    if (slot)
        *slot = &value;
    return value;
}

} // namespace

const Box& LightControl::getBox(std::u16string_view key, int cacheIndex) {
    return cached<Box>(cacheSlot(boxes_, cacheIndex), [&]() -> const Box& {
        return SettingStore::instance().box(typeName_, name_, key);
    });
}

const Font& LightControl::getFont(std::u16string_view key, int cacheIndex) {
    return cached<Font>(cacheSlot(fonts_, cacheIndex), [&]() -> const Font& {
        return SettingStore::instance().font(typeName_, name_, key);
    });
}

const Background& LightControl::getBackground(std::u16string_view key, int cacheIndex) {
    return cached<Background>(cacheSlot(backgrounds_, cacheIndex), [&]() -> const Background& {
        return SettingStore::instance().background(typeName_, name_, key);
    });
}

int LightControl::getInt(std::u16string_view key, int cacheIndex) {
    std::optional<int>* slot = cacheSlot(integers_, cacheIndex);
    if (slot && *slot)
        return **slot;
    int value = SettingStore::instance().measure(typeName_, name_, key);
    if (slot)
        *slot = value;
    return value;
}

std::u16string LightControl::getText(std::u16string_view key) const {
    return SettingStore::instance().text(typeName_, name_, key);
}

bool LightControl::hasSetting(std::u16string_view key) const {
    return SettingStore::instance().resolve(typeName_, name_, key) != nullptr;
}

void LightControl::invalidate(const Rect& area) const {
    if (!area.isEmpty())
        platform::invalidateRect(window_, &area);
}

void LightControl::invalidateWindow() const {
    platform::invalidateRect(window_);
}

void drawBackground(PaintContext& context, const Background& background, const Rect& rect,
                    const Rect& clip) {
    if (background.none || rect.intersected(clip).isEmpty())
        return;
    background.draw(context.surface, rect, clip);
}

} // namespace vantrel
