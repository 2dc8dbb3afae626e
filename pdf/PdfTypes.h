#pragma once
// Types shared by the PDF writer's component, canvas and resources: the
// drawing settings the application sets on the canvas, the writer's error
// and its English messages. Points and rectangles are the product's own
// (platform/Geometry.h).
#include "platform/Colour.h"
#include "platform/Geometry.h"

#include <stdexcept>
#include <string>

namespace pdf {

enum class TLengthUnit { luTenth, luPoint };   // 1/10 mm, 1/72 inch
enum class TPrinterOrientation { poPortrait, poLandscape };

enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal,
                         bsBDiagonal, bsCross, bsDiagCross };
enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;   // a set of TFontStyle bits

constexpr int DEFAULT_CHARSET = 1;

struct TBrush {
    plat::TColor Color = plat::clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
};

struct TPen {
    plat::TColor Color = plat::clBlack;
    TPenStyle Style = TPenStyle::psSolid;
    int Width = 1;   // in the component's length unit
};

struct TFont {
    std::string Name = "Arial";
    int Size = 10;                 // points; negative sizes are written as their magnitude
    int Charset = DEFAULT_CHARSET;
    TFontStyles Style = 0;
    plat::TColor Color = plat::clBlack;
};

// Every error of the writer: the message, or the message, ": " and the detail.
class EPdfError : public std::runtime_error {
public:
    EPdfError(const std::string& message, const std::string& detail)
        : std::runtime_error(detail.empty() ? message : message + ": " + detail),
          message_(message), detail_(detail) {}
    const std::string& message() const { return message_; }
    const std::string& detail() const { return detail_; }

private:
    std::string message_;
    std::string detail_;
};

// The writer's messages, as its users see them.
namespace msg {
inline constexpr const char* DocumentNotOpened = "Document not opened";
inline constexpr const char* FileLocked = "File locked";
inline constexpr const char* FileNotFound = "File not found";
inline constexpr const char* InvalidColor = "Invalid color specification";
inline constexpr const char* InvalidMethodCall = "Invalid method call";
inline constexpr const char* InvalidPropertyValue = "Invalid property value";
inline constexpr const char* InvalidStyleName = "Invalid style name";
inline constexpr const char* InternalError = "Internal error";
inline constexpr const char* LinkNotDefined = "Link destination name not defined";
inline constexpr const char* NotTrueType = "This font is not TrueType";
inline constexpr const char* NumericExpected = "Numeric value expected for style parameter";
inline constexpr const char* CantModifyWhenOpened = "Can't modify property when opened";
inline constexpr const char* WriteError = "File write error, or disk full";
inline constexpr const char* InvalidStreamOperation = "Invalid stream operation";
inline constexpr const char* AlreadyOpen = "PDF document already open";
inline constexpr const char* BadParameters = "Bad parameters for method";
inline constexpr const char* InvalidValueForProperty = "Invalid value for property";
inline constexpr const char* CharsetNotSupported = "Font character set not supported";
inline constexpr const char* CantOpenFile = "Can't open file";
} // namespace msg

} // namespace pdf
