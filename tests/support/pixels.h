#pragma once
// Screenshot checks shared by the widget tests.
#include <QImage>
#include <QRect>
#include <QString>
#include <gtest/gtest.h>

namespace taleplay::testing {

// Every pixel of `shot` inside `r` is `rgb` (0xRRGGBB); else the first that
// is not.
inline ::testing::AssertionResult solid(const QImage& shot, const QRect& r, QRgb rgb) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((shot.pixel(x, y) & 0xFFFFFF) != rgb)
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is "
                       << QString::number(shot.pixel(x, y) & 0xFFFFFF, 16).toStdString() << ", not "
                       << QString::number(rgb, 16).toStdString();
    return ::testing::AssertionSuccess();
}

// A picture of `colours` (0xRRGGBB), one pixel each, `width` to a row.
inline QImage pixelPicture(int width, std::initializer_list<QRgb> colours) {
    const int height = static_cast<int>(colours.size()) / width;
    QImage image(width, height, QImage::Format_RGB32);
    int i = 0;
    for (QRgb c : colours) {
        image.setPixel(i % width, i / width, c);
        ++i;
    }
    return image;
}

} // namespace taleplay::testing
