#include "settings/Font.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"

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
        indent_ = readNumber(pieces[5]);
    int64_t size = readNumber(pieces[0]);
    if (hasUnit(pieces[0], u'p') && ScreenMetrics::isHighResolution())
        size *= 2;
    description_.height = clampToInt(-size);
}

} // namespace vantrel
