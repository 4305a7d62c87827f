// make_bench_game [--pictures N] [--tile N] [--tiles-only] [--no-end]
//                 [--long-line MIB] [--long-text KIB]
//                 [--photos N [--photo-size WxH] [--shown WxH]] FOLDER
//
// Writes the benchmark game into FOLDER (named data_NAME): by default 50
// pictures of 800 x 600 on the play screen and 50 more on the victory
// screen, 30 image buttons with pressed pictures, full frames, four corners
// and a 64 x 64 background tile. --tiles-only writes nothing but the
// background tile. --long-line adds a line of MIB MiB of plain words to
// allbackpictures.txt, --long-text a text line of KIB KiB of words.
// --photos writes a game of N phone photos instead (4000 x 3000 JPEG
// unless told, shown at 400 x 300), a question and ten buttons.
#include "bench_game.h"

#include <QGuiApplication>
#include <iostream>

int main(int argc, char** argv) {
    taleplay::bench::BenchGame game;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-' && folder.empty()) {
            folder = argv[i];
        } else if (!taleplay::bench::parseBenchGameOption(argc, argv, i, game)) {
            folder.clear();
            break;
        }
    }
    if (folder.empty()) {
        std::cerr << "usage: make_bench_game [--pictures N] [--tile N] [--tiles-only] [--no-end] "
                     "[--long-line MIB] [--long-text KIB] [--photos N [--photo-size WxH] "
                     "[--shown WxH]] FOLDER   (FOLDER named data_NAME)\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen"); // text is drawn into the pictures, no window
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    const std::string error = taleplay::bench::writeBenchGame(folder, game);
    if (!error.empty()) {
        std::cerr << "make_bench_game: " << error << "\n";
        return 1;
    }
    std::cout << "benchmark game written to " << folder << "\n";
    return 0;
}
