// Font resolution (fontconfig), faces (FreeType), shaping (HarfBuzz with ICU's bidi) and
// the caches behind them.
//
//   1. The text system: the lock, the FreeType library, the fontconfig set, the caches
//   2. FontFace: metrics, shaping, glyph rendering
//   3. fontFor, fallback faces and registerFontFile

#include "platform/text/FontFace.h"

#include "platform/core/Utf.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include <hb-ft.h>
#include <hb.h>
#include <unicode/ubidi.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>

namespace vantrel::platform {

namespace {

constexpr int kDefaultHeight = 12;
// Heights beyond this come only from broken settings; they would make huge glyph bitmaps.
constexpr int kMaxHeight = 256;
// Cache bounds per face. A list page uses a few hundred runs and well under a hundred
// glyphs; the bounds only stop a long session from growing without end.
constexpr size_t kMaxShapedRuns = 2048;
constexpr size_t kMaxGlyphs = 4096;

// ---------------------------------------------------------------------------------------
// 1. The text system

struct TextSystem {
    std::recursive_mutex mutex;
    FT_Library library = nullptr;
    FcConfig* config = nullptr;
    std::map<std::tuple<int, int, bool, std::u16string>, FontHandle> fonts;
    // Faces are shared between logical fonts that land on the same file and size.
    std::map<std::tuple<std::string, int, int, bool, bool>, std::weak_ptr<FontFace>> faces;
    // Faces lent to other faces for the characters those lack. Kept here rather than in
    // the borrowing face so that two faces lending to each other form no cycle.
    std::set<FontHandle> fallbackFaces;
    std::set<std::string> registeredFiles;

    TextSystem() {
        if (FT_Init_FreeType(&library) != 0)
            library = nullptr;
        config = FcInitLoadConfigAndFonts();
    }
};

// Never destroyed: faces held by other process-wide objects may outlive any static
// destruction order, and they need the FreeType library until the very end.
TextSystem& textSystem() {
    static TextSystem* system = new TextSystem;
    return *system;
}

struct RunHash {
    using is_transparent = void;
    size_t operator()(std::u16string_view text) const {
        return std::hash<std::u16string_view>{}(text);
    }
};

} // namespace

TextLock::TextLock() : lock_(textSystem().mutex) {}

// ---------------------------------------------------------------------------------------
// 2. FontFace

namespace {
// Defined with fontFor below.
FontHandle fallbackFace(const LogicalFont& font, char32_t character);
} // namespace

struct FontFace::Impl {
    const FontFace* owner = nullptr;
    LogicalFont font; // as resolved, for finding fallback faces in the same style
    FT_Face face = nullptr;
    hb_font_t* hbFont = nullptr;
    hb_buffer_t* buffer = nullptr;
    std::string family;
    std::filesystem::path file;
    int pixelSize = 0;
    bool bold = false;
    bool italic = false;
    bool embolden = false;
    bool oblique = false;
    int ascent = 0;
    int descent = 0;
    std::unordered_map<std::u16string, ShapedRun, RunHash, std::equal_to<>> runs;
    std::unordered_map<uint32_t, GlyphBitmap> glyphs;
    std::unordered_map<char32_t, const FontFace*> faceByCharacter;

    ~Impl() {
        hb_buffer_destroy(buffer);
        hb_font_destroy(hbFont);
        if (face != nullptr)
            FT_Done_Face(face);
    }

    ShapedRun shapeUncached(std::u16string_view text);
    void shapeDirectionalRun(std::u16string_view text, size_t start, size_t length,
                             hb_direction_t direction, ShapedRun& run);
    void shapePiece(std::u16string_view text, size_t start, size_t length, hb_direction_t direction,
                    hb_script_t script, ShapedRun& run);
    void shapeWithThisFace(std::u16string_view text, size_t start, size_t length,
                           hb_direction_t direction, hb_script_t script, ShapedRun& run);
    const FontFace* faceFor(char32_t character);
    GlyphBitmap render(uint32_t glyphId);
};

FontFace::FontFace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
    impl_->owner = this;
}

