#pragma once
// Headless runs on a screen of a fixed size.
#include <string>

namespace taleplay::playtest {

// Points QT_QPA_PLATFORM at the offscreen platform with one screen of
// width x height at 96 dpi and no window frames, described in a file of the
// temporary folder. Call before the application object exists. Returns
// false when the file cannot be written.
bool useOffscreenScreen(int width, int height);

// Removes that file: the application reads it once, when it is made, so
// call this right after. (At the latest it goes when the program ends.)
void removeOffscreenScreenFile();

// Parses "WIDTHxHEIGHT"; false when it is not two positive numbers.
bool parseScreen(const std::string& text, int& width, int& height);

} // namespace taleplay::playtest
