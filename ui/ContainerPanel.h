#pragma once
// A control that owns other controls and hands paint, input and timers on to them.
// Input goes to the children in order and the first visible child that handles it
// wins; a stylus release goes to every visible child; timers reach every child,
// visible or not, so a hidden screen's clock or animation still sees its ticks.

#include "ui/LightControl.h"

#include <memory>
#include <vector>

namespace vantrel {

class ContainerPanel : public LightControl {
public:
    ContainerPanel(platform::WindowHandle window, std::u16string typeName, std::u16string name);
    ~ContainerPanel() override;

    // Lays out itself, then every child relative to the same reference rectangle.
    void layout(const platform::Rect& reference) override;
    void beginScreenChange() override;
    void endScreenChange() override;
    // Paints the visible children from the last to the first; returns 1.
    int paint(PaintContext& context, platform::Rect clip) override;
    platform::Rect onStylusDown(int x, int y) override;
    platform::Rect onStylusMove(int x, int y) override;
    platform::Rect onStylusUp(int x, int y) override;
    platform::Rect onStylusRelease(int x, int y) override;
    platform::Rect onKey(int virtualKey, char16_t character) override;
    void reloadSettings() override;
    bool onTimer(uintptr_t id) override;
    void describe(DumpWriter& out) const override;

    // Appends a child and returns it, typed as given.
    template <class T> T* addChild(std::unique_ptr<T> child) {
        T* added = child.get();
        children_.push_back(std::move(child));
        return added;
    }
    // Puts a child before the others, so it is painted on top and sees input first (an
    // overlay such as a menu); returns it, typed as given.
    template <class T> T* addChildFront(std::unique_ptr<T> child) {
        T* added = child.get();
        children_.insert(children_.begin(), std::move(child));
        return added;
    }
    // Hands a child back to the caller; null when it is not a child of this container.
    std::unique_ptr<LightControl> removeChild(LightControl* child);
    // Hands every child back to the caller, emptying the container.
    std::vector<std::unique_ptr<LightControl>> removeAllChildren();

    size_t childCount() const { return children_.size(); }
    LightControl* child(size_t index) const { return children_[index].get(); }
    // The first child with this instance name, or null.
    LightControl* findChild(std::u16string_view name) const;

private:
    // Children may be removed while one of them handles an event (a menu entry that
    // closes its menu), so every walk goes by index and checks the size at each step.
    template <class Call> platform::Rect firstHandler(Call&& call);

    std::vector<std::unique_ptr<LightControl>> children_;
};

} // namespace vantrel
