// make_bench_game FOLDER
//
// Writes the benchmark game into FOLDER (named data_NAME): 50 large
// pictures, 30 image buttons with pressed pictures, full frames, four
// corners and a 64 x 64 background tile. Every picture is a file of its own,
// so no decoding can be shared between them.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace {

// A picture with some structure, so that the encoders and decoders do real
// work: a gradient with the picture's number drawn over it.
bool writePicture(const std::filesystem::path& path, int w, int h, int seed, const char* format) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb((x * 255 / w + seed * 37) & 255, (y * 255 / h + seed * 11) & 255,
                          ((x ^ y) + seed) & 255);
    }
    QPainter painter(&image);
    painter.setPen(Qt::white);
    painter.drawText(image.rect(), Qt::AlignCenter, QString::number(seed));
    painter.end();
    return image.save(QString::fromStdString(path.string()), format);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_bench_game FOLDER   (FOLDER named data_NAME)\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen"); // text is drawn into the pictures, no window
    QGuiApplication app(argc, argv);
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    bool ok = writePicture(dir / "fon.bmp", 64, 64, 0, "BMP") &&
              writePicture(dir / "ramkahor.bmp", 100, 20, 1, "BMP") &&
              writePicture(dir / "ramkavert.bmp", 20, 100, 2, "BMP");
    const char* corners[] = {"cornerupleft.bmp", "cornerupright.bmp", "cornerbottomleft.bmp",
                             "cornerbottomright.bmp"};
    for (int i = 0; i < 4; ++i)
        ok = ok && writePicture(dir / corners[i], 64, 64, 3 + i, "BMP");

    // Fifty 800 x 600 pictures, each shown at a tenth of the screen's width
    // in a 10 x 5 grid.
    std::ofstream back(dir / "allbackpictures.txt", std::ios::binary);
    back << "*screencolor*clBlack#\n*frametransparent*yes#\n*cornertransparent*yes#\n";
    for (int n = 1; n <= 50; ++n) {
        const std::string name = "picture" + std::to_string(n) + ".png";
        ok = ok && writePicture(dir / name, 800, 600, 10 + n, "PNG");
        back << "*picture" << n << "*name*" << name << "#\n"
             << "*picture" << n << "*widthindivision*10#1#\n"
             << "*picture" << n << "*leftindivision*10#" << (n - 1) % 10 << "#\n"
             << "*picture" << n << "*topindivision*6#" << (n - 1) / 10 << "#\n";
    }

    // Thirty 160 x 80 buttons with pressed pictures, in a column on the right.
    std::ofstream buttons(dir / "allbuttons.txt", std::ios::binary);
    for (int n = 1; n <= 30; ++n) {
        const std::string name = "button" + std::to_string(n) + ".bmp";
        const std::string pressed = "button" + std::to_string(n) + "down.bmp";
        ok = ok && writePicture(dir / name, 160, 80, 100 + n, "BMP") &&
             writePicture(dir / pressed, 160, 80, 200 + n, "BMP");
        buttons << "*button" << n << "*name*" << name << "#\n"
                << "*button" << n << "*pressedname*" << pressed << "#\n"
                << "*button" << n << "*heightindivision*32#1#\n"
                << "*button" << n << "*leftindivision*10#" << 5 + (n - 1) / 6 << "#\n"
                << "*button" << n << "*topindivision*8#" << 6 + (n - 1) % 6 / 3 << "#\n"
                << "*button" << n << "transparent*yes# \n";
    }
    if (!ok || !back || !buttons) {
        std::cerr << "make_bench_game: cannot write into " << dir << "\n";
        return 1;
    }
    std::cout << "benchmark game written to " << dir.string() << "\n";
    return 0;
}
