#include "output/CountingStrip.h"

#include "platform/Decimal.h"

#include <algorithm>

namespace tolv {

namespace {

// Far beyond any tile: the fills reach outward without end.
constexpr int Far = 1 << 28;

// Floor((StripWidth + rest / (n - 1)) * k), in integers: the floating
// product can land a hair below a whole number and lose a pixel.
int SectionStart(int rest, int n, int k)
{
    return StripWidth * k + rest * k / (n - 1);
}

bool NumberShown(int n)
{
    return n % 5 == 0;   // the corner 0 included
}

StripPiece Section(StripSide side, int k, int number, plat::TRect dest, plat::TRect source, bool withNumbers)
{
    StripPiece p{side, k, number, dest, source, std::nullopt};
    if (withNumbers && NumberShown(number)) {
        // Three digits run longer than the band's inner part; the left
        // side's numbers stay where they are.
        const int shift = number > 99 && side != StripSide::Left ? StripThreeDigitShift : 0;
        p.Label = StripNumber{dest.Left + StripNumberAcross, dest.Top + StripNumberAlong + shift,
                              StripNumberText(number)};
    }
    return p;
}

StripPiece Filler(StripSide side, plat::TRect dest)
{
    return StripPiece{side, -1, -1, dest, plat::TRect{0, 0, dest.Width(), dest.Height()}, std::nullopt};
}

plat::TRect Moved(plat::TRect r, int dx, int dy)
{
    return {r.Left - dx, r.Top - dy, r.Right - dx, r.Bottom - dy};
}

bool Meets(const plat::TRect& r, int width, int height)
{
    return r.Left < width && r.Top < height && r.Right > 0 && r.Bottom > 0 && r.Width() > 0 &&
           r.Height() > 0;
}

} // namespace

BoardExtent StripFrameExtent(BoardExtent board)
{
    return {board.Width + 2 * StripWidth, board.Height + 2 * StripWidth};
}

std::string StripNumberText(int n)
{
    return (n < 10 ? " " : "") + plat::Decimal(n);
}

std::string StripCellLabel(int col, int row)
{
    std::string text = " " + plat::Decimal(col) + "," + plat::Decimal(row);
    if (col < 10)
        text.insert(0, " ");
    if (row < 10)
        text.insert(0, " ");
    return text;
}

std::optional<CountingStripLayout> MakeCountingStrip(const OutputHex& hex, int colCount, int rowCount,
                                                     bool withNumbers)
{
    const BoardExtent board = BoardExtentOf(hex, colCount, rowCount);
    const BoardExtent frame = StripFrameExtent(board);
    CountingStripLayout s;
    s.Width = frame.Width;
    s.Height = frame.Height;
    s.Across = s.Width / StripWidth;
    s.Down = s.Height / StripWidth;
    if (s.Across < 3 || s.Down < 3)
        return std::nullopt;
    s.RestX = s.Width % StripWidth;
    s.RestY = s.Height % StripWidth;
    s.BoardBottom = board.Height + StripWidth;
    s.BoardRight = (colCount - 1) * hex.p() + 2 * hex.h() + StripWidth;

    const int S = s.Across, D = s.Down, T = s.SectionCount();
    const int gapX = s.RestX / (S - 1), gapY = s.RestY / (D - 1);   // Floor(gx), Floor(gy)
    constexpr int o = StripSourceOrigin;

    // Top and bottom: each section reaches two pixels and the gap's whole
    // part into the next, so no seam stays open; the last ends flush.
    auto alongSide = [&](StripSide side, int y, auto number) {
        for (int k = 0; k < S; ++k) {
            const int x = SectionStart(s.RestX, S, k);
            const int extra = k == S - 1 ? 0 : gapX + 2;
            s.Pieces.push_back(Section(side, k, number(k),
                                       {x, y, x + StripWidth + extra, y + StripWidth},
                                       {o, o, o + StripWidth + extra, o + StripWidth}, withNumbers));
        }
    };
    alongSide(StripSide::Top, 0, [&](int k) { return D - 1 + k; });
    alongSide(StripSide::Bottom, s.BoardBottom, [&](int k) { return k == 0 ? 0 : T - k; });

    // Left and right: a filler below the top strip, the sections between
    // the corners, a filler down to the bottom strip.
    auto downSide = [&](StripSide side, int x, auto number) {
        const int filler = gapY + 1;   // Floor(gy + 1)
        s.Pieces.push_back(Filler(side, {x, StripWidth, x + StripWidth, StripWidth + filler}));
        int y = 0;
        for (int k = 1; k <= D - 2; ++k) {
            y = SectionStart(s.RestY, D, k) - gapY;
            const int t = StripWidth + gapY + 2;
            s.Pieces.push_back(Section(side, k, number(k), {x, y, x + StripWidth, y + t},
                                       {o, o, o + StripWidth, o + t}, withNumbers));
        }
        const int below = y + StripWidth + gapY;
        s.Pieces.push_back(Filler(side, {x, below, x + StripWidth, below + filler}));
    };
    downSide(StripSide::Left, 0, [&](int k) { return D - 1 - k; });
    downSide(StripSide::Right, SectionStart(s.RestX, S, S - 1), [&](int k) { return D + S - 2 + k; });
    return s;
}

std::optional<TileGrid> PdfStripTileGrid(const PrintParamArray& params, const MapShape& map)
{
    const std::optional<TileGrid> plain = PdfPictureTileGrid(params, map);
    if (!plain)
        return std::nullopt;
    return MakeTileGrid(plain->Hex, plain->OverlapX, plain->OverlapY, StripFrameExtent(plain->Board),
                        plain->TileWidth, plain->TileHeight);
}

StripPiece ClipToPicture(StripPiece piece, int width, int height)
{
    plat::TRect& d = piece.Dest;
    plat::TRect& s = piece.Source;
    // Columns: left to right in both.
    if (s.Left < 0) {
        d.Left -= s.Left;
        s.Left = 0;
    }
    if (s.Right > width) {
        d.Right -= s.Right - width;
        s.Right = width;
    }
    // Rows: the picture counts from its bottom, so the source's top rows
    // are the destination's top rows.
    if (s.Bottom > height) {
        d.Top += s.Bottom - height;
        s.Bottom = height;
    }
    if (s.Top < 0) {
        d.Bottom += s.Top;
        s.Top = 0;
    }
    if (s.Width() <= 0 || s.Height() <= 0 || d.Width() <= 0 || d.Height() <= 0) {
        d.Right = d.Left;
        d.Bottom = d.Top;
    }
    return piece;
}

std::vector<StripPiece> StripPiecesOnTile(const CountingStripLayout& strip, const TileGrid& grid, int page)
{
    const TilePosition at = grid.Tile(page);
    std::vector<StripPiece> out;
    for (StripPiece p : strip.Pieces) {
        p.Dest = Moved(p.Dest, at.X0, at.Y0);
        if (!Meets(p.Dest, grid.BitmapWidth(), grid.BitmapHeight()))
            continue;
        if (p.Label) {
            p.Label->X -= at.X0;
            p.Label->Y -= at.Y0;
        }
        out.push_back(std::move(p));
    }
    return out;
}

std::vector<plat::TRect> StripFillsOnTile(const CountingStripLayout& strip, const TileGrid& grid, int page)
{
    const TilePosition at = grid.Tile(page);
    const int inTop = StripWidth - StripFillMargin;
    const plat::TRect frameFills[] = {
        {-Far, -Far, Far, inTop},                                   // above
        {-Far, strip.BoardBottom + StripFillMargin, Far, Far},      // below
        {-Far, -Far, inTop, Far},                                   // left
        {strip.BoardRight + StripFillMargin, -Far, Far, Far},       // right
    };
    std::vector<plat::TRect> out;
    for (const plat::TRect& f : frameFills) {
        plat::TRect r = Moved(f, at.X0, at.Y0);
        r = {std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, grid.BitmapWidth()),
             std::min(r.Bottom, grid.BitmapHeight())};
        if (r.Width() > 0 && r.Height() > 0)
            out.push_back(r);
    }
    return out;
}

} // namespace tolv
