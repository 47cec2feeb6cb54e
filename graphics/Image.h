#pragma once
// Pictures ready to draw. An image is decoded once (from a file in the program's folder
// or from an entry of the open theme archive) and prepared into an RGB565 surface in
// the window buffer's format, with an 8-bit alpha mask only when some pixel is not
// opaque; drawing is then a row copy, a per-pixel blend or a stretch, never a decode.

#include "platform/core/Geometry.h"
#include "platform/gfx/ArgbImage.h"
#include "platform/gfx/Painter.h"
#include "platform/gfx/Surface.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform {
class ZipArchive;
}

namespace vantrel {

class Image {
public:
    virtual ~Image() = default;

    // Loads the picture at `path` (a name without a directory separator is taken from the
    // program's folder) and prepares it at once when `cached`; null when it cannot be read
    // or decoded.
    static std::unique_ptr<Image> FromFile(std::u16string_view path, bool cached);
    // Loads the entry `entryName` of an open theme archive (found ignoring letter case);
    // the image is named "zip_" + the entry's name. Null without an archive, without such
    // an entry, or when the entry is not a picture.
    static std::unique_ptr<Image> FromArchive(platform::ZipArchive* archive,
                                              std::u16string_view entryName, bool cached);
    // Decodes a picture held in memory (a contact's photo stream).
    static std::unique_ptr<Image> FromMemory(std::string_view bytes, std::u16string name,
                                             bool cached);
    // Takes an already decoded picture; null when it is empty.
    static std::unique_ptr<Image> FromArgb(platform::ArgbImage picture, std::u16string name,
                                           bool cached);

    // Turns the decoded picture into the RGB565 surface (and alpha mask) drawing uses and
    // drops the decoded copy. Does nothing when already prepared.
    void prepare();
    bool isPrepared() const { return prepared_; }

    int width() const { return width_; }
    int height() const { return height_; }
    platform::Size size() const { return {width_, height_}; }
    // The path the picture came from, or "zip_" + the archive entry's name.
    const std::u16string& name() const { return name_; }
    // True when the prepared image carries an alpha mask (some pixel is not opaque).
    bool hasAlpha() const { return prepared_ && !prepared565_.alphaMask.empty(); }

    // Draws into `destination`, touching only pixels inside `clip`. With `stretch` and a
    // destination of another size the picture is scaled to it; otherwise it is drawn at
    // its natural size from the destination's top-left corner, cut to the destination.
    // The raster code applies to opaque pictures; masked ones are always blended.
    void draw(platform::Surface& surface, const platform::Rect& destination,
              const platform::Rect& clip, bool stretch,
              platform::RasterOp op = platform::RasterOp::Copy);
    // Draws at natural size with the top-left corner at (x, y).
    void drawAt(platform::Surface& surface, int x, int y, const platform::Rect& clip,
                platform::RasterOp op = platform::RasterOp::Copy);
    // Repeats the picture at natural size from `area`'s top-left corner until `area` is
    // covered, touching only pixels inside both `area` and `clip`.
    void drawTiled(platform::Surface& surface, const platform::Rect& area,
                   const platform::Rect& clip, platform::RasterOp op = platform::RasterOp::Copy);
    // Centred in `rect`: at natural size when smaller than it in both directions,
    // otherwise scaled (aspect kept, see fitSize) to fit.
    void drawFitted(platform::Surface& surface, const platform::Rect& rect,
                    const platform::Rect& clip);

    // The picture with its reflection below it: 1.6 times as tall, the lower part a
    // mirror of the picture's bottom whose alpha falls from 160 at the picture's edge to
    // 0 at the bottom. Null when this image is empty.
    std::unique_ptr<Image> createReflection() const;

    // The prepared pixels and alpha mask (width x height bytes, rows top to bottom).
    const platform::Surface& pixels() const { return prepared565_.pixels; }
    const std::vector<uint8_t>& alphaMask() const { return prepared565_.alphaMask; }

private:
    Image(platform::ArgbImage picture, std::u16string name);

    // The picture as ARGB, decoded or rebuilt from the prepared pixels.
    platform::ArgbImage toArgb() const;
    // The prepared image, or a copy resampled to `size` for stretched drawing.
    const platform::Rgb565Image& renditionFor(platform::Size size);
    // The picture repeated side by side at least `width` pixels wide, for tiling.
    const platform::Rgb565Image& stripFor(int width);
    // Copies or blends `source` at `at` through the painter's clip.
    static void paint(platform::Painter& painter, const platform::Rgb565Image& source,
                      platform::Point at, platform::RasterOp op);

    struct Scaled {
        platform::Size size;
        platform::Rgb565Image image;
    };

    std::u16string name_;
    int width_ = 0;
    int height_ = 0;
    bool prepared_ = false;
    platform::ArgbImage decoded_;
    platform::Rgb565Image prepared565_;
    std::vector<Scaled> scaled_; // most recently used first
    platform::Rgb565Image strip_;
};

} // namespace vantrel
