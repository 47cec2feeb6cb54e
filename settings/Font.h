#pragma once
// A font value: "9p,regular,Verdana,#555555,right,4" gives size, style, face, colour,
// alignment and indent; "none" is a font that draws nothing. The drawing layer turns
// the description into a platform font.

#include "platform/gfx/Surface.h"
#include "platform/text/FontFace.h"
#include "settings/SettingValue.h"

#include <filesystem>
#include <functional>
#include <string>

namespace vantrel {

// The logical font a Font asks the platform for. The height is negative: the
// platform's convention for a character height rather than a cell height.
struct FontDescription {
    int height = 0;
    int weight = 400;
    bool italic = false;
    std::u16string face;
};

class Font : public SettingValue {
public:
    enum Alignment { left = 0, centre = 1, right = 2 };

    explicit Font(std::u16string_view text);

    bool isNone() const { return none_; }
    const FontDescription& description() const { return description_; }
    // The character height in pixels.
    int pixelSize() const { return -description_.height; }
    // noColour leaves the device's text colour unchanged.
    platform::Colour colour() const { return colour_; }
    Alignment alignment() const { return alignment_; }
    int indent() const { return indent_; }

    // The platform face for the description, made on first need; null for "none" or
    // when no font is installed at all.
    platform::FontHandle face() const;

    // Draws the text into `rect` with the font's colour, touching only pixels inside
    // `clip` (the surface's bounds when omitted). The font's alignment is combined with
    // `flags` (platform::TextFormat); the indent moves the left edge right, or the right
    // edge left for right-aligned text. Without any alignment or wrapping flag the text
    // is one run at the rectangle's top-left corner. Returns the rectangle the text
    // occupies (empty for "none").
    platform::Rect drawText(platform::Surface& surface, std::u16string_view text,
                            const platform::Rect& rect, unsigned flags,
                            const platform::Rect& clip) const;
    platform::Rect drawText(platform::Surface& surface, std::u16string_view text,
                            const platform::Rect& rect, unsigned flags = 0) const;
    // The rectangle the text needs when wrapped into `rect` narrowed by the indent,
    // anchored at its top-left corner; "none" gives `rect` unchanged.
    platform::Rect measureText(std::u16string_view text, const platform::Rect& rect,
                               unsigned flags = 0) const;

    // A face named in a setting may come with its own file, "<face>.ttf" in the
    // program's folder. The program installs the platform's font registration here;
    // without one nothing is registered. Each existing file is handed over once.
    using FaceRegistrar = std::function<void(const std::filesystem::path& file)>;
    static void setFaceRegistrar(FaceRegistrar registrar);

private:
    bool none_ = false;
    FontDescription description_;
    platform::Colour colour_ = 0;
    Alignment alignment_ = left;
    int indent_ = 0;
    mutable platform::FontHandle face_;
};

} // namespace vantrel
