#include "pdf/PdfFont.h"

#include "pdf/Ascii85.h"
#include "pdf/PdfCanvas.h"
#include "pdf/PdfCompress.h"
#include "pdf/PdfVell.h"
#include "platform/Codepage.h"
#include "platform/MulDiv.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace pdf {

namespace {

// The /Differences of each character set's encoding over Windows ANSI: a
// starting code, then the glyph names of consecutive codes.
constexpr const char* kGreekRuns[] = {
    "161/dieresistonos/Alphatonos",
    "175/afii00208",
    "180/tonos",
    "184/Epsilontonos/Etatonos/Iotatonos",
    "188/Omicrontonos",
    "190/Upsilontonos/Omegatonos/iotadieresistonos/Alpha/Beta/Gamma/Delta/Epsilon/Zeta/Eta/Theta/Iota/Kappa/Lambda/Mu/Nu/Xi/Omicron/Pi/Rho",
    "211/Sigma/Tau/Upsilon/Phi/Chi/Psi/Omega/Iotadieresis/Upsilondieresis/alphatonos/epsilontonos/etatonos/iotatonos/upsilondieresistonos",
    "225/alpha/beta/gamma/delta/epsilon/zeta/eta/theta/iota/kappa/lambda/mu/nu/xi/omicron/pi/rho/sigma1/sigma/tau/upsilon/phi/chi/psi/omega",
    "250/iotadieresis/upsilondieresis/omicrontonos/upsilontonos/omegatonos",
};
constexpr const char* kTurkishRuns[] = {
    "208/Gbreve",
    "221/Idotaccent/Scedilla",
    "240/gbreve",
    "253/dotlessi/scedilla",
};
constexpr const char* kHebrewRuns[] = {
    "164/afii57636",
    "170/multiply",
    "186/divide",
    "192/afii57799/afii57801/afii57800/afii57802/afii57793/afii57794/afii57795/afii57798/afii57797/afii57806",
    "203/afii57796/afii57807/afii57839/afii57645/afii57841/afii57842/afii57804/afii57803/afii57658/afii57716/afii57717/afii57718",
    "224/afii57664/afii57665/afii57666/afii57667/afii57668/afii57669/afii57670/afii57671/afii57672/afii57673/afii57674",
    "235/afii57675/afii57676/afii57677/afii57678/afii57679/afii57680/afii57681/afii57682/afii57683/afii57684/afii57685/afii57686/afii57687/afii57688/afii57689/afii57690",
    "253/afii299/afii300",
};
constexpr const char* kArabicRuns[] = {
    "129/afii57506",
    "138/afii57511",
    "141/afii57507/afii57508/afii57512/afii57509",
    "154/afii57513",
    "157/afii61664/afii301/afii57514",
    "161/afii57388",
    "186/afii57403",
    "191/afii57407",
    "193/afii57409/afii57410/afii57411/afii57412/afii57413/afii57414/afii57415/afii57416/afii57417/afii57418",
    "203/afii57419/afii57420/afii57421/afii57422/afii57423/afii57424/afii57425/afii57426/afii57427/afii57428/afii57429/afii57430",
    "216/afii57431/afii57432/afii57433/afii57434/afii57440/afii57441/afii57442/afii57443",
    "225/afii57444",
    "227/afii57445/afii57446/afii57470/afii57448",
    "236/afii57449/afii57450",
    "240/afii57451/afii57452/afii57453/afii57454",
    "245/afii57455/afii57456",
    "248/afii57457",
    "250/afii57458",
    "253/afii299/afii300/afii57519",
};
constexpr const char* kBalticRuns[] = {
    "141/dieresis/caron/cedilla",
    "157/macron/ogonek",
    "168/Oslash",
    "170/Rcommaaccent",
    "175/AE",
    "184/oslash",
    "186/rcommaaccent",
    "191/ae/Aogonek/Iogonek/Amacron/Cacute",
    "198/Eogonek",
    "199/Emacron/Ccaron",
    "202/Zacute/Edotaccent/Gcommaaccent/Kcommaaccent/Imacron/Lcommaaccent/Scaron/Nacute/Ncommaaccent",
    "212/Omacron",
    "216/Uogonek/Lslash/Sacute/Umacron",
    "221/Zdotaccent/Zcaron",
    "224/aogonek/iogonek/amacron/cacute",
    "230/eogonek/emacron/ccaron",
    "234/zacute/edotaccent/gcommaaccent/kcommaaccent/imacron/lcommaaccent/scaron/nacute/ncommaaccent",
    "244/omacron",
    "248/uogonek/lslash/sacute/umacron",
    "253/zdotaccent/zcaron/dotaccent",
};
constexpr const char* kRussianRuns[] = {
    "128/afii10051/afii10052",
    "131/afii10100",
    "136/Euro",
    "138/afii10058",
    "140/afii10059/afii10061/afii10060/afii10145/afii10099",
    "154/afii10106",
    "156/afii10107/afii10109/afii10108/afii10193",
    "161/afii10062/afii10110/afii10057",
    "165/afii10050",
    "168/afii10023",
    "170/afii10053",
    "175/afii10056",
    "178/afii10055/afii10103/afii10098",
    "184/afii10071/afii61352/afii10101",
    "188/afii10105/afii10054/afii10102/afii10104/afii10017/afii10018/afii10019/afii10020/afii10021/afii10022/afii10024/afii10025",
    "200/afii10026/afii10027/afii10028/afii10029/afii10030/afii10031/afii10032/afii10033/afii10034/afii10035",
    "210/afii10036/afii10037/afii10038/afii10039/afii10040/afii10041/afii10042/afii10043/afii10044/afii10045",
    "220/afii10046/afii10047/afii10048/afii10049/afii10065/afii10066/afii10067/afii10068/afii10069/afii10070",
    "230/afii10072/afii10073/afii10074/afii10075/afii10076/afii10077/afii10078/afii10079/afii10080/afii10081",
    "240/afii10082/afii10083/afii10084/afii10085/afii10086/afii10087/afii10088/afii10089/afii10090/afii10091",
    "250/afii10092/afii10093/afii10094/afii10095/afii10096/afii10097",
};
constexpr const char* kEasteuropeRuns[] = {
    "140/Sacute/Tcaron",
    "143/Zacute",
    "156/sacute/tcaron",
    "159/zacute",
    "161/caron/breve/Lslash",
    "165/Aogonek",
    "170/Scedilla",
    "175/Zdotaccent",
    "178/ogonek/lslash",
    "185/aogonek/scedilla",
    "188/Lcaron/hungarumlaut/lcaron/zdotaccent/Racute",
    "195/Abreve",
    "197/Lacute/Cacute",
    "200/Ccaron",
    "202/Eogonek",
    "204/Ecaron",
    "207/Dcaron/Dcroat/Nacute/Ncaron",
    "213/Ohungarumlaut",
    "216/Rcaron/Uring",
    "219/Uhungarumlaut",
    "222/Tcedilla",
    "224/racute",
    "227/abreve",
    "229/lacute/cacute",
    "232/ccaron",
    "234/eogonek",
    "236/ecaron",
    "239/dcaron/dcroat/nacute/ncaron",
    "245/ohungarumlaut",
    "248/rcaron/uring",
    "251/uhungarumlaut",
    "254/tcedilla/dotaccent",
};

struct CharsetInfo {
    int Charset;
    int CodePage;
    std::span<const char* const> Runs;
};

constexpr CharsetInfo kCharsets[] = {
    {ANSI_CHARSET, 1252, {}},
    {GREEK_CHARSET, 1253, kGreekRuns},
    {TURKISH_CHARSET, 1254, kTurkishRuns},
    {HEBREW_CHARSET, 1255, kHebrewRuns},
    {ARABIC_CHARSET, 1256, kArabicRuns},
    {BALTIC_CHARSET, 1257, kBalticRuns},
    {RUSSIAN_CHARSET, 1251, kRussianRuns},
    {EASTEUROPE_CHARSET, 1250, kEasteuropeRuns},
};

const CharsetInfo* FindCharset(int charset)
{
    for (const CharsetInfo& c : kCharsets)
        if (c.Charset == charset)
            return &c;
    return nullptr;
}

// The first byte and the number of glyph names of a run; false when malformed.
bool ParseRun(std::string_view run, int& start, int& count)
{
    const std::size_t slash = run.find('/');
    if (slash == std::string_view::npos || slash == 0)
        return false;
    auto res = std::from_chars(run.data(), run.data() + slash, start);
    if (res.ec != std::errc() || res.ptr != run.data() + slash)
        return false;
    count = static_cast<int>(std::count(run.begin(), run.end(), '/'));
    return true;
}

bool ContainsNoCase(const std::vector<std::string>& names, const std::string& name)
{
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameTextNoCase(n, name); });
}


} // namespace

