// What the main window's creation fixes first: its directories, the JPEG
// quality it allows.
#include "editor/board/StartUp.h"

#include <gtest/gtest.h>

using namespace tolv;

namespace {

TEST(Unit1Logic, StartPaths)
{
    StartPaths p = DeriveStartPaths("/opt/tolv", {});
    EXPECT_EQ(p.ProgramDir, "/opt/tolv");
    EXPECT_EQ(p.WorkDir, "/opt/tolv");
    EXPECT_EQ(p.PicturesDir, "/opt/tolv/Pics/");

    EXPECT_EQ(DeriveStartPaths("/opt/tolv", {"/home/u/maps"}).WorkDir, "/home/u/maps");
    EXPECT_EQ(DeriveStartPaths("/opt/tolv", {"/home/u/maps/"}).WorkDir, "/home/u/maps");
    EXPECT_EQ(DeriveStartPaths("/opt/tolv", {"/home/u/maps//", "x"}).WorkDir, "/home/u/maps");
    EXPECT_EQ(DeriveStartPaths("/opt/tolv", {""}).WorkDir, "/opt/tolv");
    EXPECT_EQ(DeriveStartPaths("/opt/tolv", {"/"}).WorkDir, "/");
}

TEST(Unit1Logic, JpegQualityLimits)
{
    EXPECT_EQ(ClampJpegQuality(5), 10);
    EXPECT_EQ(ClampJpegQuality(150), 100);
    EXPECT_EQ(ClampJpegQuality(80), 80);
    EXPECT_EQ(ClampJpegQuality(-2147483647 - 1), 10);
}

} // namespace
