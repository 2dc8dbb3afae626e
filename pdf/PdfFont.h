#pragma once
// TrueType font resources of the PDF writer: one per face, bold/italic
// style and character set that text is drawn with. On its first use a font
// is measured through the platform's font service and writes all its
// objects at once: the optional embedded font file, the widths array, the
// font descriptor, an optional encoding and the font dictionary.
#include "pdf/PdfFormat.h"
#include "pdf/PdfTypes.h"
#include "pdf/PdfWriter.h"
#include "platform/fonts/FontFace.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pdf {

class TPdfCanvas;

// Character sets a font can be drawn in.
inline constexpr int ANSI_CHARSET = 0;
inline constexpr int GREEK_CHARSET = 161;
inline constexpr int TURKISH_CHARSET = 162;
inline constexpr int HEBREW_CHARSET = 177;
inline constexpr int ARABIC_CHARSET = 178;
inline constexpr int BALTIC_CHARSET = 186;
inline constexpr int RUSSIAN_CHARSET = 204;
inline constexpr int EASTEUROPE_CHARSET = 238;

// The Windows code page of a resolved character set (1252 for ANSI); 0 for
// a set the writer does not support.
int CharsetCodePage(int charset);
// The character set text in the default set is written in: the one of the
// system's ANSI code page. Linux has none; the language of the user's
// locale stands in for it (Russian gives 204, Polish 238, ...; anything
// unknown the Western 0).
int SystemDefaultCharset();
// The set a font's charset stands for: SystemDefaultCharset() for
// DEFAULT_CHARSET, any other as it is.
int ResolveCharset(int charset);
// The /Differences runs of a character set's encoding, in writing order;
// empty for ANSI and unsupported sets.
std::span<const char* const> EncodingRuns(int charset);
// What a code of the set shows: its code page's character where the font's
// encoding names one, else the Windows ANSI character the base encoding
// gives it.
plat::FontCodeMap CharsetCodeMap(int charset);

// Face name + ",BoldItalic", ",Bold" or ",Italic"; underline and strike-out
// do not count.
std::string StyledFontName(const TFont& font);
// StyledFontName + "|" + the charset as set (1 for the default set).
std::string FontKey(const TFont& font);
// A name token: every byte outside "!".."~" and every delimiter or "#"
// becomes "#" and two hex digits ("Times New Roman" -> "Times#20New#20Roman").
std::string EscapeName(std::string_view name);
// Marks in flags every code one of the runs names a glyph for; false for a
// run without "/" or without a decimal start.
bool AssignRTLChars(std::span<const char* const> runs, RtlFlags& flags);
// The descriptor's /Flags: 4 symbolic or 32, + 2 for the Roman bit (0x10)
// of pitch and family, + 8 for the Script bit (0x40), + 64 for italic.
int FontDescriptorFlags(bool symbolic, std::uint8_t pitchAndFamily, bool italic);
// Widths as the array's lines: 16 values a line, each followed by a blank.
std::vector<std::string> WidthsLines(const std::vector<int>& widths);

// Pixel size of a point size on the writer's 96-dpi measuring surface, as a
// Windows display rounds it (100 pt -> 133).
int PointsToPixels(int points);

class TPdfFont final : public PdfPageResource {
public:
    // Resolves the charset (an unsupported one abandons the document with
    // "Font character set not supported"), fills the right-to-left table
    // once per script and names the font "F<index>".
    TPdfFont(TPdfCanvas& canvas, const TFont& font, int index);
    // Measures the face and writes all the font's objects; abandons the
    // document with "This font is not TrueType" for other faces.
    void LoadFontMetrics();

    const std::string& Name() const override { return name_; }
    int ObjectNumber() const override { return fontObject_; }
    bool HasData() const override { return false; }   // written when loaded
    void WriteObject(PdfObjectWriter&) override {}

    const std::string& Key() const { return key_; }
    const std::string& FaceName() const { return faceName_; }
    const std::string& BaseFontName() const { return baseFontName_; }
    std::string ResourceName() const { return "/" + name_; }
    int Charset() const { return charset_; }
    int CodePage() const { return CharsetCodePage(charset_); }
    int RtlSlot() const { return rtlSlot_; }
    bool Symbolic() const { return symbolic_; }
    bool Embedded() const { return embedded_; }
    int FirstChar() const { return firstChar_; }
    int LastChar() const { return lastChar_; }
    int FontFileObject() const { return fontFileObject_; }
    int EncodingObject() const { return encodingObject_; }
    // Points per point of font size.
    long double AscentFactor() const { return ascentFactor_; }
    long double UnderlineThickness() const { return underlineThickness_; }
    long double UnderlinePosition() const { return underlinePosition_; }
    long double StrikeOutThickness() const { return strikeOutThickness_; }
    long double StrikeOutPosition() const { return strikeOutPosition_; }

private:
    void WriteFontFile(const std::vector<std::uint8_t>& file);
    // codes and ppem as the face was measured with.
    void WriteFontObjects(const plat::FontFace& face, const plat::FontCodeMap& codes, int ppem,
                          const plat::FontTextMetrics& tm, const plat::FontOutlineMetrics& otm, long double scale);

    TPdfCanvas& canvas_;
    TFont font_;
    std::string key_, faceName_, baseFontName_, name_;
    int charset_ = ANSI_CHARSET;
    int rtlSlot_ = 0;
    bool symbolic_ = false;
    bool embedded_ = false;
    int firstChar_ = 32, lastChar_ = 32;
    int fontFileObject_ = 0, encodingObject_ = 0, fontObject_ = 0;
    long double ascentFactor_ = 0;
    long double underlineThickness_ = 0, underlinePosition_ = 0;
    long double strikeOutThickness_ = 0, strikeOutPosition_ = 0;
};

} // namespace pdf
