// Any byte sequence as a script of calls on the PDF writer: one call per
// line, a word and its arguments separated by blanks (see Run for the
// words). Numbers are decimal and saturate at the limits of int; text
// arguments take \xNN, \s (a blank) and \\ escapes, and "" is the empty
// text. Documents go into memory files; text is measured and embedded with
// the fonts the system has.
//
// What must hold: every error is the writer's own EPdfError, leaves no
// document open and no file behind; every finished document passes the
// writer's cross-reference check (or is empty when output was switched off).
#include "PdfCheckCore.h"
#include "pdf/PdfVell.h"
#include "platform/Bitmap.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// Keeps one input within the fuzzer's time limit. Calls and documents are
// capped, and so are the calls that can make a font (each may embed a whole
// font file): texts and page starts, whose handler may write text.
constexpr int kMaxCalls = 400;
constexpr int kMaxDocuments = 32;
constexpr int kMaxTextsAndPages = 64;
constexpr int kMaxBitmapSide = 64;

// The script line being run, for the report of a failure.
std::string_view currentLine;
// With PDF_WRITER_FUZZ_TRACE set, every error and finished file is told on
// stderr: what a seed or a crash's input did.
const bool trace = std::getenv("PDF_WRITER_FUZZ_TRACE") != nullptr;

void Trace(const std::string& what)
{
    if (trace)
        std::fprintf(stderr, "%.*s -> %s\n", static_cast<int>(currentLine.size()), currentLine.data(), what.c_str());
}

[[noreturn]] void Fail(const char* why)
{
    std::fprintf(stderr, "pdf_writer_fuzz: %s, at the line \"%.*s\"\n", why, static_cast<int>(currentLine.size()),
                 currentLine.data());
    __builtin_trap();
}

// One line of the script, read argument by argument; a missing argument
// reads as 0 or as empty text.
class Args {
public:
    explicit Args(std::string_view line) : rest_(line) {}

    std::string_view Word()
    {
        while (!rest_.empty() && rest_.front() == ' ')
            rest_.remove_prefix(1);
        const std::size_t end = std::min(rest_.find(' '), rest_.size());
        const std::string_view w = rest_.substr(0, end);
        rest_.remove_prefix(end);
        return w;
    }
    bool More()
    {
        while (!rest_.empty() && rest_.front() == ' ')
            rest_.remove_prefix(1);
        return !rest_.empty();
    }
    int Int()
    {
        const std::string_view w = Word();
        long long v = 0;
        if (std::from_chars(w.data(), w.data() + w.size(), v).ec == std::errc::result_out_of_range)
            v = w.starts_with('-') ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
        return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }
    bool Bool() { return Int() != 0; }
    std::string Text()
    {
        const std::string_view w = Word();
        if (w == "\"\"")
            return {};
        std::string out;
        for (std::size_t i = 0; i < w.size(); ++i) {
            if (w[i] != '\\' || i + 1 == w.size()) {
                out += w[i];
                continue;
            }
            const char e = w[++i];
            unsigned byte = 0;
            const auto hex = std::from_chars(w.data() + i + 1, w.data() + std::min(i + 3, w.size()), byte, 16);
            if (e == 's') {
                out += ' ';
            } else if (e == 'x' && hex.ptr != w.data() + i + 1) {
                out += static_cast<char>(byte);
                i = static_cast<std::size_t>(hex.ptr - w.data()) - 1;
            } else {
                out += e;
            }
        }
        return out;
    }

private:
    std::string_view rest_;
};

// The outline's nodes in pre-order, the root first: a script names a node
// by its index (modulo the count), so it never holds a node the writer freed.
void CollectNodes(pdf::TBookmark& node, std::vector<pdf::TBookmark*>& out)
{
    out.push_back(&node);
    for (const auto& child : node.Children())
        CollectNodes(*child, out);
}

pdf::TBookmark& NodeAt(pdf::TPdfVell& pdf, int index)
{
    std::vector<pdf::TBookmark*> nodes;
    CollectNodes(pdf.Outline(), nodes);
    const std::size_t n = nodes.size();
    return *nodes[static_cast<std::size_t>(static_cast<unsigned>(index)) % n];
}