int CharsetCodePage(int charset)
{
    const CharsetInfo* c = FindCharset(charset);
    return c ? c->CodePage : 0;
}

int SystemDefaultCharset()
{
    // The language part of the locale that text is read in.
    const char* env = nullptr;
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        env = std::getenv(var);
        if (env && *env)
            break;
    }
    const std::string lang = env ? std::string(env).substr(0, 2) : std::string();
    static const struct {
        const char* Lang;
        int Charset;
    } languages[] = {
        {"ru", RUSSIAN_CHARSET}, {"uk", RUSSIAN_CHARSET}, {"be", RUSSIAN_CHARSET}, {"bg", RUSSIAN_CHARSET},
        {"sr", RUSSIAN_CHARSET}, {"mk", RUSSIAN_CHARSET}, {"pl", EASTEUROPE_CHARSET}, {"cs", EASTEUROPE_CHARSET},
        {"sk", EASTEUROPE_CHARSET}, {"hu", EASTEUROPE_CHARSET}, {"sl", EASTEUROPE_CHARSET}, {"hr", EASTEUROPE_CHARSET},
        {"ro", EASTEUROPE_CHARSET}, {"el", GREEK_CHARSET}, {"tr", TURKISH_CHARSET}, {"he", HEBREW_CHARSET},
        {"ar", ARABIC_CHARSET}, {"fa", ARABIC_CHARSET}, {"lt", BALTIC_CHARSET}, {"lv", BALTIC_CHARSET},
        {"et", BALTIC_CHARSET},
    };
    for (const auto& l : languages)
        if (lang == l.Lang)
            return l.Charset;
    return ANSI_CHARSET;
}

