// Game colours ($00BBGGRR and the system colours) as Qt colours.
#include "platform/colors.h"

#include <array>

namespace taleplay {
namespace {

// The Windows default scheme (as on Windows 7 and later), by system colour
// index. Index 25 is unused by Windows and reads as black there too.
constexpr std::array<QRgb, 31> kSystem = {
    0xC8C8C8, // 0 scroll bar
    0x000000, // 1 background (desktop)
    0x99B4D1, // 2 active caption
    0xBFCDDB, // 3 inactive caption
    0xF0F0F0, // 4 menu
    0xFFFFFF, // 5 window
    0x646464, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0x000000, // 9 caption text
    0xB4B4B4, // 10 active border
    0xF4F7FC, // 11 inactive border
    0xABABAB, // 12 application workspace
    0x3399FF, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xF0F0F0, // 15 button face
    0xA0A0A0, // 16 button shadow
    0x6D6D6D, // 17 grey text
    0x000000, // 18 button text
    0x000000, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x696969, // 21 3D dark shadow
    0xE3E3E3, // 22 3D light
    0x000000, // 23 info text
    0xFFFFE1, // 24 info background
    0x000000, // 25 unused
    0x0066CC, // 26 hot light
    0xB9D1EA, // 27 gradient active caption
    0xD7E4F2, // 28 gradient inactive caption
    0x3399FF, // 29 menu highlight
    0xF0F0F0, // 30 menu bar
};

} // namespace

QColor toQColor(Colour c, QColor controlDefault) {
    if (c == clNone)
        return QColor(0, 0, 0, 0);
    if (c == clDefault)
        return controlDefault;
    auto u = static_cast<std::uint32_t>(c);
    if ((u >> 24) == 0xFF) {
        std::uint32_t index = u & 0xFF;
        return QColor::fromRgb(index < kSystem.size() ? kSystem[index] : 0x000000);
    }
    // Other high bytes (palette-relative colours on Windows) keep their RGB.
    return QColor(u & 0xFF, (u >> 8) & 0xFF, (u >> 16) & 0xFF);
}

QString colourText(Colour c) {
    return QStringLiteral("$%1")
        .arg(static_cast<std::uint32_t>(c), 8, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace taleplay
