#pragma once
// Snapshots for the output tests: a board of one terrain, the default
// print parameters and solid-colour pictures (picture i in PictureColour(i),
// leer white), so every pixel of a tile says which pictures lie on it; and
// the printer the printer outputs' tests mostly run on.
#include "output/PictureTiles.h"
#include "platform/FakePrinter.h"
#include "tests/platform/TestDibs.h"

#include <gtest/gtest.h>

namespace tolv::outtest {

inline plat::TColor PictureColour(int i)
{
    static const plat::TColor colours[12] = {
        0, plat::clWhite, plat::RGB(255, 255, 0), plat::RGB(0, 255, 255), plat::RGB(255, 0, 255),
        plat::RGB(200, 100, 50), plat::RGB(90, 90, 90), plat::RGB(10, 20, 30), plat::RGB(1, 2, 3),
        plat::RGB(250, 128, 0), plat::RGB(0, 0, 255), plat::RGB(40, 40, 40)};
    return colours[i];
}

using plat::test::DibOf;

inline plat::Dib SolidDib(plat::TColor c, int w = 40, int h = 34)
{
    return DibOf(w, h, [c](int, int) { return c; });
}

inline OutputSnapshot Snapshot(int cols, int rows, TerrainCode terrain = tcPampa, bool firstOdd = false)
{
    OutputSnapshot s;
    for (auto& column : s.Board)
        for (TerrainCell& cell : column)
            cell = TerrainCell{terrain, false};
    s.ColorTable = DefaultColorTable();
    s.PrintParams = DefaultPrintParams();
    s.Map = MapShape{cols, rows, firstOdd};
    for (int i = 1; i <= PictureCount; ++i)
        s.Pictures[i] = SolidDib(PictureColour(i));
    return s;
}

inline TileGrid Grid(const OutputSnapshot& s)
{
    const auto g = PdfPictureTileGrid(s.PrintParams, s.Map);
    EXPECT_TRUE(g);
    return g.value_or(TileGrid{});
}

// A4 at 600 dpi, the whole sheet printable: 210 mm = 4961 px, 297 mm = 7016 px.
inline plat::FakePrinterSetup WholeSheetA4()
{
    return {"A4 randlos", plat::SheetGeometry{600, 600, 4961, 7016, 0, 0, 4961, 7016, -1}};
}

} // namespace tolv::outtest
