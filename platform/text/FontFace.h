#pragma once
// Logical fonts and the faces they resolve to.
//
// A `LogicalFont` describes a font the way the phone's settings do: a character height in
// pixels, a weight, an italic flag and a face name. `fontFor` resolves it through
// fontconfig (so "Tahoma", "Segoe UI", "Verdana" or any unknown name lands on an installed
// face) and hands out a shared `FontFace` that renders with FreeType, shapes with
// HarfBuzz and keeps its glyph bitmaps and shaped runs cached. Characters the face lacks
// (another script, a symbol) are drawn from a face fontconfig finds for them.
//
// Size convention: the height is a character height, as the phone's negative-height
// logical fonts were, so the face's em square is `height` pixels tall. Ascent plus descent
// (the line height) is then a little larger, as it was on the phone.
//
// Threads: fonts belong to the UI thread, but every entry point of this folder takes one
// process-wide lock, so any thread may use them one at a time.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform {

struct LogicalFont {
    int height = 12;     // character (em) height in pixels; 0 means the default height
    int weight = 400;    // 100..900 as in OpenType; 600 and above is bold
    bool italic = false; // an upright face is slanted when no italic one is installed
    std::u16string face = u"Tahoma";
    friend bool operator==(const LogicalFont&, const LogicalFont&) = default;
};

// One glyph as drawn: its coverage bitmap and where it sits against the pen position on
// the baseline (left to the right, top upwards).
struct GlyphBitmap {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage; // width * height bytes, rows top to bottom
};

class FontFace;

// A shaped run in visual order. Positions are in 1/64 pixel from the run's start.
struct ShapedGlyph {
    // The face the glyph comes from: the run's own, or a fallback face for characters the
    // own face lacks (fallback faces live as long as the process).
    const FontFace* face = nullptr;
    uint32_t glyph = 0;
    int32_t x = 0;
    int32_t y = 0;        // upwards
    uint32_t cluster = 0; // index of the first UTF-16 unit of the run that made the glyph
    int32_t advance = 0;
};
struct ShapedRun {
    std::vector<ShapedGlyph> glyphs;
    int32_t width = 0; // 1/64 pixel
    int pixelWidth() const { return (width + 32) >> 6; }
};

class FontFace {
public:
    struct Impl;
    explicit FontFace(std::unique_ptr<Impl> impl);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // The installed family that was chosen, e.g. "DejaVu Sans".
    const std::string& familyName() const;
    const std::filesystem::path& file() const;
    int pixelSize() const;
    bool isBold() const;   // drawn bold, by the face itself or emboldened
    bool isItalic() const; // drawn slanted, by the face itself or obliqued
    int ascent() const;    // pixels from the top of a line to the baseline
    int descent() const;   // pixels from the baseline to the bottom of a line
    int lineHeight() const { return ascent() + descent(); }

    // For the drawing code of this folder, which holds `TextLock` while it uses them. The
    // references stay valid until the lock is released.
    const ShapedRun& shape(std::u16string_view text) const;
    const GlyphBitmap& glyph(uint32_t glyphId) const;
    // Drops cached runs and glyphs when they have grown past their bounds.
    void trimCaches() const;

private:
    std::unique_ptr<Impl> impl_;
};

using FontHandle = std::shared_ptr<FontFace>;

// The one lock of the text system (fontconfig, FreeType and every cache).
class TextLock {
public:
    TextLock();

private:
    std::unique_lock<std::recursive_mutex> lock_;
};

// The face for a logical font, shared with every caller asking for the same font. Null
// only when no usable font is installed at all.
FontHandle fontFor(const LogicalFont& font);

// Makes the faces of a font file available to `fontFor` under their family names. False
// when the file is missing or holds no font. Registering a file twice is harmless.
bool registerFontFile(const std::filesystem::path& file);

} // namespace vantrel::platform
