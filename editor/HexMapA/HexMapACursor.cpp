// The "HAND" cursor: an open hand, 32 x 32, black outline on white, hot
// spot at (11, 9). Drawn here in text so it needs no resource file.
#include "editor/HexMapA/HexMapA.h"

#include <QBitmap>
#include <QImage>

#include <iterator>

namespace tolv {

namespace {

// 'X' black, '.' white, ' ' transparent; rows below the last are empty.
constexpr const char* kHand[] = {
    "                                ",
    "            XX                  ",
    "           X..XXX               ",
    "         XXX..X..X              ",
    "        X..X..X..XXX            ",
    "        X..X..X..X..X           ",
    "        X..X..X..X..X           ",
    "        X..X..X..X..X           ",
    "        X..X..X..X..X           ",
    "    XX  X..X..X..X..X           ",
    "   X..X X..X..X..X..X           ",
    "   X...XX...........X           ",
    "    X...X...........X           ",
    "     X..............X           ",
    "     X..............X           ",
    "      X.............X           ",
    "      X............X            ",
    "       X...........X            ",
    "        X.........X             ",
    "        X.........X             ",
    "        XXXXXXXXXXX             ",
};
constexpr int kSize = 32;
constexpr int kHotX = 11;
constexpr int kHotY = 9;

QCursor MakeHand()
{
    // A cursor pixel is black where both the picture and the mask are
    // set, white where only the mask is, transparent elsewhere.
    QImage picture(kSize, kSize, QImage::Format_MonoLSB);
    QImage mask(kSize, kSize, QImage::Format_MonoLSB);
    picture.fill(0);
    mask.fill(0);
    for (int y = 0; y < int(std::size(kHand)); ++y) {
        const char* row = kHand[y];
        for (int x = 0; x < kSize && row[x]; ++x) {
            if (row[x] == 'X')
                picture.setPixel(x, y, 1);
            if (row[x] == 'X' || row[x] == '.')
                mask.setPixel(x, y, 1);
        }
    }
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mask.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    return QCursor(QBitmap::fromImage(picture), QBitmap::fromImage(mask), kHotX, kHotY);
}

} // namespace

const QCursor& THexMapA::HandCursor()
{
    static const QCursor hand = MakeHand();
    return hand;
}

} // namespace tolv
