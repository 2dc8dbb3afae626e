#include "platform/fonts/FontFace.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <mutex>
#include <unordered_map>

namespace plat {

namespace {

FT_Library Library()
{
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0)
            l = nullptr;
        return l;
    }();
    return lib;
}

bool StartsWithCollectionTag(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char tag[4] = {};
    const bool isTtc = std::fread(tag, 1, 4, f) == 4 && tag[0] == 't' && tag[1] == 't' && tag[2] == 'c' && tag[3] == 'f';
    std::fclose(f);
    return isTtc;
}

// The family nibble of the pitch-and-family byte, from the face's PANOSE
// classification as Windows derives it.
std::uint8_t FamilyFromPanose(const FT_Byte* panose)
{
    switch (panose[0]) {
    case 2:   // Latin text
        if (panose[3] == 9)   // monospaced
            return kFamilyModern;
        if (panose[1] >= 11 && panose[1] <= 15)   // the sans-serif styles
            return kFamilySwiss;
        if (panose[1] >= 2 && panose[1] <= 10)    // the serif styles
            return kFamilyRoman;
        return 0;
    case 3: return kFamilyScript;       // hand-written
    case 4: return kFamilyDecorative;
    case 5: return kFamilyDecorative;   // pictures (symbol faces)
    default: return 0;
    }
}

} // namespace

struct FontFace::Impl {
    FT_Face face = nullptr;
    bool unicode = false;   // a Unicode character map is selected
    mutable std::unordered_map<char32_t, int> advances;   // font units

    ~Impl()
    {
        if (face)
            FT_Done_Face(face);
    }

    FT_UInt Glyph(char32_t ch) const
    {
        if (unicode)
            return FT_Get_Char_Index(face, ch);
        // Symbol faces map their codes into the private use area.
        if (ch < 0x100)
            return FT_Get_Char_Index(face, 0xF000 + ch);
        return 0;
    }
};

FontFace::FontFace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
FontFace::~FontFace() = default;

std::unique_ptr<FontFace> FontFace::Open(const std::string& path, int index)
{
    FT_Library lib = Library();
    if (!lib)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    if (FT_New_Face(lib, path.c_str(), index, &impl->face) != 0) {
        impl->face = nullptr;
        return nullptr;
    }
    FT_Face f = impl->face;
    impl->unicode = FT_Select_Charmap(f, FT_ENCODING_UNICODE) == 0;
    if (!impl->unicode)
        FT_Select_Charmap(f, FT_ENCODING_MS_SYMBOL);

    std::unique_ptr<FontFace> face(new FontFace(std::move(impl)));
    face->path_ = path;
    face->family_ = f->family_name ? f->family_name : "";
    FT_ULong glyfLength = 0;
    face->trueType_ = FT_IS_SFNT(f) && FT_Load_Sfnt_Table(f, TTAG_glyf, 0, nullptr, &glyfLength) == 0;
    face->collection_ = f->num_faces > 1 || StartsWithCollectionTag(path);
    face->unitsPerEm_ = f->units_per_EM > 0 ? f->units_per_EM : 1000;
    return face;
}

std::unique_ptr<FontFace> FontFace::Match(const std::string& family, bool bold, bool italic)
{
    // fontconfig's set-up reads every configuration file: once per program.
    static std::once_flag init;
    std::call_once(init, [] { FcInit(); });

    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return nullptr;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return nullptr;
    std::unique_ptr<FontFace> face;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        face = Open(reinterpret_cast<const char*>(file), index);
    }
    FcPatternDestroy(match);
    return face;
}

int FontFace::Pixels(long units, int ppem) const
{
    // A huge size times a big metric leaves int, where converting would be undefined.
    const double pixels = std::nearbyint(static_cast<double>(units) * ppem / unitsPerEm_);
    return static_cast<int>(std::clamp(pixels, double(std::numeric_limits<int>::min()),
                                       double(std::numeric_limits<int>::max())));
}

bool FontFace::HasGlyph(char32_t ch) const
{
    return impl_->Glyph(ch) != 0;
}

