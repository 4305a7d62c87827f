#pragma once
// Colours as the game computes them: $00BBGGRR integers, $FF0000nn for the
// system colours, plus the two special values.
#include <QColor>
#include <cstdint>

namespace taleplay {

using Colour = std::int32_t;

inline constexpr Colour clNone = 0x1FFFFFFF;
inline constexpr Colour clDefault = 0x20000000;
inline constexpr Colour clBlack = 0x000000;
inline constexpr Colour clWindow = static_cast<Colour>(0xFF000005);
inline constexpr Colour clWindowText = static_cast<Colour>(0xFF000008);
inline constexpr Colour clBtnFace = static_cast<Colour>(0xFF00000F);

// The colour to paint for `c`. clNone gives a fully transparent colour and
// clDefault gives `controlDefault`.
QColor toQColor(Colour c, QColor controlDefault = Qt::black);

// "$XXXXXXXX", as the playtest dump writes colours.
QString colourText(Colour c);

} // namespace taleplay
