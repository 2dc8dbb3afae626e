// Writes the eleven pictures the program ships with: Pic1.jpg .. Pic10.jpg,
// one terrain texture each on a flat-topped hexagon that fills the picture,
// and Pic11.jpg, the counting strip. Outside the hexagon every pixel is pure
// white, since the picture outputs combine overlapping pictures with AND and
// the brightness pass leaves white alone.
//
// Usage: genpics <output folder>
#include "editor/board/BoardState.h"
#include "platform/Bitmap.h"
#include "platform/Jpeg.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

constexpr int PicW = 400;   // hexagon corner to corner
constexpr int PicH = 346;   // 400 * 0.866
constexpr int StripSize = 600;

// Small deterministic generator so every build writes the same pictures.
struct Lcg {
    std::uint32_t s;
    explicit Lcg(std::uint32_t seed) : s(seed) {}
    std::uint32_t next() { s = s * 1664525u + 1013904223u; return s >> 8; }
    double unit() { return double(next() & 0xFFFF) / 65535.0; }
    int range(int lo, int hi) { return lo + int(next() % std::uint32_t(hi - lo + 1)); }
};

QColor fromBgr(std::uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

QColor shade(const QColor& c, double f)
{
    auto ch = [f](int v) { return std::clamp(int(std::lround(v * f)), 0, 255); };
    return QColor(ch(c.red()), ch(c.green()), ch(c.blue()));
}

QColor towardsWhite(const QColor& c, double f)
{
    auto ch = [f](int v) { return std::clamp(int(std::lround(v + (255 - v) * f)), 0, 255); };
    return QColor(ch(c.red()), ch(c.green()), ch(c.blue()));
}

QPolygonF hexagon(double inset)
{
    const double w = PicW, h = PicH;
    const auto outline = tolv::HexOutlineAround<QPointF>(w / 2, h / 2, w / 4 - inset / 2,
                                                         w / 2 - inset, h / 2 - inset);
    return QPolygonF(QList<QPointF>(outline.begin(), outline.end() - 1));
}

using Texture = std::function<void(QPainter&, Lcg&, const QColor&)>;

void dots(QPainter& p, Lcg& rnd, const QColor& c, int n, int rmin, int rmax, double dark)
{
    p.setPen(Qt::NoPen);
    for (int i = 0; i < n; ++i) {
        p.setBrush(shade(c, dark + 0.25 * rnd.unit()));
        const int r = rnd.range(rmin, rmax);
        p.drawEllipse(QPointF(rnd.range(0, PicW), rnd.range(0, PicH)), r, r);
    }
}

void grassStrokes(QPainter& p, Lcg& rnd, const QColor& c, int n, double dark)
{
    for (int i = 0; i < n; ++i) {
        p.setPen(QPen(shade(c, dark + 0.3 * rnd.unit()), 2));
        const double x = rnd.range(0, PicW), y = rnd.range(0, PicH);
        const double lean = rnd.range(-5, 5);
        p.drawLine(QPointF(x, y), QPointF(x + lean, y - rnd.range(8, 16)));
    }
}

void trees(QPainter& p, Lcg& rnd, const QColor& c)
{
    for (int i = 0; i < 70; ++i) {
        const double x = rnd.range(10, PicW - 10), y = rnd.range(10, PicH - 10);
        const int r = rnd.range(12, 22);
        p.setPen(QPen(shade(c, 0.45), 2));
        p.setBrush(shade(c, 0.7 + 0.5 * rnd.unit()));
        p.drawEllipse(QPointF(x, y), r, r);
        p.setBrush(shade(c, 1.4));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(x - r / 3.0, y - r / 3.0), r / 3.0, r / 3.0);
    }
}