int ResolveCharset(int charset)
{
    return charset == DEFAULT_CHARSET ? SystemDefaultCharset() : charset;
}

std::span<const char* const> EncodingRuns(int charset)
{
    const CharsetInfo* c = FindCharset(charset);
    return c ? c->Runs : std::span<const char* const>{};
}

plat::FontCodeMap CharsetCodeMap(int charset)
{
    const plat::CodePageTable& ansi = *plat::WindowsCodePage(1252);
    const int cp = CharsetCodePage(charset);
    const plat::CodePageTable* page = plat::WindowsCodePage(cp ? cp : 1252);
    plat::FontCodeMap map{};
    for (std::size_t b = 0; b < 256; ++b)
        map[b] = (*page)[b] != 0 ? (*page)[b] : ansi[b];
    return map;
}

std::string StyledFontName(const TFont& font)
{
    const bool bold = (font.Style & fsBold) != 0;
    const bool italic = (font.Style & fsItalic) != 0;
    if (bold && italic)
        return font.Name + ",BoldItalic";
    if (bold)
        return font.Name + ",Bold";
    if (italic)
        return font.Name + ",Italic";
    return font.Name;
}

std::string FontKey(const TFont& font)
{
    return StyledFontName(font) + "|" + FormatInteger(font.Charset);
}

