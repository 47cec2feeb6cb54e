#pragma once
// A list row that hosts a control (the buttons of a button column, the rows of the
// option screens). The row lays its control out in the row's rectangle each time it is
// drawn, so the control always sits where the row is shown.

#include "lists/IListItem.h"
#include "ui/LightControl.h"

#include <memory>

namespace vantrel {

class ControlItem : public IListItem {
public:
    explicit ControlItem(std::unique_ptr<LightControl> control) : control_(std::move(control)) {}

    void reloadSettings() override { control_->reloadSettings(); }
    int paint(PaintContext& context, const platform::Rect& rect, const platform::Rect& clip,
              bool highlighted) override;
    // The height is the control's own "item.height".
    void updateHeight(SmartListControl& list) override;
    // Replays the tap to the control: down, a repaint so the pressed look shows, up.
    void onClick(SmartListControl& list, int x, int y) override;
    void describe(DumpWriter& out) const override;

    LightControl& control() const { return *control_; }

private:
    std::unique_ptr<LightControl> control_;
};

} // namespace vantrel
