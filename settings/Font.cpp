#include "settings/Font.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/text/TextDrawing.h"

#include <algorithm>
#include <set>

namespace vantrel {

namespace {

struct FaceRegistration {
    Font::FaceRegistrar registrar;
    std::set<std::filesystem::path> registered;
};

FaceRegistration& faceRegistration() {
    static FaceRegistration registration;
    return registration;
}

// Only a plain file name in the program's folder is registered: a face taken from a
// theme must not reach font files elsewhere through separators or "..".
void registerFaceFile(std::u16string_view face) {
    auto& registration = faceRegistration();
    if (!registration.registrar || face.empty() ||
        face.find_first_of(u"/\\") != std::u16string_view::npos || face == u"." || face == u"..")
        return;
    std::filesystem::path file = platform::programFolder() / platform::toUtf8(face);
    file += ".ttf";
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return;
    if (registration.registered.insert(file).second)
        registration.registrar(file);
}

} // namespace

void Font::setFaceRegistrar(FaceRegistrar registrar) {
    auto& registration = faceRegistration();
    registration.registrar = std::move(registrar);
    registration.registered.clear();
}

Font::Font(std::u16string_view text) {
    if (text == u"none") {
        none_ = true;
        return;
    }
    auto pieces = splitAtComma(text);
    if (pieces.size() < 3) {
        description_.face = u"Tahoma";
    } else {
        registerFaceFile(pieces[2]);
        description_.face = pieces[2];
    }
    if (pieces.size() > 1) {
        if (pieces[1] == u"bold")
            description_.weight = 700;
        else if (pieces[1] == u"italic")
            description_.italic = true;
    }
    if (pieces.size() > 3)
        colour_ = parseColour(pieces[3]);
    if (pieces.size() > 4) {
        if (pieces[4] == u"center")
            alignment_ = centre;
        else if (pieces[4] == u"right")
            alignment_ = right;
    }
    if (pieces.size() > 5)
        indent_ = platform::limitedForDrawing(readNumber(pieces[5]));
    int64_t size = readNumber(pieces[0]);
    if (hasUnit(pieces[0], u'p') && ScreenMetrics::isHighResolution())
        size *= 2;
    description_.height = clampToInt(-size);
}

platform::FontHandle Font::face() const {
    if (none_ || face_)
        return face_;
    platform::LogicalFont logical;
    // A size of zero or less (a broken setting) asks for the platform's default height.
    logical.height = std::max(pixelSize(), 0);
    logical.weight = description_.weight;
    logical.italic = description_.italic;
    logical.face = description_.face;
    face_ = platform::fontFor(logical);
    return face_;
}

platform::Rect Font::drawText(platform::Surface& surface, std::u16string_view text,
                              const platform::Rect& rect, unsigned flags,
                              const platform::Rect& clip) const {
    using namespace platform::TextFormat;
    platform::FontHandle font = face();
    if (!font)
        return {};
    // Without a colour of its own the text keeps the device's, which is black.
    const platform::Colour colour = colour_ == noColour ? 0 : colour_;
    const unsigned format = static_cast<unsigned>(alignment_) | flags;
    // The indent is within the drawing limit; so is the rectangle now.
    platform::Rect area = rect.limitedForDrawing();
    if (format & Right)
        area.right -= indent_;
    else
        area.left += indent_;
    if (format & (Centre | Right | VerticalCentre | Bottom | WordBreak))
        return platform::drawFormatted(&surface, area, clip, *font, text, colour,
                                       format | NoPrefix | NoClip);
    platform::drawRun(surface, clip, {area.left, area.top}, *font, text, colour);
    platform::Size run = platform::measureRun(*font, text);
    return platform::Rect::fromSize(area.left, area.top, run.width, run.height);
}

platform::Rect Font::drawText(platform::Surface& surface, std::u16string_view text,
                              const platform::Rect& rect, unsigned flags) const {
    return drawText(surface, text, rect, flags, surface.bounds());
}

platform::Rect Font::measureText(std::u16string_view text, const platform::Rect& rect,
                                 unsigned flags) const {
    using namespace platform::TextFormat;
    platform::FontHandle font = face();
    if (!font)
        return rect;
    platform::Rect area = rect.limitedForDrawing();
    area.right -= indent_;
    return platform::drawFormatted(nullptr, area, area, *font, text, 0,
                                   flags | CalculateRect | WordBreak | NoPrefix | NoClip);
}

} // namespace vantrel
