// demo-art OUTPUT_FOLDER
// demo-art --quiz OUTPUT_FOLDER
//
// Writes the demo game into OUTPUT_FOLDER (examples/data_demo): its pictures
// in the formats a game may use (JPEG, PNG, BMP, GIF), its sounds, its video
// and its description files, converted from the UTF-8 masters beside this
// program to Windows-1251 with Windows line ends. With --quiz, the school
// quiz instead (examples/data_викторина): a few small pictures and its
// description files, all in Russian.
#include "art.h"
#include "media_writers.h"

#include <QDir>
#include <QGuiApplication>
#include <QTransform>
#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>

using namespace demoart;

namespace {

std::string out;

void savePicture(const QImage& image, const char* name) {
    const std::string path = out + "/" + name;
    const QString format = QString(name).section('.', -1).toUpper();
    bool ok;
    if (format == "GIF") {
        writeGif(path, image);
        ok = true;
    } else if (format == "BMP" || format == "JPG") {
        // Opaque formats: flatten, so the key colours stay exact.
        ok = image.convertToFormat(QImage::Format_RGB888)
                 .save(QString::fromStdString(path), format.toLatin1(), format == "JPG" ? 88 : -1);
    } else {
        ok = image.save(QString::fromStdString(path), "PNG");
    }
    if (!ok)
        throw std::runtime_error("cannot write " + path);
}

// A note with a soft attack and an exponential fade; a few harmonics make
// it sound like a bell rather than a test tone.
void note(std::vector<float>& s, int rate, double start, double length, double hz, double amp,
          double decay, bool bell) {
    const int from = static_cast<int>(start * rate);
    const int n = static_cast<int>(length * rate);
    if (s.size() < static_cast<std::size_t>(from + n))
        s.resize(static_cast<std::size_t>(from + n));
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double env = std::min(1.0, t / 0.008) * std::exp(-t * decay);
        double v = std::sin(2 * M_PI * hz * t);
        if (bell)
            v += 0.35 * std::sin(2 * M_PI * hz * 2.76 * t) +
                 0.15 * std::sin(2 * M_PI * hz * 5.4 * t);
        else
            v += 0.3 * std::sin(2 * M_PI * hz * 3 * t) + 0.15 * std::sin(2 * M_PI * hz * 5 * t);
        s[static_cast<std::size_t>(from + i)] += static_cast<float>(amp * env * v);
    }
}

void sounds() {
    const int rate = 22050;
    std::vector<float> welcome;
    const double arpeggio[] = {523.25, 659.25, 783.99, 1046.5};
    for (int i = 0; i < 4; ++i)
        note(welcome, rate, i * 0.16, 1.0, arpeggio[i], 0.22, 4.0, true);
    writeWav(out + "/welcome.wav", rate, welcome);

    std::vector<float> chime;
    note(chime, rate, 0, 0.8, 1318.5, 0.3, 5.0, true);
    note(chime, rate, 0.09, 0.8, 1975.5, 0.22, 5.0, true);
    writeWav(out + "/chime.wav", rate, chime);

    std::vector<float> buzz;
    note(buzz, rate, 0, 0.22, 196, 0.35, 6.0, false);
    note(buzz, rate, 0.2, 0.3, 147, 0.35, 6.0, false);
    writeWav(out + "/buzz.wav", rate, buzz);

    std::vector<float> fanfare;
    const double rise[] = {392.0, 523.25, 659.25};
    for (int i = 0; i < 3; ++i)
        note(fanfare, rate, i * 0.14, 0.4, rise[i], 0.2, 5.0, false);
    for (double hz : {523.25, 659.25, 783.99, 1046.5})
        note(fanfare, rate, 0.45, 1.4, hz, 0.12, 2.2, false);
    writeWav(out + "/fanfare.wav", rate, fanfare);

    // A crack: a burst of noise that dies fast over a low thud.
    std::vector<float> crack(static_cast<std::size_t>(rate * 0.7));
    std::uint32_t seed = 99;
    for (std::size_t i = 0; i < crack.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double t = static_cast<double>(i) / rate;
        crack[i] = static_cast<float>(((seed >> 8) / 8388608.0 - 1.0) * 0.5 * std::exp(-t * 14));
    }
    note(crack, rate, 0, 0.7, 70, 0.4, 7.0, false);
    writeWav(out + "/crack.wav", rate, crack);
}

void video() {
    std::vector<QImage> frames;
    const int count = 36;
    for (int i = 0; i < count; ++i)
        frames.push_back(cometFrame(320, 240, static_cast<double>(i) / (count - 1)));
    writeMjpegAvi(out + "/comet.avi", frames, 12, 80);
}