void waves(QPainter& p, Lcg& rnd, const QColor& c, double amp, int gap, double dark, bool light = false)
{
    for (int y = 6; y < PicH; y += gap) {
        QPainterPath path;
        const double phase = rnd.unit() * 6.28;
        path.moveTo(0, y);
        for (int x = 0; x <= PicW; x += 4)
            path.lineTo(x, y + amp * std::sin(x / 18.0 + phase));
        p.setPen(QPen(light ? towardsWhite(c, 0.45 + 0.2 * rnd.unit()) : shade(c, dark + 0.2 * rnd.unit()), 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
}

void rocks(QPainter& p, Lcg& rnd, const QColor& c, int n, int rmin, int rmax)
{
    for (int i = 0; i < n; ++i) {
        const double x = rnd.range(0, PicW), y = rnd.range(0, PicH);
        const int r = rnd.range(rmin, rmax);
        QPolygonF poly;
        const int corners = rnd.range(5, 7);
        for (int k = 0; k < corners; ++k) {
            const double a = 6.2832 * k / corners + rnd.unit() * 0.5;
            const double rr = r * (0.7 + 0.3 * rnd.unit());
            poly << QPointF(x + rr * std::cos(a), y + rr * std::sin(a));
        }
        p.setPen(QPen(shade(c, 0.5), 2));
        p.setBrush(shade(c, 0.75 + 0.45 * rnd.unit()));
        p.drawPolygon(poly);
    }
}

void mountains(QPainter& p, Lcg& rnd, const QColor& c)
{
    for (int i = 0; i < 16; ++i) {
        const double x = rnd.range(0, PicW), base = rnd.range(60, PicH + 20);
        const double half = rnd.range(35, 70), top = base - half * 1.3;
        p.setPen(QPen(shade(c, 0.45), 2));
        p.setBrush(shade(c, 0.8 + 0.3 * rnd.unit()));
        p.drawPolygon(QPolygonF({QPointF(x - half, base), QPointF(x, top), QPointF(x + half, base)}));
        p.setBrush(QColor(245, 245, 245));
        p.drawPolygon(QPolygonF({QPointF(x - half * 0.3, top + half * 0.4), QPointF(x, top),
                                 QPointF(x + half * 0.3, top + half * 0.4)}));
    }
}

void unknown(QPainter& p, Lcg&, const QColor& c)
{
    // Diagonal hatch: "to be decided" rather than a terrain of its own.
    p.setPen(QPen(shade(c, 2.2), 6));
    for (int d = -PicH; d < PicW; d += 28)
        p.drawLine(QPointF(d, PicH), QPointF(d + PicH, 0));
}

void market(QPainter& p, Lcg& rnd, const QColor& c)
{
    dots(p, rnd, c, 200, 2, 4, 0.8);
    for (int i = 0; i < 9; ++i) {
        const double x = 80 + (i % 3) * 90 + rnd.range(-8, 8);
        const double y = 70 + (i / 3) * 90 + rnd.range(-8, 8);
        p.setPen(QPen(shade(c, 0.35), 2));
        p.setBrush(QColor(250, 235, 200));
        p.drawRect(QRectF(x - 22, y - 10, 44, 30));
        p.setBrush(shade(c, 0.6));
        p.drawPolygon(QPolygonF({QPointF(x - 28, y - 10), QPointF(x, y - 34), QPointF(x + 28, y - 10)}));
    }
}

QImage terrainPicture(int code)
{
    QColor base = fromBgr(tolv::DefaultColorTable()[std::size_t(code)]);
    if (code == 1)
        base = QColor(236, 236, 230);  // "leer": a light paper tone, so it still reads as a field

    QImage tex(PicW, PicH, QImage::Format_RGB32);
    tex.fill(base);
    {
        QPainter p(&tex);
        p.setRenderHint(QPainter::Antialiasing);
        Lcg rnd(0x1234u * std::uint32_t(code) + 7u);
        switch (code) {
        case 1: dots(p, rnd, base, 300, 1, 2, 0.92); break;
        case 2: dots(p, rnd, base, 500, 2, 4, 0.7); grassStrokes(p, rnd, base, 250, 0.6); break;
        case 3: grassStrokes(p, rnd, base, 1400, 0.55); break;
        case 4: dots(p, rnd, base, 200, 2, 4, 0.6); trees(p, rnd, base); break;
        case 5: waves(p, rnd, base, 3, 14, 0.55); dots(p, rnd, QColor(60, 110, 60), 120, 2, 5, 0.9); break;
        case 6: rocks(p, rnd, base, 90, 10, 26); break;
        case 7: mountains(p, rnd, base); break;
        case 8: unknown(p, rnd, base); break;
        case 9: market(p, rnd, base); break;
        case 10: waves(p, rnd, base, 5, 18, 0, true); break;
        }
    }

    QImage out(PicW, PicH, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addPolygon(hexagon(1.0));
    p.setClipPath(clip);
    p.drawImage(0, 0, tex);
    p.setClipping(false);
    p.setPen(QPen(shade(base, 0.5), 3));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(hexagon(2.5));
    return out;
}

QImage stripPicture()
{
    // A ruler-like band: the outputs copy 224-pixel sections starting at
    // (65, 65) and reach up to about 515 pixels, so 600 leaves room.
    QImage img(StripSize, StripSize, QImage::Format_RGB32);
    img.fill(QColor(226, 206, 160));
    QPainter p(&img);
    Lcg rnd(4242);
    for (int i = 0; i < 900; ++i) {
        p.setPen(QPen(QColor(200, 176, 128), 1));
        const int x = rnd.range(0, StripSize), y = rnd.range(0, StripSize);
        p.drawLine(x, y, x + rnd.range(6, 20), y);
    }
    p.setPen(QPen(QColor(120, 90, 50), 3));
    for (int k = 65; k < StripSize; k += 28) {
        p.drawLine(k, 0, k, StripSize);
        p.drawLine(0, k, StripSize, k);
    }
    p.setPen(QPen(QColor(90, 60, 30), 5));
    p.drawRect(65, 65, 224, 224);
    return img;
}

plat::Bitmap toBitmap(const QImage& img)
{
    plat::Bitmap bmp(img.width(), img.height(), plat::PixelFormat::pf24bit);
    for (int y = 0; y < img.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        std::uint8_t* dst = bmp.scanLine(y);
        for (int x = 0; x < img.width(); ++x) {
            dst[3 * x] = std::uint8_t(qBlue(src[x]));
            dst[3 * x + 1] = std::uint8_t(qGreen(src[x]));
            dst[3 * x + 2] = std::uint8_t(qRed(src[x]));
        }
    }
    return bmp;
}

bool writeJpeg(const QImage& img, const std::filesystem::path& path)
{
    const auto data = plat::EncodeJpeg(toBitmap(img), 95);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    f.close();
    return bool(f);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: genpics <output folder>\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    try {
        for (int code = 1; code <= 10; ++code)
            if (!writeJpeg(terrainPicture(code), dir / ("Pic" + std::to_string(code) + ".jpg")))
                throw std::runtime_error("cannot write Pic" + std::to_string(code) + ".jpg");
        if (!writeJpeg(stripPicture(), dir / "Pic11.jpg"))
            throw std::runtime_error("cannot write Pic11.jpg");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "genpics: %s\n", e.what());
        return 1;
    }
    return 0;
}
