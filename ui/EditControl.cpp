#include "ui/EditControl.h"

#include "platform/core/Debug.h"
#include "settings/Box.h"
#include "ui/Button.h"
#include "ui/Label.h"
#include "ui/TextInputControl.h"

namespace vantrel {

using platform::Rect;

namespace {

// The caption reads "propertylabel.<row>.*" and the button "propertybutton.<row>.*", so
// a theme or a language names each row's caption on its own.
class PropertyLabel : public Label {
public:
    PropertyLabel(platform::WindowHandle window, std::u16string name)
        : Label(window, u"propertylabel", std::move(name)) {}
};

class PropertyButton : public Button {
public:
    PropertyButton(platform::WindowHandle window, std::u16string name)
        : Button(window, u"propertybutton", std::move(name)) {}
};

} // namespace

EditControl::EditControl(platform::WindowHandle window, std::u16string name, bool withButton)
    : ContainerPanel(window, u"editcontrol", name) {
    label_ = addChild(std::make_unique<PropertyLabel>(window, name));
    field_ = addChild(std::make_unique<PropertyTextInputControl>(window, name));
    if (withButton)
        button_ = addChild(std::make_unique<PropertyButton>(window, name));
    VT_DEBUGCHK("EditControl", label_ && field_ && (!withButton || button_));
}

void EditControl::layout(const Rect& reference) {
    LightControl::layout(reference);
    // Children read their own settings in layout, then take the row's boxes.
    auto place = [this](LightControl& child, std::u16string_view box, int slot) {
        child.layout(rect());
        child.setRect(getBox(box, slot).rectangle(rect()));
    };
    place(*label_, u"left.box", 0);
    if (button_)
        place(*button_, u"button.box", 1);
    // Only the field's place counts: its own layout would move an open edit to the
    // whole row first, and a row in a list is laid out at every paint.
    field_->LightControl::layout(rect());
    field_->placeAt(getBox(button_ ? u"middle.box" : u"right.box", 2).rectangle(rect()));
}

} // namespace vantrel