FontFace::~FontFace() {
    TextLock lock;
    impl_.reset();
}

const std::string& FontFace::familyName() const {
    return impl_->family;
}
const std::filesystem::path& FontFace::file() const {
    return impl_->file;
}
int FontFace::pixelSize() const {
    return impl_->pixelSize;
}
bool FontFace::isBold() const {
    return impl_->bold;
}
bool FontFace::isItalic() const {
    return impl_->italic;
}
int FontFace::ascent() const {
    return impl_->ascent;
}
int FontFace::descent() const {
    return impl_->descent;
}

const ShapedRun& FontFace::shape(std::u16string_view text) const {
    auto found = impl_->runs.find(text);
    if (found != impl_->runs.end())
        return found->second;
    return impl_->runs.emplace(std::u16string(text), impl_->shapeUncached(text)).first->second;
}

const GlyphBitmap& FontFace::glyph(uint32_t glyphId) const {
    auto found = impl_->glyphs.find(glyphId);
    if (found != impl_->glyphs.end())
        return found->second;
    return impl_->glyphs.emplace(glyphId, impl_->render(glyphId)).first->second;
}

void FontFace::trimCaches() const {
    if (impl_->runs.size() > kMaxShapedRuns)
        impl_->runs.clear();
    if (impl_->glyphs.size() > kMaxGlyphs)
        impl_->glyphs.clear();
    if (impl_->faceByCharacter.size() > kMaxGlyphs)
        impl_->faceByCharacter.clear();
}

ShapedRun FontFace::Impl::shapeUncached(std::u16string_view text) {
    ShapedRun run;
    if (text.empty())
        return run;
    // Text below the Hebrew block has no right-to-left characters, so it skips the bidi
    // pass; that is nearly every name and number the product shows.
    const bool mayNeedBidi =
        std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= 0x0590; });
    UErrorCode status = U_ZERO_ERROR;
    UBiDi* bidi =
        mayNeedBidi ? ubidi_openSized(static_cast<int32_t>(text.size()), 0, &status) : nullptr;
    if (bidi != nullptr)
        ubidi_setPara(bidi, text.data(), static_cast<int32_t>(text.size()), 0, nullptr, &status);
    if (bidi == nullptr || U_FAILURE(status)) {
        shapeDirectionalRun(text, 0, text.size(), HB_DIRECTION_LTR, run);
    } else {
        const int32_t count = ubidi_countRuns(bidi, &status);
        for (int32_t i = 0; i < count && U_SUCCESS(status); ++i) {
            int32_t start = 0, length = 0;
            const UBiDiDirection direction = ubidi_getVisualRun(bidi, i, &start, &length);
            shapeDirectionalRun(text, static_cast<size_t>(start), static_cast<size_t>(length),
                                direction == UBIDI_RTL ? HB_DIRECTION_RTL : HB_DIRECTION_LTR, run);
        }
    }
    if (bidi != nullptr)
        ubidi_close(bidi);
    return run;
}

// Splits a run of one direction into pieces of one script each, so that every script is
// shaped by its own rules; punctuation and marks stay with the script around them.
void FontFace::Impl::shapeDirectionalRun(std::u16string_view text, size_t start, size_t length,
                                         hb_direction_t direction, ShapedRun& run) {
    struct Piece {
        size_t start;
        size_t length;
        hb_script_t script;
    };
    std::vector<Piece> pieces;
    hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
    hb_script_t current = HB_SCRIPT_INVALID;
    size_t pieceStart = start;
    const int32_t end = static_cast<int32_t>(start + length);
    for (int32_t i = static_cast<int32_t>(start); i < end;) {
        const int32_t at = i;
        UChar32 c = 0;
        U16_NEXT(text.data(), i, end, c);
        const hb_script_t script = hb_unicode_script(unicode, static_cast<hb_codepoint_t>(c));
        if (script == HB_SCRIPT_COMMON || script == HB_SCRIPT_INHERITED ||
            script == HB_SCRIPT_UNKNOWN || script == current)
            continue;
        if (current != HB_SCRIPT_INVALID) {
            pieces.push_back({pieceStart, static_cast<size_t>(at) - pieceStart, current});
            pieceStart = static_cast<size_t>(at);
        }
        current = script;
    }
    pieces.push_back({pieceStart, start + length - pieceStart, current});
    if (direction == HB_DIRECTION_RTL)
        std::reverse(pieces.begin(), pieces.end());
    for (const Piece& piece : pieces)
        shapePiece(text, piece.start, piece.length, direction, piece.script, run);
}

