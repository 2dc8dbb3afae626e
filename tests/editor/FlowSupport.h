#pragma once
// Shared pieces of the main window's flow tests: a program folder with
// pictures and an empty work folder, the fixture every flow test starts
// from, the counters' texts, and what the output flows read back from the
// pages they write.
#include "editor/Unit1.h"
#include "editor/Unit1App.h"
#include "platform/Bitmap.h"
#include "platform/Jpeg.h"
#include "platform/ScriptedDialogs.h"

#include "PdfCheck.h"
#include "support/Input.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tolv::flow {

constexpr int HexPicW = 400, HexPicH = 346;

inline bool InsideHexagon(int x, int y)
{
    const double dx = std::fabs(x + 0.5 - HexPicW / 2.0), dy = std::fabs(y + 0.5 - HexPicH / 2.0);
    return dy <= HexPicH / 2.0 && dx <= HexPicW / 2.0 - dy * (HexPicW / 4.0) / (HexPicH / 2.0);
}

// A flat-topped hexagon of one colour on white, from corner to corner of
// the picture, so that a hexagon's size on a page can be measured.
inline std::vector<std::uint8_t> HexagonPicture(plat::TColor colour)
{
    plat::Bitmap bmp(HexPicW, HexPicH);
    for (int y = 0; y < HexPicH; ++y)
        for (int x = 0; x < HexPicW; ++x)
            if (InsideHexagon(x, y))
                bmp.setPixel(x, y, colour);
    return plat::EncodeJpeg(bmp, 95);
}

// The colour of the hexagon pictures: leer white, Pampa red, the others
// mixed colours.
inline plat::TColor HexagonColour(int i)
{
    if (i == tcLeer)
        return plat::clWhite;
    if (i == tcPampa)
        return plat::RGB(220, 0, 0);
    return plat::RGB(25 * i, 255 - 20 * i, (70 * i) % 256);
}

// A program folder (with Pics/Pic1.jpg .. Pic11.jpg) and a work folder,
// both removed at the end.
class Folders {
public:
    Folders()
    {
        std::filesystem::create_directories(ProgramDir() + "/Pics");
        std::filesystem::create_directories(WorkDir());
        for (int i = 1; i <= 11; ++i)
            WritePicture(i);
    }
    ~Folders()
    {
        // A test may leave the profile read-only.
        std::error_code ec;
        std::filesystem::permissions(ProfilePath(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    Folders(const Folders&) = delete;
    Folders& operator=(const Folders&) = delete;

    std::string ProgramDir() const { return root_.file("prog"); }
    std::string WorkDir() const { return root_.file("work"); }
    std::string ProfilePath() const { return WorkDir() + "/Tolvaria.ini"; }
    std::string PicturePath(int i) const
    {
        return ProgramDir() + "/Pics/Pic" + std::to_string(i) + ".jpg";
    }

    void WritePicture(int i)
    {
        plat::Bitmap bmp(12, 10);
        bmp.fill(plat::RGB(20 * i, 100, 200 - 10 * i));
        test::WriteBytes(PicturePath(i), plat::EncodeJpeg(bmp, 90));
    }
    // Pictures 1 .. 10 as hexagons in HexagonColour.
    void WriteHexagonPictures()
    {
        for (int i = tcLeer; i <= tcWasser; ++i)
            test::WriteBytes(PicturePath(i), HexagonPicture(HexagonColour(i)));
    }
    void RemovePicture(int i) { std::filesystem::remove(PicturePath(i)); }
    void BreakPicture(int i) { test::WriteBytes(PicturePath(i), "\xFF\xD8garbage"); }
    void WriteProfile(const std::string& text) { test::WriteBytes(ProfilePath(), text); }
    std::string ReadProfile() const { return test::ReadBytes(ProfilePath()); }

private:
    test::TempDir root_;
};

// The text of the counter beside a terrain's palette shape; "?" for a
// terrain the palette does not hold.
inline std::string Counter(const TForm1& form, TerrainCode code)
{
    for (int i = 1; i <= 10; ++i)
        if (PaletteOrder[i - 1] == code)
            return form.StaticText[10 + i]->text().toStdString();
    return "?";
}

// What every flow test starts from: the program's application object and
// title, the scripted dialogs, fresh folders.
class FlowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::EnsureApplication();
        SetApplicationTitle("Tolvaria Feldwerker");
        dirs_ = std::make_unique<Folders>();
    }

    // A start from the program folder with one argument, the work folder
    // as the user names it.
    StartOptions Options(const std::string& workArg) const
    {
        StartOptions o;
        o.ProgramDir = dirs_->ProgramDir();
        o.Args = {workArg};
        return o;
    }

    plat::ScopedScriptedDialogs seam_;
    std::unique_ptr<Folders> dirs_;
};

// A flow on the shown main window with a board of the size given, and a
// scratch folder for what the flow writes.
class WindowFlowTest : public FlowTest {
protected:
    void TearDown() override
    {
        if (form_)
            form_->close();
        form_.reset();
    }

    TForm1& Start(int cols, int rows)
    {
        form_ = std::make_unique<TForm1>(Options(dirs_->WorkDir()));
        form_->show();
        form_->SpinEditCol->setValue(cols);
        form_->SpinEdit1->setValue(rows);
        return *form_;
    }

    // Every cell of the board one terrain.
    void Fill(TerrainCode t)
    {
        for (auto& column : form_->State().Board)
            for (TerrainCell& cell : column)
                cell.Terrain = t;
    }

    test::TempDir out_;
    std::unique_ptr<TForm1> form_;
};

// A flat-topped hexagon on a rendered page, measured from its centre in
// pixels: the widest run across the rows by the centre (corner to corner)
// and the run down through it (flat to flat).
struct HexagonSpan {
    int Across = 0, Down = 0;
};
inline HexagonSpan MeasureHexagon(const std::function<bool(int x, int y)>& inside, int cx, int cy)
{
    HexagonSpan span;
    for (int y = cy - 3; y <= cy + 3; ++y) {
        int left = cx, right = cx;
        while (inside(left - 1, y))
            --left;
        while (inside(right + 1, y))
            ++right;
        span.Across = std::max(span.Across, right - left + 1);
    }
    int top = cy, bottom = cy;
    while (inside(cx, top - 1))
        --top;
    while (inside(cx, bottom + 1))
        ++bottom;
    span.Down = bottom - top + 1;
    return span;
}

// How far apart two rendered colours are: the sum of the channels' differences.
inline int Distance(const std::array<int, 3>& a, const std::array<int, 3>& b)
{
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

// The pages of a PDF file, as pdfinfo counts them.
inline int PdfPages(const std::string& path)
{
    return std::atoi(pdftest::PdfInfo(path)["Pages"].c_str());
}

} // namespace tolv::flow
