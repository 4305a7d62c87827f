#include "check/text_measure.h"

#include "core/codepage.h"

#include <cmath>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

namespace taleplay::check {
namespace {

FT_Library library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        return FT_Init_FreeType(&l) == 0 ? l : nullptr;
    }();
    return lib;
}

// The file fontconfig matches for the family, weight and size, as the
// toolkit's font database asks for it.
std::string matchedFile(const std::string& family, int pixelSize, bool bold, int& index) {
    FcPattern* pattern = FcPatternCreate();
    const std::string name = cp1251::toUtf8(family);
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelSize);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string file;
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
        file = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch)
            index = 0;
    }
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return file;
}

} // namespace

struct TextMeasure::Face {
    FT_Face face = nullptr;
    int ascent = 0, descent = 0;
    ~Face() {
        if (face)
            FT_Done_Face(face);
    }
};

TextMeasure::TextMeasure(const std::string& family, int pixelSize, bool bold)
    : face_(std::make_unique<Face>()) {
    int index = 0;
    const std::string file = matchedFile(family.empty() ? "Arial" : family, pixelSize, bold, index);
    if (file.empty() || !library() || pixelSize <= 0 ||
        FT_New_Face(library(), file.c_str(), index, &face_->face) != 0) {
        face_->face = nullptr;
        return;
    }
    FT_Set_Pixel_Sizes(face_->face, 0, static_cast<FT_UInt>(pixelSize));
    // The toolkit takes the line's height from the font's Windows metrics
    // (OS/2), or its horizontal header, scaled and rounded each.
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_->face, FT_SFNT_OS2));
    const double em = face_->face->units_per_EM ? face_->face->units_per_EM : 2048;
    double ascent = face_->face->ascender, descent = -face_->face->descender;
    if (os2 && os2->version != 0xFFFF) {
        const bool typo = (os2->fsSelection & (1u << 7)) != 0;
        ascent = typo ? os2->sTypoAscender : os2->usWinAscent;
        descent = typo ? -os2->sTypoDescender : os2->usWinDescent;
    }
    face_->ascent = static_cast<int>(std::lround(ascent * pixelSize / em));
    face_->descent = static_cast<int>(std::lround(descent * pixelSize / em));
}

TextMeasure::~TextMeasure() = default;

bool TextMeasure::usable() const {
    return face_->face != nullptr;
}

int TextMeasure::lineHeight() const {
    return usable() ? face_->ascent + face_->descent : 0;
}

int TextMeasure::width(std::string_view text) const {
    if (!usable())
        return 0;
    // The toolkit places glyphs at their unhinted advances and rounds the
    // line's width once.
    long long total = 0; // 16.16 pixels
    for (char c : text) {
        const FT_UInt glyph =
            FT_Get_Char_Index(face_->face, cp1251::toUnicode(static_cast<unsigned char>(c)));
        if (FT_Load_Glyph(face_->face, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0)
            total += face_->face->glyph->linearHoriAdvance;
    }
    return static_cast<int>((total + 0x8000) >> 16);
}

} // namespace taleplay::check
