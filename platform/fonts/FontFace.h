#pragma once
// Font faces for the PDF writer: fontconfig picks the face a name, weight
// and slant resolve to (as a desktop substitutes "Arial" with a
// metric-compatible face), FreeType reads it. Metrics come in the form and
// units the writer's font code expects of a Windows display: whole pixels
// at a given pixel size (ppem), ascent and descent from the OS/2 table's
// Windows values, the pitch-and-family byte, tenths of a degree.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

// The character of each byte 0..255 of a code page; 0 for an unused byte.
using FontCodeMap = std::array<char32_t, 256>;

// Bits of the pitch-and-family byte.
inline constexpr std::uint8_t kVariablePitch = 0x01;
inline constexpr std::uint8_t kVectorFont = 0x02;
inline constexpr std::uint8_t kTrueTypeFont = 0x04;
inline constexpr std::uint8_t kFamilyRoman = 0x10;
inline constexpr std::uint8_t kFamilySwiss = 0x20;
inline constexpr std::uint8_t kFamilyModern = 0x30;
inline constexpr std::uint8_t kFamilyScript = 0x40;
inline constexpr std::uint8_t kFamilyDecorative = 0x50;

struct FontTextMetrics {
    int Ascent = 0;     // pixels above the baseline
    int Descent = 0;    // pixels below it, positive
    std::uint8_t FirstChar = 32;   // first and last byte of the code page the face has a glyph for
    std::uint8_t LastChar = 32;
    bool Italic = false;
    std::uint8_t PitchAndFamily = 0;
};

struct FontOutlineMetrics {
    int ItalicAngle = 0;            // tenths of a degree, negative when leaning right
    std::uint16_t FsType = 0;       // the OS/2 embedding permissions
    int UnderscoreSize = 0;         // pixels
    int UnderscorePosition = 0;     // pixels, negative below the baseline
    unsigned StrikeoutSize = 0;     // pixels
    int StrikeoutPosition = 0;      // pixels above the baseline
};

class FontFace {
public:
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // fontconfig's best face for the family, weight and slant; nullptr
    // when fontconfig knows no font at all or FreeType cannot read it.
    static std::unique_ptr<FontFace> Match(const std::string& family, bool bold, bool italic);
    // The face at index of a font file; nullptr when FreeType cannot read it.
    static std::unique_ptr<FontFace> Open(const std::string& path, int index = 0);

    const std::string& FilePath() const { return path_; }
    const std::string& FamilyName() const { return family_; }
    // An sfnt file with glyf outlines: what Windows calls TrueType. CFF
    // (PostScript-flavoured OpenType), Type 1 and bitmap faces are not.
    bool IsTrueType() const { return trueType_; }
    // A collection (.ttc): its file holds more than this face.
    bool IsCollection() const { return collection_; }
    int UnitsPerEm() const { return unitsPerEm_; }

    // The metrics at ppem for text in the code page of codes. italic asks
    // for italic text: a face without italic is slanted by the renderer, so
    // the text counts as italic all the same.
    FontTextMetrics TextMetrics(int ppem, const FontCodeMap& codes, bool italic) const;
    FontOutlineMetrics OutlineMetrics(int ppem) const;
    bool HasGlyph(char32_t ch) const;
    // The advance width in whole pixels at ppem; a character the face
    // lacks takes the missing-glyph box's advance.
    int AdvancePixels(char32_t ch, int ppem) const;
    // The advance width in font units.
    int AdvanceUnits(char32_t ch) const;

    // The complete font file; false when it cannot be read.
    bool ReadFile(std::vector<std::uint8_t>& out) const;

private:
    struct Impl;
    explicit FontFace(std::unique_ptr<Impl> impl);
    int Pixels(long units, int ppem) const;

    std::unique_ptr<Impl> impl_;
    std::string path_;
    std::string family_;
    bool trueType_ = false;
    bool collection_ = false;
    int unitsPerEm_ = 1000;
};

} // namespace plat
