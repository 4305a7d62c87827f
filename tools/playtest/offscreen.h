#pragma once
// Headless runs on a screen of a fixed size.
#include <string>

namespace taleplay::playtest {

// Points QT_QPA_PLATFORM at the offscreen platform with one screen of
// width x height at 96 dpi and no window frames. Call before the
// application object exists. Returns false when the config file cannot be
// written.
bool useOffscreenScreen(int width, int height);

// Parses "WIDTHxHEIGHT"; false when it is not two positive numbers.
bool parseScreen(const std::string& text, int& width, int& height);

} // namespace taleplay::playtest
