#pragma once
// How much room the player's labels and text windows take, without Qt: the
// font fontconfig gives for a family name (as the toolkit asks it), measured
// with FreeType at a size in pixels. Close to what the player lays out, a
// pixel or two off where its shaping kerns.
#include <memory>
#include <string>
#include <string_view>

namespace taleplay::check {

class TextMeasure {
  public:
    // `family` in Windows-1251, as a description file names it.
    TextMeasure(const std::string& family, int pixelSize, bool bold);
    ~TextMeasure();
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    // Whether a font was found; without one every width and height is 0.
    bool usable() const;
    // The height of one line: ascent and descent, each rounded.
    int lineHeight() const;
    // The width of a Windows-1251 text on one line.
    int width(std::string_view text) const;

  private:
    struct Face;
    std::unique_ptr<Face> face_;
};

} // namespace taleplay::check
