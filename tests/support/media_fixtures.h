#pragma once
// Small media files the tests write themselves.
#include <string>

namespace taleplay::testing {

// A mono 16-bit PCM WAV: a sine tone of `hz` for `ms` milliseconds.
void writeWav(const std::string& path, int ms, int hz = 440);

// An MJPEG AVI of `frames` frames at `fps`, width x height; frame i is filled
// with a colour that moves from red to blue, so a picture shows which frame
// is painted.
void writeMjpegAvi(const std::string& path, int width, int height, int frames, int fps);

} // namespace taleplay::testing
