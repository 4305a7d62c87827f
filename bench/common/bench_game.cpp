// Writes the benchmark game.
#include "bench_game.h"

#include "pictures/encoders.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace taleplay::bench {
namespace {

namespace encoders = pictures::encoders;

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

// A photo as a phone takes it, as far as its decoder can tell: broad
// light and colour that change across the picture, fine detail everywhere
// and sensor noise, so that it compresses as a camera's does (about 2 bits
// a pixel at quality 90), not as flat colour does.
std::vector<unsigned char> cameraSamples(int w, int h, unsigned seed) {
    // The waves are sums of products of tables of one coordinate each, so
    // twelve million pixels take a moment, not seconds.
    std::vector<double> sx1(w), cx1(w), sx2(w), cx2(w), lightX(w), greenX(w);
    std::vector<double> sy1(h), cy1(h), sy2(h), cy2(h), lightY(h);
    const double phase = seed * 0.7;
    for (int x = 0; x < w; ++x) {
        sx1[x] = std::sin(x * 0.21), cx1[x] = std::cos(x * 0.21);
        sx2[x] = std::sin(x * 0.05), cx2[x] = std::cos(x * 0.05);
        lightX[x] = 70 * std::sin(6.0 * x / w + phase);
        greenX[x] = 25 * std::sin(9.0 * x / w);
    }
    for (int y = 0; y < h; ++y) {
        sy1[y] = std::sin(y * 0.13), cy1[y] = std::cos(y * 0.13);
        sy2[y] = std::sin(y * 0.17), cy2[y] = std::cos(y * 0.17);
        lightY[y] = std::cos(4.0 * y / h);
    }
    std::vector<unsigned char> s(std::size_t(w) * h * 3);
    unsigned state = seed * 2654435761u + 1;
    std::size_t i = 0;
    for (int y = 0; y < h; ++y) {
        const int red = int(40.0 * y / h);
        for (int x = 0; x < w; ++x) {
            const double detail = 18 * (sx1[x] * cy1[y] + cx1[x] * sy1[y]) *
                                  (sy2[y] * cx2[x] - cy2[y] * sx2[x]);
            const int base = int(110 + lightX[x] * lightY[y] + detail);
            for (int c : {base + red, base + int(greenX[x]), base - 30}) {
                state = state * 1103515245u + 12345u;
                const int noise = int((state >> 16) % 23) - 11; // sensor noise
                s[i++] = static_cast<unsigned char>(std::clamp(c + noise, 0, 255));
            }
        }
    }
    return s;
}

bool writeBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

// The game of photos: the photos in rows across the screen (overlapping
// where there are more than it holds), a question and ten buttons.
std::string writePhotoGame(const std::filesystem::path& dir, const BenchGame& game) {
    // A few different photos, each file written several times: every file
    // is still decoded on its own, and writing the game stays quick.
    constexpr int kDistinct = 6;
    std::vector<std::vector<unsigned char>> files;
    for (int i = 0; i < std::min(kDistinct, game.photos); ++i)
        files.push_back(encoders::writeJpeg(game.photoWidth, game.photoHeight, 3,
                                            cameraSamples(game.photoWidth, game.photoHeight, 11 + i),
                                            90));
    bool ok = true;
    std::ofstream back(dir / "allbackpictures.txt", std::ios::binary);
    std::ofstream list(dir / "bench-photos.list", std::ios::binary);
    list << "shown " << game.shownWidth << "x" << game.shownHeight << "\n";
    back << "*screencolor*clBlack#\n";
    for (int n = 1; n <= game.photos; ++n) {
        const std::string name = "IMG_" + std::to_string(2000 + n) + ".JPG";
        ok = ok && writeBytes(dir / name, files[std::size_t(n - 1) % files.size()]);
        list << name << "\n";
        const int across = 1920 / std::max(1, game.shownWidth / 2);
        back << "*picture" << n << "*name*" << name << "#\n"
             << "*picture" << n << "*widthinpixels*" << game.shownWidth << "#\n"
             << "*picture" << n << "*heightinpixels*" << game.shownHeight << "#\n"
             << "*picture" << n << "*leftinpixels*" << (n - 1) % across * game.shownWidth / 2
             << "#\n"
             << "*picture" << n << "*topinpixels*" << (n - 1) / across * game.shownHeight / 3
             << "#\n";
    }
    std::ofstream texts(dir / "allbacktexts.txt", std::ios::binary);
    texts << "*text1*string1*Which of these photos was taken in spring?#\n"
          << "*text1*topindivision*1000#880#\n*text1*leftindivision*#center#\n"
          << "*text1*fontsize*20#1#\n*text1fontcolor*$FFFFFF#\n*text1transparent*yes# \n";
    std::ofstream buttons(dir / "allbuttons.txt", std::ios::binary);
    for (int n = 1; n <= 10; ++n) {
        const std::string name = "answer" + std::to_string(n) + ".bmp";
        ok = ok && writePicture(dir / name, 160, 80, 300 + n, "BMP");
        buttons << "*button" << n << "*name*" << name << "#\n"
                << "*button" << n << "*leftindivision*10#" << n - 1 << "#\n"
                << "*button" << n << "*topindivision*1000#920#\n"
                << "*button" << n << "*heightindivision*1000#70#\n";
    }
    if (!ok || !back || !list || !texts || !buttons)
        return "cannot write the game of photos into " + dir.string();
    return {};
}

} // namespace

std::string writeBenchGame(const std::filesystem::path& dir, const BenchGame& game) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (game.photos > 0)
        return writePhotoGame(dir, game);
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
    if (a == "--photos")
        return number(game.photos, 1, 50);
    auto size = [&](int& width, int& height) {
        return i + 1 < argc && std::sscanf(argv[++i], "%dx%d", &width, &height) == 2 &&
               width > 0 && height > 0 && width <= 16384 && height <= 16384;
    };
    if (a == "--photo-size")
        return size(game.photoWidth, game.photoHeight);
    if (a == "--shown")
        return size(game.shownWidth, game.shownHeight);
    return false;
}

} // namespace taleplay::bench