// The face that draws a character: this one when it has the character, else the face
// fontconfig finds for it in the same style, else this one (which shows its missing-glyph
// box).
const FontFace* FontFace::Impl::faceFor(char32_t character) {
    if (FT_Get_Char_Index(face, character) != 0)
        return owner;
    auto found = faceByCharacter.find(character);
    if (found != faceByCharacter.end())
        return found->second;
    const FontFace* chosen = owner;
    FontHandle fallback = fallbackFace(font, character);
    if (fallback && fallback.get() != owner &&
        FT_Get_Char_Index(fallback->impl_->face, character) != 0) {
        chosen = fallback.get();
        textSystem().fallbackFaces.insert(std::move(fallback));
    }
    faceByCharacter.emplace(character, chosen);
    return chosen;
}

// Splits a piece of one script and direction by the face that has its characters. Marks,
// joiners and other invisible format characters stay with the character before them.
void FontFace::Impl::shapePiece(std::u16string_view text, size_t start, size_t length,
                                hb_direction_t direction, hb_script_t script, ShapedRun& run) {
    struct Segment {
        size_t start;
        size_t length;
        const FontFace* face;
    };
    std::vector<Segment> segments;
    hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
    const int32_t end = static_cast<int32_t>(start + length);
    for (int32_t i = static_cast<int32_t>(start); i < end;) {
        const size_t at = static_cast<size_t>(i);
        UChar32 c = 0;
        U16_NEXT(text.data(), i, end, c);
        const size_t units = static_cast<size_t>(i) - at;
        const auto category = hb_unicode_general_category(unicode, static_cast<hb_codepoint_t>(c));
        const bool follows = category == HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK ||
                             category == HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK ||
                             category == HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK ||
                             category == HB_UNICODE_GENERAL_CATEGORY_FORMAT ||
                             category == HB_UNICODE_GENERAL_CATEGORY_CONTROL;
        const FontFace* chosen =
            follows && !segments.empty() ? segments.back().face : faceFor(static_cast<char32_t>(c));
        if (!segments.empty() && segments.back().face == chosen)
            segments.back().length += units;
        else
            segments.push_back({at, units, chosen});
    }
    if (direction == HB_DIRECTION_RTL)
        std::reverse(segments.begin(), segments.end());
    for (const Segment& segment : segments)
        segment.face->impl_->shapeWithThisFace(text, segment.start, segment.length, direction,
                                               script, run);
}

void FontFace::Impl::shapeWithThisFace(std::u16string_view text, size_t start, size_t length,
                                       hb_direction_t direction, hb_script_t script,
                                       ShapedRun& run) {
    hb_buffer_clear_contents(buffer);
    // The whole text goes in as context so that joining scripts shape across pieces.
    hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(text.data()),
                        static_cast<int>(text.size()), static_cast<unsigned>(start),
                        static_cast<int>(length));
    hb_buffer_set_direction(buffer, direction);
    if (script != HB_SCRIPT_INVALID)
        hb_buffer_set_script(buffer, script);
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(hbFont, buffer, nullptr, 0);

    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
    for (unsigned i = 0; i < count; ++i) {
        run.glyphs.push_back({owner, infos[i].codepoint, run.width + positions[i].x_offset,
                              positions[i].y_offset, infos[i].cluster, positions[i].x_advance});
        run.width += positions[i].x_advance;
    }
}