void pictures() {
    savePicture(sky(1024, 768, true), "sky.jpg");
    savePicture(sky(1280, 1024, true), "sky_square.jpg");
    savePicture(sky(1600, 900, true), "sky_wide.jpg");
    savePicture(starTile(96), "tile_stars.bmp");
    savePicture(ashTile(96), "tile_ash.bmp");
    const QImage frame = frameTile(160, 32);
    savePicture(frame, "frame_h.bmp");
    savePicture(frame.transformed(QTransform().rotate(90)), "frame_v.bmp");
    const QImage corner = cornerTopLeft(128);
    savePicture(corner, "corner_tl.bmp");
    savePicture(corner.mirrored(true, false), "corner_tr.bmp");
    savePicture(corner.mirrored(false, true), "corner_bl.bmp");
    savePicture(corner.mirrored(true, true), "corner_br.bmp");
    savePicture(panel(360, 560), "panel.png");
    savePicture(orionStars(220), "orion_stars.bmp");
    savePicture(orionLines(220), "orion_lines.png");
    savePicture(moon(220), "moon.gif");
    savePicture(clouds(220), "clouds.png");
    const struct {
        const char* name;
        QColor hue;
    } crystals[] = {{"red", QColor(200, 40, 50)},
                    {"green", QColor(40, 160, 80)},
                    {"blue", QColor(50, 110, 230)}};
    for (const auto& c : crystals) {
        savePicture(crystal(c.hue, false, 96, 128),
                    (std::string("crystal_") + c.name + ".bmp").c_str());
        savePicture(crystal(c.hue, true, 96, 128),
                    (std::string("crystal_") + c.name + "_lit.bmp").c_str());
    }
    savePicture(brokenCrystal(240, 200), "crystal_broken.png");
    savePicture(comet(480, 240), "comet.png");

    const QColor blue(40, 70, 140), green(40, 110, 70), red(130, 40, 50), violet(80, 50, 130);
    const struct {
        const char* name;
        QString text;
        QColor base;
        int width;
    } buttons[] = {
        {"btn_check", "Check", blue, 240},
        {"btn_check_ru", QString::fromUtf8("Проверить"), blue, 240},
        {"btn_dome", "Open the dome", violet, 320},
        {"btn_again", "Watch again", green, 300},
        {"btn_map", "Star map", blue, 300},
        {"btn_log", QString::fromUtf8("Read the log · Журнал"), red, 400},
    };
    for (const auto& b : buttons) {
        savePicture(button(b.text, b.base, false, b.width, 72),
                    (std::string(b.name) + ".png").c_str());
        savePicture(button(b.text, b.base, true, b.width, 72),
                    (std::string(b.name) + "_down.png").c_str());
    }
    savePicture(telescopeButton(false, 300, 72), "btn_telescope.png");
    savePicture(telescopeButton(true, 300, 72), "btn_telescope_down.png");
    savePicture(iconButton('x', red, false, 64), "cap_close.png");
    savePicture(iconButton('x', red, true, 64), "cap_close_down.png");
    savePicture(iconButton('o', blue, false, 64), "cap_open.png");
    savePicture(iconButton('o', blue, true, 64), "cap_open_down.png");
}

void quizPictures() {
    savePicture(firTree(200), "el.png");
    savePicture(sun(200), "solnce.png");
    savePicture(snowflake(200), "snezhinka.png");
    savePicture(tick(64), "galochka.png");
    savePicture(markStar("5", QColor(240, 180, 30), 240), "pyaterka.png");
    savePicture(markStar("2", QColor(200, 80, 80), 240), "dvojka.png");
    const QColor blue(40, 90, 170), green(40, 120, 70);
    savePicture(button(QString::fromUtf8("Проверить"), blue, false, 240, 64), "proverit.png");
    savePicture(button(QString::fromUtf8("Проверить"), blue, true, 240, 64), "proverit_nazhata.png");
    savePicture(button(QString::fromUtf8("Сдать работу"), green, false, 300, 64), "sdat.png");
    savePicture(button(QString::fromUtf8("Сдать работу"), green, true, 300, 64), "sdat_nazhata.png");
}

// The masters are UTF-8 with Unix line ends; the game gets Windows-1251
// with CR LF, as a description file written on Windows has.
void descriptionFiles(const char* mastersFolder) {
    const QDir masters(mastersFolder);
    for (const QString& name : masters.entryList({"*.txt"}, QDir::Files)) {
        std::ifstream in(masters.filePath(name).toStdString(), std::ios::binary);
        std::ofstream file(out + "/" + name.toStdString(), std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            file << toCp1251(line) << "\r\n";
        }
        if (!file)
            throw std::runtime_error("cannot write " + name.toStdString());
    }
}

} // namespace

int main(int argc, char** argv) {
    const bool quiz = argc == 3 && std::string(argv[1]) == "--quiz";
    if (argc != 2 && !quiz) {
        std::cerr << "usage: demo-art [--quiz] OUTPUT_FOLDER\n";
        return 2;
    }
    // Fonts and painting need a GUI application, never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    out = argv[argc - 1];
    try {
        QDir().mkpath(QString::fromStdString(out));
        if (quiz) {
            quizPictures();
            descriptionFiles(QUIZ_TEXTS_DIR);
            return 0;
        }
        pictures();
        sounds();
        video();
        descriptionFiles(DEMO_TEXTS_DIR);
    } catch (const std::exception& e) {
        std::cerr << "demo-art: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
