#include "graphics/Image.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/imaging/ImageDecoder.h"
#include "platform/zip/ZipArchive.h"
#include "graphics/utils.h"

#include <algorithm>

namespace vantrel {

using namespace platform;

namespace {

// Stretched drawings keep this many scaled copies, so a picture shared by controls of a
// few different sizes is resampled once per size rather than on every paint.
constexpr size_t maxScaledRenditions = 4;

// The reflection is 1.6 times the picture's height; its alpha starts at 160.
constexpr int reflectionTenths = 16;
constexpr int reflectionStartAlpha = 160;

std::unique_ptr<Image> fromDecoded(DecodedImage decoded, std::u16string name, bool cached) {
    if (!decoded.ok())
        return nullptr;
    return Image::FromArgb(std::move(decoded.image), std::move(name), cached);
}

} // namespace

Image::Image(ArgbImage picture, std::u16string name)
    : name_(std::move(name)), width_(picture.width), height_(picture.height),
      decoded_(std::move(picture)) {}

std::unique_ptr<Image> Image::FromFile(std::u16string_view path, bool cached) {
    std::filesystem::path file = resolveProgramPath(path);
    return fromDecoded(decodeImageFile(file), std::u16string(path), cached);
}

std::unique_ptr<Image> Image::FromArchive(ZipArchive* archive, std::u16string_view entryName,
                                          bool cached) {
    std::string bytes;
    if (!archive || !archive->read(entryName, bytes))
        return nullptr;
    return fromDecoded(decodeImage(bytes), u"zip_" + archive->currentName(), cached);
}

std::unique_ptr<Image> Image::FromMemory(std::string_view bytes, std::u16string name, bool cached) {
    return fromDecoded(decodeImage(bytes), std::move(name), cached);
}

std::unique_ptr<Image> Image::FromArgb(ArgbImage picture, std::u16string name, bool cached) {
    if (picture.isEmpty())
        return nullptr;
    std::unique_ptr<Image> image(new Image(std::move(picture), std::move(name)));
    if (cached)
        image->prepare();
    return image;
}

void Image::prepare() {
    if (prepared_)
        return;
    prepared565_ = toRgb565(decoded_);
    decoded_ = ArgbImage();
    prepared_ = true;
}

ArgbImage Image::toArgb() const {
    if (!prepared_)
        return decoded_;
    ArgbImage picture = fromRgb565(prepared565_.pixels);
    if (hasAlpha())
        for (size_t i = 0; i < picture.pixels.size(); ++i)
            picture.pixels[i] = (picture.pixels[i] & 0x00FFFFFF) |
                                (static_cast<uint32_t>(prepared565_.alphaMask[i]) << 24);
    return picture;
}

const Rgb565Image& Image::renditionFor(Size size) {
    if (size == this->size())
        return prepared565_;
    auto found = std::find_if(scaled_.begin(), scaled_.end(),
                              [&](const Scaled& s) { return s.size == size; });
    if (found != scaled_.end()) {
        // Most recently used first, so the oldest size is the one dropped.
        std::rotate(scaled_.begin(), found, found + 1);
        return scaled_.front().image;
    }
    if (scaled_.size() == maxScaledRenditions)
        scaled_.pop_back();
    scaled_.insert(scaled_.begin(),
                   Scaled{size, toRgb565(scaleArgb(toArgb(), size.width, size.height))});
    return scaled_.front().image;
}

void Image::paint(Painter& painter, const Rgb565Image& source, Point at, RasterOp op) {
    if (source.hasAlpha())
        painter.copyMasked(source.pixels, source.alphaMask.data(), source.pixels.width(),
                           source.pixels.bounds(), at);
    else
        painter.copy(source.pixels, source.pixels.bounds(), at, op);
}

void Image::draw(Surface& surface, const Rect& destination, const Rect& clip, bool stretch,
                 RasterOp op) {
    prepare();
    Rect visible = destination.intersected(clip);
    if (visible.isEmpty() || width_ <= 0)
        return;
    Size size = stretch ? Size{destination.width(), destination.height()} : this->size();
    const Rgb565Image& source = renditionFor(size);
    if (source.pixels.isEmpty())
        return;
    Painter painter(surface);
    painter.setClip(visible);
    paint(painter, source, {destination.left, destination.top}, op);
}

void Image::drawTiled(Surface& surface, const Rect& area, const Rect& clip, RasterOp op) {
    prepare();
    Rect visible = area.intersected(clip).intersected(surface.bounds());
    if (visible.isEmpty() || width_ <= 0)
        return;
    // NOTE: a row of tiles is one copy from a strip of the picture repeated side by side,
    // so a small pattern over a whole screen costs a few calls per tile row rather than
    // one per tile and row.
    const int firstColumn = (visible.left - area.left) / width_;
    const int lastColumn = (visible.right - 1 - area.left) / width_;
    const Rgb565Image& strip = stripFor((lastColumn - firstColumn + 1) * width_);
    Painter painter(surface);
    painter.setClip(visible);
    const int left = area.left + firstColumn * width_;
    const int firstRow = (visible.top - area.top) / height_;
    const int lastRow = (visible.bottom - 1 - area.top) / height_;
    for (int row = firstRow; row <= lastRow; ++row)
        paint(painter, strip, {left, area.top + row * height_}, op);
}

const Rgb565Image& Image::stripFor(int width) {
    if (strip_.pixels.width() >= width)
        return strip_;
    const int columns = (width + width_ - 1) / width_;
    Rgb565Image strip;
    strip.pixels = Surface(columns * width_, height_);
    if (prepared565_.hasAlpha())
        strip.alphaMask.resize(static_cast<size_t>(columns) * width_ * height_);
    for (int y = 0; y < height_; ++y)
        for (int column = 0; column < columns; ++column) {
            std::copy_n(prepared565_.pixels.row(y), width_, strip.pixels.row(y) + column * width_);
            if (strip.hasAlpha())
                std::copy_n(prepared565_.alphaMask.data() + static_cast<size_t>(y) * width_, width_,
                            strip.alphaMask.data() +
                                (static_cast<size_t>(y) * columns + column) * width_);
        }
    strip_ = std::move(strip);
    return strip_;
}

void Image::drawAt(Surface& surface, int x, int y, const Rect& clip, RasterOp op) {
    draw(surface, Rect::fromSize(x, y, width_, height_), clip, false, op);
}

void Image::drawFitted(Surface& surface, const Rect& rect, const Rect& clip) {
    Size size = this->size();
    if (width_ > rect.width() || height_ > rect.height())
        size = fitSize(rect.width(), rect.height(), width_, height_);
    Rect destination =
        Rect::fromSize(rect.left + (rect.width() - size.width) / 2,
                       rect.top + (rect.height() - size.height) / 2, size.width, size.height);
    draw(surface, destination, clip, true);
}

std::unique_ptr<Image> Image::createReflection() const {
    if (width_ <= 0 || height_ <= 0)
        return nullptr;
    ArgbImage source = toArgb();
    const int total = static_cast<int>(static_cast<int64_t>(height_) * reflectionTenths / 10);
    const int mirrored = total - height_;
    ArgbImage result(width_, total);
    std::copy(source.pixels.begin(), source.pixels.end(), result.pixels.begin());
    for (int i = 0; i < mirrored; ++i) {
        // Linear from 160 on the row touching the picture down to 0 on the last row.
        const int factor = mirrored > 1 ? reflectionStartAlpha * (mirrored - 1 - i) / (mirrored - 1)
                                        : reflectionStartAlpha;
        for (int x = 0; x < width_; ++x) {
            uint32_t pixel = source.at(x, height_ - 1 - i);
            uint32_t alpha = static_cast<uint32_t>(alphaOf(pixel) * factor / 255);
            result.set(x, height_ + i, (pixel & 0x00FFFFFF) | (alpha << 24));
        }
    }
    return FromArgb(std::move(result), name_, prepared_);
}

} // namespace vantrel
