#pragma once
// Conversion between the profile's 0x00BBGGRR colours and Qt's.
#include "platform/Colour.h"

#include <QColor>

namespace plat {

// System colours are resolved first; clNone becomes a fully transparent colour.
QColor ToQColor(TColor c);
// The alpha channel is dropped.
TColor FromQColor(const QColor& c);

} // namespace plat