std::string EscapeName(std::string_view name)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(name.size());
    for (char ch : name) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 33 || b > 126 || std::strchr("#()/<>[]{}%", ch)) {
            out += '#';
            out += digits[b >> 4];
            out += digits[b & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

bool AssignRTLChars(std::span<const char* const> runs, RtlFlags& flags)
{
    for (const char* run : runs) {
        int start = 0, count = 0;
        if (!ParseRun(run, start, count))
            return false;
        for (int c = start; c < start + count && c < 256; ++c)
            if (c >= 0)
                flags[static_cast<std::size_t>(c)] = true;
    }
    return true;
}

int FontDescriptorFlags(bool symbolic, std::uint8_t pitchAndFamily, bool italic)
{
    int flags = symbolic ? 4 : 32;
    if (pitchAndFamily & 0x10)
        flags += 2;
    if (pitchAndFamily & 0x40)
        flags += 8;
    if (italic)
        flags += 64;
    return flags;
}

std::vector<std::string> WidthsLines(const std::vector<int>& widths)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        line += FormatInteger(widths[i]);
        line += ' ';
        if (i % 16 == 15) {
            lines.push_back(std::move(line));
            line.clear();
        }
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

int PointsToPixels(int points)
{
    return plat::MulDiv(points, TPdfCanvas::MeasureDpi, 72);
}

// ---- TPdfFont -----------------------------------------------------------------

TPdfFont::TPdfFont(TPdfCanvas& canvas, const TFont& font, int index)
    : canvas_(canvas), font_(font), faceName_(font.Name)
{
    TPdfVell& owner = canvas.Owner();
    symbolic_ = ContainsNoCase(owner.SymbolFonts(), faceName_);

    charset_ = ResolveCharset(font.Charset);
    if (!FindCharset(charset_))
        owner.RaiseError(msg::CharsetNotSupported, faceName_);

    rtlSlot_ = charset_ == HEBREW_CHARSET ? 2 : charset_ == ARABIC_CHARSET ? 1 : 0;
    RtlTable& rtl = SharedRtlTable();
    const auto slot = static_cast<std::size_t>(rtlSlot_);
    if (rtlSlot_ != 0 && !rtl.Filled[slot]) {
        rtl.Flags[slot].fill(false);
        if (!AssignRTLChars(EncodingRuns(charset_), rtl.Flags[slot]))
            owner.RaiseError(msg::InternalError, "TPdfFont.AssignRTLChars");
        rtl.Filled[slot] = true;
    }

    key_ = FontKey(font);
    baseFontName_ = StyledFontName(font);
    name_ = "F" + FormatInteger(index);
}

void TPdfFont::LoadFontMetrics()
{
    TPdfVell& owner = canvas_.Owner();
    // Measured at 100 points on the measuring surface, then scaled to
    // thousandths of the em.
    const int ppem = PointsToPixels(100);
    const int sizeBack = plat::MulDiv(ppem, 72, TPdfCanvas::MeasureDpi);
    const long double scale = 72000.0L / TPdfCanvas::MeasureDpi / sizeBack;

    const plat::FontFace* face = canvas_.MeasuringFace(font_);
    if (!face)
        owner.RaiseError(msg::InternalError, "GetTextMetrics");
    const plat::FontCodeMap codes = CharsetCodeMap(charset_);
    const plat::FontTextMetrics tm = face->TextMetrics(ppem, codes, (font_.Style & fsItalic) != 0);
    if (!(tm.PitchAndFamily & plat::kTrueTypeFont))
        owner.RaiseError(msg::NotTrueType, faceName_);
    firstChar_ = tm.FirstChar;
    lastChar_ = tm.LastChar;
    ascentFactor_ = tm.Ascent * scale / 1000.0L;

    const plat::FontOutlineMetrics otm = face->OutlineMetrics(ppem);

    // Bit 0x0002 of fsType is the restricted licence that forbids
    // embedding. A collection's file holds other faces too, and a file that
    // cannot be read is written without embedding rather than failing.
    embedded_ = owner.EmbedFonts() && !(otm.FsType & 0x0002) && !ContainsNoCase(owner.NonEmbeddedFonts(), faceName_) &&
                !face->IsCollection();
    if (embedded_) {
        std::vector<std::uint8_t> file;
        embedded_ = face->ReadFile(file);
        if (embedded_)
            WriteFontFile(file);
    }
    WriteFontObjects(*face, codes, ppem, tm, otm, scale);

    underlineThickness_ = otm.UnderscoreSize * scale / 1000.0L;
    underlinePosition_ = otm.UnderscorePosition * scale / 1000.0L;
    strikeOutThickness_ = otm.StrikeoutSize * scale / 1000.0L;
    strikeOutPosition_ = otm.StrikeoutPosition * scale / 1000.0L;
}

void TPdfFont::WriteFontFile(const std::vector<std::uint8_t>& file)
{
    std::vector<std::uint8_t> text;
    {
        TAscii85Stream a85(text);
        TCompressionStream z(TCompressionLevel::clDefault, a85);
        z.WriteBuffer(file.data(), file.size());
        z.Finish();
        a85.Finish();
    }
    PdfObjectWriter& w = canvas_.Writer();
    fontFileObject_ = w.BeginObject("<<");
    w.WriteLine("/Filter[/ASCII85Decode/FlateDecode]");
    w.WriteLine("/Length " + FormatInteger(static_cast<long long>(text.size())));
    w.WriteLine("/Length1 " + FormatInteger(static_cast<long long>(file.size())));
    w.WriteLine(">>");
    w.WriteLine("stream");
    if (PdfEncryption* enc = w.Encryption())
        enc->Crypt(fontFileObject_, text.data(), text.size());
    w.WriteRaw(text.data(), text.size());
    w.WriteRaw("\n", 1);
    w.EndObject("endstream");
}

void TPdfFont::WriteFontObjects(const plat::FontFace& face, const plat::FontCodeMap& codes, int ppem,
                                const plat::FontTextMetrics& tm, const plat::FontOutlineMetrics& otm,
                                long double scale)
{
    PdfObjectWriter& w = canvas_.Writer();

    std::vector<int> widths;
    widths.reserve(static_cast<std::size_t>(lastChar_ - firstChar_ + 1));
    for (int c = firstChar_; c <= lastChar_; ++c)
        widths.push_back(RoundToInt(face.AdvancePixels(codes[static_cast<std::size_t>(c)], ppem) * scale));
    const int widthsObject = w.BeginObject("[");
    for (const std::string& line : WidthsLines(widths))
        w.WriteLine(line);
    w.EndObject("]");

    const int descriptor = w.BeginObject("<<");
    w.WriteLine("/Type/FontDescriptor");
    w.WriteLine("/FontName/" + EscapeName(faceName_));
    const std::string ascent = FormatInteger(RoundToInt(tm.Ascent * scale));
    w.WriteLine("/Ascent " + ascent);
    w.WriteLine("/Descent " + FormatInteger(RoundToInt(-tm.Descent * scale)));
    w.WriteLine("/ItalicAngle " + FormatInteger(RoundToInt(otm.ItalicAngle / 10.0L)));
    w.WriteLine("/CapHeight " + ascent);
    w.WriteLine("/Flags " + FormatInteger(FontDescriptorFlags(symbolic_, tm.PitchAndFamily, tm.Italic)));
    w.WriteLine("/FontBBox[0 0 0 0]");
    if (embedded_)
        w.WriteLine("/FontFile2 " + PdfObjectWriter::ObjectRef(fontFileObject_));
    w.EndObject(">>");

    const std::span<const char* const> runs = EncodingRuns(charset_);
    if (!runs.empty()) {
        encodingObject_ = w.BeginObject("<<");
        w.WriteLine("/Type/Encoding");
        w.WriteLine("/BaseEncoding/WinAnsiEncoding");
        w.WriteLine("/Differences [");
        for (const char* run : runs)
            w.WriteLine(run);
        w.WriteLine("]");
        w.EndObject(">>");
    }

    fontObject_ = w.BeginObject("<<");
    w.WriteLine("/Type/Font");
    w.WriteLine("/Subtype/TrueType");
    w.WriteLine("/Name" + ResourceName());
    w.WriteLine("/BaseFont/" + EscapeName(baseFontName_));
    if (encodingObject_ > 0)
        w.WriteLine("/Encoding " + PdfObjectWriter::ObjectRef(encodingObject_));
    else
        w.WriteLine("/Encoding/WinAnsiEncoding");
    w.WriteLine("/FirstChar " + FormatInteger(firstChar_));
    w.WriteLine("/LastChar " + FormatInteger(lastChar_));
    w.WriteLine("/Widths " + PdfObjectWriter::ObjectRef(widthsObject));
    w.WriteLine("/FontDescriptor " + PdfObjectWriter::ObjectRef(descriptor));
    w.EndObject(">>");
}

} // namespace pdf
