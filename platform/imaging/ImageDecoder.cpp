#include "platform/imaging/ImageDecoder.h"

#include "platform/core/Paths.h"
#include "platform/imaging/ImageHeader.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace vantrel::platform {

namespace {

// The PNG and JPEG codecs are set up once for the process, by the first decode on any
// thread. The video subsystem is never started: decoding needs only surfaces.
void initialiseCodecs() {
    static std::once_flag once;
    std::call_once(once, [] { IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG); });
}

// SDL keeps an error text per thread and frees it only for threads it started itself, so
// every thread of ours that decodes frees SDL's share of it on its way out.
void releaseSdlStateAtThreadExit() {
    struct Release {
        ~Release() { SDL_TLSCleanup(); }
    };
    thread_local Release release;
    (void)release;
}

// Decodes take turns. SDL shares pixel-format records between surfaces through a cache
// guarded by its own spin lock, which thread checkers cannot see into; taking turns keeps
// the threaded tests meaningful and costs little, as only the contact loader and the
// interface thread decode, a few milliseconds at a time.
std::mutex decoding;

const char* sdlTypeOf(ImageFormat format) {
    switch (format) {
    case ImageFormat::Png:
        return "PNG";
    case ImageFormat::Jpeg:
        return "JPG";
    case ImageFormat::Gif:
        return "GIF";
    case ImageFormat::Bmp:
        return "BMP";
    }
    return "";
}

bool sizeAllowed(int64_t width, int64_t height) {
    return width <= kMaxImageSide && height <= kMaxImageSide && width * height <= kMaxImagePixels;
}

DecodedImage failure(std::string error) {
    return {ArgbImage{}, std::move(error)};
}

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

} // namespace

DecodedImage decodeImage(std::string_view bytes) {
    // The header is read here rather than trusting the decoder's own checks, so that a
    // hostile size is refused before the decoder allocates rows or a surface for it.
    const auto header = readImageHeader(bytes);
    if (!header)
        return failure("not a PNG, JPEG, GIF or BMP image, or its header is cut short");
    if (header->width <= 0 || header->height <= 0)
        return failure("the image has no pixels");
    if (!sizeAllowed(header->width, header->height))
        return failure("the image is too large: " + std::to_string(header->width) + " x " +
                       std::to_string(header->height) + " pixels");

    initialiseCodecs();
    releaseSdlStateAtThreadExit();
    std::lock_guard<std::mutex> turn(decoding);
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!source)
        return failure(std::string("cannot read the image: ") + SDL_GetError());
    SurfacePtr decoded(IMG_LoadTyped_RW(source, 1, sdlTypeOf(header->format)));
    if (!decoded)
        return failure(std::string("cannot decode the image: ") + SDL_GetError());
    // The decoder's own size must agree with the limit too (a GIF frame may differ from
    // its screen).
    if (!sizeAllowed(decoded->w, decoded->h) || decoded->w <= 0 || decoded->h <= 0)
        return failure("the decoded image has an unusable size");
    SurfacePtr argbSurface(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!argbSurface)
        return failure(std::string("cannot convert the image: ") + SDL_GetError());

    DecodedImage result;
    result.image = ArgbImage(argbSurface->w, argbSurface->h);
    if (SDL_LockSurface(argbSurface.get()) != 0)
        return failure(std::string("cannot read the image's pixels: ") + SDL_GetError());
    for (int y = 0; y < argbSurface->h; ++y)
        std::memcpy(&result.image.pixels[static_cast<size_t>(y) * argbSurface->w],
                    static_cast<const char*>(argbSurface->pixels) + y * argbSurface->pitch,
                    static_cast<size_t>(argbSurface->w) * 4);
    SDL_UnlockSurface(argbSurface.get());
    return result;
}

DecodedImage decodeImageFile(const std::filesystem::path& file) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec)
        return failure("cannot open " + file.string());
    if (size > kMaxImageFileSize)
        return failure("the image file is too large: " + file.string());
    std::string bytes;
    if (!readWholeFile(file, bytes))
        return failure("cannot read " + file.string());
    return decodeImage(bytes);
}

} // namespace vantrel::platform