int FontFace::AdvanceUnits(char32_t ch) const
{
    auto it = impl_->advances.find(ch);
    if (it != impl_->advances.end())
        return it->second;
    FT_Fixed advance = 0;
    if (FT_Get_Advance(impl_->face, impl_->Glyph(ch), FT_LOAD_NO_SCALE, &advance) != 0)
        advance = 0;
    const int units = static_cast<int>(advance);
    impl_->advances.emplace(ch, units);
    return units;
}

int FontFace::AdvancePixels(char32_t ch, int ppem) const
{
    return Pixels(AdvanceUnits(ch), ppem);
}

FontTextMetrics FontFace::TextMetrics(int ppem, const FontCodeMap& codes, bool italic) const
{
    FT_Face f = impl_->face;
    FontTextMetrics m;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
    const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(f, FT_SFNT_POST));
    if (os2 && os2->version != 0xFFFF && (os2->usWinAscent != 0 || os2->usWinDescent != 0)) {
        m.Ascent = Pixels(os2->usWinAscent, ppem);
        m.Descent = Pixels(os2->usWinDescent, ppem);
    } else {
        m.Ascent = Pixels(f->ascender, ppem);
        m.Descent = Pixels(-static_cast<long>(f->descender), ppem);
    }

    // Control codes are never text: the range starts at the blank at the earliest.
    int first = -1, last = -1;
    for (int b = 32; b < 256; ++b) {
        if (codes[static_cast<std::size_t>(b)] != 0 && HasGlyph(codes[static_cast<std::size_t>(b)])) {
            if (first < 0)
                first = b;
            last = b;
        }
    }
    if (first >= 0) {
        m.FirstChar = static_cast<std::uint8_t>(first);
        m.LastChar = static_cast<std::uint8_t>(last);
    }

    const bool faceItalic = (f->style_flags & FT_STYLE_FLAG_ITALIC) != 0 || (os2 && (os2->fsSelection & 1));
    m.Italic = italic || faceItalic;

    const bool fixedPitch = post ? post->isFixedPitch != 0 : FT_IS_FIXED_WIDTH(f);
    std::uint8_t pf = fixedPitch ? 0 : kVariablePitch;
    if (FT_IS_SCALABLE(f))
        pf |= kVectorFont;
    if (trueType_)
        pf |= kTrueTypeFont;
    if (os2 && os2->version != 0xFFFF)
        pf |= FamilyFromPanose(os2->panose);
    m.PitchAndFamily = pf;
    return m;
}

FontOutlineMetrics FontFace::OutlineMetrics(int ppem) const
{
    FT_Face f = impl_->face;
    FontOutlineMetrics m;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
    const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(f, FT_SFNT_POST));
    if (post)
        m.ItalicAngle = static_cast<int>(std::nearbyint(static_cast<double>(post->italicAngle) / 65536.0 * 10.0));
    m.UnderscoreSize = Pixels(f->underline_thickness, ppem);
    m.UnderscorePosition = Pixels(f->underline_position, ppem);
    if (os2 && os2->version != 0xFFFF) {
        m.FsType = os2->fsType;
        m.StrikeoutSize = static_cast<unsigned>(Pixels(os2->yStrikeoutSize < 0 ? 0 : os2->yStrikeoutSize, ppem));
        m.StrikeoutPosition = Pixels(os2->yStrikeoutPosition, ppem);
    } else {
        // No OS/2 table: a stroke as thick as the underline, at a quarter of the em.
        m.StrikeoutSize = static_cast<unsigned>(m.UnderscoreSize < 0 ? 0 : m.UnderscoreSize);
        m.StrikeoutPosition = Pixels(unitsPerEm_ / 4, ppem);
    }
    return m;
}

bool FontFace::ReadFile(std::vector<std::uint8_t>& out) const
{
    out.clear();
    std::FILE* f = std::fopen(path_.c_str(), "rb");
    if (!f)
        return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        out.resize(static_cast<std::size_t>(size));
        ok = size == 0 || std::fread(out.data(), 1, out.size(), f) == out.size();
    }
    std::fclose(f);
    if (!ok)
        out.clear();
    return ok && !out.empty();
}

} // namespace plat