class Session {
public:
    Session()
    {
        pdf_.FileSystem = &fs_;
        pdf_.SetFileName("/fuzz/out.pdf");
        pdf_.OnEnd = [this](pdf::TPdfVell&) { ended_ = true; };
    }

    ~Session()
    {
        if (pdf_.Opened())
            Call([&] { pdf_.EndDoc(); });
    }

    void Run(std::string_view line);

private:
    // Runs one call. An error abandons the open document; only a document
    // that was completed leaves its file, which must be sound.
    void Call(const std::function<void()>& call)
    {
        ended_ = false;
        bool failed = false;
        try {
            call();
        } catch (const pdf::EPdfError& e) {
            Trace(e.what());
            failed = true;
        }
        if (failed && pdf_.Opened())
            Fail("an error left the document open");
        if (ended_)
            CheckFinished();
        if (!pdf_.Opened() && !fs_.files.empty())
            Fail("a document that was not completed left its file");
    }

    // The file of the document just completed (an error may still follow,
    // from handing it to the desktop) is sound, or empty when output was
    // switched off. It is dropped then, so every document starts from an
    // empty file system.
    void CheckFinished()
    {
        const auto it = fs_.files.find(pdf_.FileName());
        if (it == fs_.files.end())
            Fail("a completed document has no file");
        const std::string problem = outputOn_ ? pdftest::XrefProblem(it->second)
                                              : it->second.empty() ? "" : "output switched off, yet bytes written";
        if (!problem.empty())
            Fail(problem.c_str());
        Trace("finished, " + std::to_string(it->second.size()) + " bytes");
        fs_.files.clear();
    }

    pdf::TPdfCanvas& C() { return pdf_.Canvas(); }
    const plat::Bitmap* Slot(int i) const
    {
        if (i < 0)
            return nullptr;
        return &bitmaps_[static_cast<std::size_t>(i) % bitmaps_.size()];
    }
    plat::Bitmap& MutableSlot(int i) { return bitmaps_[static_cast<std::size_t>(static_cast<unsigned>(i)) % bitmaps_.size()]; }

    pdftest::MemoryFileSystem fs_;
    pdf::TPdfVell pdf_;
    std::array<plat::Bitmap, 4> bitmaps_;
    int documents_ = 0;
    int textsAndPages_ = 0;
    bool outputOn_ = true;
    bool ended_ = false;
    std::string newPageStyle_;
};

