// Writes the benchmark game.
#include "bench_game.h"

#include <QImage>
#include <QPainter>
#include <fstream>
#include <string>
#include <vector>

namespace taleplay::bench {
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

// Pictures shown at a tenth of the screen's width in a 10 x 5 grid.
bool writePictures(const std::filesystem::path& dir, std::ofstream& file, const char* stem,
                   int count, int firstSeed, std::vector<std::string>& shown) {
    bool ok = true;
    for (int n = 1; n <= count; ++n) {
        const std::string name = stem + std::to_string(n) + ".png";
        ok = ok && writePicture(dir / name, 800, 600, firstSeed + n, "PNG");
        shown.push_back(name);
        file << "*picture" << n << "*name*" << name << "#\n"
             << "*picture" << n << "*widthindivision*10#1#\n"
             << "*picture" << n << "*leftindivision*10#" << (n - 1) % 10 << "#\n"
             << "*picture" << n << "*topindivision*6#" << (n - 1) / 10 << "#\n";
    }
    return ok;
}

// `bytes` of words of two to eleven letters between blanks.
std::string words(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + 12);
    unsigned state = 12345;
    while (text.size() < bytes) {
        state = state * 1103515245u + 12345u;
        const std::size_t length = 2 + (state >> 16) % 10;
        for (std::size_t i = 0; i < length; ++i)
            text += char('a' + (state >> (i % 16)) % 26);
        text += ' ';
    }
    text.resize(bytes);
    return text;
}

void writeList(const std::filesystem::path& path, const std::vector<std::string>& names) {
    std::ofstream list(path, std::ios::binary);
    for (const std::string& n : names)
        list << n << "\n";
}

} // namespace

std::string writeBenchGame(const std::filesystem::path& dir, const BenchGame& game) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::vector<std::string> play, end;
    bool ok = writePicture(dir / "fon.bmp", game.tile, game.tile, 0, "BMP");
    play.push_back("fon.bmp");
    if (game.decorations) {
        const char* decorations[] = {"ramkahor.bmp",         "ramkavert.bmp",
                                     "cornerupleft.bmp",     "cornerupright.bmp",
                                     "cornerbottomleft.bmp", "cornerbottomright.bmp"};
        const int sizes[][2] = {{100, 20}, {20, 100}, {64, 64}, {64, 64}, {64, 64}, {64, 64}};
        for (int i = 0; i < 6; ++i) {
            ok = ok && writePicture(dir / decorations[i], sizes[i][0], sizes[i][1], 1 + i, "BMP");
            play.push_back(decorations[i]);
        }
    }
    end = play; // the end screen's default decorations are the same files

    std::ofstream back(dir / "allbackpictures.txt", std::ios::binary);
    back << "*screencolor*clBlack#\n*frametransparent*yes#\n*cornertransparent*yes#\n";
    if (game.longLineMiB > 0)
        back << words(std::size_t(game.longLineMiB) << 20) << "\n";
    if (game.longTextKiB > 0) {
        std::ofstream texts(dir / "allbacktexts.txt", std::ios::binary);
        texts << "*text1*string1*" << words(std::size_t(game.longTextKiB) << 10) << "#\n"
              << "*text1*topindivision*1000#100#\n*text1*leftindivision*#center#\n"
              << "*text1*widthindivision*100#64#\n*text1*fontsize*20#1#\n"
              << "*text1fontcolor*$FFFFFF#\n*text1transparent*yes# \n";
        ok = ok && bool(texts);
    }
    ok = ok && writePictures(dir, back, "picture", game.pictures, 10, play);

    std::ofstream buttons(dir / "allbuttons.txt", std::ios::binary);
    if (game.decorations) {
        // Thirty 160 x 80 buttons with pressed pictures, in a column on the right.
        for (int n = 1; n <= 30; ++n) {
            const std::string name = "button" + std::to_string(n) + ".bmp";
            const std::string pressed = "button" + std::to_string(n) + "down.bmp";
            ok = ok && writePicture(dir / name, 160, 80, 100 + n, "BMP") &&
                 writePicture(dir / pressed, 160, 80, 200 + n, "BMP");
            play.push_back(name);
            buttons << "*button" << n << "*name*" << name << "#\n"
                    << "*button" << n << "*pressedname*" << pressed << "#\n"
                    << "*button" << n << "*heightindivision*32#1#\n"
                    << "*button" << n << "*leftindivision*10#" << 5 + (n - 1) / 6 << "#\n"
                    << "*button" << n << "*topindivision*8#" << 6 + (n - 1) % 6 / 3 << "#\n"
                    << "*button" << n << "transparent*yes# \n";
        }
    }
    if (game.endScreen) {
        buttons << "*button30*click*button30#victory^\n";
        std::ofstream victory(dir / "victorypictures.txt", std::ios::binary);
        victory << "*screencolor*clNavy#\n*frametransparent*yes#\n*cornertransparent*yes#\n";
        ok = ok && writePictures(dir, victory, "victory", game.pictures, 60, end);
        ok = ok && bool(victory);
        writeList(dir / "bench-end.list", end);
    }
    writeList(dir / "bench-play.list", play);
    if (!ok || !back || !buttons)
        return "cannot write the benchmark game into " + dir.string();
    return {};
}

bool parseBenchGameOption(int argc, char** argv, int& i, BenchGame& game) {
    const std::string a = argv[i];
    auto number = [&](int& out, int low, int high) {
        if (i + 1 >= argc)
            return false;
        out = std::atoi(argv[++i]);
        return out >= low && out <= high;
    };
    if (a == "--pictures")
        return number(game.pictures, 0, 50);
    if (a == "--tile")
        return number(game.tile, 1, 4096);
    if (a == "--tiles-only") {
        game.pictures = 0;
        game.decorations = false;
        game.endScreen = false;
        return true;
    }
    if (a == "--long-line")
        return number(game.longLineMiB, 1, 1024);
    if (a == "--long-text")
        return number(game.longTextKiB, 1, 1 << 20);
    if (a == "--no-end") {
        game.endScreen = false;
        return true;
    }
    return false;
}

} // namespace taleplay::bench
