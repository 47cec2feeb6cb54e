#pragma once
// A property row of the add and edit screens: a caption on the left (type
// "propertylabel"), a text field, and optionally a button on the right (type
// "propertybutton", which opens the row's choices); all three are named after the row. Without the button the field takes the whole right part of the row.

#include "ui/ContainerPanel.h"

namespace vantrel {

class Button;
class Label;
class PropertyTextInputControl;

class EditControl : public ContainerPanel {
public:
    // The field is named after the row, so a theme can reach one row's field.
    EditControl(platform::WindowHandle window, std::u16string name, bool withButton);

    // The caption into "left.box"; the field into "right.box", or into "middle.box" with
    // the button in "button.box".
    void layout(const platform::Rect& reference) override;

    Label* label() const { return label_; }
    PropertyTextInputControl* field() const { return field_; }
    // Null for a row without a button.
    Button* button() const { return button_; }

private:
    Label* label_;
    PropertyTextInputControl* field_;
    Button* button_ = nullptr;
};

} // namespace vantrel