void Session::Run(std::string_view line)
{
    currentLine = line;
    Args a(line);
    const std::string_view w = a.Word();
    pdf::TPdfVell& p = pdf_;

    // ---- Document properties, the security settings and the file system.
    using TextSetter = void (pdf::TPdfVell::*)(const std::string&);
    using IntSetter = void (pdf::TPdfVell::*)(int);
    static constexpr std::pair<std::string_view, TextSetter> textSetters[] = {
        {"title", &pdf::TPdfVell::SetTitle},         {"author", &pdf::TPdfVell::SetAuthor},
        {"subject", &pdf::TPdfVell::SetSubject},     {"keywords", &pdf::TPdfVell::SetKeywords},
        {"producer", &pdf::TPdfVell::SetProducer},   {"file", &pdf::TPdfVell::SetFileName},
        {"paper", &pdf::TPdfVell::SetPaperSizeName}, {"user", &pdf::TPdfVell::SetUserPassword},
        {"owner", &pdf::TPdfVell::SetOwnerPassword},
    };
    static constexpr std::pair<std::string_view, IntSetter> intSetters[] = {
        {"quality", &pdf::TPdfVell::SetJpegQuality},   {"pagewidth", &pdf::TPdfVell::SetPageWidth},
        {"pageheight", &pdf::TPdfVell::SetPageHeight}, {"papersize", &pdf::TPdfVell::SetPaperSize},
    };
    for (const auto& setter : textSetters)
        if (w == setter.first) {
            const std::string v = a.Text();
            Call([&] { (p.*setter.second)(v); });
            return;
        }
    for (const auto& setter : intSetters)
        if (w == setter.first) {
            const int v = a.Int();
            Call([&] { (p.*setter.second)(v); });
            return;
        }
    if (w == "embed") {
        const bool v = a.Bool();
        Call([&] { p.SetEmbedFonts(v); });
    } else if (w == "compress") {
        p.SetImageCompressMode(static_cast<pdf::TPdfCompressMode>(static_cast<unsigned>(a.Int()) % 3));
    } else if (w == "unit") {
        const auto v = a.Bool() ? pdf::TLengthUnit::luPoint : pdf::TLengthUnit::luTenth;
        Call([&] { p.SetLengthUnit(v); });
    } else if (w == "orient") {
        const auto v = a.Bool() ? pdf::TPrinterOrientation::poLandscape : pdf::TPrinterOrientation::poPortrait;
        Call([&] { p.SetOrientation(v); });
    } else if (w == "smart") {
        p.SmartStretchDraw = a.Bool();
    } else if (w == "show") {
        p.WantShow = a.Bool();
    } else if (w == "nonembedded") {
        std::vector<std::string> names;
        while (a.More())
            names.push_back(a.Text());
        p.SetNonEmbeddedFonts(std::move(names));
    } else if (w == "perm") {
        const int v = a.Int();
        Call([&] { p.SetPermissions({(v & 1) != 0, (v & 2) != 0, (v & 4) != 0, (v & 8) != 0}); });
    } else if (w == "disk") {
        const int v = a.Int();
        fs_.writeLimit = v < 0 ? SIZE_MAX : static_cast<std::size_t>(v);
    } else if (w == "failclose") {
        fs_.failClose = a.Bool();
    } else if (w == "failcreate") {
        fs_.failCreate = a.Bool();
    } else if (w == "locked") {
        fs_.throwOnExists = a.Bool();

    // ---- Life cycle.
    } else if (w == "begin") {
        if (++documents_ > kMaxDocuments)
            return;
        outputOn_ = C().EnableOutput();
        Call([&] { p.BeginDoc(); });
    } else if (w == "newpage") {
        if (++textsAndPages_ <= kMaxTextsAndPages)
            Call([&] { p.NewPage(); });
    } else if (w == "end") {
        Call([&] { p.EndDoc(); });
    } else if (w == "abort") {
        Call([&] { p.Abort(); });
    } else if (w == "onnewpage") {
        // What a page-start handler may do: draw, or change the style.
        const int kind = a.Int();
        newPageStyle_ = a.Text();
        if (kind % 4 == 0) {
            p.OnNewPage = nullptr;
        } else if (kind % 4 == 1) {
            p.OnNewPage = [](pdf::TPdfCanvas& c) { c.Polygon({{0, 0}, {100, 0}, {100, 100}}); };
        } else if (kind % 4 == 2) {
            p.OnNewPage = [this](pdf::TPdfCanvas& c) { c.SetStyle(newPageStyle_); };
        } else {
            p.OnNewPage = [](pdf::TPdfCanvas& c) { c.TextOut(10, 10, "Kopf"); };
        }

    // ---- Canvas settings.
    } else if (w == "brush") {
        C().Brush.Color = a.Int();
        C().Brush.Style = static_cast<pdf::TBrushStyle>(static_cast<unsigned>(a.Int()) % 8);
    } else if (w == "pen") {
        C().Pen.Color = a.Int();
        C().Pen.Style = static_cast<pdf::TPenStyle>(static_cast<unsigned>(a.Int()) % 7);
        C().Pen.Width = a.Int();
    } else if (w == "font") {
        C().Font.Name = a.Text();
    } else if (w == "size") {
        C().Font.Size = a.Int();
    } else if (w == "charset") {
        C().Font.Charset = a.Int();
    } else if (w == "fstyle") {
        C().Font.Style = static_cast<unsigned>(a.Int()) & 15u;
    } else if (w == "fcolor") {
        C().Font.Color = a.Int();
    } else if (w == "spacing") {
        const int v = a.Int();
        Call([&] { C().SetCharacterSpacing(v); });
    } else if (w == "output") {
        const bool v = a.Bool();
        Call([&] { C().SetEnableOutput(v); });
    } else if (w == "resolution") {
        C().ImageResolution = static_cast<std::uint16_t>(a.Int());
    } else if (w == "alwaysnew") {
        C().AlwaysNewImage = a.Bool();

    // ---- Drawing and measuring.
    } else if (w == "poly") {
        std::vector<plat::TPoint> points;
        while (a.More()) {
            const int x = a.Int();
            points.push_back({x, a.Int()});
        }
        Call([&] { C().Polygon(points); });
    } else if (w == "move") {
        const int x = a.Int(), y = a.Int();
        Call([&] { C().MoveTo(x, y); });
    } else if (w == "line") {
        const int x = a.Int(), y = a.Int();
        Call([&] { C().LineTo(x, y); });
    } else if (w == "text") {
        const int x = a.Int(), y = a.Int();
        const std::string t = a.Text();
        if (++textsAndPages_ <= kMaxTextsAndPages)
            Call([&] { C().TextOut(x, y, t); });
    } else if (w == "measure") {
        const std::string t = a.Text();
        Call([&] {
            (void)C().TextWidth(t);
            (void)C().TextHeight(t);
        });
    } else if (w == "bitmap") {
        plat::Bitmap& b = MutableSlot(a.Int());
        const int width = std::clamp(a.Int(), 0, kMaxBitmapSide), height = std::clamp(a.Int(), 0, kMaxBitmapSide);
        b = plat::Bitmap(width, height, static_cast<plat::PixelFormat>(static_cast<unsigned>(a.Int()) % 5));
        b.fill(a.Int());
    } else if (w == "pixel") {
        plat::Bitmap& b = MutableSlot(a.Int());
        const int x = a.Int(), y = a.Int();
        b.setPixel(x, y, a.Int());
    } else if (w == "palette") {
        plat::Bitmap& b = MutableSlot(a.Int());
        std::vector<plat::TColor> colours;
        while (a.More() && colours.size() < 256)
            colours.push_back(a.Int());
        b.setPalette(std::move(colours));
    } else if (w == "stretch") {
        const int x1 = a.Int(), y1 = a.Int(), x2 = a.Int(), y2 = a.Int();
        const plat::Bitmap* b = Slot(a.Int());
        Call([&] { C().StretchDraw(x1, y1, x2, y2, b); });

    // ---- Styles, outline and named destinations.
    } else if (w == "style") {
        const std::string name = a.Text();
        Call([&] { p.DefineStyle(name); });
    } else if (w == "param") {
        const std::string name = a.Text(), key = a.Text(), value = a.Text();
        Call([&] { p.DefineStyle(name).SetParameter(key, value); });
    } else if (w == "parent") {
        const std::string name = a.Text(), parent = a.Text();
        Call([&] { p.DefineStyle(name).SetParent(parent.empty() ? nullptr : &p.DefineStyle(parent)); });
    } else if (w == "use") {
        const std::string name = a.Text();
        Call([&] { C().SetStyle(name); });
    } else if (w == "mark") {
        const int node = a.Int(), page = a.Int();
        const bool open = a.Bool();
        const std::string title = a.Text(), dest = a.More() ? a.Text() : "/Fit";
        NodeAt(p, node).Add(title, page, dest, open);
    } else if (w == "open") {
        const int node = a.Int();
        NodeAt(p, node).SetOpen(a.Bool());
    } else if (w == "dest") {
        const std::string name = a.Text();
        const int page = a.Int(), x = a.Int(), y = a.Int();
        Call([&] { p.AddDestination(name, page, x, y); });
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // fontconfig holds its configuration until FcFini, in blocks the leak
    // check at exit would count: released first, the check sees only what
    // the writer itself kept.
    std::atexit([] { FcFini(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    Session session;
    std::size_t start = 0;
    for (int calls = 0; start < script.size() && calls < kMaxCalls; ++calls) {
        std::size_t end = script.find('\n', start);
        if (end == std::string_view::npos)
            end = script.size();
        session.Run(script.substr(start, end - start));
        start = end + 1;
    }
    return 0;
}
