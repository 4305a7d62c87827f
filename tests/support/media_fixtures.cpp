#include "support/media_fixtures.h"

#include "media_writers.h"

#include <QColor>
#include <QImage>
#include <cmath>
#include <vector>

namespace taleplay::testing {

void writeWav(const std::string& path, int ms, int hz) {
    const int rate = 8000;
    std::vector<float> samples(static_cast<std::size_t>(rate) * ms / 1000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] =
            0.25f * static_cast<float>(std::sin(2 * M_PI * hz * static_cast<double>(i) / rate));
    demoart::writeWav(path, rate, samples);
}

void writeMjpegAvi(const std::string& path, int width, int height, int frames, int fps) {
    std::vector<QImage> images;
    for (int i = 0; i < frames; ++i) {
        QImage img(width, height, QImage::Format_RGB32);
        const int t = frames > 1 ? 255 * i / (frames - 1) : 0;
        img.fill(QColor(255 - t, 0, t));
        images.push_back(img);
    }
    demoart::writeMjpegAvi(path, images, fps, 90);
}

} // namespace taleplay::testing
