#include "ui/PictureControl.h"

#include "settings/SettingStore.h"
#include "ui/ControlDump.h"

namespace vantrel {

using platform::Rect;

PictureControl::PictureControl(platform::WindowHandle window, std::u16string name)
    : LightControl(window, u"image", std::move(name)) {}

void PictureControl::show(Image* shown, std::unique_ptr<Image> owned, bool animate) {
    if (shown && SettingStore::instance().flag(typeName(), name(), u"ismirror")) {
        owned = shown->createReflection();
        shown = owned.get();
    }
    // The previous owned picture goes only now: the new one may have been made from it.
    owned_ = std::move(owned);
    image_ = shown;
    if (animate && fadeTransition())
        fadeTransition()(window());
    else
        invalidate(rect());
}

std::function<void(platform::WindowHandle)>& PictureControl::fadeTransition() {
    static std::function<void(platform::WindowHandle)> fade;
    return fade;
}

void PictureControl::setFadeTransition(std::function<void(platform::WindowHandle)> fade) {
    fadeTransition() = std::move(fade);
}

void PictureControl::setImage(std::unique_ptr<Image> image, bool animate) {
    Image* shown = image.get();
    show(shown, std::move(image), animate);
}

void PictureControl::setSharedImage(Image* image) {
    show(image, nullptr, false);
}

int PictureControl::paint(PaintContext& context, Rect clip) {
    Rect visible = rect().intersected(clip);
    if (visible.isEmpty())
        return 0;
    if (!image_) {
        drawBackground(context, getBackground(u"nopicture.background", 0), rect(), clip);
        return 1;
    }
    drawBackground(context, getBackground(u"picture.background", 1), rect(), clip);
    int x = rect().left + (rect().width() - image_->width()) / 2;
    int y = rect().top + (rect().height() - image_->height()) / 2;
    image_->drawAt(context.surface, x, y, visible);
    return 1;
}

Rect PictureControl::onStylusDown(int x, int y) {
    pressed_ = action_ && rect().contains({x, y});
    return pressed_ ? rect() : Rect{};
}

Rect PictureControl::onStylusUp(int x, int y) {
    bool wasPressed = std::exchange(pressed_, false);
    if (!wasPressed)
        return {};
    Rect dirty = rect();
    if (dirty.contains({x, y}))
        action_->execute();
    return dirty;
}

void PictureControl::describe(DumpWriter& out) const {
    LightControl::describe(out);
    out.add("image", image_ ? std::u16string_view(image_->name()) : std::u16string_view());
    out.add("pressed", pressed_);
}

} // namespace vantrel
