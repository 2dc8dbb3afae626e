// The font service: what fontconfig resolves the names users expect to,
// which faces count as TrueType, and the metrics and file it gives.
#include "platform/fonts/FontFace.h"

#include "support/FontFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace plat;

namespace {

FontCodeMap Latin1Codes()
{
    FontCodeMap m{};
    for (char32_t b = 32; b < 256; ++b)
        m[b] = (b >= 0x7F && b < 0xA0) ? 0 : b;
    return m;
}

std::string FileName(const FontFace& f)
{
    return std::filesystem::path(f.FilePath()).filename().string();
}

} // namespace

TEST(FontFaceMatch, WindowsNamesResolveToMetricCompatibleTrueTypeFaces)
{
    const struct {
        const char* name;
        bool bold, italic;
        const char* file;
    } cases[] = {
        {"Arial", false, false, "LiberationSans-Regular.ttf"},
        {"arial", true, false, "LiberationSans-Bold.ttf"},
        {"Times New Roman", true, true, "LiberationSerif-BoldItalic.ttf"},
        {"Courier New", false, true, "LiberationMono-Italic.ttf"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        auto face = FontFace::Match(k.name, k.bold, k.italic);
        ASSERT_TRUE(face);
        EXPECT_EQ(FileName(*face), k.file);
        EXPECT_TRUE(face->IsTrueType());
        EXPECT_FALSE(face->IsCollection());
    }
}

TEST(FontFaceMatch, PostScriptFlavouredFacesAreNotTrueType)
{
    // CFF outlines in an OpenType file, and a Type 1 file.
    auto cff = FontFace::Match("Nimbus Sans", false, false);
    ASSERT_TRUE(cff);
    EXPECT_FALSE(cff->IsTrueType()) << cff->FilePath();
    auto type1 = FontFace::Open("/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb");
    if (type1) {
        EXPECT_FALSE(type1->IsTrueType());
    }
    const FontTextMetrics tm = cff->TextMetrics(133, Latin1Codes(), false);
    EXPECT_FALSE(tm.PitchAndFamily & kTrueTypeFont);
    EXPECT_TRUE(tm.PitchAndFamily & kVectorFont);
}

TEST(FontFaceMetrics, AsAWindowsDisplayGivesThemAt133Pixels)
{
    // Liberation Sans: 2048 units per em, usWinAscent 1854, usWinDescent 434.
    auto sans = FontFace::Match("Arial", false, false);
    ASSERT_TRUE(sans);
    EXPECT_EQ(sans->UnitsPerEm(), 2048);
    const FontTextMetrics tm = sans->TextMetrics(133, Latin1Codes(), false);
    EXPECT_EQ(tm.Ascent, 120);   // 1854 * 133 / 2048 = 120.4
    EXPECT_EQ(tm.Descent, 28);   // 434 * 133 / 2048 = 28.2
    EXPECT_EQ(tm.FirstChar, 32);
    EXPECT_EQ(tm.LastChar, 255);
    EXPECT_FALSE(tm.Italic);
    EXPECT_EQ(tm.PitchAndFamily, kVariablePitch | kVectorFont | kTrueTypeFont | kFamilySwiss);
    // "A" is 1366 units wide: 88.7 pixels.
    EXPECT_EQ(sans->AdvanceUnits(U'A'), 1366);
    EXPECT_EQ(sans->AdvancePixels(U'A', 133), 89);
    EXPECT_FALSE(sans->HasGlyph(U'\u4E00'));
    EXPECT_EQ(sans->AdvanceUnits(U'\u4E00'), sans->AdvanceUnits(U'\uFFFF')) << "the missing glyph's advance";

    const FontOutlineMetrics otm = sans->OutlineMetrics(133);
    EXPECT_EQ(otm.ItalicAngle, 0);
    EXPECT_LT(otm.UnderscorePosition, 0) << "below the baseline";
    EXPECT_GT(otm.UnderscoreSize, 0);
    EXPECT_GT(otm.StrikeoutPosition, 0) << "above the baseline";
    EXPECT_GT(otm.StrikeoutSize, 0u);
    EXPECT_EQ(otm.FsType & 0x0002, 0) << "Liberation may be embedded";

    // The family nibble from PANOSE; a fixed-pitch face lacks the pitch bit.
    auto serif = FontFace::Match("Times New Roman", false, true);
    auto mono = FontFace::Match("Courier New", false, false);
    ASSERT_TRUE(serif && mono);
    const FontTextMetrics st = serif->TextMetrics(133, Latin1Codes(), false);
    EXPECT_EQ(st.PitchAndFamily & 0xF0, kFamilyRoman);
    EXPECT_TRUE(st.Italic);
    EXPECT_EQ(serif->OutlineMetrics(133).ItalicAngle, -163) << "16.3 degrees to the right, as Times";
    const FontTextMetrics mt = mono->TextMetrics(133, Latin1Codes(), false);
    EXPECT_EQ(mt.PitchAndFamily, kVectorFont | kTrueTypeFont | kFamilyModern);
    // Text asked for in italic counts as italic even where the face is upright.
    EXPECT_TRUE(mono->TextMetrics(133, Latin1Codes(), true).Italic);
}

TEST(FontFaceMetrics, FirstAndLastCharacterFollowTheCodesTheFaceHas)
{
    auto sans = FontFace::Match("Arial", false, false);
    ASSERT_TRUE(sans);
    FontCodeMap codes{};
    codes[40] = U'A';
    codes[41] = U'\u4E00';   // not in the face
    codes[200] = U'\u0416';  // Cyrillic Zhe
    codes[220] = U'\u4E00';
    const FontTextMetrics tm = sans->TextMetrics(133, codes, false);
    EXPECT_EQ(tm.FirstChar, 40);
    EXPECT_EQ(tm.LastChar, 200);
}

TEST(FontFaceFile, ReadsTheWholeFileAndReportsAFileThatIsGone)
{
    const std::string path = tolv::test::LiberationSansPath();
    ASSERT_FALSE(path.empty());
    auto face = FontFace::Open(path);
    ASSERT_TRUE(face);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(face->ReadFile(bytes));
    const std::string want = tolv::test::ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), want);

    tolv::test::TempDir dir;
    const std::string copy = dir.file("gone.ttf");
    tolv::test::WriteBytes(copy, want);
    auto opened = FontFace::Open(copy);
    ASSERT_TRUE(opened);
    std::filesystem::remove(copy);
    EXPECT_FALSE(opened->ReadFile(bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST(FontFaceFile, CollectionsAndEmbeddingPermissionsAreSeen)
{
    const std::string ttf = tolv::test::ReadBytes(tolv::test::LiberationSansPath());
    ASSERT_FALSE(ttf.empty());
    tolv::test::TempDir dir;
    tolv::test::WriteBytes(dir.file("one.ttc"), tolv::test::AsCollection(ttf));
    tolv::test::WriteBytes(dir.file("restricted.ttf"), tolv::test::WithFsType(ttf, 0x0002));

    auto ttc = FontFace::Open(dir.file("one.ttc"));
    ASSERT_TRUE(ttc);
    EXPECT_TRUE(ttc->IsCollection());
    EXPECT_TRUE(ttc->IsTrueType());
    EXPECT_EQ(ttc->AdvanceUnits(U'A'), 1366);

    auto restricted = FontFace::Open(dir.file("restricted.ttf"));
    ASSERT_TRUE(restricted);
    EXPECT_EQ(restricted->OutlineMetrics(133).FsType, 0x0002);
    EXPECT_FALSE(FontFace::Open(dir.file("missing.ttf")));
}
