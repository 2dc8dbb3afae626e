// The standard security handler: MD5 and RC4 against published vectors,
// the padding and permission word, and encrypted documents opened by
// independent readers with and without the passwords.
#include "pdf/PdfSecurity.h"
#include "pdf/PdfVell.h"

#include "PdfCheck.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace pdf;

namespace {

std::string Hex(const std::uint8_t* p, std::size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

std::string Md5Hex(std::string_view s)
{
    const auto d = MD5String(s);
    return Hex(d.data(), d.size());
}

std::string Rc4Hex(std::string_view key, std::string text)
{
    auto* p = reinterpret_cast<std::uint8_t*>(text.data());
    RC4Crypt(p, p, text.size(), key);
    return Hex(p, text.size());
}

} // namespace

TEST(PdfSecurityPrimitives, Md5OfTheRfcTestSuiteAndOfEveryBlockBoundary)
{
    const struct {
        std::string text;
        const char* digest;
    } rfc[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& k : rfc)
        EXPECT_EQ(Md5Hex(k.text), k.digest) << k.text;

    // Lengths around the padding's 56- and 64-byte edges, against md5sum.
    pdftest::TempDir dir;
    for (std::size_t n : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
        std::string data;
        for (std::size_t i = 0; i < n; ++i)
            data += char(i * 7 + 3);
        const std::string path = dir.file("m" + std::to_string(n));
        pdftest::WriteFileBytes(path, data);
        const std::string out = pdftest::RunCommand("md5sum " + pdftest::ShellQuote(path)).out;
        EXPECT_EQ(Md5Hex(data), out.substr(0, 32)) << n << " bytes";
    }
}

TEST(PdfSecurityPrimitives, Rc4OfThePublishedVectorsAndItsOwnInverse)
{
    EXPECT_EQ(Rc4Hex("Key", "Plaintext"), "bbf316e8d940af0ad3");
    EXPECT_EQ(Rc4Hex("Wiki", "pedia"), "1021bf0420");
    EXPECT_EQ(Rc4Hex("Secret", "Attack at dawn"), "45a01f645fc35b383552544b9bf5");
    std::string text = "Tolvaria Spielplan";
    std::string copy = text;
    auto* p = reinterpret_cast<std::uint8_t*>(copy.data());
    std::vector<std::uint8_t> other(copy.size());
    RC4Crypt(p, other.data(), copy.size(), "k");
    RC4Crypt(other.data(), p, copy.size(), "k");
    EXPECT_EQ(copy, text);
}

TEST(PdfSecurityPrimitives, PaddingAndPermissionWord)
{
    const std::string pad = PadPassword("");
    ASSERT_EQ(pad.size(), 32u);
    EXPECT_EQ(Hex(reinterpret_cast<const std::uint8_t*>(pad.data()), 4), "28bf4e5e");
    EXPECT_EQ(PadPassword("abc"), "abc" + pad.substr(0, 29));
    EXPECT_EQ(PadPassword(std::string(40, 'x')), std::string(32, 'x'));

    const struct {
        TPdfPermissions p;
        std::int32_t value;
    } cases[] = {
        {{}, -60},
        {{true, true, true, true}, -4},
        {{false, false, false, false}, -64},
        {{false, false, true, false}, -48},
    };
    for (const auto& k : cases)
        EXPECT_EQ(PermissionValue(k.p), k.value);

    const TStandardSecurity s("user", "owner", {}, "387196458Flf");
    EXPECT_EQ(s.FileKey().size(), 5u);
    EXPECT_EQ(s.ObjectKey(7).size(), 10u);
    EXPECT_NE(s.ObjectKey(7), s.ObjectKey(8));
    EXPECT_EQ(s.OwnerValue().size(), 32u);
    // An empty owner password takes the user password.
    EXPECT_EQ(TStandardSecurity("user", "", {}, "id").OwnerValue(), TStandardSecurity("user", "user", {}, "id").OwnerValue());
}

namespace {

const PdfDateTime kMoment{2026, 12, 10, 14, 0, 0, 0};

// A document with everything encryption touches: information strings, an
// outline title, text in a listed and an embedded font, a JPEG and a deflated image.
void WriteDocument(const std::string& path, bool encrypt, const TPdfPermissions& permissions = {})
{
    TPdfVell pdf;
    pdf.Clock = [] { return kMoment; };
    pdf.SetFileName(path);
    pdf.SetTitle("Geheimer Spielplan \xe2\x80\x93 Gr\xc3\xb6\xc3\x9f" "e");
    pdf.SetAuthor(std::string(300, 'A'));
    pdf.SetEmbedFonts(true);
    if (encrypt) {
        pdf.SetUserPassword("user");
        pdf.SetOwnerPassword("owner");
        pdf.SetPermissions(permissions);
    }
    pdf.BeginDoc();
    EXPECT_EQ(pdf.Encrypted(), encrypt);
    TPdfCanvas& c = pdf.Canvas();
    c.Font = TFont{"Arial", 14, DEFAULT_CHARSET, 0};
    c.TextOut(200, 200, "12,34 Hexfeld Gr\xc3\xb6\xc3\x9f" "e");
    c.Font = TFont{"Liberation Serif", 14, DEFAULT_CHARSET, fsUnderline};
    c.TextOut(200, 400, "Eingebettete Schrift");
    plat::Bitmap photo(60, 40, plat::PixelFormat::pf24bit);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            photo.setPixel(x, y, plat::TColor(x * 4 + (y * 6 << 8) + (128 << 16)));
    c.StretchDraw(200, 600, 800, 1000, &photo);
    plat::Bitmap mask(16, 16, plat::PixelFormat::pf1bit);
    c.StretchDraw(1000, 600, 1400, 1000, &mask);
    pdf.Outline().Add("Seite 1 \xe2\x80\x93 Karte", 1, "/Fit");
    pdf.EndDoc();
}

std::string Shell(const std::string& command, int* exitCode = nullptr)
{
    const auto r = pdftest::RunCommand(command);
    if (exitCode)
        *exitCode = r.exitCode;
    return r.out + r.err;
}

} // namespace

TEST(PdfSecurityDocument, IndependentReadersOpenItWithThePasswordsOnly)
{
    pdftest::TempDir dir;
    const std::string locked = dir.file("locked.pdf");
    const std::string plain = dir.file("plain.pdf");
    WriteDocument(locked, true);
    WriteDocument(plain, false);
    const std::string q = pdftest::ShellQuote(locked);

    const std::string bytes = pdftest::ReadFileBytes(locked);
    EXPECT_TRUE(pdftest::XrefIsSound(bytes));
    ASSERT_TRUE(pdftest::PdfPassesChecks(plain));
    EXPECT_NE(bytes.find("/Filter/Standard\n/V 1\n/R 2\n/O <"), std::string::npos);
    EXPECT_NE(bytes.find("/P -60\n"), std::string::npos);
    EXPECT_EQ(bytes.find("Hexfeld"), std::string::npos) << "content is not readable without the key";
    EXPECT_EQ(pdftest::ReadFileBytes(plain).find("/Encrypt"), std::string::npos);

    int code = -1;
    const std::string shown = Shell("qpdf --show-encryption --password=user " + q, &code);
    EXPECT_EQ(code, 0) << shown;
    EXPECT_NE(shown.find("R = 2"), std::string::npos) << shown;
    EXPECT_NE(shown.find("P = -60"), std::string::npos) << shown;
    EXPECT_NE(shown.find("print low resolution: allowed"), std::string::npos) << shown;
    EXPECT_NE(shown.find("modify document assembly: not allowed"), std::string::npos) << shown;
    EXPECT_NE(shown.find("extract for any purpose: not allowed"), std::string::npos) << shown;
    const std::string checked = Shell("qpdf --check --password=user " + q, &code);
    EXPECT_EQ(code, 0) << checked;
    Shell("qpdf --check --password=owner " + q, &code);
    EXPECT_EQ(code, 0);

    Shell("pdfinfo -upw user " + q, &code);
    EXPECT_EQ(code, 0);
    const std::string refused = Shell("pdfinfo " + q, &code);
    EXPECT_NE(code, 0) << refused;
    Shell("pdfinfo -upw wrong " + q, &code);
    EXPECT_NE(code, 0);

    // Decrypted with the owner password it is the unencrypted twin again.
    const std::string opened = dir.file("opened.pdf");
    Shell("qpdf --password=owner --decrypt " + q + " " + pdftest::ShellQuote(opened), &code);
    ASSERT_EQ(code, 0);
    Shell("qpdf --check " + pdftest::ShellQuote(opened), &code);
    ASSERT_EQ(code, 0);
    auto a = pdftest::PdfInfo(opened), b = pdftest::PdfInfo(plain);
    EXPECT_EQ(a["Title"], "Geheimer Spielplan \xe2\x80\x93 Gr\xc3\xb6\xc3\x9f" "e");
    EXPECT_EQ(a["Title"], b["Title"]);
    EXPECT_EQ(a["Author"], std::string(300, 'A'));
    const std::string textA = Shell("pdftotext " + pdftest::ShellQuote(opened) + " -");
    EXPECT_NE(textA.find("12,34 Hexfeld Gr\xc3\xb6\xc3\x9f" "e"), std::string::npos) << textA;
    EXPECT_EQ(textA, Shell("pdftotext " + pdftest::ShellQuote(plain) + " -"));
    const std::string outline = Shell("mutool show " + pdftest::ShellQuote(opened) + " outline");
    EXPECT_NE(outline.find("Seite 1 \xe2\x80\x93 Karte"), std::string::npos) << outline;
    const pdftest::RgbImage pa = pdftest::RenderPage(opened, 1, 40);
    const pdftest::RgbImage pb = pdftest::RenderPage(plain, 1, 40);
    EXPECT_EQ(pa.width, pb.width);
    EXPECT_TRUE(pa.rgb == pb.rgb) << "the same pixels, images and embedded font included";
    // The locked file renders with the user password, and not without it.
    const std::string prefix = dir.file("user");
    Shell("pdftoppm -r 40 -upw user -singlefile " + q + " " + pdftest::ShellQuote(prefix), &code);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(pdftest::ReadFileBytes(prefix + ".ppm").empty());
    Shell("pdftoppm -r 40 -singlefile " + q + " " + pdftest::ShellQuote(dir.file("none")), &code);
    EXPECT_NE(code, 0);
}

TEST(PdfSecurityDocument, PermissionsAndPasswordsBelongToOneDocument)
{
    pdftest::TempDir dir;
    const std::string all = dir.file("all.pdf");
    WriteDocument(all, true, {true, true, true, true});
    const std::string shown = Shell("qpdf --show-encryption --password=user " + pdftest::ShellQuote(all));
    EXPECT_NE(shown.find("P = -4"), std::string::npos) << shown;
    EXPECT_NE(shown.find("extract for any purpose: allowed"), std::string::npos) << shown;

    // The passwords are gone after the document: the next one is plain.
    pdftest::MemoryDoc d("/s/next.pdf");
    d.standInEncryption = true;   // the memory files are not opened with a password
    d.pdf.SetUserPassword("user");
    d.pdf.SetPermissions({false, true, false, false});
    d.pdf.BeginDoc();
    EXPECT_TRUE(d.pdf.Encrypted());
    d.pdf.EndDoc();
    EXPECT_TRUE(d.pdf.Permissions().Print && !d.pdf.Permissions().Modify);
    d.pdf.BeginDoc();
    EXPECT_FALSE(d.pdf.Encrypted());
    EXPECT_EQ(pdftest::ErrorOf([&] { d.pdf.SetUserPassword("late"); }),
              "Can't modify property when opened: UserPassword");
}
