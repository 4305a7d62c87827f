#pragma once
// Colour values: a colour name such as clRed or a 32-bit integer, turned into
// the colour the program works with, $00BBGGRR for ordinary colours and
// $FF0000nn for the platform's system colour nn.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace taleplay {

struct ColourName {
    std::string_view name;
    std::int32_t value;
};

namespace colour {

inline constexpr std::int32_t kNone = 0x1FFFFFFF;
inline constexpr std::int32_t kDefault = 0x20000000;

// The system colour with the platform's index `index`.
constexpr std::int32_t system(std::uint8_t index) {
    return static_cast<std::int32_t>(0xFF000000u | index);
}

} // namespace colour

// The 52 colour names a game may write.
inline constexpr std::array<ColourName, 52> kColourNames{{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clScrollBar", colour::system(0)},
    {"clBackground", colour::system(1)},
    {"clActiveCaption", colour::system(2)},
    {"clInactiveCaption", colour::system(3)},
    {"clMenu", colour::system(4)},
    {"clWindow", colour::system(5)},
    {"clWindowFrame", colour::system(6)},
    {"clMenuText", colour::system(7)},
    {"clWindowText", colour::system(8)},
    {"clCaptionText", colour::system(9)},
    {"clActiveBorder", colour::system(10)},
    {"clInactiveBorder", colour::system(11)},
    {"clAppWorkSpace", colour::system(12)},
    {"clHighlight", colour::system(13)},
    {"clHighlightText", colour::system(14)},
    {"clBtnFace", colour::system(15)},
    {"clBtnShadow", colour::system(16)},
    {"clGrayText", colour::system(17)},
    {"clBtnText", colour::system(18)},
    {"clInactiveCaptionText", colour::system(19)},
    {"clBtnHighlight", colour::system(20)},
    {"cl3DDkShadow", colour::system(21)},
    {"cl3DLight", colour::system(22)},
    {"clInfoText", colour::system(23)},
    {"clInfoBk", colour::system(24)},
    // Index 25 has no name.
    {"clHotLight", colour::system(26)},
    {"clGradientActiveCaption", colour::system(27)},
    {"clGradientInactiveCaption", colour::system(28)},
    {"clMenuHighlight", colour::system(29)},
    {"clMenuBar", colour::system(30)},
    {"clNone", colour::kNone},
    {"clDefault", colour::kDefault},
}};

// Reads a 32-bit integer as the colour and placement readers do: leading
// blanks skipped, an optional sign, decimal digits or hexadecimal after "$",
// "x", "X", "0x" or "0X", and nothing after the digits. Decimal must fit a
// signed 32-bit integer; hexadecimal may use all 32 bits ($FF000000 is a
// system colour), and a sign applies to that bit pattern. Nothing when the
// text is not such a number.
std::optional<std::int32_t> readInteger(std::string_view text);

// The colour of a colour value: a name of kColourNames compared ignoring the
// case of A-Z, else an integer by readInteger, used unchanged. Throws
// ConversionError "'<text>' is not a valid integer value" otherwise.
std::int32_t convertColour(std::string_view text);

} // namespace taleplay
