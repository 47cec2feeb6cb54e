#pragma once
// A picture centred at its natural size (a contact's photo), optionally mirrored below
// itself, and optionally clickable.

#include "ui/Action.h"
#include "graphics/Image.h"
#include "ui/LightControl.h"

#include <functional>
#include <memory>

namespace vantrel {

class PictureControl : public LightControl {
public:
    PictureControl(platform::WindowHandle window, std::u16string name);

    // Takes the picture (null shows "nopicture.background"). With the setting "ismirror"
    // the control keeps the picture's reflection instead and drops the source. With
    // `animate` the window cross-fades to the new picture.
    void setImage(std::unique_ptr<Image> image, bool animate = false);

    // The cross-fade a picture change runs; the screen transitions sit above this
    // toolkit, so the program hands it in at start-up. Without one, pictures change at
    // once.
    static void setFadeTransition(std::function<void(platform::WindowHandle)> fade);
    // Shows a picture owned elsewhere (the image cache); it is never deleted here. With
    // "ismirror" the control keeps an owned reflection of it.
    void setSharedImage(Image* image);
    Image* image() const { return image_; }

    void setAction(std::unique_ptr<Action> action) { action_ = std::move(action); }

    // "nopicture.background" without a picture; else "picture.background" and the
    // picture centred at its natural size, cut to the rectangle.
    int paint(PaintContext& context, platform::Rect clip) override;
    // Pressed only when there is an action and the point is inside.
    platform::Rect onStylusDown(int x, int y) override;
    // Runs the action for a tap that started and ended inside.
    platform::Rect onStylusUp(int x, int y) override;
    void describe(DumpWriter& out) const override;

    bool isPressed() const { return pressed_; }

private:
    // Keeps `shown`, or its reflection when the control mirrors its pictures.
    void show(Image* shown, std::unique_ptr<Image> owned, bool animate);

    static std::function<void(platform::WindowHandle)>& fadeTransition();

    std::unique_ptr<Image> owned_;
    Image* image_ = nullptr;
    std::unique_ptr<Action> action_;
    bool pressed_ = false;
};

} // namespace vantrel
