#include "editor/board/TerrainPictures.h"

#include "platform/Jpeg.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <exception>
#include <new>
#include <stdexcept>

namespace tolv {

std::uint8_t AdjustBrightness(std::uint8_t b, int hellF, int hellA)
{
    // 64 bits: profile values are taken as they stand, so a huge factor must
    // saturate instead of wrapping.
    const std::int64_t v = (std::int64_t(b) * hellF) / 100 + hellA;
    return std::uint8_t(std::clamp<std::int64_t>(v, 0, 255));
}

void BrightnessPass(plat::Bitmap& bmp, int hellF, int hellA)
{
    if ((hellF == 100 && hellA == 0) || bmp.empty() || bmp.format() != plat::PixelFormat::pf24bit)
        return;
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = AdjustBrightness(std::uint8_t(b), hellF, hellA);
    for (int y = 0; y < bmp.height(); ++y) {
        std::uint8_t* p = bmp.scanLine(y);
        for (int x = 0; x < bmp.width(); ++x, p += 3) {
            if (p[0] == 255 && p[1] == 255 && p[2] == 255)
                continue;
            p[0] = table[p[0]];
            p[1] = table[p[1]];
            p[2] = table[p[2]];
        }
    }
}

namespace {

// errno of a failed read in the words of the picture message.
std::string ReadFailureReason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "Datei nicht lesbar: keine Berechtigung";
    case EIO:
        return "Datei nicht lesbar: Ein-/Ausgabefehler";
    case EMFILE:
    case ENFILE:
        return "Datei nicht lesbar: zu viele offene Dateien";
    case ENAMETOOLONG:
    case ELOOP:
        return "Datei nicht lesbar: ungültiger Pfad";
    default:
        return "Datei nicht lesbar (Fehler " + std::to_string(error) + ")";
    }
}

} // namespace

std::string PictureFailureReason(const plat::JpegError& e)
{
    switch (e.Fault()) {
    case plat::JpegFault::Invalid:
        return "kein gültiges JPEG-Bild (beschädigt oder unvollständig)";
    case plat::JpegFault::Unsupported:
        return "Farbmodell nicht unterstützt (nur RGB und Graustufen)";
    case plat::JpegFault::TooLarge:
        return "Bild zu groß (höchstens " + std::to_string(MaxPictureSide) + " × " +
               std::to_string(MaxPictureSide) + " Pixel)";
    case plat::JpegFault::FileTooLarge:
        return "Datei zu groß";
    case plat::JpegFault::NoFile:
        return "Datei nicht gefunden";
    case plat::JpegFault::NotRegular:
        return "keine gewöhnliche Datei";
    case plat::JpegFault::ReadFailed:
        return ReadFailureReason(e.SysError());
    }
    return "unbekannter Fehler";
}

std::vector<PictureFailure> LoadPictures(BoardState& state, const std::string& picturesDir,
                                         int hellF, int hellA,
                                         const std::function<void()>& dibFault)
{
    std::vector<PictureFailure> failures;
    for (int i = 1; i <= PictureCount; ++i) {
        Picture& pic = state.Pictures[i];
        pic = Picture{};
        const std::string name = "Pic" + std::to_string(i) + ".jpg";
        const std::string path = picturesDir + name;
        std::string reason;
        try {
            plat::Bitmap bmp = plat::LoadJpegFile(path, MaxPictureSide);
            if (bmp.empty()) {
                reason = "leeres Bild";
            } else {
                if (bmp.format() != plat::PixelFormat::pf24bit)
                    bmp.setFormat(plat::PixelFormat::pf24bit);
                BrightnessPass(bmp, hellF, hellA);
                pic.Bitmap = std::move(bmp);
            }
        } catch (const plat::JpegError& e) {
            reason = PictureFailureReason(e);
        } catch (const std::bad_alloc&) {
            reason = "nicht genug Arbeitsspeicher";
        } catch (const std::exception&) {
            reason = "unerwarteter Fehler beim Laden";
        }
        if (!reason.empty()) {
            pic = Picture{};
            failures.push_back({i, name, std::move(reason)});
            continue;
        }
        if (!plat::MakeDib(pic.Bitmap, pic.Dib)) {
            pic.Dib = plat::Dib{};
            if (dibFault)
                dibFault();
            continue;
        }
        pic.Loaded = true;
    }
    return failures;
}

std::string PictureFailureMessage(const std::vector<PictureFailure>& failures,
                                  const std::string& picturesDir)
{
    if (failures.empty())
        return {};
    std::string text = failures.size() == 1
        ? "Ein Bild konnte nicht geladen werden"
        : std::to_string(failures.size()) + " Bilder konnten nicht geladen werden";
    text += " (Ordner " + picturesDir + "):\n";
    for (const PictureFailure& f : failures)
        text += "\n" + f.FileName + ": " + f.Reason;
    text += "\n\nDie Ausgaben mit Geländebildern sind nicht möglich.";
    return text;
}

} // namespace tolv
