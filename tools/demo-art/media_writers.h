#pragma once
// Writers for the media the demo ships, small enough to keep here: RIFF WAV
// and MJPEG AVI, a GIF without compression, and the UTF-8 to Windows-1251
// step for the description files.
#include <QImage>
#include <string>
#include <vector>

namespace demoart {

// 16-bit mono PCM; samples in -1 .. 1.
void writeWav(const std::string& path, int rate, const std::vector<float>& samples);

// Motion-JPEG AVI, one key frame a chunk, with an index.
void writeMjpegAvi(const std::string& path, const std::vector<QImage>& frames, int fps,
                   int quality);

// A GIF89a of at most 256 colours (6x6x6 cube plus greys), uncompressed LZW.
void writeGif(const std::string& path, const QImage& image);

// Windows-1251 bytes of a UTF-8 text; throws on a character the code page lacks.
std::string toCp1251(const std::string& utf8);

} // namespace demoart