GlyphBitmap FontFace::Impl::render(uint32_t glyphId) {
    GlyphBitmap bitmap;
    if (FT_Load_Glyph(face, glyphId, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT) != 0)
        return bitmap;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (embolden)
            FT_GlyphSlot_Embolden(slot);
        if (oblique)
            FT_GlyphSlot_Oblique(slot);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
        return bitmap;

    const FT_Bitmap& source = slot->bitmap;
    if (source.pixel_mode != FT_PIXEL_MODE_GRAY && source.pixel_mode != FT_PIXEL_MODE_MONO)
        return bitmap;
    bitmap.left = slot->bitmap_left;
    bitmap.top = slot->bitmap_top;
    bitmap.width = static_cast<int>(source.width);
    bitmap.height = static_cast<int>(source.rows);
    bitmap.coverage.resize(static_cast<size_t>(bitmap.width) * bitmap.height);
    const int levels = source.num_grays > 1 ? source.num_grays - 1 : 255;
    for (int y = 0; y < bitmap.height; ++y) {
        // A negative pitch stores the rows bottom first.
        const unsigned char* row =
            source.pitch >= 0
                ? source.buffer + static_cast<ptrdiff_t>(y) * source.pitch
                : source.buffer + static_cast<ptrdiff_t>(bitmap.height - 1 - y) * -source.pitch;
        uint8_t* out = bitmap.coverage.data() + static_cast<size_t>(y) * bitmap.width;
        for (int x = 0; x < bitmap.width; ++x) {
            if (source.pixel_mode == FT_PIXEL_MODE_MONO)
                out[x] = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0;
            else
                out[x] = static_cast<uint8_t>(row[x] * 255 / levels);
        }
    }
    return bitmap;
}

// ---------------------------------------------------------------------------------------
// 3. fontFor, fallback faces and registerFontFile

namespace {

LogicalFont normalised(const LogicalFont& font) {
    LogicalFont n = font;
    n.height = font.height == 0 ? kDefaultHeight : std::min(std::abs(font.height), kMaxHeight);
    n.weight = font.weight <= 0 ? 400 : std::clamp(font.weight, 1, 1000);
    return n;
}

std::string patternString(FcPattern* pattern, const char* object) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || value == nullptr)
        return {};
    return reinterpret_cast<const char*>(value);
}

int patternInteger(FcPattern* pattern, const char* object, int fallback) {
    int value = fallback;
    FcPatternGetInteger(pattern, object, 0, &value);
    return value;
}

FontHandle openFace(TextSystem& system, const LogicalFont& font, FcPattern* match) {
    const std::string file = patternString(match, FC_FILE);
    if (file.empty())
        return nullptr;
    const int index = patternInteger(match, FC_INDEX, 0);
    // Fontconfig's own rules may already have asked for emboldening or a slant matrix,
    // and then report the synthetic weight and slant; a face missing the asked style
    // without such a rule is treated the same way.
    FcBool synthBold = FcFalse;
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &synthBold);
    FcMatrix* matrix = nullptr;
    const bool synthSlant = FcPatternGetMatrix(match, FC_MATRIX, 0, &matrix) == FcResultMatch &&
                            matrix != nullptr && matrix->xy != 0;
    const bool faceBold = patternInteger(match, FC_WEIGHT, FC_WEIGHT_REGULAR) >= FC_WEIGHT_DEMIBOLD;
    const bool faceItalic = patternInteger(match, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
    const bool embolden = font.weight >= 600 && (synthBold || !faceBold);
    const bool oblique = font.italic && (synthSlant || !faceItalic);

    const auto key = std::make_tuple(file, index, font.height, embolden, oblique);
    if (FontHandle shared = system.faces[key].lock())
        return shared;

    auto impl = std::make_unique<FontFace::Impl>();
    impl->font = font;
    if (system.library == nullptr ||
        FT_New_Face(system.library, file.c_str(), index, &impl->face) != 0) {
        impl->face = nullptr;
        return nullptr;
    }
    if (FT_Set_Pixel_Sizes(impl->face, 0, static_cast<FT_UInt>(font.height)) != 0)
        return nullptr;
    impl->hbFont = hb_ft_font_create_referenced(impl->face);
    impl->buffer = hb_buffer_create();
    impl->family = patternString(match, FC_FAMILY);
    impl->file = file;
    impl->pixelSize = font.height;
    impl->bold = (faceBold && !synthBold) || embolden;
    impl->italic = (faceItalic && !synthSlant) || oblique;
    impl->embolden = embolden;
    impl->oblique = oblique;
    const FT_Size_Metrics& metrics = impl->face->size->metrics;
    impl->ascent = static_cast<int>((metrics.ascender + 63) >> 6);
    impl->descent = static_cast<int>((-metrics.descender + 63) >> 6);

    auto face = std::make_shared<FontFace>(std::move(impl));
    // Forget faces nobody holds any more before remembering the new one.
    std::erase_if(system.faces, [](const auto& entry) { return entry.second.expired(); });
    system.faces[key] = face;
    return face;
}

// Completes the pattern with the font's style and size, lets fontconfig pick the best
// installed face and opens it. Takes the pattern.
FontHandle matchAndOpen(TextSystem& system, const LogicalFont& font, FcPattern* pattern) {
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(font.weight));
    FcPatternAddInteger(pattern, FC_SLANT, font.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, font.height);
    FcConfigSubstitute(system.config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(system.config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
        return nullptr;
    FontHandle face = openFace(system, font, match);
    FcPatternDestroy(match);
    return face;
}

FontHandle fallbackFace(const LogicalFont& font, char32_t character) {
    TextSystem& system = textSystem();
    if (system.config == nullptr)
        return nullptr;
    FcPattern* pattern = FcPatternCreate();
    FcCharSet* characters = FcCharSetCreate();
    FcCharSetAddChar(characters, character);
    FcPatternAddCharSet(pattern, FC_CHARSET, characters);
    FcCharSetDestroy(characters);
    return matchAndOpen(system, font, pattern);
}

} // namespace

FontHandle fontFor(const LogicalFont& requested) {
    TextLock lock;
    TextSystem& system = textSystem();
    const LogicalFont font = normalised(requested);
    const auto key = std::make_tuple(font.height, font.weight, font.italic, font.face);
    auto found = system.fonts.find(key);
    if (found != system.fonts.end())
        return found->second;
    if (system.config == nullptr)
        return nullptr;

    FcPattern* pattern = FcPatternCreate();
    const std::string family = toUtf8(font.face);
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FontHandle face = matchAndOpen(system, font, pattern);
    if (face)
        system.fonts.emplace(key, face);
    return face;
}

bool registerFontFile(const std::filesystem::path& file) {
    TextLock lock;
    TextSystem& system = textSystem();
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error) || system.config == nullptr ||
        system.library == nullptr)
        return false;
    const std::string path = std::filesystem::weakly_canonical(file, error).string();
    if (system.registeredFiles.count(path) != 0)
        return true;

    // Fontconfig accepts files it finds no font in, so FreeType checks the file first.
    FT_Face probe = nullptr;
    if (FT_New_Face(system.library, path.c_str(), -1, &probe) != 0)
        return false;
    FT_Done_Face(probe);
    if (!FcConfigAppFontAddFile(system.config, reinterpret_cast<const FcChar8*>(path.c_str())))
        return false;
    system.registeredFiles.insert(path);
    // Names resolved before may now find the new face.
    system.fonts.clear();
    return true;
}

} // namespace vantrel::platform
